// Path resolution of a launcher installed in C:\app\, for tests and fuzz targets that hand the
// launch rules a LaunchSystem of their own.
#pragma once
#include <string>

#include "files/paths.h"
#include "launch/system.h"

namespace quorv::test {

inline const std::string kExeDir = "C:\\app\\";

// resolvePath (relative to the base file's directory, else to kExeDir), resolvePathList and
// resolveFullPath as the launcher resolves against its own directory.
inline void resolveAgainstExeDir(LaunchSystem& system) {
  system.resolvePath = [](const std::string& path, const std::string* baseFile) {
    std::string directory = kExeDir;
    if (baseFile) directory = baseFile->substr(0, baseFile->find_last_of('\\') + 1);
    return resolveAgainst(directory, path);
  };
  system.resolvePathList = [](const std::string& list) { return resolveListAgainst(kExeDir, list); };
  system.resolveFullPath = [](const std::string& path, bool) { return resolveAgainst(kExeDir, path); };
}

}  // namespace quorv::test
