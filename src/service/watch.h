// The watch over a running worker: besides its end, the supervising thread waits for its
// heartbeats (a worker past its heartbeat deadline is hung) and for its readiness gate (a
// condition polled or signalled; a gate still shut at its deadline ends the worker, and while it
// is shut the service reports start progress). These rules say when the watch must wake and what
// is due then; the Win32 side (watch_win.cpp) waits and acts. Times are milliseconds of one
// monotonic clock.
#pragma once
#include <cstdint>
#include <optional>

namespace quorv {

// How a worker's watch ended.
enum class WatchEnd { Exited, Hung, NotReady };

struct WatchTimes {
  std::optional<uint64_t> heartbeatDeadline;  // from the first heartbeat on
  bool gateOpen = true;
  bool polls = false;  // the gate's condition is a network target, asked every kPollInterval
  uint64_t gateDeadline = 0;
  uint64_t nextPoll = 0;
  uint64_t nextProgress = 0;
};

// The watch of a worker whose gate (if any) begins at `started`, with `timeoutMs` to open; no
// gate: open from the start.
WatchTimes watchTimesOf(bool gated, bool polls, uint64_t started, uint32_t timeoutMs);

// When the watch must wake without an event; nothing when only an event can wake it.
std::optional<uint64_t> nextWake(const WatchTimes& times);
// The wait from `now` until `wake`, for WaitForMultipleObjects: kWaitForever for none, 0 for a
// time that has come, and never more than kWaitForever - 1.
constexpr uint32_t kWaitForever = 0xFFFFFFFF;
uint32_t waitMillis(std::optional<uint64_t> wake, uint64_t now);

// A heartbeat came at `now`: the worker has `timeoutMs` for the next.
void heartbeatArrived(WatchTimes& times, uint64_t now, uint32_t timeoutMs);
// After a wake without an event, in this order: the worker is hung; the gate's target is to be
// asked (within pollBudget; then pollDone); the gate's time is over; a start progress report is
// due (then progressDone).
bool heartbeatMissed(const WatchTimes& times, uint64_t now);
bool pollDue(const WatchTimes& times, uint64_t now);
uint32_t pollBudget(const WatchTimes& times, uint64_t now);  // 1 to 1000 ms, within the deadline
void pollDone(WatchTimes& times, uint64_t now);
bool gateTimedOut(const WatchTimes& times, uint64_t now);
bool progressDue(const WatchTimes& times, uint64_t now);
void progressDone(WatchTimes& times, uint64_t now);

}  // namespace quorv
