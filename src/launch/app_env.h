// The worker's own environment variables ([app.env], configuration key 30402), set before
// anything else the worker does, so that the JVM search, the variable expansion and the
// application see them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

struct EnvironmentSetting {
  std::string name;
  std::string value;  // empty: the variable is removed
};

// The stored text: one "NAME=value" line per variable, lines separated by a line feed. A line
// without "=" or with an empty name is skipped.
std::vector<EnvironmentSetting> parseAppEnvironment(std::string_view stored);

// The variables of the stored text with every ${NAME} reference in a value replaced from the
// given environment block (the service's own variables, before any of these is set), as the
// environment pass of the variable expansion replaces them. A reference that matches nothing
// stays as written.
std::vector<EnvironmentSetting> workerEnvironment(std::string_view stored, const char* environmentBlock);

// System side: sets the configured variables in the worker's environment (Win32 and the C
// run-time's copy). Does nothing when none are configured.
void setWorkerEnvironment();

}  // namespace quorv
