// The service process's own entries in the Application event log, beside the fatal messages
// that every process writes there (diag/event_log_win.h).
#pragma once
#include <string>

#include "diag/event_log_win.h"

namespace quorv {

namespace text {
constexpr const char* WorkerStartFailedEvent = "The worker process could not be started (error %lu): %s";
}  // namespace text

// CreateProcessW refused the worker's command line with `error`.
void reportWorkerStartFailure(const std::string& commandLine, unsigned long error);

}  // namespace quorv
