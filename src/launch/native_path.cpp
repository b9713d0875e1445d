#include "launch/native_path.h"

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "launch/shared_temp.h"

namespace quorv {

std::string nativeLibraryPathValue(const std::optional<std::string>& oldPath,
                                   const LaunchSystem& system) {
  std::string directories = getConfigString(key::NativeLibDirs);
  logMessage("native lib dir is %s", directories.c_str());
  warnOfSharedTempReference("native lib dir", directories);
  system.expand(directories);
  std::string value = system.resolvePathList(directories);
  if (!value.empty() && value.back() != ';') value += ';';
  if (oldPath) value += *oldPath;
  return value;
}

}  // namespace quorv
