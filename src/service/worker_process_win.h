// The worker's process: this executable again with the restart marker, started on two anonymous
// pipes (its input carries the stop line, its output goes to the output sink), in a job that ends
// whatever it started, with the events of its heartbeat and readiness gate.
#pragma once
#include <windows.h>

#include <string>

#include "core/handle_win.h"
#include "service/supervision_settings.h"

namespace quorv {

// A worker while it runs: its process, the job it may be in, the thread that drains its output,
// and the events of its heartbeats and of the application's readiness signal.
struct WorkerRun {
  UniqueHandle process;
  UniqueHandle job;
  UniqueHandle heartbeat;
  UniqueHandle ready;
  UniqueHandle drain;
  DWORD startError = 0;
  ULONGLONG startedTick = 0;
};

// Creates the two pipes and the worker, starts the thread that drains its output and hands the
// input pipe to the control path (which sends a stop that came early). False, after the log line
// of the failed step, when the worker does not run. With hang detection the worker gets an event
// to signal its heartbeats on (named to it in an environment variable) and a console of its own,
// without a window, whose Ctrl+Break makes the JVM print its threads; with service.ready =
// "notify", an event for the application's signal.
bool startWorker(const std::u16string& commandLine, bool inJob, const SupervisionSettings& settings,
                 WorkerRun& run);

// Ends the worker with everything it started (through its job, when it has one) and waits until
// it has ended; the exit code it gets is kTimedOutExitCode.
void endWorkerProcess(HANDLE process, HANDLE job);

}  // namespace quorv
