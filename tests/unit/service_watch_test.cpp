// The watch over a running worker (when it wakes and what is due then) and the verdict on a
// worker that has ended.
#include <gtest/gtest.h>

#include <optional>

#include "service/readiness.h"
#include "service/watch.h"
#include "service/worker_end.h"

namespace quorv {
namespace {

TEST(Watch, WithoutGateOrHeartbeatOnlyAnEventWakesIt) {
  const WatchTimes times = watchTimesOf(false, true, 1000, 5000);
  EXPECT_EQ(nextWake(times), std::nullopt);
  EXPECT_EQ(waitMillis(nextWake(times), 1000), kWaitForever);
  EXPECT_FALSE(pollDue(times, 999999));
  EXPECT_FALSE(gateTimedOut(times, 999999));
  EXPECT_FALSE(progressDue(times, 999999));
}

TEST(Watch, WaitsAreBoundedAndATimeThatHasComeIsNoWait) {
  EXPECT_EQ(waitMillis(100, 40), 60u);
  EXPECT_EQ(waitMillis(100, 100), 0u);
  EXPECT_EQ(waitMillis(100, 200), 0u);
  EXPECT_EQ(waitMillis(0x1'0000'0000ULL + 5, 0), kWaitForever - 1);
}

// A polled gate, driven as the supervising thread drives it against a target that never answers:
// the first poll at once, then one every kPollInterval, a progress report every kPendingInterval,
// and the end at the deadline (which also bounds the last poll).
TEST(Watch, APolledGateThatNeverOpensEndsAtItsDeadline) {
  const uint64_t started = 10000;
  const uint32_t timeout = 5000;
  WatchTimes times = watchTimesOf(true, true, started, timeout);
  uint64_t now = started;
  int polls = 0, progress = 0;
  uint32_t lastBudget = 0;
  for (;;) {
    now += waitMillis(nextWake(times), now);
    ASSERT_FALSE(heartbeatMissed(times, now));
    if (pollDue(times, now)) {
      ++polls;
      lastBudget = pollBudget(times, now);
      ASSERT_GE(lastBudget, 1u);
      ASSERT_LE(lastBudget, 1000u);
      pollDone(times, now);
    }
    if (gateTimedOut(times, now)) break;
    if (progressDue(times, now)) {
      ++progress;
      progressDone(times, now);
    }
  }
  EXPECT_EQ(now, started + timeout);
  EXPECT_EQ(polls, static_cast<int>(timeout / kPollInterval) + 1);
  EXPECT_EQ(progress, static_cast<int>((timeout - 1) / kPendingInterval));
  EXPECT_EQ(lastBudget, 1u);  // the deadline has come: the last poll gets the least time
}

TEST(Watch, ANotifyGateWakesOnlyForItsDeadlineAndProgress) {
  WatchTimes times = watchTimesOf(true, false, 0, 120000);
  EXPECT_EQ(nextWake(times), kPendingInterval);
  EXPECT_FALSE(pollDue(times, 0));
  progressDone(times, kPendingInterval);
  EXPECT_EQ(nextWake(times), 2 * kPendingInterval);
  times.gateOpen = true;  // the application's signal came
  EXPECT_EQ(nextWake(times), std::nullopt);
  EXPECT_FALSE(gateTimedOut(times, 200000));
}

TEST(Watch, AHeartbeatMovesTheDeadlineAndAMissedOneIsDue) {
  WatchTimes times = watchTimesOf(false, false, 0, 0);
  EXPECT_FALSE(heartbeatMissed(times, 1000000));  // no heartbeat yet: the JVM does not exist
  heartbeatArrived(times, 100, 3000);
  EXPECT_EQ(nextWake(times), 3100u);
  EXPECT_FALSE(heartbeatMissed(times, 3099));
  heartbeatArrived(times, 3000, 3000);
  EXPECT_FALSE(heartbeatMissed(times, 3100));
  EXPECT_TRUE(heartbeatMissed(times, 6000));
  // With a shut gate the earlier of the two times wakes the watch.
  WatchTimes gated = watchTimesOf(true, false, 0, 120000);
  heartbeatArrived(gated, 0, 1500);
  EXPECT_EQ(nextWake(gated), 1500u);
}

TEST(WorkerVerdict, FollowsTheStopTheGateAndThePolicy) {
  RestartSettings onFailure;
  onFailure.mode = RestartMode::OnFailure;
  onFailure.limitCount = 1;
  onFailure.limitWindowMs = 600000;
  const RestartSettings never;
  struct Case {
    const RestartSettings* settings;
    bool stop;
    WatchEnd end;
    uint32_t exitCode;
    WorkerVerdict::Kind kind;
    bool gaveUp;
    const char* what;
  };
  const Case cases[] = {
      {&onFailure, true, WatchEnd::Exited, 3, WorkerVerdict::EndStopped, false, ""},  // the stop comes first
      {&onFailure, false, WatchEnd::NotReady, 1, WorkerVerdict::EndFailed, false, ""},
      {&never, false, WatchEnd::Exited, 0, WorkerVerdict::EndStopped, false, "ended with exit code 0"},
      {&never, false, WatchEnd::Exited, 3, WorkerVerdict::EndFailed, false, "ended with exit code 3"},
      {&onFailure, false, WatchEnd::Exited, 0, WorkerVerdict::EndStopped, false, "ended with exit code 0"},
      {&onFailure, false, WatchEnd::Hung, 1, WorkerVerdict::Restart, false, "hung"},
  };
  for (const Case& c : cases) {
    RestartHistory history;
    const WorkerVerdict verdict = judgeWorkerEnd(*c.settings, history, c.stop, c.end, c.exitCode, 0, 1000, 0.0);
    EXPECT_EQ(verdict.kind, c.kind) << c.what;
    EXPECT_EQ(verdict.gaveUp, c.gaveUp) << c.what;
    EXPECT_EQ(verdict.what, c.what);
    // Only a worker that the policy judged counts as a restart.
    EXPECT_EQ(history.total, c.kind == WorkerVerdict::Restart ? 1u : 0u) << c.what;
  }
  // Past the limit the service gives up, and says so.
  RestartHistory history;
  EXPECT_EQ(judgeWorkerEnd(onFailure, history, false, WatchEnd::Exited, 3, 0, 1000, 0.0).kind, WorkerVerdict::Restart);
  const WorkerVerdict last = judgeWorkerEnd(onFailure, history, false, WatchEnd::Exited, 3, 2000, 3000, 0.0);
  EXPECT_EQ(last.kind, WorkerVerdict::EndFailed);
  EXPECT_TRUE(last.gaveUp);
}

TEST(WorkerVerdict, ThePublishedStatusNamesARestartOnly) {
  PublishedStatus status;
  status.workerPid = 42;
  status.ready = true;
  WorkerVerdict restart;
  restart.kind = WorkerVerdict::Restart;
  restart.end = WorkerEnd::Hung;
  restart.decision.number = 4;
  recordWorkerEnd(status, restart, 1, "2026-12-11T12:00:00Z");
  EXPECT_EQ(status.workerPid, std::nullopt);
  EXPECT_FALSE(status.ready);
  EXPECT_EQ(status.lastExitCode, 1u);
  EXPECT_EQ(status.restarts, 4u);
  EXPECT_EQ(status.lastRestart, "2026-12-11T12:00:00Z");
  EXPECT_EQ(status.lastRestartCause, "hung");

  const WorkerVerdict stopped;
  recordWorkerEnd(status, stopped, 0, "2026-12-11T13:00:00Z");
  EXPECT_EQ(status.lastExitCode, 0u);
  EXPECT_EQ(status.restarts, 4u);  // the last restart stays what it was
  EXPECT_EQ(status.lastRestart, "2026-12-11T12:00:00Z");
}

}  // namespace
}  // namespace quorv
