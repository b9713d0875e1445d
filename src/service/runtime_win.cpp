// The service process: reports the service running, starts the worker (this executable again,
// with the restart marker) on two anonymous pipes, passes a stop or shutdown request on as the
// stop line, and ends itself when the worker has ended.
#include "service/runtime_win.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/duration.h"
#include "core/globals.h"
#include "core/split.h"
#include "diag/event_log_win.h"
#include "diag/log.h"
#include "files/run_dirs.h"
#include "service/service_events_win.h"
#include "service/service_config.h"
#include "service/start_arguments.h"
#include "service/supervision.h"
#include "service/worker_log_win.h"

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

// Where outputConsumer puts the worker's output: nowhere (as the service always did), into the
// worker log, or on the console of a console run.
enum class OutputSink { Discard, WorkerLog, Console };
std::atomic<OutputSink> outputSink{OutputSink::Discard};

// Set by a stop request when a stop timeout is configured: the supervising thread then starts
// counting. Null without a stop timeout.
HANDLE stopEvent = nullptr;
// The worker of a console run, for the handler of a closing console; never closed.
HANDLE runningWorker = nullptr;

namespace runtext {
constexpr const char* StopTimedOutLog = "worker did not end within %lu ms of the stop request; ending it";
constexpr const char* StopTimedOutEvent =
    "The worker process did not end within %lu ms of the stop request and was ended, with the "
    "processes it had started.";
constexpr const char* RunStartFailed = "Could not start the worker process. Error code: %lu\n";
}  // namespace runtext

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

// The stop timeout of the configuration; nothing when none is set (the wait then has no limit).
std::optional<uint32_t> configuredStopTimeout() {
  const std::string text = getConfigString(key::StopTimeout);
  if (text.empty()) return std::nullopt;
  return parseDuration(text);
}

// A job that ends its processes when its last handle closes, so that whatever the worker
// started ends with it. Null when the system refuses one.
HANDLE createWorkerJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job == nullptr) {
    logMessage("CreateJobObject error (%d)", static_cast<int>(GetLastError()));
    return nullptr;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    logMessage("SetInformationJobObject error (%d)", static_cast<int>(GetLastError()));
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

// CreateProcessW with handle inheritance limited to the two pipe ends the worker gets: no other
// inheritable handle of this process (one that another thread has open just then) goes along.
BOOL createWorkerProcess(std::wstring& commandLine, DWORD flags, STARTUPINFOW& startup,
                         PROCESS_INFORMATION& worker) {
  HANDLE inherited[2] = {startup.hStdInput, startup.hStdOutput};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> storage(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  if (size != 0 && InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
    BOOL created = FALSE;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                                  nullptr, nullptr)) {
      STARTUPINFOEXW extended{};
      extended.StartupInfo = startup;
      extended.StartupInfo.cb = sizeof extended;
      extended.lpAttributeList = attributes;
      created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                               flags | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &extended.StartupInfo, &worker);
      const DWORD error = GetLastError();
      DeleteProcThreadAttributeList(attributes);
      SetLastError(error);
      return created;
    }
    DeleteProcThreadAttributeList(attributes);
  }
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &worker);
}

// Waits for the worker without a limit until a stop is requested, then for at most `timeoutMs`,
// telling the Service Control Manager every little while that the stop progresses; a worker that
// has not ended by then is ended (with what it started, through the job).
void waitWithStopTimeout(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  HANDLE both[2] = {process, stopEvent};
  if (WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0) return;
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const uint32_t step = nextStopWait(GetTickCount64() - start, timeoutMs, kStopProgressInterval);
    if (WaitForSingleObject(process, step) == WAIT_OBJECT_0) return;
    if (step == 0) break;
    std::lock_guard<std::mutex> lock(statusLock);
    if (serviceStatusHandle != nullptr && applyStopProgress(supervision, kStopProgressWaitHint)) reportStatus();
  }
  logMessage(runtext::StopTimedOutLog, static_cast<unsigned long>(timeoutMs));
  workerLogStopTimedOut(timeoutMs);
  char event[256];
  std::snprintf(event, sizeof event, runtext::StopTimedOutEvent, static_cast<unsigned long>(timeoutMs));
  reportEvent(EventType::Warning, event);
  if (job == nullptr || !TerminateJobObject(job, kTimedOutExitCode)) TerminateProcess(process, kTimedOutExitCode);
  WaitForSingleObject(process, INFINITE);
}

// After the worker ended: what it still wrote reaches the sink before the line that it ended, and
// the draining thread has logged its end before the service ends (whatever the sink). A process
// that the worker started may hold the pipe open for longer; the wait is bounded.
void awaitOutputEnd(HANDLE consumer) {
  if (consumer == nullptr) return;
  WaitForSingleObject(consumer, 5000);
  CloseHandle(consumer);
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
  if (outcome.report && !reportStatus()) logMessage(outcome.reportFailureLog, static_cast<int>(GetLastError()));
  if (outcome.sendStopLine) sendStopLine(0);
  if (supervision.stopRequested && stopEvent != nullptr) SetEvent(stopEvent);
}

DWORD WINAPI serviceControlHandlerEx(DWORD control, DWORD, LPVOID, LPVOID) {
  serviceControlHandler(control);
  return NO_ERROR;
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
    std::lock_guard<std::mutex> lock(statusLock);
    // The stop as the service's control handler takes it: the line goes out once, now or as soon
    // as the worker's input pipe exists.
    if (applyControl(supervision, kControlStop).sendStopLine) sendStopLine(0);
    if (stopEvent != nullptr) SetEvent(stopEvent);
    process = runningWorker;
  }
  // Closing the console ends this process once the handler returns: the worker gets its time to
  // end first (the system allows a few seconds).
  if (event == CTRL_CLOSE_EVENT && process != nullptr) WaitForSingleObject(process, INFINITE);
  return TRUE;
}

DWORD WINAPI outputConsumer(LPVOID readEnd) {
  logMessage("consuming output");
  HANDLE pipe = static_cast<HANDLE>(readEnd);
  std::vector<char> buffer(8192);
  DWORD read = 0;
  const OutputSink sink = outputSink.load();
  HANDLE console = sink == OutputSink::Console ? GetStdHandle(STD_OUTPUT_HANDLE) : nullptr;
  while (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0) {
    if (sink == OutputSink::WorkerLog) {
      workerLogWrite(buffer.data(), read);
    } else if (sink == OutputSink::Console) {
      DWORD written = 0;
      for (DWORD at = 0; at < read && WriteFile(console, buffer.data() + at, read - at, &written, nullptr) && written > 0;)
        at += written;
    }
  }
  CloseHandle(pipe);
  logMessage("consuming output done");
  return 0;
}

// A worker while it runs: its process, the job it may be in, and the thread that drains its
// output.
struct WorkerRun {
  Handle process;
  Handle job;
  HANDLE consumer = nullptr;
  DWORD startError = 0;
};

// Creates the two pipes and the worker, starts the thread that drains its output and hands the
// input pipe to the control path (which sends a stop that came early). False, after the log line
// of the failed step, when the worker does not run.
bool startWorker(const std::u16string& commandLine, const std::optional<uint32_t>& stopTimeout, bool inJob,
                 WorkerRun& run) {
  if (stopTimeout) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::lock_guard<std::mutex> lock(statusLock);
    stopEvent = event;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle outputRead, outputWrite, inputRead, inputWrite;
  if (!CreatePipe(&outputRead.handle, &outputWrite.handle, &inherit, 0)) {
    logMessage("CreatePipe error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!SetHandleInformation(outputRead.handle, HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!CreatePipe(&inputRead.handle, &inputWrite.handle, &inherit, 0)) {
    logMessage("CreatePipe error 2 (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!SetHandleInformation(inputWrite.handle, HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error 2 (%d)", static_cast<int>(GetLastError()));
    return false;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead.handle;
  startup.hStdOutput = outputWrite.handle;
  startup.hStdError = outputWrite.handle;
  DWORD priority = workerPriorityClass();

  if (inJob) run.job.handle = createWorkerJob();
  // In a job, the worker starts suspended so that it is in the job before it can start anything.
  const DWORD flags = priority | DETACHED_PROCESS | (run.job.handle != nullptr ? CREATE_SUSPENDED : 0);
  std::wstring mutableLine(commandLine.begin(), commandLine.end());
  PROCESS_INFORMATION worker{};
  if (!createWorkerProcess(mutableLine, flags, startup, worker)) {
    const DWORD error = GetLastError();  // before the line's text is made, which may allocate
    logMessage("could not start process %s (%d)", narrowLikePrintf(commandLine).c_str(),
               static_cast<int>(error));
    reportWorkerStartFailure(narrowLikePrintf(commandLine), error);
    run.startError = error;
    return false;
  }
  run.process.handle = worker.hProcess;
  Handle thread;
  thread.handle = worker.hThread;
  if (run.job.handle != nullptr) {
    if (!AssignProcessToJobObject(run.job.handle, worker.hProcess)) {
      logMessage("AssignProcessToJobObject error (%d)", static_cast<int>(GetLastError()));
      run.job.reset();
    }
    ResumeThread(worker.hThread);
  }
  workerLogStarted(worker.dwProcessId);

  // The worker holds its own copies now; the output pipe ends when every writer has ended.
  outputWrite.reset();
  inputRead.reset();
  run.consumer = CreateThread(nullptr, 0, outputConsumer, outputRead.handle, 0, nullptr);
  if (run.consumer != nullptr) {
    outputRead.release();
  } else {
    // Without a reader the worker would block once the pipe is full: with the read end closed,
    // its writes fail at once instead.
    logMessage("CreateThread error (%d)", static_cast<int>(GetLastError()));
    outputRead.reset();
  }
  {
    std::lock_guard<std::mutex> lock(statusLock);
    workerStdinWrite = inputWrite.release();
    // A stop or shutdown that came before the pipe existed is carried out now.
    bool stopNow = applyWorkerStarted(supervision);
    if (serviceStatusHandle != nullptr) reportStatus();
    if (stopNow) sendStopLine(0);
    if (supervision.stopRequested && stopEvent != nullptr) SetEvent(stopEvent);
    DuplicateHandle(GetCurrentProcess(), run.process.handle, GetCurrentProcess(), &runningWorker, SYNCHRONIZE,
                    FALSE, 0);
  }
  return true;
}

// Waits for the worker to end (within the stop timeout after a stop, when one is set) and returns
// its exit code, after its output has been drained and the worker log has its end line.
DWORD awaitWorker(WorkerRun& run, const std::optional<uint32_t>& stopTimeout) {
  if (stopTimeout && stopEvent != nullptr) waitWithStopTimeout(run.process.handle, run.job.handle, *stopTimeout);
  else WaitForSingleObject(run.process.handle, INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(run.process.handle, &exitCode)) exitCode = 0;
  logMessage("process terminated with exit code %d", static_cast<int>(exitCode));
  removeWorkerTempDirectory(run.process.handle);
  awaitOutputEnd(run.consumer);
  run.consumer = nullptr;
  bool stopRequested = false;
  {
    std::lock_guard<std::mutex> lock(statusLock);
    stopRequested = supervision.stopRequested;
    if (workerStdinWrite != nullptr) CloseHandle(workerStdinWrite);
    workerStdinWrite = nullptr;
    supervision.pipeReady = false;
  }
  workerLogEnded(exitCode, stopRequested);
  run.process.reset();
  return exitCode;
}


void WINAPI serviceMain(DWORD argc, LPSTR* argv) {
  PhaseGuard phase;
  logMessage("service main");
  // With a pre-shutdown timeout the service also takes the pre-shutdown control.
  const bool preshutdown = parseDuration(getConfigString(key::ServicePreshutdownTimeout)).has_value();
  {
    std::lock_guard<std::mutex> lock(statusLock);
    supervision = Supervision{};
    supervision.status.controlsAccepted = acceptedControls(preshutdown);
  }
  serviceName = serviceNameFromDispatcher(argc >= 1 ? argv[0] : nullptr, argc >= 1);
  logMessage("service name is '%s'", serviceName.c_str());
  eventLogForServiceProcess(serviceName);

  // The extended handler is the one documented to receive the pre-shutdown control.
  SERVICE_STATUS_HANDLE handle =
      preshutdown ? RegisterServiceCtrlHandlerExA(serviceName.c_str(), serviceControlHandlerEx, nullptr)
                  : RegisterServiceCtrlHandlerA(serviceName.c_str(), serviceControlHandler);
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
  startArguments = startArgumentsForWorker(ownArguments, serviceName, startArguments,
                                           getConfigInt(key::AllowJArguments) != 0, refused);
  for (const std::string& argument : refused) {
    logMessage("start argument %s ignored: JVM options come only from the service's command line", argument.c_str());
  }
  std::u16string commandLine = buildWorkerCommandLine(ownArguments, serviceName, startArguments);

  const std::optional<uint32_t> stopTimeout = configuredStopTimeout();
  if (workerLogOpen()) outputSink.store(OutputSink::WorkerLog);
  WorkerRun run;
  if (!startWorker(commandLine, stopTimeout, stopTimeout.has_value(), run)) {
    reportStartFailure();
    return;
  }
  logMessage("registering ConsoleCtrlHandler");
  SetConsoleCtrlHandler(consoleControlHandler, TRUE);

  const DWORD exitCode = awaitWorker(run, stopTimeout);
  {
    std::lock_guard<std::mutex> lock(statusLock);
    if (applyWorkerExit(supervision.status, exitCode)) {
      if (!reportStatus()) logMessage("SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
      logMessage("service stopped set");
    }
  }
  logMessage("exiting");
  std::fflush(nullptr);
  std::_Exit(0);  // no exit-time handlers: other threads may still be inside the dispatcher
}

int cmdRun() {
  logMessage("console run of '%s'", serviceName.c_str());
  {
    std::lock_guard<std::mutex> lock(statusLock);
    supervision = Supervision{};
  }
  // The worker's command line as the service process builds it: the service process is started
  // with its program alone, and no start arguments.
  std::vector<std::u16string> ownArguments;
  splitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), ownArguments);
  ownArguments.resize(ownArguments.empty() ? 0 : 1);
  std::u16string commandLine = buildWorkerCommandLine(ownArguments, serviceName, {});

  // A console where the service was just installed may still hold the account's password; the
  // application has no business with it.
  SetEnvironmentVariableW(L"QUORV_SERVICE_PASSWORD", nullptr);
  const std::optional<uint32_t> stopTimeout = configuredStopTimeout();
  outputSink.store(OutputSink::Console);
  SetConsoleCtrlHandler(runConsoleHandler, TRUE);
  WorkerRun run;
  if (!startWorker(commandLine, stopTimeout, true, run)) {
    std::fprintf(stderr, runtext::RunStartFailed, static_cast<unsigned long>(run.startError));
    std::fflush(stderr);
    return 1;
  }
  const DWORD exitCode = awaitWorker(run, stopTimeout);
  std::fflush(stdout);
  return static_cast<int>(exitCode);
}

void awaitServiceMainEnd() {
  // serviceMain ends the process itself after its last log line; the dispatcher may return as
  // soon as the stopped state is reported, which is before that.
  for (int waited = 0; waited < 10000 && serviceMainPhase.load() == 1; waited += 10) Sleep(10);
}

}  // namespace quorv
