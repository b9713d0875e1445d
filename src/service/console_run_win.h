// app.exe /run [name]: the service's worker, started and supervised as the service process does,
// its output on this console.
#pragma once

namespace quorv {

// Returns the worker's exit code (1 when it could not be started or did not become ready).
int cmdRun();

}  // namespace quorv
