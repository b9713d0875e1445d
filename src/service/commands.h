// Service commands run from a console: install, uninstall, start, stop, status, restart.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace quorv {

// 2 automatic, 3 on demand. `refused` (may be null) is set when the install stopped before
// touching any registration because the account or its password was missing or wrong.
int cmdInstall(int startType, bool interactive, bool* refused = nullptr);
// The exit status of an install that registered the service but could not apply every setting
// of it (each failure printed with its error code).
constexpr int kInstallIncomplete = 2;
int cmdUninstall(bool report);
int cmdStart();
int cmdStop(bool report);
int cmdStatus();
// Stop (waiting as cmdStop does), then start; a stopped service is just started.
int cmdRestart();
// The converging install: cmdInstall for a missing service, else the registration brought in line
// with the configuration without a stop (configure_win.cpp). 0 up to date or updated, 2 when a
// setting could not be applied, 1 when nothing could be done.
int cmdConfigure(int startType, bool interactive);

// Portable rules of the commands (service_rules.cpp).

// The dependency block of key 149 for CreateServiceA: each name of the comma-separated list
// followed by a NUL, and one more NUL after the last; nothing when the key is empty. Empty
// pieces (runs of commas, commas at either end) give no name; blanks are kept.
std::optional<std::string> buildDependencyList();
std::optional<std::string> dependencyListOf(const std::string& text);

// The executable path as the service registration holds it: in double quotes when it contains
// a blank, so that the Service Control Manager does not try its prefixes first and the service
// process gets its own path back whole when it splits its command line; also when it contains a
// single quote, which that splitter would otherwise take for the start of a quoted part.
std::string serviceBinaryPath(const std::string& executablePath);

// What waitForServiceStop needs from the system, so that its rule can be checked on its own.
struct StopWaitStatus {
  uint32_t currentState;
  uint32_t checkPoint;
  uint32_t waitHint;
};
struct StopWaitSystem {
  bool (*queryStatus)(void* context, StopWaitStatus& status);
  uint32_t (*tickCount)(void* context);
  void (*sleep)(void* context, uint32_t milliseconds);
  void* context;
};
// Polls every 500 ms while the service is stop-pending; gives up once the wait hint has passed
// without a new check point. True when the service ended stopped.
bool waitForStop(const StopWaitSystem& system);

// System side (commands_win.cpp). `service` is an SC_HANDLE opened with SERVICE_QUERY_STATUS.
bool waitForServiceStop(void* service);

}  // namespace quorv
