#include "service/worker_end.h"

namespace quorv {

WorkerVerdict judgeWorkerEnd(const RestartSettings& settings, RestartHistory& history, bool stopRequested,
                             WatchEnd watchEnd, uint32_t exitCode, uint64_t startedMs, uint64_t nowMs,
                             double jitter) {
  WorkerVerdict verdict;
  if (stopRequested) return verdict;
  if (watchEnd == WatchEnd::NotReady) {
    verdict.kind = WorkerVerdict::EndFailed;
    return verdict;
  }
  verdict.end = watchEnd == WatchEnd::Hung ? WorkerEnd::Hung : WorkerEnd::Exited;
  verdict.decision = decideRestart(settings, history, verdict.end, exitCode, startedMs, nowMs, jitter);
  verdict.what = workerEndText(verdict.end, exitCode);
  switch (verdict.decision.kind) {
    case RestartDecision::Stop: verdict.kind = WorkerVerdict::EndStopped; break;
    case RestartDecision::Fail:
      verdict.kind = WorkerVerdict::EndFailed;
      verdict.gaveUp = verdict.decision.limitReached;
      break;
    case RestartDecision::Restart: verdict.kind = WorkerVerdict::Restart; break;
  }
  return verdict;
}

void recordWorkerEnd(PublishedStatus& status, const WorkerVerdict& verdict, uint32_t exitCode,
                     const std::string& now) {
  status.workerPid.reset();
  status.ready = false;
  status.lastExitCode = exitCode;
  if (verdict.kind != WorkerVerdict::Restart) return;
  status.restarts = verdict.decision.number;
  status.lastRestart = now;
  status.lastRestartCause = verdict.end == WorkerEnd::Hung ? "hung" : "exit";
}

}  // namespace quorv
