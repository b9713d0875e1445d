// The service's event source: the registry entry that names this executable as the file whose
// message table shows the service's entries in the Application event log.
#pragma once
#include <string>

namespace quorv {

// HKLM "SYSTEM\CurrentControlSet\Services\EventLog\Application\<name>".
std::string eventSourceKey(const std::string& name);

// Creates or replaces the entry: "EventMessageFile" the executable's path, "TypesSupported"
// error, warning and information. False when the registry refused it.
bool registerEventSource(const std::string& name, const std::string& executablePath);

// Removes the entry; nothing when there is none.
void removeEventSource(const std::string& name);

}  // namespace quorv
