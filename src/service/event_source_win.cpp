#include "service/event_source_win.h"

#include <windows.h>

#include <vector>

#include "core/ascii.h"
#include "core/handle_win.h"

namespace quorv {
namespace {

constexpr DWORD kEventTypes = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// The message file that an existing entry names, with its environment references expanded;
// nothing when there is no entry. An entry without the value holds the empty text.
bool messageFileOf(const std::string& name, std::string& file) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) {
    return false;
  }
  file.clear();
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), "EventMessageFile", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0 ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return true;
  }
  std::vector<char> value(size + 1, '\0');
  if (RegQueryValueExA(key.get(), "EventMessageFile", nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()),
                       &size) != ERROR_SUCCESS) {
    return true;
  }
  file = value.data();
  if (type == REG_EXPAND_SZ) {
    const DWORD needed = ExpandEnvironmentStringsA(file.c_str(), nullptr, 0);
    std::vector<char> expanded(needed + 1, '\0');
    if (needed > 0 && ExpandEnvironmentStringsA(file.c_str(), expanded.data(), needed) > 0) file = expanded.data();
  }
  return true;
}

}  // namespace

std::string eventSourceKey(const std::string& name) {
  return "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + name;
}

EventSourceResult registerEventSource(const std::string& name, const std::string& executablePath,
                                      std::string& otherFile, const std::string& previousPath) {
  if (name.empty()) return EventSourceResult::Failed;  // never the Application log's own key
  if (messageFileOf(name, otherFile) && !sameAsciiIgnoringCase(otherFile, executablePath) &&
      (previousPath.empty() || !sameAsciiIgnoringCase(otherFile, previousPath))) {
    return EventSourceResult::Foreign;
  }
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return EventSourceResult::Failed;
  }
  const DWORD types = kEventTypes;
  bool ok = RegSetValueExA(key.get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(executablePath.c_str()),
                           static_cast<DWORD>(executablePath.size() + 1)) == ERROR_SUCCESS;
  ok = RegSetValueExA(key.get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                      sizeof(types)) == ERROR_SUCCESS && ok;
  return ok ? EventSourceResult::Registered : EventSourceResult::Failed;
}

bool eventSourceCurrent(const std::string& name, const std::string& executablePath) {
  std::string file;
  if (name.empty() || !messageFileOf(name, file) || !sameAsciiIgnoringCase(file, executablePath)) return false;
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD types = 0, type = 0, size = sizeof types;
  return RegQueryValueExA(key.get(), "TypesSupported", nullptr, &type, reinterpret_cast<BYTE*>(&types), &size) ==
             ERROR_SUCCESS &&
         type == REG_DWORD && types == kEventTypes;
}

void removeEventSource(const std::string& name, const std::string& executablePath) {
  std::string file;
  if (name.empty() || !messageFileOf(name, file) || !sameAsciiIgnoringCase(file, executablePath)) return;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, eventSourceKey(name).c_str());
}

}  // namespace quorv
