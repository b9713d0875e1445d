// The service process: reports the service running, starts the worker (this executable again,
// with the restart marker), passes a stop or shutdown request on as the stop line, applies the
// restart policy when a worker ends, and ends itself when the service ends.
#include "service/runtime_win.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/duration.h"
#include "core/globals.h"
#include "core/split.h"
#include "diag/event_log_win.h"
#include "diag/log.h"
#include "service/control_win.h"
#include "service/output_sink_win.h"
#include "service/readiness_win.h"
#include "service/service_config.h"
#include "service/start_arguments.h"
#include "service/status_win.h"
#include "service/supervision.h"
#include "service/supervision_settings.h"
#include "service/watch_win.h"
#include "service/worker_end.h"
#include "service/worker_log_win.h"
#include "service/worker_process_win.h"

namespace quorv {
namespace {

constexpr const char* ReadyLog = "the application is ready after %lu ms";
constexpr const char* RestartLog = "restart %lu in %lu ms: the worker %s";
constexpr const char* RestartEvent = "Restart %lu of the application in %lu ms: the worker process %s.";
constexpr const char* GaveUpLog = "the worker %s; %lu restarts within %lu ms reached the restart limit: giving up";
constexpr const char* GaveUpEvent =
    "The worker process %s, and %lu restarts within %lu ms reached the restart limit: the service gives up "
    "and ends as after a failure.";

// 0 before serviceMain, 1 while it runs, 2 once it has returned.
std::atomic<int> serviceMainPhase{0};

struct PhaseGuard {
  PhaseGuard() { serviceMainPhase.store(1); }
  ~PhaseGuard() { serviceMainPhase.store(2); }
};

// Reports the stopped state (after a stop, or a worker that ended as the policy takes to be a
// clean end), then ends the process.
[[noreturn]] void endServiceProcess(bool stopped) {
  if (stopped) reportStopped();
  logMessage("exiting");
  std::fflush(nullptr);
  std::_Exit(0);  // no exit-time handlers: other threads may still be inside the dispatcher
}

// The restart that the policy decided on: its lines, then the wait. False when a stop came
// during the wait.
bool announceAndWait(const RestartDecision& decision, const std::string& what) {
  logMessage(RestartLog, static_cast<unsigned long>(decision.number), static_cast<unsigned long>(decision.delayMs),
             what.c_str());
  workerLogRestart(decision.number, decision.delayMs, what);
  char event[512];
  std::snprintf(event, sizeof event, RestartEvent, static_cast<unsigned long>(decision.number),
                static_cast<unsigned long>(decision.delayMs), what.c_str());
  reportEvent(EventType::Warning, event);
  return WaitForSingleObject(stopRequestEvent(), decision.delayMs) == WAIT_TIMEOUT;
}

// The lines of a service that gives up at its restart limit.
void announceGivingUp(const RestartSettings& restart, const std::string& what) {
  logMessage(GaveUpLog, what.c_str(), static_cast<unsigned long>(restart.limitCount),
             static_cast<unsigned long>(restart.limitWindowMs));
  workerLogGaveUp(restart.limitCount, restart.limitWindowMs, what);
  char event[512];
  std::snprintf(event, sizeof event, GaveUpEvent, what.c_str(), static_cast<unsigned long>(restart.limitCount),
                static_cast<unsigned long>(restart.limitWindowMs));
  reportEvent(EventType::Error, event);
}

// Supervises workers until the service ends: starts one, waits for its end, and applies the
// restart policy (without one: a worker that ends with 0 ends the service, any other code ends
// the service process without a final status, so that Windows counts a failure). Returns only
// when a worker cannot be started (the service is then reported stopped with an error).
void superviseWorkers(const std::u16string& commandLine, const SupervisionSettings& settings) {
  const ULONGLONG serviceStarted = GetTickCount64();
  PublishedStatus published;
  published.processId = GetCurrentProcessId();
  published.started = processStartTime(GetCurrentProcess());
  publishStatus(published);
  if (settings.readiness && !waitForTargets(*settings.readiness, serviceStarted)) {
    if (stopWasRequested()) endServiceProcess(true);
    endUnreadyWorker(nullptr, nullptr, settings.readiness->timeoutMs);
    endServiceProcess(false);
  }
  RestartHistory history;
  std::mt19937 random(static_cast<uint32_t>(GetTickCount64() ^ (GetCurrentProcessId() << 16)));
  std::uniform_real_distribution<double> jitter(0.0, 1.0);
  bool handlerRegistered = false;
  for (bool first = true;; first = false) {
    WorkerRun run;
    if (!startWorker(commandLine, settings.waitsForStop(), settings, run)) {
      reportStartFailure();
      published.workerPid.reset();
      publishStatus(published);
      return;
    }
    published.workerPid = GetProcessId(run.process.get());
    // Without a readiness gate a worker is ready once it runs (after wait-for, the service runs now).
    published.ready = !settings.readiness || !settings.readiness->ready;
    if (published.ready) reportReady();
    publishStatus(published);
    if (!handlerRegistered) {
      logMessage("registering ConsoleCtrlHandler");
      SetConsoleCtrlHandler(consoleControlHandler, TRUE);
      handlerRegistered = true;
    }
    const ULONGLONG started = run.startedTick;
    // The first worker's gate shares its time with wait-for, from the service's start.
    const Gate gate = gateOf(settings, run.ready.get(), first ? serviceStarted : started, [&](ULONGLONG waitedMs) {
      logMessage(ReadyLog, static_cast<unsigned long>(waitedMs));
      published.ready = true;
      publishStatus(published);
    });
    const WorkerOutcome outcome = awaitWorker(run, gate, settings);
    const WorkerVerdict verdict = judgeWorkerEnd(settings.restart, history, stopWasRequested(), outcome.end,
                                                 outcome.exitCode, started, GetTickCount64(), jitter(random));
    recordWorkerEnd(published, verdict, outcome.exitCode, timeNow());
    publishStatus(published);
    switch (verdict.kind) {
      case WorkerVerdict::EndStopped: endServiceProcess(true);
      case WorkerVerdict::EndFailed:
        if (verdict.gaveUp) announceGivingUp(settings.restart, verdict.what);
        endServiceProcess(false);
      case WorkerVerdict::Restart:
        if (!announceAndWait(verdict.decision, verdict.what)) endServiceProcess(true);
        break;
    }
  }
}

}  // namespace

void WINAPI serviceMain(DWORD argc, LPSTR* argv) {
  PhaseGuard phase;
  logMessage("service main");
  // With a pre-shutdown timeout the service also takes the pre-shutdown control.
  const bool preshutdown = parseDuration(getConfigString(key::ServicePreshutdownTimeout)).has_value();
  const SupervisionSettings settings = configuredSupervision();
  resetSupervision();
  prepareServiceStatus(acceptedControls(preshutdown), settings.readiness.has_value());
  serviceName = serviceNameFromDispatcher(argc >= 1 ? argv[0] : nullptr, argc >= 1);
  logMessage("service name is '%s'", serviceName.c_str());
  eventLogForServiceProcess(serviceName);

  // The extended handler is the one documented to receive the pre-shutdown control.
  if (!registerControlHandler(serviceName, preshutdown)) return;

  std::vector<std::u16string> ownArguments;
  splitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), ownArguments);
  std::vector<std::string> startArguments;
  for (DWORD i = 1; i < argc; ++i) startArguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  std::vector<std::string> refused;
  startArguments = startArgumentsForWorker(ownArguments, serviceName, startArguments,
                                           getConfigInt(key::AllowJArguments) != 0, refused);
  for (const std::string& argument : refused) {
    logMessage("start argument %s ignored: JVM options come only from the service's command line", argument.c_str());
  }
  std::u16string commandLine = buildWorkerCommandLine(ownArguments, serviceName, startArguments);

  if (settings.waitsForStop()) createStopEvent();
  if (workerLogOpen()) setOutputSink(OutputSink::WorkerLog);
  superviseWorkers(commandLine, settings);
}

void awaitServiceMainEnd() {
  // serviceMain ends the process itself after its last log line; the dispatcher may return as
  // soon as the stopped state is reported, which is before that.
  for (int waited = 0; waited < 10000 && serviceMainPhase.load() == 1; waited += 10) Sleep(10);
}

}  // namespace quorv
