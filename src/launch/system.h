// What the launch steps ask of the system: expansion, path resolution, files and the
// environment. The worker fills it with the Win32 versions (system_win.cpp); tests fill the
// members they need with their own.
#pragma once
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorv {

enum class EnvironmentLookup {
  Value,      // the variable holds a non-empty value
  Undefined,  // the variable does not exist
  NoValue,    // the variable exists but yields nothing
};

struct LaunchSystem {
  std::function<void(std::string& text)> expand;
  // A relative path behind the directory of `baseFile`, or of the executable when null.
  std::function<std::string(const std::string& path, const std::string* baseFile)> resolvePath;
  std::function<std::string(const std::string& list)> resolvePathList;
  std::function<std::string(const std::string& path, bool keepCase)> resolveFullPath;
  std::function<bool(const std::string& path)> fileExists;
  // Opens a file for reading in text mode; null when it cannot be opened.
  std::function<std::FILE*(const std::string& path)> openText;
  // The same text for every path that names the same file (the include chain compares them).
  std::function<std::string(const std::string& path)> fileIdentity;
  std::function<EnvironmentLookup(const std::string& name, std::string& value)> environment;
  // Names matching the archive pattern of a directory and an extension, in enumeration order.
  std::function<std::vector<std::string>(const std::string& directory, const std::string& extension)>
      listArchives;
};

// The Win32 versions of all members.
const LaunchSystem& windowsLaunchSystem();
// The value of a process environment variable, whatever its length; nothing when not set.
std::optional<std::string> environmentValue(const char* name);

}  // namespace quorv
