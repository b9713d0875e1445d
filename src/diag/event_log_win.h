// Entries in the Windows Application event log under the service's name as their source.
// Only the service process and a worker that its service process started write there; a
// console run (a service command, a worker typed by hand or started by a console run) writes
// nothing.
#pragma once
#include <string>

namespace quorv {

enum class EventType { Error, Warning, Information };

// The message table entry every event uses: its text is the event's one string, "%1".
constexpr unsigned long kEventMessageId = 1;

// The service process, once the service dispatcher has called its service main: events go
// under `source` (the name the Service Control Manager runs the service under).
void eventLogForServiceProcess(const std::string& source);

// A worker (restart marker last): `source` is the service name that its command line begins
// with. Whether its parent is a service process of this launcher is looked up on the first
// event.
void eventLogForWorker(const std::u16string& source);

// Whether events are written by this process (decides a worker's case on the first call).
bool eventLogIsOn();

// Writes one entry with `text` (ANSI code page) as its string; nothing in a console run.
// Failures are ignored: the event log is a copy of what the process says elsewhere.
void reportEvent(EventType type, const std::string& text);

}  // namespace quorv
