// The watch over a running worker (rules: watch.h): waits for its end, its heartbeats, its
// readiness gate and a stop request, ends a hung worker after a thread dump, ends one whose gate
// did not open in time, and after a stop request waits within the stop timeout.
#pragma once
#include <windows.h>

#include "service/readiness_win.h"
#include "service/supervision_settings.h"
#include "service/watch.h"
#include "service/worker_process_win.h"

namespace quorv {

// What happened to a worker.
struct WorkerOutcome {
  DWORD exitCode = 0;
  WatchEnd end = WatchEnd::Exited;
};

// Waits for the worker to end and returns how it ended, after its output has been drained, its
// input pipe closed and the worker log has its end line; its job and process are closed then.
WorkerOutcome awaitWorker(WorkerRun& run, const Gate& gate, const SupervisionSettings& settings);

}  // namespace quorv
