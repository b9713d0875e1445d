#include <windows.h>

#include <cstdlib>
#include <memory>

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "launch/app_env.h"

namespace quorv {

void setWorkerEnvironment() {
  const std::string stored = getConfigString(key::AppEnvironment);
  if (stored.empty()) return;
  std::vector<EnvironmentSetting> settings;
  {
    // Every value is taken from the service's own variables before the first one is set.
    std::unique_ptr<char, decltype(&FreeEnvironmentStringsA)> block(GetEnvironmentStringsA(),
                                                                     &FreeEnvironmentStringsA);
    settings = workerEnvironment(stored, block.get());
  }
  for (const EnvironmentSetting& setting : settings) {
    const char* value = setting.value.empty() ? nullptr : setting.value.c_str();
    if (SetEnvironmentVariableA(setting.name.c_str(), value)) {
      logMessage("Setting environment variable %s=%s", setting.name.c_str(), setting.value.c_str());
    } else {
      logMessage("Setting environment variable %s=%s failed with error %d", setting.name.c_str(),
                 setting.value.c_str(), static_cast<int>(GetLastError()));
    }
    // The runtime library keeps its own copy of the environment; it must agree.
    const std::string entry = setting.name + "=" + setting.value;
    _putenv(entry.c_str());
  }
}

}  // namespace quorv
