// The restart policy and the hang detection's settings: when a new worker starts, after how long,
// and when the service gives up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/heartbeat.h"
#include "service/restart_policy.h"
#include "service/thread_dump.h"

namespace quorv {
namespace {

RestartSettings settingsOf(RestartTexts texts) {
  std::string fault;
  std::optional<RestartSettings> settings = restartSettingsOf(texts, fault);
  EXPECT_TRUE(settings.has_value()) << fault;
  return settings.value_or(RestartSettings{});
}

TEST(RestartPolicy, WhichEndsRestartInEachMode) {
  struct Case {
    const char* mode;
    WorkerEnd end;
    uint32_t code;
    RestartDecision::Kind kind;
  };
  const Case cases[] = {
      {"never", WorkerEnd::Exited, 0, RestartDecision::Stop},      {"never", WorkerEnd::Exited, 3, RestartDecision::Fail},
      {"never", WorkerEnd::Hung, 1, RestartDecision::Fail},        {"", WorkerEnd::Exited, 143, RestartDecision::Fail},
      {"on-failure", WorkerEnd::Exited, 0, RestartDecision::Stop}, {"on-failure", WorkerEnd::Exited, 143, RestartDecision::Stop},
      {"on-failure", WorkerEnd::Exited, 3, RestartDecision::Restart},
      {"on-failure", WorkerEnd::Hung, 0, RestartDecision::Restart},  // a hang is never a success
      {"always", WorkerEnd::Exited, 0, RestartDecision::Restart},  {"always", WorkerEnd::Hung, 1, RestartDecision::Restart},
  };
  for (const Case& c : cases) {
    RestartHistory history;
    const RestartSettings settings = settingsOf({c.mode, "0,143", "", "", "", ""});
    EXPECT_EQ(decideRestart(settings, history, c.end, c.code, 0, 1000, 0.0).kind, c.kind) << c.mode << " " << c.code;
  }
}

TEST(RestartPolicy, DelaysDoubleUpToTheMaximumWithJitterAndTheRowEndsAfterTheReset) {
  const RestartSettings settings = settingsOf({"always", "", "1s", "5s", "1m", "100/1h"});
  RestartHistory history;
  uint64_t now = 0;
  std::vector<uint32_t> delays;
  for (int i = 0; i < 5; ++i) {
    const uint64_t started = now;
    now += 100;  // each worker dies quickly
    const RestartDecision d = decideRestart(settings, history, WorkerEnd::Exited, 1, started, now, 0.0);
    ASSERT_EQ(d.kind, RestartDecision::Restart);
    EXPECT_EQ(d.number, static_cast<uint32_t>(i + 1));
    delays.push_back(d.delayMs);
    now += d.delayMs;
  }
  EXPECT_EQ(delays, (std::vector<uint32_t>{1000, 2000, 4000, 5000, 5000}));
  // Jitter lengthens by at most 10 %.
  RestartHistory fresh;
  EXPECT_EQ(decideRestart(settings, fresh, WorkerEnd::Exited, 1, 0, 10, 0.999).delayMs, 1099u);
  // A worker that ran for the reset time starts the row again; the count goes on.
  const RestartDecision after = decideRestart(settings, history, WorkerEnd::Exited, 1, now, now + 60000, 0.0);
  EXPECT_EQ(after.delayMs, 1000u);
  EXPECT_EQ(after.number, 6u);
}

TEST(RestartPolicy, TheLimitCountsRestartsWithinTheWindow) {
  const RestartSettings settings = settingsOf({"on-failure", "", "1s", "1s", "1h", "3/10m"});
  RestartHistory history;
  const uint64_t minute = 60000;
  for (uint64_t t : {0 * minute, 1 * minute, 2 * minute}) {
    EXPECT_EQ(decideRestart(settings, history, WorkerEnd::Exited, 1, t, t + 10, 0.0).kind, RestartDecision::Restart);
  }
  // A fourth within ten minutes of the first would make more than 3.
  const RestartDecision fourth = decideRestart(settings, history, WorkerEnd::Exited, 1, 3 * minute, 3 * minute + 10, 0.0);
  EXPECT_EQ(fourth.kind, RestartDecision::Fail);
  EXPECT_TRUE(fourth.limitReached);
  // Once the first lies ten minutes back, one more fits.
  EXPECT_EQ(decideRestart(settings, history, WorkerEnd::Exited, 1, 10 * minute, 10 * minute + 10, 0.0).kind,
            RestartDecision::Restart);
}

TEST(RestartPolicy, DefaultsAndTextsThatDoNotRead) {
  const RestartSettings defaults = settingsOf({"on-failure", "", "", "", "", ""});
  EXPECT_EQ(defaults.successCodes, std::vector<uint32_t>{0});
  EXPECT_EQ(defaults.delayMs, 2000u);
  EXPECT_EQ(defaults.delayMaxMs, 60000u);
  EXPECT_EQ(defaults.resetMs, 600000u);
  EXPECT_EQ(defaults.limitCount, 5u);
  EXPECT_EQ(defaults.limitWindowMs, 600000u);
  const RestartTexts bad[] = {
      {"sometimes", "", "", "", "", ""}, {"always", "0,x", "", "", "", ""}, {"always", "", "2 s", "", "", ""},
      {"always", "", "2m", "1m", "", ""},  // a delay above the maximum
      {"always", "", "", "", "", "5"},     // a limit without a window
      {"always", "", "", "", "", "0/10m"}, {"always", "", "", "", "", "5/"},
  };
  for (const RestartTexts& texts : bad) {
    std::string fault;
    EXPECT_FALSE(restartSettingsOf(texts, fault).has_value()) << texts.mode << texts.limit;
    EXPECT_FALSE(fault.empty());
  }
}

TEST(Heartbeat, TimeoutIsSixIntervalsUnlessSetAndAtLeastTwo) {
  std::string fault;
  EXPECT_FALSE(heartbeatSettingsOf("", "", fault).has_value());
  EXPECT_TRUE(fault.empty());
  const auto six = heartbeatSettingsOf("10s", "", fault);
  ASSERT_TRUE(six.has_value());
  EXPECT_EQ(six->timeoutMs, 60000u);
  const auto set = heartbeatSettingsOf("10s", "20s", fault);
  ASSERT_TRUE(set.has_value());
  EXPECT_EQ(set->timeoutMs, 20000u);
  for (auto [interval, timeout] : {std::pair{"10s", "19s"}, std::pair{"", "1m"}, std::pair{"0s", ""}, std::pair{"x", ""}}) {
    EXPECT_FALSE(heartbeatSettingsOf(interval, timeout, fault).has_value()) << interval << " " << timeout;
    EXPECT_FALSE(fault.empty());
  }
}

// The calls of a console break, as a script of what each step answers.
struct BreakScript {
  bool attachWorks = true, breakWorks = true;
  std::vector<std::string> calls;
};

ConsoleBreakSystem scripted(BreakScript& script) {
  return {&script,
          [](void* c, uint32_t pid) {
            auto* s = static_cast<BreakScript*>(c);
            s->calls.push_back("attach " + std::to_string(pid));
            return s->attachWorks;
          },
          [](void* c, uint32_t group) {
            auto* s = static_cast<BreakScript*>(c);
            s->calls.push_back("break " + std::to_string(group));
            return s->breakWorks;
          },
          [](void* c) { static_cast<BreakScript*>(c)->calls.push_back("detach"); },
          [](void*) { return uint32_t{6}; }};
}

TEST(ThreadDump, TheBreakGoesToTheWorkersGroupAndTheConsoleIsLeftAgain) {
  BreakScript works;
  EXPECT_EQ(sendConsoleBreak(1234, scripted(works)), 0u);
  EXPECT_EQ(works.calls, (std::vector<std::string>{"detach", "attach 1234", "break 1234", "detach"}));
  BreakScript refused{true, false, {}};
  EXPECT_EQ(sendConsoleBreak(1234, scripted(refused)), 6u);
  EXPECT_EQ(refused.calls.back(), "detach");
  BreakScript noConsole{false, true, {}};
  EXPECT_EQ(sendConsoleBreak(1234, scripted(noConsole)), 6u);
  EXPECT_EQ(noConsole.calls, (std::vector<std::string>{"detach", "attach 1234"}));
}

TEST(ThreadDump, WaitEndsWhenTheOutputGoesQuietOrAfterFiveSeconds) {
  EXPECT_FALSE(dumpWaitOver(1000, 0, 1200));      // nothing yet
  EXPECT_FALSE(dumpWaitOver(1000, 1100, 1300));   // output, not quiet long enough
  EXPECT_TRUE(dumpWaitOver(1000, 1100, 1400));    // quiet for 300 ms
  EXPECT_TRUE(dumpWaitOver(1000, 0, 6000));       // no dump came
  EXPECT_FALSE(dumpWaitOver(1000, 900, 1500));    // output from before the break does not count
}

}  // namespace
}  // namespace quorv
