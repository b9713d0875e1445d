#include <windows.h>

#include <cstdlib>

#include "diag/log.h"
#include "launch/launch.h"
#include "launch/native_path.h"

namespace quorv {

void setNativeLibraryPath() {
  const std::string value = nativeLibraryPathValue(environmentValue("PATH"), windowsLaunchSystem());
  if (SetEnvironmentVariableA("PATH", value.c_str())) {
    logMessage("Setting PATH (native libs) %s", value.c_str());
  } else {
    logMessage("Setting PATH (native libs) %s failed with error %d", value.c_str(),
               static_cast<int>(GetLastError()));
  }
  // The runtime library keeps its own copy of the environment; it must agree.
  const std::string entry = "PATH=" + value;
  _putenv(entry.c_str());
}

}  // namespace quorv
