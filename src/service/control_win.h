// The service's status and the requests that reach it: the status reported to the Service
// Control Manager, the control handler (and the console handlers of a console run), the stop
// request with its event, and the worker's input pipe, which carries the one stop line. The
// supervising thread and the handlers share these under one lock, so that a request that comes
// while a worker is being started is not lost and the stop line is not written twice.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/handle_win.h"

namespace quorv {

// A fresh status, as at the start of serviceMain or a console run.
void resetSupervision();
// The controls the service takes; behind a readiness gate it reports start-pending, with the
// gate's wait hint, until the gate opens.
void prepareServiceStatus(uint32_t controlsAccepted, bool gated);
// Registers the control handler (the extended one, which receives the pre-shutdown control, with
// `extended`) and reports the status. False when the handler cannot be registered.
bool registerControlHandler(const std::string& serviceName, bool extended);

// The event a stop request sets, made when the supervising thread waits for one besides the
// worker; null otherwise.
void createStopEvent();
HANDLE stopRequestEvent();
bool stopWasRequested();

// Status reports of the supervising thread; each does nothing before a handler is registered.
void reportStartProgress();   // the next check point while start-pending
void reportReady();           // the gate opened: a start-pending service runs now
void reportStopProgress();    // the next check point while the stop waits for the worker
void reportStartFailure();    // a worker could not be started
void reportStopped();         // the service has stopped

// A worker runs: its input pipe goes to the control path, which sends a stop that came early, and
// the console handler can wait for `process`.
void handOverWorker(UniqueHandle input, HANDLE process);
// The worker has ended: its input pipe is closed. True when a stop was requested.
bool takeBackWorker();

// The handler of the service process's own console events: they are not the service's stop.
BOOL WINAPI consoleControlHandler(DWORD event);
// The console handler of a console run: Ctrl+C, Ctrl+Break and closing the console stop the
// worker as a stop request stops the service's.
BOOL WINAPI runConsoleHandler(DWORD event);

}  // namespace quorv
