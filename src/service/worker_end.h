// What the service process does once its worker has ended: report the service stopped (after a
// stop request, or as the restart policy decides), end as after a failure (a gate that never
// opened, or the policy's decision, such as a restart limit reached), or start a new worker
// after a delay; and what it publishes about that end for /query.
#pragma once
#include <cstdint>
#include <string>

#include "service/restart_policy.h"
#include "service/status.h"
#include "service/watch.h"

namespace quorv {

struct WorkerVerdict {
  enum Kind { EndStopped, EndFailed, Restart } kind = EndStopped;
  WorkerEnd end = WorkerEnd::Exited;
  RestartDecision decision{RestartDecision::Stop};  // what the policy decided, when it was asked
  std::string what;                                 // how the worker ended, when the policy was asked
  bool gaveUp = false;                              // EndFailed because the restart limit was reached
};

// The policy is asked only for a worker that ended without a stop request and not at its gate's
// deadline; asking it counts in `history`.
WorkerVerdict judgeWorkerEnd(const RestartSettings& settings, RestartHistory& history, bool stopRequested,
                             WatchEnd watchEnd, uint32_t exitCode, uint64_t startedMs, uint64_t nowMs,
                             double jitter);

// The published status after the end: no worker, not ready, its exit code, and a restart with
// its time (`now`, ISO 8601) and cause.
void recordWorkerEnd(PublishedStatus& status, const WorkerVerdict& verdict, uint32_t exitCode,
                     const std::string& now);

}  // namespace quorv
