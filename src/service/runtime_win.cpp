// The service process: reports the service running, starts the worker (this executable again,
// with the restart marker) on two anonymous pipes, passes a stop or shutdown request on as the
// stop line, and ends itself when the worker has ended.
#include "service/runtime_win.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "core/split.h"
#include "diag/log.h"
#include "service/start_arguments.h"
#include "service/supervision.h"

namespace quorv {
namespace {

// The status record, the stop request and workerStdinWrite are shared by serviceMain and the
// control handler; the lock keeps a request that comes while the worker is being started from
// being lost, and the stop line from being written twice.
std::mutex statusLock;
Supervision supervision;
SERVICE_STATUS_HANDLE serviceStatusHandle = nullptr;
HANDLE workerStdinWrite = nullptr;

// 0 before serviceMain, 1 while it runs, 2 once it has returned.
std::atomic<int> serviceMainPhase{0};

// A kernel handle that closes itself.
struct Handle {
  HANDLE handle = nullptr;
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { reset(); }
  void reset() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
  }
  HANDLE release() {
    HANDLE h = handle;
    handle = nullptr;
    return h;
  }
};

struct PhaseGuard {
  PhaseGuard() { serviceMainPhase.store(1); }
  ~PhaseGuard() { serviceMainPhase.store(2); }
};

// Caller holds statusLock.
BOOL reportStatus() {
  const ServiceStatusFields& serviceStatus = supervision.status;
  SERVICE_STATUS status{};
  status.dwServiceType = serviceStatus.serviceType;
  status.dwCurrentState = serviceStatus.currentState;
  status.dwControlsAccepted = serviceStatus.controlsAccepted;
  status.dwWin32ExitCode = serviceStatus.win32ExitCode;
  status.dwServiceSpecificExitCode = serviceStatus.serviceSpecificExitCode;
  status.dwCheckPoint = serviceStatus.checkPoint;
  status.dwWaitHint = serviceStatus.waitHint;
  return SetServiceStatus(serviceStatusHandle, &status);
}

void reportStartFailure() {
  std::lock_guard<std::mutex> lock(statusLock);
  applyStartFailure(supervision.status);
  reportStatus();
}

// HKLM "SOFTWARE\kelvara\quorv\priority", value named by the service: 4 bytes or nothing.
DWORD workerPriorityClass() {
  DWORD priority = NORMAL_PRIORITY_CLASS;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\kelvara\\quorv\\priority", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return priority;
  }
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExA(key, serviceName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      size == sizeof(value)) {
    if (isPriorityClass(value)) {
      logMessage("using priority %d", static_cast<int>(value));
      priority = value;
    } else {
      logMessage("ignoring priority %d: not a priority class", static_cast<int>(value));
    }
  }
  RegCloseKey(key);
  return priority;
}

}  // namespace

void sendStopLine(unsigned char code) {
  // Caller holds statusLock; the pipe is open, and this is its only line.
  logMessage("sending shutdown %d", code);
  std::string line = stopLineText(code);
  DWORD written = 0;
  WriteFile(workerStdinWrite, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(workerStdinWrite);
  workerStdinWrite = nullptr;
  logMessage("shutdown sent");
}

void WINAPI serviceControlHandler(DWORD control) {
  logMessage("control handler request %d", static_cast<int>(control));
  std::lock_guard<std::mutex> lock(statusLock);
  // Before the worker runs there is no pipe yet: serviceMain sends the line once it has one.
  // After the first line the pipe is closed, and later requests write nothing.
  ControlOutcome outcome = applyControl(supervision, control);
  if (!reportStatus()) logMessage(outcome.reportFailureLog, static_cast<int>(GetLastError()));
  if (outcome.sendStopLine) sendStopLine(0);
}

BOOL WINAPI consoleControlHandler(DWORD) {
  logMessage("ConsoleCtrlHandler event");
  return TRUE;
}

DWORD WINAPI outputConsumer(LPVOID readEnd) {
  logMessage("consuming output");
  HANDLE pipe = static_cast<HANDLE>(readEnd);
  std::vector<char> buffer(8192);
  DWORD read = 0;
  while (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0) {
  }
  CloseHandle(pipe);
  logMessage("consuming output done");
  return 0;
}

void WINAPI serviceMain(DWORD argc, LPSTR* argv) {
  PhaseGuard phase;
  logMessage("service main");
  {
    std::lock_guard<std::mutex> lock(statusLock);
    supervision = Supervision{};
  }
  serviceName = serviceNameFromDispatcher(argc >= 1 ? argv[0] : nullptr, argc >= 1);
  logMessage("service name is '%s'", serviceName.c_str());

  SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerA(serviceName.c_str(), serviceControlHandler);
  if (handle == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(statusLock);
    serviceStatusHandle = handle;
    reportStatus();
  }

  std::vector<std::u16string> ownArguments;
  splitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), ownArguments);
  std::vector<std::string> startArguments;
  for (DWORD i = 1; i < argc; ++i) startArguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  std::vector<std::string> refused;
  startArguments = startArgumentsForWorker(startArguments, getConfigInt(key::AllowJArguments) != 0, refused);
  for (const std::string& argument : refused) {
    logMessage("start argument %s ignored: JVM options come only from the service's command line", argument.c_str());
  }
  std::u16string commandLine = buildWorkerCommandLine(ownArguments, serviceName, startArguments);

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle outputRead, outputWrite, inputRead, inputWrite;
  if (!CreatePipe(&outputRead.handle, &outputWrite.handle, &inherit, 0)) {
    logMessage("CreatePipe error (%d)", static_cast<int>(GetLastError()));
    reportStartFailure();
    return;
  }
  if (!SetHandleInformation(outputRead.handle, HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    reportStartFailure();
    return;
  }
  if (!CreatePipe(&inputRead.handle, &inputWrite.handle, &inherit, 0)) {
    logMessage("CreatePipe error 2 (%d)", static_cast<int>(GetLastError()));
    reportStartFailure();
    return;
  }
  if (!SetHandleInformation(inputWrite.handle, HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error 2 (%d)", static_cast<int>(GetLastError()));
    reportStartFailure();
    return;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead.handle;
  startup.hStdOutput = outputWrite.handle;
  startup.hStdError = outputWrite.handle;
  DWORD priority = workerPriorityClass();

  std::wstring mutableLine(commandLine.begin(), commandLine.end());
  PROCESS_INFORMATION worker{};
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE,
                      priority | DETACHED_PROCESS, nullptr, nullptr, &startup, &worker)) {
    const DWORD error = GetLastError();  // before the line's text is made, which may allocate
    logMessage("could not start process %s (%d)", narrowLikePrintf(commandLine).c_str(),
               static_cast<int>(error));
    reportStartFailure();
    return;
  }
  Handle process, thread;
  process.handle = worker.hProcess;
  thread.handle = worker.hThread;

  // The worker holds its own copies now; the output pipe ends when every writer has ended.
  outputWrite.reset();
  inputRead.reset();
  HANDLE consumer = CreateThread(nullptr, 0, outputConsumer, outputRead.handle, 0, nullptr);
  if (consumer != nullptr) {
    outputRead.release();
    CloseHandle(consumer);
  }
  {
    std::lock_guard<std::mutex> lock(statusLock);
    workerStdinWrite = inputWrite.release();
    // A stop or shutdown that came before the pipe existed is carried out now.
    bool stopNow = applyWorkerStarted(supervision);
    reportStatus();
    if (stopNow) sendStopLine(0);
  }
  logMessage("registering ConsoleCtrlHandler");
  SetConsoleCtrlHandler(consoleControlHandler, TRUE);

  WaitForSingleObject(process.handle, INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.handle, &exitCode)) exitCode = 0;
  logMessage("process terminated with exit code %d", static_cast<int>(exitCode));
  {
    std::lock_guard<std::mutex> lock(statusLock);
    if (applyWorkerExit(supervision.status, exitCode)) {
      if (!reportStatus()) logMessage("SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
      logMessage("service stopped set");
    }
  }
  process.reset();
  thread.reset();
  {
    std::lock_guard<std::mutex> lock(statusLock);
    if (workerStdinWrite != nullptr) CloseHandle(workerStdinWrite);
    workerStdinWrite = nullptr;
    supervision.pipeReady = false;
  }
  logMessage("exiting");
  std::fflush(nullptr);
  std::_Exit(0);  // no exit-time handlers: other threads may still be inside the dispatcher
}

void awaitServiceMainEnd() {
  // serviceMain ends the process itself after its last log line; the dispatcher may return as
  // soon as the stopped state is reported, which is before that.
  for (int waited = 0; waited < 10000 && serviceMainPhase.load() == 1; waited += 10) Sleep(10);
}

}  // namespace quorv
