// Portable rules of the service process: the worker command line, the reported status and its
// transitions, and the stop line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorv {

// The worker's command line: the program (first element of the service process's own split
// command line), the service name (8-bit, ANSI code page), the other own arguments, the start
// arguments (8-bit, ANSI code page) and the restart marker, separated by blanks. A part that
// contains a blank (U+0020 only) is put in double quotes; so is one with a quote character, or an
// empty one (a part with a double quote and no single quote in single quotes), so that the
// worker's splitter gives every part back unchanged. A part with both quote characters, which no
// quoting keeps whole, comes back as one argument without its double quotes.
std::u16string buildWorkerCommandLine(const std::vector<std::u16string>& ownArguments,
                                      const std::string& serviceName,
                                      const std::vector<std::string>& startArguments);

// The name serviceMain runs under: element 0 of the dispatcher's vector when it has 1 to 8191
// characters, otherwise "unknown".
std::string serviceNameFromDispatcher(const char* element0, bool present);

// The text written into the worker's standard input to stop it.
std::string stopLineText(unsigned code);

// Mirror of SERVICE_STATUS with the values of a freshly entered serviceMain.
struct ServiceStatusFields {
  uint32_t serviceType = 0x30;
  uint32_t currentState = 4;  // SERVICE_RUNNING
  uint32_t controlsAccepted = 5;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 50000;
};

constexpr uint32_t kStateStopped = 1;
constexpr uint32_t kStateStartPending = 2;
constexpr uint32_t kStateStopPending = 3;
constexpr uint32_t kStateRunning = 4;
constexpr uint32_t kControlStop = 1;
constexpr uint32_t kControlShutdown = 5;
constexpr uint32_t kControlPreshutdown = 15;
constexpr uint32_t kAcceptPreshutdown = 0x100;

// What the service process knows about its worker, shared by serviceMain and the control
// handler (the caller keeps them apart with a lock).
struct Supervision {
  ServiceStatusFields status;
  bool stopRequested = false;  // a stop or shutdown control has come
  bool pipeReady = false;      // the worker runs and its input pipe is open
  bool stopLineSent = false;   // the stop line was written and the pipe closed
};

// The service starts behind a readiness gate (service.ready, service.wait-for): start-pending,
// with the wait hint of the gate, until the gate opens.
void applyGatedStart(Supervision& state, uint32_t waitHint);
// The gate opened: a start-pending service is running now (true: report it).
bool applyReady(Supervision& state);
// While start-pending: the next check point (true: report it).
bool applyStartProgress(Supervision& state);

// What the control handler does with one control code: the status is changed in place. Once the
// service is reported stopped a control changes nothing and is not answered with a status: the
// worker and its input pipe are gone, and a stopped service reports nothing more.
struct ControlOutcome {
  bool sendStopLine;             // write the stop line now
  const char* reportFailureLog;  // the log format for a failed SetServiceStatus
  bool report = true;            // report the status
};
ControlOutcome applyControl(Supervision& state, uint32_t control);

// The worker has started and its input pipe is open: the service is running again, unless a stop
// came before the pipe existed or a readiness gate holds the start back. True when that early
// stop's line is due now.
bool applyWorkerStarted(Supervision& state);

// The worker could not be started, or its pipes could not be set up.
void applyStartFailure(ServiceStatusFields& status);

// The service has stopped: after a stop request, or a worker end that the restart policy takes as
// a clean end (service/worker_end.h decides which).
void applyStopped(ServiceStatusFields& status);

// While the service waits, within a stop timeout, for its worker to end after a stop request:
// the next check point, with `waitHint`, when the service is still stop-pending (true: report
// it); nothing once it is stopped.
bool applyStopProgress(Supervision& state, uint32_t waitHint);
// How long the next wait for the worker lasts within a stop timeout: until the next progress
// report (`interval`) or the end of the timeout, whichever comes first; 0 once it has passed.
uint32_t nextStopWait(uint64_t elapsedMs, uint32_t timeoutMs, uint32_t interval);
constexpr uint32_t kStopProgressInterval = 2000;
constexpr uint32_t kStopProgressWaitHint = 10000;
// The exit code that a worker ended after the stop timeout is given.
constexpr uint32_t kTimedOutExitCode = 1;

// The console events that make a console run (app.exe /run) stop its worker: Ctrl+C, Ctrl+Break
// and closing the console window.
bool consoleEventStops(uint32_t event);

// The priority classes that a worker may be created with: idle, below normal, normal, above
// normal, high and real-time. Any other number among the creation flags would mean something
// else entirely (0x4 starts the worker suspended, so the service would never stop).
bool isPriorityClass(uint32_t value);

}  // namespace quorv
