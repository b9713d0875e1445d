#include <algorithm>

#include "service/readiness.h"
#include "service/watch.h"

namespace quorv {

WatchTimes watchTimesOf(bool gated, bool polls, uint64_t started, uint32_t timeoutMs) {
  WatchTimes times;
  times.gateOpen = !gated;
  times.polls = gated && polls;
  times.gateDeadline = started + timeoutMs;
  times.nextPoll = started;
  times.nextProgress = started + kPendingInterval;
  return times;
}

std::optional<uint64_t> nextWake(const WatchTimes& times) {
  std::optional<uint64_t> wake = times.heartbeatDeadline;
  if (!times.gateOpen) {
    uint64_t gate = std::min(times.gateDeadline, times.nextProgress);
    if (times.polls) gate = std::min(gate, times.nextPoll);
    wake = wake ? std::min(*wake, gate) : gate;
  }
  return wake;
}

uint32_t waitMillis(std::optional<uint64_t> wake, uint64_t now) {
  if (!wake) return kWaitForever;
  if (*wake <= now) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(*wake - now, kWaitForever - 1));
}

void heartbeatArrived(WatchTimes& times, uint64_t now, uint32_t timeoutMs) {
  times.heartbeatDeadline = now + timeoutMs;
}

bool heartbeatMissed(const WatchTimes& times, uint64_t now) {
  return times.heartbeatDeadline && now >= *times.heartbeatDeadline;
}

bool pollDue(const WatchTimes& times, uint64_t now) { return !times.gateOpen && times.polls && now >= times.nextPoll; }

uint32_t pollBudget(const WatchTimes& times, uint64_t now) {
  const uint64_t left = times.gateDeadline > now ? times.gateDeadline - now : 1;
  return static_cast<uint32_t>(std::min<uint64_t>(left, 1000));
}

void pollDone(WatchTimes& times, uint64_t now) { times.nextPoll = now + kPollInterval; }

bool gateTimedOut(const WatchTimes& times, uint64_t now) { return !times.gateOpen && now >= times.gateDeadline; }

bool progressDue(const WatchTimes& times, uint64_t now) { return !times.gateOpen && now >= times.nextProgress; }

void progressDone(WatchTimes& times, uint64_t now) { times.nextProgress = now + kPendingInterval; }

}  // namespace quorv
