#include "service/control_win.h"

#include <mutex>
#include <utility>

#include "diag/log.h"
#include "service/readiness.h"
#include "service/supervision.h"

namespace quorv {
namespace {

// Never destroyed: a handler may still run on its own thread while the process ends.
struct Shared {
  std::mutex lock;
  Supervision supervision;
  SERVICE_STATUS_HANDLE statusHandle = nullptr;
  UniqueHandle workerInput;  // open from the worker's start until its stop line or its end
  UniqueHandle stopEvent;
  UniqueHandle runningWorker;  // for the handler of a closing console
};
Shared& shared = *new Shared;

// Caller holds the lock.
BOOL reportStatus() {
  const ServiceStatusFields& fields = shared.supervision.status;
  SERVICE_STATUS status{};
  status.dwServiceType = fields.serviceType;
  status.dwCurrentState = fields.currentState;
  status.dwControlsAccepted = fields.controlsAccepted;
  status.dwWin32ExitCode = fields.win32ExitCode;
  status.dwServiceSpecificExitCode = fields.serviceSpecificExitCode;
  status.dwCheckPoint = fields.checkPoint;
  status.dwWaitHint = fields.waitHint;
  return SetServiceStatus(shared.statusHandle, &status);
}

// Caller holds the lock; the pipe is open, and this is its only line.
void sendStopLine(unsigned char code) {
  logMessage("sending shutdown %d", code);
  std::string line = stopLineText(code);
  DWORD written = 0;
  WriteFile(shared.workerInput.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  shared.workerInput.reset();
  logMessage("shutdown sent");
}

// Caller holds the lock.
void setStopEventIfRequested() {
  if (shared.supervision.stopRequested && shared.stopEvent) SetEvent(shared.stopEvent.get());
}

void WINAPI serviceControlHandler(DWORD control) {
  logMessage("control handler request %d", static_cast<int>(control));
  std::lock_guard<std::mutex> lock(shared.lock);
  // Before the worker runs there is no pipe yet: the supervising thread sends the line once it
  // has one. After the first line the pipe is closed, and later requests write nothing.
  ControlOutcome outcome = applyControl(shared.supervision, control);
  if (outcome.report && !reportStatus()) logMessage(outcome.reportFailureLog, static_cast<int>(GetLastError()));
  if (outcome.sendStopLine) sendStopLine(0);
  setStopEventIfRequested();
}

DWORD WINAPI serviceControlHandlerEx(DWORD control, DWORD, LPVOID, LPVOID) {
  serviceControlHandler(control);
  return NO_ERROR;
}

}  // namespace

void resetSupervision() {
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.supervision = Supervision{};
}

void prepareServiceStatus(uint32_t controlsAccepted, bool gated) {
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.supervision.status.controlsAccepted = controlsAccepted;
  if (gated) applyGatedStart(shared.supervision, kPendingWaitHint);
}

bool registerControlHandler(const std::string& serviceName, bool extended) {
  SERVICE_STATUS_HANDLE handle =
      extended ? RegisterServiceCtrlHandlerExA(serviceName.c_str(), serviceControlHandlerEx, nullptr)
               : RegisterServiceCtrlHandlerA(serviceName.c_str(), serviceControlHandler);
  if (handle == nullptr) return false;
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.statusHandle = handle;
  reportStatus();
  return true;
}

void createStopEvent() {
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.stopEvent = std::move(event);
}

// Set once, before any worker starts, and kept for the life of the process.
HANDLE stopRequestEvent() { return shared.stopEvent.get(); }

bool stopWasRequested() {
  std::lock_guard<std::mutex> lock(shared.lock);
  return shared.supervision.stopRequested;
}

void reportStartProgress() {
  std::lock_guard<std::mutex> lock(shared.lock);
  if (shared.statusHandle != nullptr && applyStartProgress(shared.supervision)) reportStatus();
}

void reportReady() {
  std::lock_guard<std::mutex> lock(shared.lock);
  if (shared.statusHandle != nullptr && applyReady(shared.supervision)) reportStatus();
}

void reportStopProgress() {
  std::lock_guard<std::mutex> lock(shared.lock);
  if (shared.statusHandle != nullptr && applyStopProgress(shared.supervision, kStopProgressWaitHint)) {
    reportStatus();
  }
}

void reportStartFailure() {
  std::lock_guard<std::mutex> lock(shared.lock);
  applyStartFailure(shared.supervision.status);
  reportStatus();
}

void reportStopped() {
  std::lock_guard<std::mutex> lock(shared.lock);
  applyStopped(shared.supervision.status);
  if (!reportStatus()) logMessage("SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
  logMessage("service stopped set");
}

void handOverWorker(UniqueHandle input, HANDLE process) {
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.workerInput = std::move(input);
  // A stop or shutdown that came before the pipe existed is carried out now.
  const bool stopNow = applyWorkerStarted(shared.supervision);
  if (shared.statusHandle != nullptr) reportStatus();
  if (stopNow) sendStopLine(0);
  setStopEventIfRequested();
  shared.runningWorker.reset();
  DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), shared.runningWorker.out(), SYNCHRONIZE,
                  FALSE, 0);
}

bool takeBackWorker() {
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.workerInput.reset();
  shared.supervision.pipeReady = false;
  return shared.supervision.stopRequested;
}

BOOL WINAPI consoleControlHandler(DWORD) {
  logMessage("ConsoleCtrlHandler event");
  return TRUE;
}

BOOL WINAPI runConsoleHandler(DWORD event) {
  logMessage("ConsoleCtrlHandler event %d", static_cast<int>(event));
  if (!consoleEventStops(event)) return FALSE;
  HANDLE process = nullptr;
  {
    std::lock_guard<std::mutex> lock(shared.lock);
    // The stop as the service's control handler takes it: the line goes out once, now or as soon
    // as the worker's input pipe exists.
    if (applyControl(shared.supervision, kControlStop).sendStopLine) sendStopLine(0);
    if (shared.stopEvent) SetEvent(shared.stopEvent.get());
    process = shared.runningWorker.get();
  }
  // Closing the console ends this process once the handler returns: the worker gets its time to
  // end first (the system allows a few seconds).
  if (event == CTRL_CLOSE_EVENT && process != nullptr) WaitForSingleObject(process, INFINITE);
  return TRUE;
}

}  // namespace quorv
