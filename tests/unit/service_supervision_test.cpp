#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/split.h"
#include "service/supervision.h"
#include "service/worker_end.h"
#include "support/host_system.h"

namespace quorv {
namespace {

// A worker of a service without a restart policy ends with `exitCode`: true when the service is
// then reported stopped (its exit code is 0, or a stop was requested), as the service process does.
bool endWorker(Supervision& state, uint32_t exitCode) {
  RestartHistory history;
  const WorkerVerdict verdict =
      judgeWorkerEnd(RestartSettings{}, history, state.stopRequested, WatchEnd::Exited, exitCode, 0, 1000, 0.0);
  if (verdict.kind != WorkerVerdict::EndStopped) return false;
  applyStopped(state.status);
  return true;
}

std::u16string workerLine(const std::u16string& ownCommandLine, const std::string& name,
                          const std::vector<std::string>& start) {
  std::vector<std::u16string> own;
  splitCommandLine(ownCommandLine, own);
  return buildWorkerCommandLine(own, name, start);
}

TEST(WorkerCommandLine, Cases) {
  struct Case {
    std::u16string own;  // the service process's own command line
    std::string name;
    std::vector<std::string> start;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"C:\\svc\\app.exe", "MySvc", {"a", "b c"},
       u"C:\\svc\\app.exe MySvc a \"b c\" __zlx_restart"},
      {u"C:\\svc\\app.exe", "My Svc", {}, u"C:\\svc\\app.exe \"My Svc\" __zlx_restart"},
      // The registration quotes a path with blanks; the worker gets it whole, quoted again.
      {u"\"C:\\Program Files\\My App\\app.exe\"", "MySvc", {},
       u"\"C:\\Program Files\\My App\\app.exe\" MySvc __zlx_restart"},
      // Own arguments come after the name, before the start arguments.
      {u"C:\\svc\\app.exe x \"y z\"", "S", {"s"}, u"C:\\svc\\app.exe S x \"y z\" s __zlx_restart"},
      // A tab needs no quotes: the splitter separates at blanks only.
      {u"C:\\svc\\app.exe", "S", {"t\tu"}, u"C:\\svc\\app.exe S t\tu __zlx_restart"},
      // Quote characters and empty parts are quoted too, so that the worker gets them back.
      {u"C:\\svc\\app.exe", "S", {"it's", "q\"r", ""},
       u"C:\\svc\\app.exe S \"it's\" 'q\"r' \"\" __zlx_restart"},
      {u"C:\\svc\\app.exe", "S", {"say \"x\""}, u"C:\\svc\\app.exe S 'say \"x\"' __zlx_restart"},
      {u"\"C:\\O'Brien\\app.exe\"", "S", {}, u"\"C:\\O'Brien\\app.exe\" S __zlx_restart"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(workerLine(c.own, c.name, c.start), c.expected) << narrowLikePrintf(c.expected);
  }
}

TEST(WorkerCommandLine, NameAndStartArgumentsComeFromTheAnsiCodePage) {
  // The host stands Latin-1 in for the ANSI code page.
  EXPECT_EQ(workerLine(u"p.exe", "Dienst\xE4", {"\xFC"}), u"p.exe Dienst\u00E4 \u00FC __zlx_restart");
}

TEST(WorkerCommandLine, WorkerSplitsBackToNameAndArguments) {
  // What the worker's entry point sees after dropping the program and the marker.
  std::u16string line = workerLine(u"\"C:\\Program Files\\app.exe\"", "My Svc", {"a", "b c"});
  std::vector<std::u16string> split;
  splitCommandLine(line, split);
  const std::vector<std::u16string> expected = {u"C:\\Program Files\\app.exe", u"My Svc", u"a",
                                                u"b c", u"__zlx_restart"};
  EXPECT_EQ(split, expected);
}

TEST(WorkerCommandLine, EveryPartComesBackWhole) {
  // What the worker's splitter makes of the line is the program, the name, the arguments and the
  // marker, whatever they hold (a part with both kinds of quote aside, which no quoting of this
  // splitter can keep).
  const std::vector<std::string> parts = {"a", "b c", "", "it's", "say \"x\"", "x\"y", "'", "\"",
                                          "  ", "tab\there", "back\\slash", "__zlx_restart", "-Dx=1 2"};
  std::vector<std::u16string> own = {u"C:\\Program Files\\it's\\app.exe"};
  std::u16string line = buildWorkerCommandLine(own, "My 'Svc'", parts);
  std::vector<std::u16string> split;
  splitCommandLine(line, split);
  std::vector<std::u16string> expected = {own[0], u"My 'Svc'"};
  for (const std::string& part : parts) expected.push_back(std::u16string(part.begin(), part.end()));
  expected.push_back(u"__zlx_restart");
  EXPECT_EQ(split, expected);
}

TEST(WorkerCommandLine, PartWithBothQuoteKindsStaysOneArgumentBeforeTheMarker) {
  // No quoting keeps such a part whole; it loses its double quotes and keeps its place.
  const std::u16string line = workerLine(u"p.exe", "My Serv\"c'e", {"'\"", "it's \"x\"", "next"});
  EXPECT_EQ(line, u"p.exe \"My Servc'e\" \"'\" \"it's x\" next __zlx_restart");
  std::vector<std::u16string> split;
  splitCommandLine(line, split);
  const std::vector<std::u16string> expected = {u"p.exe", u"My Servc'e", u"'", u"it's x", u"next",
                                                u"__zlx_restart"};
  EXPECT_EQ(split, expected);
}

TEST(WorkerCommandLine, LongPartsAreKeptWhole) {
  std::string name(9000, 'n');
  std::vector<std::string> start(3, std::string(9000, 's'));
  std::u16string line = workerLine(u"p.exe", name, start);
  EXPECT_EQ(line.size(), 5u + 1 + 9000 + 3 * 9001 + 1 + 13);
}

TEST(ServiceName, FromDispatcherOrUnknown) {
  EXPECT_EQ(serviceNameFromDispatcher("MySvc", true), "MySvc");
  EXPECT_EQ(serviceNameFromDispatcher("", true), "unknown");
  EXPECT_EQ(serviceNameFromDispatcher(nullptr, false), "unknown");
  EXPECT_EQ(serviceNameFromDispatcher("x", false), "unknown");
  std::string longest(8191, 'a'), tooLong(8192, 'a');
  EXPECT_EQ(serviceNameFromDispatcher(longest.c_str(), true), longest);
  EXPECT_EQ(serviceNameFromDispatcher(tooLong.c_str(), true), "unknown");
}

TEST(StopLine, DecimalCodeAndLineFeed) {
  EXPECT_EQ(stopLineText(0), "0\n");
  EXPECT_EQ(stopLineText(255), "255\n");
}

TEST(ServiceStatus, InitialRecord) {
  ServiceStatusFields s;
  EXPECT_EQ(s.serviceType, 0x30u);
  EXPECT_EQ(s.currentState, kStateRunning);
  EXPECT_EQ(s.controlsAccepted, 5u);
  EXPECT_EQ(s.win32ExitCode, 0u);
  EXPECT_EQ(s.serviceSpecificExitCode, 0u);
  EXPECT_EQ(s.checkPoint, 0u);
  EXPECT_EQ(s.waitHint, 50000u);
}

// A worker that runs with its input pipe open.
Supervision running() {
  Supervision state;
  EXPECT_FALSE(applyWorkerStarted(state));
  return state;
}

TEST(ServiceControl, StopMakesStopPendingAndSendsTheLine) {
  Supervision state = running();
  ControlOutcome o = applyControl(state, kControlStop);
  EXPECT_TRUE(o.sendStopLine);
  EXPECT_STREQ(o.reportFailureLog, "SetServiceStatus 2 failed %d");
  EXPECT_EQ(state.status.currentState, kStateStopPending);
  EXPECT_EQ(state.status.checkPoint, 0u);
  EXPECT_EQ(state.status.waitHint, 50000u);
}

TEST(ServiceControl, ShutdownRaisesTheCheckPointByOne) {
  Supervision state = running();
  ControlOutcome o = applyControl(state, kControlShutdown);
  EXPECT_TRUE(o.sendStopLine);
  EXPECT_STREQ(o.reportFailureLog, "SetServiceStatus 1 failed %d");
  EXPECT_EQ(state.status.currentState, kStateStopPending);
  EXPECT_EQ(state.status.checkPoint, 1u);
}

TEST(ServiceControl, OnlyTheFirstRequestSendsTheLine) {
  Supervision state = running();
  EXPECT_TRUE(applyControl(state, kControlStop).sendStopLine);
  EXPECT_FALSE(applyControl(state, kControlStop).sendStopLine);
  // A later shutdown still advances the check point, and writes nothing.
  EXPECT_FALSE(applyControl(state, kControlShutdown).sendStopLine);
  EXPECT_EQ(state.status.checkPoint, 1u);
  EXPECT_FALSE(applyControl(state, kControlShutdown).sendStopLine);
  EXPECT_EQ(state.status.checkPoint, 2u);
  EXPECT_EQ(state.status.currentState, kStateStopPending);
}

TEST(ServiceControl, OtherControlsChangeNothing) {
  for (uint32_t control : {2u, 3u, 4u, 0x80u}) {  // pause, continue, interrogate, user-defined
    Supervision state = running();
    ControlOutcome o = applyControl(state, control);
    EXPECT_FALSE(o.sendStopLine);
    EXPECT_STREQ(o.reportFailureLog, "SetServiceStatus 3 failed %d");
    EXPECT_EQ(state.status.currentState, kStateRunning);
    EXPECT_EQ(state.status.checkPoint, 0u);
  }
}

TEST(ServiceControl, PreshutdownIsAShutdownOnlyWhenAccepted) {
  Supervision plain = running();
  ControlOutcome o = applyControl(plain, kControlPreshutdown);
  EXPECT_FALSE(o.sendStopLine);
  EXPECT_STREQ(o.reportFailureLog, "SetServiceStatus 3 failed %d");
  EXPECT_EQ(plain.status.currentState, kStateRunning);
  EXPECT_EQ(plain.status.checkPoint, 0u);

  Supervision accepting = running();
  accepting.status.controlsAccepted = 0x105;
  o = applyControl(accepting, kControlPreshutdown);
  EXPECT_TRUE(o.sendStopLine);
  EXPECT_STREQ(o.reportFailureLog, "SetServiceStatus 1 failed %d");
  EXPECT_EQ(accepting.status.currentState, kStateStopPending);
  EXPECT_EQ(accepting.status.checkPoint, 1u);
  // The shutdown that may follow writes nothing more.
  EXPECT_FALSE(applyControl(accepting, kControlShutdown).sendStopLine);
  EXPECT_EQ(accepting.status.checkPoint, 2u);
}

TEST(ServiceControl, StopBeforeTheWorkerStartedIsSentOnceItRuns) {
  for (uint32_t control : {kControlStop, kControlShutdown}) {
    Supervision state;
    EXPECT_FALSE(applyControl(state, control).sendStopLine);  // no pipe yet
    EXPECT_TRUE(applyWorkerStarted(state));
    EXPECT_EQ(state.status.currentState, kStateStopPending);  // not running again
    EXPECT_FALSE(applyControl(state, kControlStop).sendStopLine);
  }
}

TEST(ServiceControl, WorkerStartReportsRunningWithoutAStop) {
  Supervision state;
  applyControl(state, 4);  // interrogate
  EXPECT_FALSE(applyWorkerStarted(state));
  EXPECT_EQ(state.status.currentState, kStateRunning);
}

TEST(ServiceControl, NothingHappensOnceStopped) {
  // The worker ended on its own with 0 and STOPPED is reported; a control that comes then (the
  // dispatcher still runs) neither reports a status nor writes into the gone pipe.
  for (uint32_t control : {kControlStop, kControlShutdown, 4u}) {
    Supervision state;
    applyWorkerStarted(state);
    ASSERT_TRUE(endWorker(state, 0));
    const ServiceStatusFields before = state.status;
    ControlOutcome o = applyControl(state, control);
    EXPECT_FALSE(o.report);
    EXPECT_FALSE(o.sendStopLine);
    EXPECT_FALSE(state.stopRequested);
    EXPECT_EQ(state.status.currentState, kStateStopped);
    EXPECT_EQ(state.status.checkPoint, before.checkPoint);
  }
  // A start failure is stopped too.
  Supervision failed;
  applyStartFailure(failed.status);
  EXPECT_FALSE(applyControl(failed, kControlStop).report);
  EXPECT_EQ(failed.status.win32ExitCode, 1066u);
}

TEST(StopTimeout, ProgressWhileStopPendingOnly) {
  Supervision state;
  applyWorkerStarted(state);
  EXPECT_FALSE(applyStopProgress(state, kStopProgressWaitHint));  // running: nothing to report
  EXPECT_EQ(state.status.checkPoint, 0u);
  applyControl(state, kControlStop);
  EXPECT_EQ(state.status.waitHint, 50000u);  // the control's own report keeps the usual hint
  for (uint32_t expected = 1; expected <= 3; ++expected) {
    ASSERT_TRUE(applyStopProgress(state, kStopProgressWaitHint));
    EXPECT_EQ(state.status.checkPoint, expected);
    EXPECT_EQ(state.status.waitHint, kStopProgressWaitHint);
  }
  endWorker(state, 1);
  EXPECT_FALSE(applyStopProgress(state, kStopProgressWaitHint));
  EXPECT_EQ(state.status.checkPoint, 3u);
}

TEST(StopTimeout, WaitsInStepsUpToTheTimeout) {
  struct Case {
    uint64_t elapsed;
    uint32_t timeout;
    uint32_t expected;
  };
  const Case cases[] = {{0, 30000, 2000}, {29000, 30000, 1000}, {30000, 30000, 0}, {45000, 30000, 0},
                        {0, 500, 500},    {0, 0, 0},            {0, 4294967295u, 2000}};
  for (const Case& c : cases) EXPECT_EQ(nextStopWait(c.elapsed, c.timeout, 2000), c.expected) << c.elapsed << " " << c.timeout;
}

TEST(ConsoleRun, StopsOnCtrlCBreakAndClose) {
  for (uint32_t event : {0u, 1u, 2u}) EXPECT_TRUE(consoleEventStops(event)) << event;
  for (uint32_t event : {5u, 6u, 3u, 7u}) EXPECT_FALSE(consoleEventStops(event)) << event;  // log-off, shutdown
}

TEST(ServiceStatus, StartFailureIsStoppedWithServiceSpecificCode) {
  ServiceStatusFields s;
  applyStartFailure(s);
  EXPECT_EQ(s.currentState, kStateStopped);
  EXPECT_EQ(s.win32ExitCode, 1066u);
  EXPECT_EQ(s.serviceSpecificExitCode, 5000u);
}

TEST(ServiceStatus, WorkerExit) {
  struct Case {
    bool stopRequested;
    uint32_t exitCode;
    bool reported;
  };
  const Case cases[] = {
      {false, 0, true}, {false, 1, false}, {false, 0xC0000005u, false},
      {true, 0, true},  {true, 1, true},   {true, 0xC0000005u, true},
  };
  for (const Case& c : cases) {
    Supervision state = running();
    if (c.stopRequested) applyControl(state, kControlStop);
    const ServiceStatusFields& s = state.status;
    EXPECT_EQ(endWorker(state, c.exitCode), c.reported) << c.exitCode;
    EXPECT_EQ(s.currentState, c.reported ? kStateStopped : kStateRunning);
    EXPECT_EQ(s.win32ExitCode, 0u);
    EXPECT_EQ(s.serviceSpecificExitCode, 0u);
  }
}

TEST(PriorityClass, OnlyThePriorityClassesAreTaken) {
  for (uint32_t value : {0x40u, 0x4000u, 0x20u, 0x8000u, 0x80u, 0x100u}) EXPECT_TRUE(isPriorityClass(value)) << value;
  for (uint32_t value : {0u, 1u, 2u, 4u, 8u, 0x10u, 0x4020u, 0xFFFFFFFFu}) EXPECT_FALSE(isPriorityClass(value)) << value;
}

TEST(ServiceReadiness, StartPendingUntilTheGateOpensWithCheckPoints) {
  Supervision state;
  applyGatedStart(state, 10000);
  EXPECT_EQ(state.status.currentState, kStateStartPending);
  EXPECT_EQ(state.status.waitHint, 10000u);
  // The worker's start does not end the wait: the gate does.
  EXPECT_FALSE(applyWorkerStarted(state));
  EXPECT_EQ(state.status.currentState, kStateStartPending);
  EXPECT_TRUE(applyStartProgress(state));
  EXPECT_TRUE(applyStartProgress(state));
  EXPECT_EQ(state.status.checkPoint, 2u);
  EXPECT_TRUE(applyReady(state));
  EXPECT_EQ(state.status.currentState, kStateRunning);
  EXPECT_EQ(state.status.checkPoint, 0u);
  // Running, a later gate (after a restart) and its progress report nothing.
  EXPECT_FALSE(applyReady(state));
  EXPECT_FALSE(applyStartProgress(state));
  // A stop while start-pending is a stop as any other.
  Supervision stopped;
  applyGatedStart(stopped, 10000);
  EXPECT_FALSE(applyControl(stopped, kControlStop).sendStopLine);
  EXPECT_EQ(stopped.status.currentState, kStateStopPending);
  EXPECT_TRUE(applyWorkerStarted(stopped));
  EXPECT_FALSE(applyReady(stopped));
}

}  // namespace
}  // namespace quorv
