#include "service/watch_win.h"

#include <cstdio>

#include "diag/event_log_win.h"
#include "diag/log.h"
#include "files/run_dirs.h"
#include "service/control_win.h"
#include "service/net_probe_win.h"
#include "service/output_sink_win.h"
#include "service/supervision.h"
#include "service/thread_dump.h"
#include "service/worker_log_win.h"

namespace quorv {
namespace {

constexpr const char* StopTimedOutLog = "worker did not end within %lu ms of the stop request; ending it";
constexpr const char* StopTimedOutEvent =
    "The worker process did not end within %lu ms of the stop request and was ended, with the "
    "processes it had started.";
constexpr const char* HungLog = "worker hung: no heartbeat within %lu ms";
constexpr const char* DumpFailedLog = "thread dump: the console break could not be sent (%lu)";

// Ctrl+Break on the worker's console, for HotSpot's thread dump.
ConsoleBreakSystem windowsConsoleBreak() {
  return {nullptr, [](void*, uint32_t pid) { return AttachConsole(pid) != 0; },
          [](void*, uint32_t group) { return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group) != 0; },
          [](void*) { FreeConsole(); }, [](void*) { return static_cast<uint32_t>(GetLastError()); }};
}

// A worker that sent no heartbeat in time: its threads' stacks go to the worker log (HotSpot
// prints them on Ctrl+Break), then it is ended with everything it started.
void endHungWorker(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  logMessage(HungLog, static_cast<unsigned long>(timeoutMs));
  workerLogHung(timeoutMs);
  const uint64_t sent = GetTickCount64();
  if (const uint32_t error = sendConsoleBreak(GetProcessId(process), windowsConsoleBreak()); error != 0) {
    logMessage(DumpFailedLog, static_cast<unsigned long>(error));
  } else {
    while (!dumpWaitOver(sent, lastOutputTick(), GetTickCount64()) &&
           WaitForSingleObject(process, 100) == WAIT_TIMEOUT) {
    }
  }
  endWorkerProcess(process, job);
}

// After a stop request: waits for the worker for at most `timeoutMs`, telling the Service Control
// Manager every little while that the stop progresses; a worker that has not ended by then is
// ended (with what it started, through the job).
void waitAfterStop(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const uint32_t step = nextStopWait(GetTickCount64() - start, timeoutMs, kStopProgressInterval);
    if (WaitForSingleObject(process, step) == WAIT_OBJECT_0) return;
    if (step == 0) break;
    reportStopProgress();
  }
  logMessage(StopTimedOutLog, static_cast<unsigned long>(timeoutMs));
  workerLogStopTimedOut(timeoutMs);
  char event[256];
  std::snprintf(event, sizeof event, StopTimedOutEvent, static_cast<unsigned long>(timeoutMs));
  reportEvent(EventType::Warning, event);
  endWorkerProcess(process, job);
}

// Waits for the worker to end. Until a stop request: also for its heartbeats, when hang
// detection is on (the timeout counts from the first signal, which the worker gives when its JVM
// exists, and again from each heartbeat; a worker past it is ended as hung), and for its
// readiness gate (a worker whose gate has not opened by its deadline is ended: NotReady). After a
// stop request: within the stop timeout, when one is set, else without a limit.
WatchEnd waitForWorkerEnd(HANDLE process, HANDLE job, HANDLE heartbeat, const Gate& gate,
                          const SupervisionSettings& settings) {
  HANDLE stopEvent = stopRequestEvent();
  if (stopEvent != nullptr) {
    WatchTimes times = watchTimesOf(gate.gated, gate.target != nullptr, gate.started, gate.timeoutMs);
    for (;;) {
      const DWORD wait = waitMillis(nextWake(times), GetTickCount64());
      HANDLE handles[4] = {process, stopEvent};
      DWORD count = 2;
      const DWORD heartbeatIndex = heartbeat != nullptr ? count++ : MAXDWORD;
      if (heartbeat != nullptr) handles[heartbeatIndex] = heartbeat;
      const DWORD readyIndex = !times.gateOpen && gate.event != nullptr ? count++ : MAXDWORD;
      if (readyIndex != MAXDWORD) handles[readyIndex] = gate.event;
      const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, wait);
      if (woke == WAIT_OBJECT_0) return WatchEnd::Exited;
      if (woke == WAIT_OBJECT_0 + 1) break;
      if (woke == WAIT_FAILED) break;  // wait for the worker alone, as without these settings
      const ULONGLONG after = GetTickCount64();
      bool ready = false;
      if (woke == WAIT_OBJECT_0 + heartbeatIndex) {
        heartbeatArrived(times, after, settings.heartbeat->timeoutMs);
      } else if (woke == WAIT_OBJECT_0 + readyIndex) {
        ready = true;
      } else if (woke == WAIT_TIMEOUT) {
        if (heartbeatMissed(times, after)) {
          endHungWorker(process, job, settings.heartbeat->timeoutMs);
          return WatchEnd::Hung;
        }
        if (pollDue(times, after)) {
          ready = targetAnswers(*gate.target, pollBudget(times, after));
          pollDone(times, GetTickCount64());
        }
        if (!ready && gateTimedOut(times, GetTickCount64())) {
          endUnreadyWorker(process, job, gate.timeoutMs);
          return WatchEnd::NotReady;
        }
        if (progressDue(times, after)) {
          reportStartProgress();
          progressDone(times, after);
        }
      }
      if (ready && !times.gateOpen) {
        times.gateOpen = true;
        reportReady();
        if (gate.opened) gate.opened(GetTickCount64() - gate.started);
      }
    }
  }
  if (settings.stopTimeout && stopEvent != nullptr) waitAfterStop(process, job, *settings.stopTimeout);
  else WaitForSingleObject(process, INFINITE);
  return WatchEnd::Exited;
}

}  // namespace

WorkerOutcome awaitWorker(WorkerRun& run, const Gate& gate, const SupervisionSettings& settings) {
  WorkerOutcome outcome;
  outcome.end = waitForWorkerEnd(run.process.get(), run.job.get(), run.heartbeat.get(), gate, settings);
  if (!GetExitCodeProcess(run.process.get(), &outcome.exitCode)) outcome.exitCode = 0;
  logMessage("process terminated with exit code %d", static_cast<int>(outcome.exitCode));
  removeWorkerTempDirectory(run.process.get());
  awaitOutputEnd(run.drain);
  const bool stopRequested = takeBackWorker();
  workerLogEnded(outcome.exitCode, stopRequested);
  run.job.reset();  // whatever the worker started ends with it
  run.process.reset();
  return outcome;
}

}  // namespace quorv
