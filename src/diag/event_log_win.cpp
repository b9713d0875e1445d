// Writing to the Application event log: RegisterEventSourceW, ReportEventW,
// DeregisterEventSource, one entry at a time.
#include "diag/event_log_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <mutex>
#include <string>

#include "core/codepage.h"
#include "core/handle_win.h"

namespace quorv {
namespace {

enum class Role { Console, ServiceProcess, Worker };

std::mutex eventLock;
Role role = Role::Console;
std::u16string eventSource;  // the source name
bool workerDecided = false;
bool workerOfService = false;

DWORD parentProcessId() {
  const DWORD self = GetCurrentProcessId();
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) {
      parent = entry.th32ParentProcessID;
      break;
    }
  }
  return parent;
}

// The service process marks itself with a named event that lives as long as it does; a worker
// looks for its parent's mark. A worker started from a console, by hand or by a console run of
// the application, finds none.
std::wstring serviceMarkName(DWORD pid) {
  return L"Local\\quorv-service-process-" + std::to_wstring(pid);
}

// Caller holds eventLock.
bool isOn() {
  if (role == Role::ServiceProcess) return true;
  if (role != Role::Worker) return false;
  if (!workerDecided) {
    workerDecided = true;
    const DWORD parent = parentProcessId();
    const UniqueHandle mark(parent != 0 ? OpenEventW(SYNCHRONIZE, FALSE, serviceMarkName(parent).c_str())
                                        : nullptr);
    workerOfService = static_cast<bool>(mark);
  }
  return workerOfService;
}

WORD eventTypeCode(EventType type) {
  switch (type) {
    case EventType::Error: return EVENTLOG_ERROR_TYPE;
    case EventType::Warning: return EVENTLOG_WARNING_TYPE;
    case EventType::Information: break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

void eventLogForServiceProcess(const std::string& source) {
  std::lock_guard<std::mutex> lock(eventLock);
  role = Role::ServiceProcess;
  eventSource = ansiToWide(source);
  static HANDLE mark = CreateEventW(nullptr, TRUE, FALSE, serviceMarkName(GetCurrentProcessId()).c_str());
  (void)mark;  // held until the process ends
}

void eventLogForWorker(const std::u16string& source) {
  std::lock_guard<std::mutex> lock(eventLock);
  role = Role::Worker;
  eventSource = source;
  workerDecided = false;
}

bool eventLogIsOn() {
  std::lock_guard<std::mutex> lock(eventLock);
  return isOn();
}

void reportEvent(EventType type, const std::string& text) {
  std::lock_guard<std::mutex> lock(eventLock);
  if (!isOn() || eventSource.empty()) return;
  HANDLE log = RegisterEventSourceW(nullptr, reinterpret_cast<const wchar_t*>(eventSource.c_str()));
  if (log == nullptr) return;
  const std::u16string wide = ansiToWide(text);
  const wchar_t* strings[1] = {reinterpret_cast<const wchar_t*>(wide.c_str())};
  ReportEventW(log, eventTypeCode(type), 0, kEventMessageId, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(log);
}

}  // namespace quorv
