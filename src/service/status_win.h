// The service process's published status and /query (service/status.h has the rules).
#pragma once
#include <string>

#include "service/account.h"
#include "service/status.h"

namespace quorv {

// At install: the key the status is published in, which the service's account may write. Quiet:
// a service whose key could not be prepared publishes less, and /query shows less.
void prepareStatusKey(const std::string& name, const ServiceAccount& account);

// The service process: writes `status` as one value; a failure is logged once.
void publishStatus(const PublishedStatus& status);
// When the process behind `process` (a process handle) started, and the time now, ISO 8601 UTC.
std::string processStartTime(void* process);
std::string timeNow();

// app.exe /query [name]: one JSON line; 0 while the service process lives, 3 when stopped, 1 when
// not installed or not readable.
int cmdQuery();

}  // namespace quorv
