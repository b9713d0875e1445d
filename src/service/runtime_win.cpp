// The service process: reports the service running, starts the worker (this executable again,
// with the restart marker) on two anonymous pipes, passes a stop or shutdown request on as the
// stop line, and ends itself when the worker has ended.
#include "service/runtime_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <functional>
#include <random>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/duration.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "core/split.h"
#include "diag/event_log_win.h"
#include "diag/log.h"
#include "files/run_dirs.h"
#include "launch/service_bridge.h"
#include "service/heartbeat.h"
#include "service/net_probe_win.h"
#include "service/readiness.h"
#include "service/restart_policy.h"
#include "service/service_events_win.h"
#include "service/service_config.h"
#include "service/start_arguments.h"
#include "service/status_win.h"
#include "service/supervision.h"
#include "service/thread_dump.h"
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

// Set by a stop request when the supervising thread waits for one besides the worker: with a
// stop timeout (it then starts counting), a restart policy (a stop during the wait before a
// restart) or hang detection. Null otherwise.
HANDLE stopEvent = nullptr;
// When the worker's output last arrived (GetTickCount64), for the wait for a thread dump.
std::atomic<uint64_t> lastOutputTick{0};
// The worker of a console run, for the handler of a closing console; never closed.
HANDLE runningWorker = nullptr;

namespace runtext {
constexpr const char* StopTimedOutLog = "worker did not end within %lu ms of the stop request; ending it";
constexpr const char* StopTimedOutEvent =
    "The worker process did not end within %lu ms of the stop request and was ended, with the "
    "processes it had started.";
constexpr const char* RunStartFailed = "Could not start the worker process. Error code: %lu\n";
constexpr const char* RunReady = "The application is ready.\n";
constexpr const char* RunNotReady = "The application did not become ready within %lu ms.\n";
constexpr const char* WaitingFor = "waiting for %s";
constexpr const char* Answered = "%s answered after %lu ms";
constexpr const char* ReadyLog = "the application is ready after %lu ms";
constexpr const char* HungLog = "worker hung: no heartbeat within %lu ms";
constexpr const char* DumpFailedLog = "thread dump: the console break could not be sent (%lu)";
constexpr const char* RestartLog = "restart %lu in %lu ms: the worker %s";
constexpr const char* RestartEvent = "Restart %lu of the application in %lu ms: the worker process %s.";
constexpr const char* GaveUpLog = "the worker %s; %lu restarts within %lu ms reached the restart limit: giving up";
constexpr const char* GaveUpEvent =
    "The worker process %s, and %lu restarts within %lu ms reached the restart limit: the service gives up "
    "and ends as after a failure.";
}  // namespace runtext

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

// What the supervising thread does besides waiting for its worker.
struct SupervisionSettings {
  std::optional<uint32_t> stopTimeout;
  RestartSettings restart;
  std::optional<HeartbeatSettings> heartbeat;
  std::optional<ReadinessSettings> readiness;
  bool waitsForStop() const {
    return stopTimeout || restart.mode != RestartMode::Never || heartbeat || readiness;
  }
  bool notifies() const { return readiness && readiness->ready && readiness->ready->kind == ReadyTarget::Notify; }
};

// The settings of the configuration. The packer writes only values that read; one that does not
// (a block made by hand) leaves that part as without the setting, with a log line.
SupervisionSettings configuredSupervision() {
  SupervisionSettings settings;
  settings.stopTimeout = configuredStopTimeout();
  std::string fault;
  const RestartTexts texts{getConfigString(key::Restart),         getConfigString(key::SuccessExitCodes),
                           getConfigString(key::RestartDelay),    getConfigString(key::RestartDelayMax),
                           getConfigString(key::RestartReset),    getConfigString(key::RestartLimit)};
  if (std::optional<RestartSettings> restart = restartSettingsOf(texts, fault)) settings.restart = *restart;
  else logMessage("restart settings ignored: %s", fault.c_str());
  settings.heartbeat =
      heartbeatSettingsOf(getConfigString(key::Heartbeat), getConfigString(key::HeartbeatTimeout), fault);
  if (!fault.empty()) logMessage("heartbeat settings ignored: %s", fault.c_str());
  settings.readiness = readinessSettingsOf(getConfigString(key::Ready), getConfigString(key::ReadyTimeout),
                                           getConfigString(key::WaitFor), fault);
  if (!fault.empty()) logMessage("readiness settings ignored: %s", fault.c_str());
  return settings;
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

// CreateProcessW with handle inheritance limited to the two pipe ends the worker gets, and the
// events of its heartbeat and readiness gate when there are any: no other inheritable handle of
// this process (one that another thread has open just then) goes along.
BOOL createWorkerProcess(std::wstring& commandLine, DWORD flags, STARTUPINFOW& startup,
                         const std::vector<HANDLE>& events, PROCESS_INFORMATION& worker) {
  std::vector<HANDLE> inherited = {startup.hStdInput, startup.hStdOutput};
  inherited.insert(inherited.end(), events.begin(), events.end());
  const SIZE_T inheritedSize = inherited.size() * sizeof(HANDLE);
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> storage(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  if (size != 0 && InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
    BOOL created = FALSE;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(), inheritedSize,
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

// Ctrl+Break on the worker's console, for HotSpot's thread dump.
ConsoleBreakSystem windowsConsoleBreak() {
  return {nullptr, [](void*, uint32_t pid) { return AttachConsole(pid) != 0; },
          [](void*, uint32_t group) { return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group) != 0; },
          [](void*) { FreeConsole(); }, [](void*) { return static_cast<uint32_t>(GetLastError()); }};
}

// A worker that sent no heartbeat in time: its threads' stacks go to the worker log (HotSpot
// prints them on Ctrl+Break), then it is ended with everything it started.
void endHungWorker(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  logMessage(runtext::HungLog, static_cast<unsigned long>(timeoutMs));
  workerLogHung(timeoutMs);
  const uint64_t sent = GetTickCount64();
  if (const uint32_t error = sendConsoleBreak(GetProcessId(process), windowsConsoleBreak()); error != 0) {
    logMessage(runtext::DumpFailedLog, static_cast<unsigned long>(error));
  } else {
    while (!dumpWaitOver(sent, lastOutputTick.load(), GetTickCount64()) &&
           WaitForSingleObject(process, 100) == WAIT_TIMEOUT) {
    }
  }
  if (job == nullptr || !TerminateJobObject(job, kTimedOutExitCode)) TerminateProcess(process, kTimedOutExitCode);
  WaitForSingleObject(process, INFINITE);
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

// How a worker's watch ended.
enum class WatchEnd { Exited, Hung, NotReady };

// The readiness gate of one worker: open once its condition holds (the application's signal, or
// a target that answers), failed when its deadline passes first. No gate: open from the start.
struct Gate {
  const ReadyTarget* target = nullptr;
  HANDLE event = nullptr;       // the application's signal, for "notify"
  ULONGLONG started = 0;        // where the gate's time began
  ULONGLONG deadline = 0;
  bool open = true;
  std::function<void(ULONGLONG waitedMs)> opened;  // told once, when it opens
};

// Reports the next check point while the service is start-pending.
void reportStartProgress() {
  std::lock_guard<std::mutex> lock(statusLock);
  if (serviceStatusHandle != nullptr && applyStartProgress(supervision)) reportStatus();
}

// The gate opened: a start-pending service runs now.
void reportReady() {
  std::lock_guard<std::mutex> lock(statusLock);
  if (serviceStatusHandle != nullptr && applyReady(supervision)) reportStatus();
}

// Polls a network target until it answers, `until` passes, or a stop comes. True when it answered.
bool pollTarget(const ReadyTarget& target, ULONGLONG until, ULONGLONG& nextProgress) {
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    if (targetAnswers(target, static_cast<uint32_t>(std::min<ULONGLONG>(until - now, 1000)))) return true;
    if (GetTickCount64() >= nextProgress) {
      reportStartProgress();
      nextProgress = GetTickCount64() + kPendingInterval;
    }
    if (stopEvent != nullptr && WaitForSingleObject(stopEvent, kPollInterval) == WAIT_OBJECT_0) return false;
  }
}

// service.wait-for: before the first worker, each target in turn must answer, within the ready
// timeout from `started`. False when the time passed first or a stop came (stopWasRequested
// tells which).
bool waitForTargets(const ReadinessSettings& readiness, ULONGLONG started) {
  const ULONGLONG deadline = started + readiness.timeoutMs;
  ULONGLONG nextProgress = started + kPendingInterval;
  for (const ReadyTarget& target : readiness.waitFor) {
    logMessage(runtext::WaitingFor, target.text.c_str());
    if (!pollTarget(target, deadline, nextProgress)) return false;
    logMessage(runtext::Answered, target.text.c_str(), static_cast<unsigned long>(GetTickCount64() - started));
  }
  return true;
}

// The lines of a gate that did not open in time, and the end of the worker behind it.
void endUnreadyWorker(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  const std::string text = notReadyText(timeoutMs);
  logMessage("%s", text.c_str());
  workerLogNotReady(text);
  reportEvent(EventType::Error, "The service was stopped: " + text + ".");
  if (process != nullptr) {
    if (job == nullptr || !TerminateJobObject(job, kTimedOutExitCode)) TerminateProcess(process, kTimedOutExitCode);
    WaitForSingleObject(process, INFINITE);
  }
}

// Waits for the worker to end. Until a stop request: also for its heartbeats, when hang
// detection is on (the timeout counts from the first signal, which the worker gives when its JVM
// exists, and again from each heartbeat; a worker past it is ended as hung), and for its
// readiness gate (a worker whose gate has not opened by its deadline is ended: NotReady). After a
// stop request: within the stop timeout, when one is set, else without a limit.
WatchEnd waitForWorkerEnd(HANDLE process, HANDLE job, HANDLE heartbeat, Gate& gate,
                          const SupervisionSettings& settings) {
  if (stopEvent != nullptr) {
    std::optional<ULONGLONG> heartbeatDeadline;
    ULONGLONG nextPoll = gate.started;
    ULONGLONG nextProgress = gate.started + kPendingInterval;
    for (;;) {
      const ULONGLONG now = GetTickCount64();
      ULONGLONG wake = ULLONG_MAX;
      if (heartbeatDeadline) wake = *heartbeatDeadline;
      if (!gate.open) {
        wake = std::min({wake, gate.deadline, nextProgress});
        if (gate.target != nullptr) wake = std::min(wake, nextPoll);
      }
      HANDLE handles[4] = {process, stopEvent};
      DWORD count = 2;
      const DWORD heartbeatIndex = heartbeat != nullptr ? count++ : MAXDWORD;
      if (heartbeat != nullptr) handles[heartbeatIndex] = heartbeat;
      const DWORD readyIndex = !gate.open && gate.event != nullptr ? count++ : MAXDWORD;
      if (readyIndex != MAXDWORD) handles[readyIndex] = gate.event;
      const DWORD wait = wake == ULLONG_MAX ? INFINITE : wake <= now ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(wake - now, MAXDWORD - 1));
      const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, wait);
      if (woke == WAIT_OBJECT_0) return WatchEnd::Exited;
      if (woke == WAIT_OBJECT_0 + 1) break;
      if (woke == WAIT_FAILED) break;  // wait for the worker alone, as without these settings
      const ULONGLONG after = GetTickCount64();
      bool ready = false;
      if (woke == WAIT_OBJECT_0 + heartbeatIndex) {
        heartbeatDeadline = after + settings.heartbeat->timeoutMs;
      } else if (woke == WAIT_OBJECT_0 + readyIndex) {
        ready = true;
      } else if (woke == WAIT_TIMEOUT) {
        if (heartbeatDeadline && after >= *heartbeatDeadline) {
          endHungWorker(process, job, settings.heartbeat->timeoutMs);
          return WatchEnd::Hung;
        }
        if (!gate.open && gate.target != nullptr && after >= nextPoll) {
          ready = targetAnswers(*gate.target, static_cast<uint32_t>(
                                                  std::min<ULONGLONG>(gate.deadline > after ? gate.deadline - after : 1, 1000)));
          nextPoll = GetTickCount64() + kPollInterval;
        }
        if (!ready && !gate.open && GetTickCount64() >= gate.deadline) {
          endUnreadyWorker(process, job, static_cast<uint32_t>(gate.deadline - gate.started));
          return WatchEnd::NotReady;
        }
        if (!gate.open && after >= nextProgress) {
          reportStartProgress();
          nextProgress = after + kPendingInterval;
        }
      }
      if (ready && !gate.open) {
        gate.open = true;
        reportReady();
        if (gate.opened) gate.opened(GetTickCount64() - gate.started);
      }
    }
  }
  if (settings.stopTimeout && stopEvent != nullptr) waitAfterStop(process, job, *settings.stopTimeout);
  else WaitForSingleObject(process, INFINITE);
  return WatchEnd::Exited;
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
    lastOutputTick.store(GetTickCount64());
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

namespace {

// A worker while it runs: its process, the job it may be in, the thread that drains its output,
// and the event it signals its heartbeats on.
struct WorkerRun {
  UniqueHandle process;
  UniqueHandle job;
  UniqueHandle heartbeat;
  UniqueHandle ready;
  HANDLE consumer = nullptr;
  DWORD startError = 0;
  ULONGLONG startedTick = 0;
};

// What happened to a worker.
struct WorkerOutcome {
  DWORD exitCode = 0;
  WatchEnd end = WatchEnd::Exited;
};

// An event that the worker inherits, named to it in the environment variable `variable` as
// "HANDLE" followed by `suffix`; without `wanted`, the variable is removed.
void shareEvent(bool wanted, const char* variable, const std::string& suffix, UniqueHandle& event) {
  if (wanted) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    event.reset(CreateEventW(&inherit, FALSE, FALSE, nullptr));
    if (!event) logMessage("CreateEvent error (%d)", static_cast<int>(GetLastError()));
  }
  const std::string value = event ? std::to_string(reinterpret_cast<uintptr_t>(event.get())) + suffix : std::string();
  SetEnvironmentVariableA(variable, value.empty() ? nullptr : value.c_str());
}

// Creates the two pipes and the worker, starts the thread that drains its output and hands the
// input pipe to the control path (which sends a stop that came early). False, after the log line
// of the failed step, when the worker does not run. With hang detection the worker gets an event
// to signal its heartbeats on (named to it in an environment variable) and a console of its own,
// without a window, whose Ctrl+Break makes the JVM print its threads; with service.ready =
// "notify", an event for the application's signal.
bool startWorker(const std::u16string& commandLine, bool inJob, const SupervisionSettings& settings,
                 WorkerRun& run) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  UniqueHandle outputRead, outputWrite, inputRead, inputWrite;
  if (!CreatePipe(outputRead.out(), outputWrite.out(), &inherit, 0)) {
    logMessage("CreatePipe error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!SetHandleInformation(outputRead.get(), HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!CreatePipe(inputRead.out(), inputWrite.out(), &inherit, 0)) {
    logMessage("CreatePipe error 2 (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  if (!SetHandleInformation(inputWrite.get(), HANDLE_FLAG_INHERIT, 0)) {
    logMessage("SetHandleInformation error 2 (%d)", static_cast<int>(GetLastError()));
    return false;
  }
  // The worker inherits this process's environment: the variables name the events to it.
  shareEvent(settings.heartbeat.has_value(), kHeartbeatVariable,
             settings.heartbeat ? "/" + std::to_string(settings.heartbeat->intervalMs) : std::string(), run.heartbeat);
  shareEvent(settings.notifies(), kReadyVariable, std::string(), run.ready);
  std::vector<HANDLE> events;
  if (run.heartbeat) events.push_back(run.heartbeat.get());
  if (run.ready) events.push_back(run.ready.get());

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead.get();
  startup.hStdOutput = outputWrite.get();
  startup.hStdError = outputWrite.get();
  DWORD priority = workerPriorityClass();

  if (inJob) run.job.reset(createWorkerJob());
  // In a job, the worker starts suspended so that it is in the job before it can start anything.
  const DWORD console = run.heartbeat ? CREATE_NEW_CONSOLE | CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP
                                      : DETACHED_PROCESS;
  const DWORD flags = priority | console | (run.job ? CREATE_SUSPENDED : 0);
  std::wstring mutableLine(commandLine.begin(), commandLine.end());
  PROCESS_INFORMATION worker{};
  if (!createWorkerProcess(mutableLine, flags, startup, events, worker)) {
    const DWORD error = GetLastError();  // before the line's text is made, which may allocate
    logMessage("could not start process %s (%d)", narrowLikePrintf(commandLine).c_str(),
               static_cast<int>(error));
    reportWorkerStartFailure(narrowLikePrintf(commandLine), error);
    run.startError = error;
    return false;
  }
  run.startedTick = GetTickCount64();
  run.process.reset(worker.hProcess);
  UniqueHandle thread(worker.hThread);
  if (run.job) {
    if (!AssignProcessToJobObject(run.job.get(), worker.hProcess)) {
      logMessage("AssignProcessToJobObject error (%d)", static_cast<int>(GetLastError()));
      run.job.reset();
    }
    ResumeThread(worker.hThread);
  }
  workerLogStarted(worker.dwProcessId);

  // The worker holds its own copies now; the output pipe ends when every writer has ended.
  outputWrite.reset();
  inputRead.reset();
  run.consumer = CreateThread(nullptr, 0, outputConsumer, outputRead.get(), 0, nullptr);
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
    if (runningWorker != nullptr) CloseHandle(runningWorker);
    runningWorker = nullptr;
    DuplicateHandle(GetCurrentProcess(), run.process.get(), GetCurrentProcess(), &runningWorker, SYNCHRONIZE,
                    FALSE, 0);
  }
  return true;
}

// The readiness gate of a worker: its condition, the application's event, and the time it has,
// counted from `started`.
Gate gateOf(const SupervisionSettings& settings, const WorkerRun& run, ULONGLONG started,
            std::function<void(ULONGLONG)> opened) {
  Gate gate;
  gate.started = started;
  if (!settings.readiness || !settings.readiness->ready) return gate;
  gate.open = false;
  gate.target = settings.notifies() ? nullptr : &*settings.readiness->ready;
  gate.event = run.ready.get();
  gate.deadline = started + settings.readiness->timeoutMs;
  gate.opened = std::move(opened);
  return gate;
}

// Waits for the worker to end (see waitForWorkerEnd) and returns how it ended, after its output
// has been drained and the worker log has its end line.
WorkerOutcome awaitWorker(WorkerRun& run, Gate& gate, const SupervisionSettings& settings) {
  WorkerOutcome outcome;
  outcome.end = waitForWorkerEnd(run.process.get(), run.job.get(), run.heartbeat.get(), gate, settings);
  if (!GetExitCodeProcess(run.process.get(), &outcome.exitCode)) outcome.exitCode = 0;
  logMessage("process terminated with exit code %d", static_cast<int>(outcome.exitCode));
  removeWorkerTempDirectory(run.process.get());
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
  workerLogEnded(outcome.exitCode, stopRequested);
  run.job.reset();  // whatever the worker started ends with it
  run.process.reset();
  return outcome;
}

// Reports the stopped state (after a stop, or a worker that ended as the policy takes to be a
// clean end), then ends the process.
[[noreturn]] void endServiceProcess(bool reportStopped) {
  if (reportStopped) {
    std::lock_guard<std::mutex> lock(statusLock);
    supervision.status.currentState = kStateStopped;
    if (!reportStatus()) logMessage("SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
    logMessage("service stopped set");
  }
  logMessage("exiting");
  std::fflush(nullptr);
  std::_Exit(0);  // no exit-time handlers: other threads may still be inside the dispatcher
}

bool stopWasRequested() {
  std::lock_guard<std::mutex> lock(statusLock);
  return supervision.stopRequested;
}

// The restart that the policy decided on: its lines, then the wait. False when a stop came
// during the wait.
bool announceAndWait(const RestartDecision& decision, const std::string& what) {
  logMessage(runtext::RestartLog, static_cast<unsigned long>(decision.number),
             static_cast<unsigned long>(decision.delayMs), what.c_str());
  workerLogRestart(decision.number, decision.delayMs, what);
  char event[512];
  std::snprintf(event, sizeof event, runtext::RestartEvent, static_cast<unsigned long>(decision.number),
                static_cast<unsigned long>(decision.delayMs), what.c_str());
  reportEvent(EventType::Warning, event);
  return WaitForSingleObject(stopEvent, decision.delayMs) == WAIT_TIMEOUT;
}

// Supervises workers until the service ends: starts one, waits for its end, and applies the
// restart policy (without one: a worker that ends with 0 ends the service, any other code ends
// the service process without a final status, so that Windows counts a failure). Returns only
// when a worker cannot be started (the service is then reported stopped with an error).
void superviseWorkers(const std::u16string& commandLine, const SupervisionSettings& settings) {
  const ULONGLONG serviceStarted = GetTickCount64();
  PublishedStatus published;
  published.processId = GetCurrentProcessId();
  published.started = processStartTime(GetCurrentProcess());
  publishStatus(published);
  if (settings.readiness && !waitForTargets(*settings.readiness, serviceStarted)) {
    if (stopWasRequested()) endServiceProcess(true);
    endUnreadyWorker(nullptr, nullptr, settings.readiness->timeoutMs);
    endServiceProcess(false);
  }
  RestartHistory history;
  std::mt19937 random(static_cast<uint32_t>(GetTickCount64() ^ (GetCurrentProcessId() << 16)));
  std::uniform_real_distribution<double> jitter(0.0, 1.0);
  bool handlerRegistered = false;
  for (bool first = true;; first = false) {
    WorkerRun run;
    if (!startWorker(commandLine, settings.waitsForStop(), settings, run)) {
      reportStartFailure();
      published.workerPid.reset();
      publishStatus(published);
      return;
    }
    published.workerPid = GetProcessId(run.process.get());
    // Without a readiness gate a worker is ready once it runs (after wait-for, the service runs now).
    published.ready = !settings.readiness || !settings.readiness->ready;
    if (published.ready) reportReady();
    publishStatus(published);
    if (!handlerRegistered) {
      logMessage("registering ConsoleCtrlHandler");
      SetConsoleCtrlHandler(consoleControlHandler, TRUE);
      handlerRegistered = true;
    }
    const ULONGLONG started = run.startedTick;
    // The first worker's gate shares its time with wait-for, from the service's start.
    Gate gate = gateOf(settings, run, first ? serviceStarted : started, [&](ULONGLONG waitedMs) {
      logMessage(runtext::ReadyLog, static_cast<unsigned long>(waitedMs));
      published.ready = true;
      publishStatus(published);
    });
    const WorkerOutcome outcome = awaitWorker(run, gate, settings);
    published.workerPid.reset();
    published.ready = false;
    published.lastExitCode = outcome.exitCode;
    if (stopWasRequested()) {
      publishStatus(published);
      endServiceProcess(true);
    }
    if (outcome.end == WatchEnd::NotReady) {
      publishStatus(published);
      endServiceProcess(false);
    }
    const WorkerEnd end = outcome.end == WatchEnd::Hung ? WorkerEnd::Hung : WorkerEnd::Exited;
    const RestartDecision decision = decideRestart(settings.restart, history, end, outcome.exitCode, started,
                                                   GetTickCount64(), jitter(random));
    const std::string what = workerEndText(end, outcome.exitCode);
    if (decision.kind == RestartDecision::Restart) {
      published.restarts = decision.number;
      published.lastRestart = timeNow();
      published.lastRestartCause = end == WorkerEnd::Hung ? "hung" : "exit";
    }
    publishStatus(published);
    if (decision.kind == RestartDecision::Stop) endServiceProcess(true);
    if (decision.kind == RestartDecision::Fail) {
      if (decision.limitReached) {
        const RestartSettings& r = settings.restart;
        logMessage(runtext::GaveUpLog, what.c_str(), static_cast<unsigned long>(r.limitCount),
                   static_cast<unsigned long>(r.limitWindowMs));
        workerLogGaveUp(r.limitCount, r.limitWindowMs, what);
        char event[512];
        std::snprintf(event, sizeof event, runtext::GaveUpEvent, what.c_str(), static_cast<unsigned long>(r.limitCount),
                      static_cast<unsigned long>(r.limitWindowMs));
        reportEvent(EventType::Error, event);
      }
      endServiceProcess(false);
    }
    if (!announceAndWait(decision, what)) endServiceProcess(true);
  }
}

}  // namespace

void WINAPI serviceMain(DWORD argc, LPSTR* argv) {
  PhaseGuard phase;
  logMessage("service main");
  // With a pre-shutdown timeout the service also takes the pre-shutdown control.
  const bool preshutdown = parseDuration(getConfigString(key::ServicePreshutdownTimeout)).has_value();
  const SupervisionSettings settings = configuredSupervision();
  {
    std::lock_guard<std::mutex> lock(statusLock);
    supervision = Supervision{};
    supervision.status.controlsAccepted = acceptedControls(preshutdown);
    // Behind a readiness gate the service reports start-pending until the gate opens.
    if (settings.readiness) applyGatedStart(supervision, kPendingWaitHint);
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

  if (settings.waitsForStop()) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::lock_guard<std::mutex> lock(statusLock);
    stopEvent = event;
  }
  if (workerLogOpen()) outputSink.store(OutputSink::WorkerLog);
  superviseWorkers(commandLine, settings);
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
  // As the service does, with its stop timeout and its readiness gate; one worker, no restarts
  // and no hang detection.
  SupervisionSettings settings;
  {
    const SupervisionSettings configured = configuredSupervision();
    settings.stopTimeout = configured.stopTimeout;
    settings.readiness = configured.readiness;
  }
  if (settings.waitsForStop()) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::lock_guard<std::mutex> lock(statusLock);
    stopEvent = event;
  }
  outputSink.store(OutputSink::Console);
  SetConsoleCtrlHandler(runConsoleHandler, TRUE);
  const ULONGLONG started = GetTickCount64();
  if (settings.readiness && !waitForTargets(*settings.readiness, started)) {
    if (stopWasRequested()) return 0;
    std::printf(runtext::RunNotReady, static_cast<unsigned long>(settings.readiness->timeoutMs));
    std::fflush(stdout);
    return 1;
  }
  WorkerRun run;
  if (!startWorker(commandLine, true, settings, run)) {
    std::fprintf(stderr, runtext::RunStartFailed, static_cast<unsigned long>(run.startError));
    std::fflush(stderr);
    return 1;
  }
  // The console shows when the gate opens, among the application's own output.
  Gate gate = gateOf(settings, run, started, [](ULONGLONG) {
    std::printf("%s", runtext::RunReady);
    std::fflush(stdout);
  });
  const WorkerOutcome outcome = awaitWorker(run, gate, settings);
  if (outcome.end == WatchEnd::NotReady) {
    std::printf(runtext::RunNotReady, static_cast<unsigned long>(settings.readiness->timeoutMs));
  }
  std::fflush(stdout);
  return static_cast<int>(outcome.exitCode);
}

void awaitServiceMainEnd() {
  // serviceMain ends the process itself after its last log line; the dispatcher may return as
  // soon as the stopped state is reported, which is before that.
  for (int waited = 0; waited < 10000 && serviceMainPhase.load() == 1; waited += 10) Sleep(10);
}

}  // namespace quorv
