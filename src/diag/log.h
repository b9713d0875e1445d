// Diagnostic log: one line per call, written only when QUORV_LOG or ZENTRILEX_LOG is "yes".
// The launcher implements it in log_win.cpp; host tests link a recorder instead.
#pragma once
#include <optional>
#include <string>

namespace quorv {

void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The log file's path, or nothing when logging is off. Does not switch the log on.
std::optional<std::string> getLogPath();
// Whether log lines are written. Before the first line it tells whether they will be tried;
// neither creates the log.
bool logIsOn();

}  // namespace quorv
