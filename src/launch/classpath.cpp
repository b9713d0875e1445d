#include "launch/classpath.h"

#include "config/configured_message.h"
#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "launch/shared_temp.h"

namespace quorv {
namespace {

constexpr const char* kClassPathOption = "-Djava.class.path=";

bool endsWith(const std::string& text, char c) { return !text.empty() && text.back() == c; }

// An "E" entry: the variable's value, one pair of enclosing quotes removed. Gives whether the
// entry was found; ends the process for a mandatory variable that does not exist.
bool appendEnvironmentEntry(std::string& classPath, const std::string& name, bool mandatory,
                            const LaunchSystem& system) {
  std::string value;
  const EnvironmentLookup lookup = system.environment(name, value);
  if (lookup != EnvironmentLookup::Value) {
    if (mandatory && lookup == EnvironmentLookup::Undefined) {
      fatalConfiguredError(key::MsgEnvUndefined, name.c_str());
    }
    return false;
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  classPath += value;
  if (!endsWith(value, ';')) classPath += ';';
  return true;
}

}  // namespace

std::string archivePattern(const std::string& directory, const std::string& extension) {
  std::string pattern = directory + "\\*";
  if (extension.empty() || extension.front() != '.') pattern += '.';
  return pattern + extension;
}

bool appendArchives(std::string& classPath, const std::string& directory,
                    const std::string& extension, const LaunchSystem& system) {
  if (!system.fileExists(directory)) return false;
  for (const auto& name : system.listArchives(directory, extension)) {
    classPath += system.resolvePath(directory + "\\" + name, nullptr);
    classPath += ';';
  }
  return true;
}

void appendConfiguredClassPath(std::string& classPath, const LaunchSystem& system) {
  const std::string configured = getConfigString(key::ClassPath);
  logMessage("classpath entry %s", configured.c_str());
  std::size_t start = 0;
  while (start < configured.size()) {
    std::size_t end = configured.find(';', start);
    if (end == std::string::npos) end = configured.size();
    const std::string entry = configured.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    if (entry.size() < 2) {
      logMessage("classpath entry %s has no mandatory mark, skipped", entry.c_str());
      continue;
    }
    std::string text = entry.substr(2);
    warnOfSharedTempReference("classpath entry", text);
    system.expand(text);
    const bool mandatory = entry[1] == '1';
    bool found = false;
    switch (entry[0]) {
      case 'A':
      case 'D': {
        const std::string resolved = system.resolvePathList(text);
        classPath += resolved;
        classPath += ';';
        found = system.fileExists(resolved);
        break;
      }
      case 'E':
        found = appendEnvironmentEntry(classPath, text, mandatory, system);
        break;
      case 'S': {
        const std::string directory = system.resolvePath(text, nullptr);
        const bool jars = appendArchives(classPath, directory, "jar", system);
        const bool zips = appendArchives(classPath, directory, "zip", system);
        found = jars || zips;
        break;
      }
      default:
        // An entry of an unknown type adds nothing and is never missing.
        logMessage("classpath entry %s has an unknown type, skipped", entry.c_str());
        found = true;
        break;
    }
    if (mandatory && !found) fatalConfiguredError(key::MsgNotFound, text.c_str());
  }
}

std::string buildClassPath(const ClassPathOverrides& overrides, const LaunchSystem& system) {
  std::string classPath = kClassPathOption;
  if (overrides.prepend) {
    classPath += *overrides.prepend;
    classPath += ';';
  }
  if (!tempDirectory.empty()) {
    appendArchives(classPath, tempDirectory, "jar", system);
    appendArchives(classPath, tempDirectory, "zip", system);
    const std::string user = tempDirectory + "\\user";
    appendArchives(classPath, user, "jar", system);
    appendArchives(classPath, user, "zip", system);
  }
  if (launcherFlavour == 'z') {
    std::string installation = system.resolveFullPath(getConfigString(key::InstallationDir), true);
    if (!endsWith(installation, '\\')) installation += '\\';
    classPath += installation + ".zentrilex\\zlxruntime.jar;";
  }
  if (overrides.replace) {
    classPath += *overrides.replace;
  } else {
    appendConfiguredClassPath(classPath, system);
  }
  if (overrides.append) {
    if (!endsWith(classPath, ';')) classPath += ';';
    classPath += *overrides.append;
  }
  return classPath;
}

}  // namespace quorv
