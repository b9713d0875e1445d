#include "service/worker_process_win.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/globals.h"
#include "core/split.h"
#include "diag/log.h"
#include "launch/service_bridge.h"
#include "service/control_win.h"
#include "service/output_sink_win.h"
#include "service/service_events_win.h"
#include "service/supervision.h"
#include "service/worker_log_win.h"

namespace quorv {
namespace {

// A job that ends its processes when its last handle closes, so that whatever the worker
// started ends with it. None when the system refuses one.
UniqueHandle createWorkerJob() {
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) {
    logMessage("CreateJobObject error (%d)", static_cast<int>(GetLastError()));
    return job;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    logMessage("SetInformationJobObject error (%d)", static_cast<int>(GetLastError()));
    job.reset();
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

// An event that the worker inherits, named to it in the environment variable `variable` (with
// the heartbeat's interval, when given); without `wanted`, the variable is removed.
void shareEvent(bool wanted, const char* variable, std::optional<uint32_t> intervalMs, UniqueHandle& event) {
  if (wanted) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    event.reset(CreateEventW(&inherit, FALSE, FALSE, nullptr));
    if (!event) logMessage("CreateEvent error (%d)", static_cast<int>(GetLastError()));
  }
  const std::string value =
      event ? eventVariableText({reinterpret_cast<uintptr_t>(event.get()), intervalMs}) : std::string();
  SetEnvironmentVariableA(variable, value.empty() ? nullptr : value.c_str());
}

// HKLM "SOFTWARE\kelvara\quorv\priority", value named by the service: 4 bytes or nothing.
DWORD workerPriorityClass() {
  DWORD priority = NORMAL_PRIORITY_CLASS;
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\kelvara\\quorv\\priority", 0, KEY_READ, key.out()) !=
      ERROR_SUCCESS) {
    key.release();
    return priority;
  }
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExA(key.get(), serviceName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      size == sizeof(value)) {
    if (isPriorityClass(value)) {
      logMessage("using priority %d", static_cast<int>(value));
      priority = value;
    } else {
      logMessage("ignoring priority %d: not a priority class", static_cast<int>(value));
    }
  }
  return priority;
}

}  // namespace

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
             settings.heartbeat ? std::optional<uint32_t>(settings.heartbeat->intervalMs) : std::nullopt, run.heartbeat);
  shareEvent(settings.notifies(), kReadyVariable, std::nullopt, run.ready);
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

  if (inJob) run.job = createWorkerJob();
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
  const UniqueHandle thread(worker.hThread);
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
  run.drain = startOutputDrain(std::move(outputRead));
  handOverWorker(std::move(inputWrite), run.process.get());
  return true;
}

void endWorkerProcess(HANDLE process, HANDLE job) {
  if (job == nullptr || !TerminateJobObject(job, kTimedOutExitCode)) TerminateProcess(process, kTimedOutExitCode);
  WaitForSingleObject(process, INFINITE);
}

}  // namespace quorv
