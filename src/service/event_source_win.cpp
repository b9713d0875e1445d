#include "service/event_source_win.h"

#include <windows.h>

namespace quorv {

std::string eventSourceKey(const std::string& name) {
  return "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name;
}

bool registerEventSource(const std::string& name, const std::string& executablePath) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  bool ok = RegSetValueExA(key, "EventMessageFile", 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(executablePath.c_str()),
                           static_cast<DWORD>(executablePath.size() + 1)) == ERROR_SUCCESS;
  ok = RegSetValueExA(key, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                      sizeof(types)) == ERROR_SUCCESS && ok;
  RegCloseKey(key);
  return ok;
}

void removeEventSource(const std::string& name) {
  if (name.empty()) return;  // never the Application log's own key
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str());
}

}  // namespace quorv
