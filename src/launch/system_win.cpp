#include <windows.h>

#include "files/paths.h"
#include "launch/classpath.h"
#include "launch/expand.h"
#include "launch/system.h"

namespace quorv {
namespace {

// Calls `call` (buffer, size) -> needed length until the buffer is big enough.
template <typename Call>
bool fillString(std::string& out, Call call) {
  out.assign(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = call(out.data(), static_cast<DWORD>(out.size()));
    if (length == 0) return false;
    if (length < out.size()) {
      out.resize(length);
      return true;
    }
    out.assign(length + 1, '\0');
  }
}

EnvironmentLookup environmentVariable(const std::string& name, std::string& value) {
  value.clear();
  SetLastError(ERROR_SUCCESS);
  if (fillString(value, [&](char* b, DWORD n) { return GetEnvironmentVariableA(name.c_str(), b, n); })) {
    return EnvironmentLookup::Value;
  }
  value.clear();
  return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? EnvironmentLookup::Undefined
                                                  : EnvironmentLookup::NoValue;
}

// The full, long, lower-cased form of a path, so that the names of one file compare equal.
std::string fileIdentity(const std::string& path) {
  std::string full;
  if (!fillString(full, [&](char* b, DWORD n) { return GetFullPathNameA(path.c_str(), n, b, nullptr); })) {
    full = path;
  }
  std::string longForm;
  if (fillString(longForm, [&](char* b, DWORD n) { return GetLongPathNameA(full.c_str(), b, n); })) {
    full = longForm;
  }
  lowerCasePath(full);
  return full;
}

LaunchSystem makeWindowsLaunchSystem() {
  LaunchSystem system;
  system.expand = [](std::string& text) { expandVariables(text); };
  system.resolvePath = [](const std::string& path, const std::string* baseFile) {
    return resolvePath(path, baseFile);
  };
  system.resolvePathList = [](const std::string& list) { return resolvePathList(list); };
  system.resolveFullPath = [](const std::string& path, bool keepCase) {
    return resolveFullPath(path, keepCase);
  };
  system.fileExists = [](const std::string& path) { return fileExists(path); };
  system.openText = [](const std::string& path) { return std::fopen(path.c_str(), "r"); };
  system.fileIdentity = fileIdentity;
  system.environment = environmentVariable;
  system.listArchives = [](const std::string& directory, const std::string& extension) {
    return listArchives(directory, extension);
  };
  return system;
}

}  // namespace

std::optional<std::string> environmentValue(const char* name) {
  std::string value;
  if (environmentVariable(name, value) == EnvironmentLookup::Undefined) return std::nullopt;
  return value;
}

const LaunchSystem& windowsLaunchSystem() {
  static const LaunchSystem system = makeWindowsLaunchSystem();
  return system;
}

}  // namespace quorv
