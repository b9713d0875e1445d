#include <windows.h>

#include "files/paths.h"
#include "diag/log.h"
#include "launch/vmoptions.h"

namespace quorv {

std::FILE* openDefaultVmOptionsFile(std::string* path) {
  const std::string& executable = getExecutablePath();
  std::string longPath(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetLongPathNameA(executable.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (length == 0) {
      longPath = executable;  // no long form: the path as it is
      break;
    }
    if (length < longPath.size()) {
      longPath.resize(length);
      break;
    }
    longPath.assign(length + 1, '\0');
  }
  const std::string first = defaultVmOptionsCandidate1(longPath);
  std::FILE* file = std::fopen(first.c_str(), "r");
  logMessage("vmoptions: exe file: %s, long: %s, opts1: %s, file: %p", executable.c_str(),
             longPath.c_str(), first.c_str(), static_cast<void*>(file));
  if (file != nullptr) {
    if (path) *path = first;
    return file;
  }
  const std::string second = defaultVmOptionsCandidate2(longPath);
  file = std::fopen(second.c_str(), "r");
  logMessage("vmoptions: opts2: %s, file: %p", second.c_str(), static_cast<void*>(file));
  if (path) *path = file != nullptr ? second : std::string();
  return file;
}

}  // namespace quorv
