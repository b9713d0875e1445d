// The frame of the JVM search: location files, the configured entries in two passes, previous
// installations and the fixed environment variables.
#include "jvm/search_win.h"

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "files/paths.h"
#include "jvm/check_win.h"
#include "jvm/env_win.h"
#include "jvm/first_line.h"
#include "jvm/prepare_win.h"
#include "jvm/registry_win.h"
#include "launch/expand.h"

namespace quorv {

JvmSource searchJvm(std::string& javaExe, std::string& location) {
  logMessage("Searching for a JVM");
  const std::string sequence = getConfigString(key::SearchSequence);
  const std::string minimum = getConfigString(key::MinVersion);
  const std::string maximum = getConfigString(key::MaxVersion);

  std::string line;
  if (readJreConfigFile(kPreferredLocationFile, line)) {
    logMessage("Has preferred location %s", line.c_str());
    if (checkJavaHomeLocation(javaExe, line, minimum, maximum, false)) {
      logMessage("Using preferred location");
      location = line;
      return JvmSource::Location;
    }
  }

  const std::vector<SearchEntry> entries = parseSearchSequence(sequence);
  for (const SearchEntry& entry : entries) {
    std::string text = entry.location;
    expandVariables(text);
    logMessage("Testing location %s (type %c)", text.c_str(), entry.type);
    switch (entry.type) {
      case 'A':
      case 'B':
      case 'R':
        if (checkJavaHomeLocation(javaExe, text, minimum, maximum, false)) {
          location = text;
          return JvmSource::Location;
        }
        break;
      case 'E':
        if (checkJavaHomeFromEnv(javaExe, text, minimum, maximum)) {
          location = text;
          return JvmSource::Environment;
        }
        break;
      case 'S':
        if (searchPathForJava(javaExe, minimum, maximum)) {
          location = text;
          return JvmSource::SearchPath;
        }
        break;
      case 'Y':
        if (findRegistryJvm(javaExe, minimum, maximum)) return JvmSource::Registry;
        break;
      default:
        break;
    }
  }

  if (readJreConfigFile(kInstallerLocationFile, line)) {
    logMessage("Has installer location %s", line.c_str());
    if (checkJavaHomeLocation(javaExe, line, minimum, maximum, false)) {
      logMessage("Using installer location");
      location = line;
      return JvmSource::Location;
    }
  }

  // Directory runtimes shipped with the application, whatever their version.
  for (const SearchEntry& entry : entries) {
    if (!isTriedInFallbackPass(entry)) continue;
    logMessage("Testing relative location %s", entry.location.c_str());
    checkJavaHomeLocation(javaExe, entry.location, minimum, maximum, true);
    if (fileExists(javaExe)) {
      logMessage("%s exists", javaExe.c_str());
      location = entry.location;
      return JvmSource::Location;
    }
  }

  if (findPreviousInstallationJre(javaExe, HKEY_CURRENT_USER, minimum, maximum)) {
    logMessage("found JRE from previous installation (user) %s", javaExe.c_str());
    return JvmSource::Registry;
  }
  if (findPreviousInstallationJre(javaExe, HKEY_LOCAL_MACHINE, minimum, maximum)) {
    logMessage("found JRE from previous installation (machine) %s", javaExe.c_str());
    return JvmSource::Registry;
  }
  logMessage("Search sequence finished");

  for (const char* variable : kFixedJavaHomeVariables) {
    if (checkJavaHomeFromEnv(javaExe, variable, minimum, maximum)) {
      location = variable;
      return JvmSource::Environment;
    }
  }
  return JvmSource::None;
}

bool checkJavaHomeLocation(std::string& javaExe, const std::string& location,
                           const std::string& minimum, const std::string& maximum, bool skipVersion) {
  const std::string home = resolveFullPath(location, false);
  prepareJre(home);
  bool ok = javaExeForHome(home, javaExe);
  if (skipVersion) return true;
  return ok && verifyJavaExe(javaExe, minimum, maximum, true, true);
}

bool checkJavaHomeFromEnv(std::string& javaExe, const std::string& variable,
                          const std::string& minimum, const std::string& maximum) {
  std::string home;
  if (!readEnvironmentVariable(variable.c_str(), home) || home.empty()) return false;
  if (!javaExeForHome(withBackslashes(home), javaExe)) return false;
  return verifyJavaExe(javaExe, minimum, maximum, false, true);
}

bool searchPathForJava(std::string& javaExe, const std::string& minimum, const std::string& maximum) {
  std::string found(MAX_PATH, '\0');
  for (int attempt = 0;; ++attempt) {
    DWORD n = SearchPathA(nullptr, "java.exe", nullptr, static_cast<DWORD>(found.size()),
                          found.data(), nullptr);
    if (n == 0 || attempt == 4) return false;
    if (n < found.size()) {
      found.resize(n);
      break;
    }
    found.assign(n + 1, '\0');
  }
  javaExe = found;
  return verifyJavaExe(javaExe, minimum, maximum, false, true);
}

bool findPreviousInstallationJre(std::string& javaExe, HKEY hive, const std::string& minimum,
                                 const std::string& maximum) {
  const std::string valueName = getConfigString(key::InstallationsValue);
  if (valueName.empty()) return false;
  const RegistryKey key = openRegistryKey(hive, kInstallationsKey);
  if (!key) return false;
  std::string data;
  if (!queryRegistryData(key.get(), valueName.c_str(), data) || data.empty()) return false;
  const std::string installations = data.substr(0, data.find('\0'));
  logMessage("found installations: %s", installations.c_str());
  for (const std::string& directory : splitNonEmpty(installations)) {
    if (javaExeForHome(directory + "\\jre", javaExe) &&
        verifyJavaExe(javaExe, minimum, maximum, false, true)) {
      return true;
    }
  }
  return false;
}

bool readJreConfigFile(const std::string& relativeName, std::string& line) {
  const std::string path = resolveFullPath(getConfigString(key::InstallationDir), true) + relativeName;
  std::string text;
  if (!readFirstLine(path, text)) return false;
  stripLineEnds(text);
  line = std::move(text);
  return true;
}

}  // namespace quorv
