// The service's event source: the registry entry that names this executable as the file whose
// message table shows the service's entries in the Application event log. An entry of the same
// name that names another file belongs to another program and is never changed.
#pragma once
#include <string>

namespace quorv {

// HKLM "SYSTEM\CurrentControlSet\Services\EventLog\Application\<name>".
std::string eventSourceKey(const std::string& name);

enum class EventSourceResult {
  Registered,  // the entry names this executable now
  Foreign,     // an entry of another program is there; it was left alone
  Failed,      // the registry refused it
};

// Creates the entry, or brings an entry that names this executable up to date: "EventMessageFile"
// the executable's path, "TypesSupported" error, warning and information. An entry that names
// `previousPath` (the program the service was registered with, which /configure replaces) is the
// service's own too. `otherFile` receives the message file of another program's entry.
EventSourceResult registerEventSource(const std::string& name, const std::string& executablePath,
                                      std::string& otherFile, const std::string& previousPath = "");

// Whether the entry exists as registerEventSource writes it for this executable.
bool eventSourceCurrent(const std::string& name, const std::string& executablePath);

// Removes the entry when it names this executable; nothing otherwise.
void removeEventSource(const std::string& name, const std::string& executablePath);

}  // namespace quorv
