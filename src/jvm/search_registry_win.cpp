// The registry check of the JVM search (type Y): the Java vendor's keys under
// SOFTWARE\JavaSoft and the located JVMs under SOFTWARE\kelvara\quorv\locatedjvms.
#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "jvm/check_win.h"
#include "jvm/registry_win.h"
#include "jvm/search_win.h"
#include "jvm/version.h"

namespace quorv {
namespace {

// "CurrentVersion" of a vendor key, or "" when it cannot be read or lies outside the limits.
std::string currentVersionOf(const char* keyPath, const std::string& minimum, const std::string& maximum) {
  std::string version;
  if (!readRegistryValue(HKEY_LOCAL_MACHINE, keyPath, "CurrentVersion", version) ||
      !isVersionNameInRange(version, minimum, maximum)) {
    return {};
  }
  return version;
}

}  // namespace

bool findRegistryJvm(std::string& javaExe, const std::string& minimum, const std::string& maximum) {
  JvmChoice vendor;
  JvmChoice located;
  vendor.found = findJavaSoftJvm(vendor.exe, vendor.version, minimum, maximum);
  located.found = findLocatedJvm(located.exe, located.version, minimum, maximum);
  if (vendor.found) logMessage("found sun %s %s", vendor.exe.c_str(), vendor.version.c_str());
  if (located.found) logMessage("found located %s %s", located.exe.c_str(), located.version.c_str());
  const JvmChoice* chosen = preferStrictlyGreater(vendor, located);
  if (chosen == nullptr) return false;
  javaExe = chosen->exe;
  return true;
}

bool findJavaSoftJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                     const std::string& maximum) {
  if (findJavaSoftCurrentVersion(javaExe, version, minimum, maximum)) return true;
  if (getConfigInt(key::JdkRequired) == 0 &&
      findJavaSoftVersionKeys(kJavaSoftJreKey, javaExe, version, minimum, maximum)) {
    return true;
  }
  return findJavaSoftVersionKeys(kJavaSoftJdkKey, javaExe, version, minimum, maximum);
}

bool findJavaSoftCurrentVersion(std::string& javaExe, std::string& version,
                                const std::string& minimum, const std::string& maximum) {
  const std::string jdkVersion = currentVersionOf(kJavaSoftJdkKey, minimum, maximum);
  const std::string jreVersion =
      getConfigInt(key::JdkRequired) != 0 ? std::string() : currentVersionOf(kJavaSoftJreKey, minimum, maximum);
  std::string home;
  if (!readRegistryValue(HKEY_LOCAL_MACHINE, currentVersionKey(jdkVersion, jreVersion), "JavaHome", home) ||
      !javaExeForHome(home, javaExe)) {
    return false;
  }
  return checkJavaExe(javaExe, version, minimum, maximum, false);
}

bool findJavaSoftVersionKeys(const std::string& keyPath, std::string& javaExe,
                             std::string& version, const std::string& minimum,
                             const std::string& maximum) {
  const RegistryKey key = openRegistryKey(HKEY_LOCAL_MACHINE, keyPath);
  if (!key) return false;
  std::vector<std::string> names;
  for (std::string& name : enumerateSubkeys(key.get())) {
    if (isVersionNameInRange(name, minimum, maximum)) names.push_back(std::move(name));
  }
  sortVersionNames(names);
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const RegistryKey versionKey = openRegistryKey(key.get(), *name);
    std::string home;
    if (versionKey && queryRegistryString(versionKey.get(), "JavaHome", home) &&
        javaExeForHome(home, javaExe) && checkJavaExe(javaExe, version, minimum, maximum, false)) {
      return true;
    }
  }
  return false;
}

bool findLocatedJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                    const std::string& maximum) {
  JvmChoice user;
  JvmChoice machine;
  findLocatedJvms(HKEY_CURRENT_USER, user, minimum, maximum);
  findLocatedJvms(HKEY_LOCAL_MACHINE, machine, minimum, maximum);
  const JvmChoice* chosen = preferStrictlyGreater(user, machine);
  if (chosen == nullptr) return false;
  javaExe = chosen->exe;
  version = chosen->version;
  return true;
}

bool findLocatedJvms(HKEY hive, JvmChoice& best, const std::string& minimum,
                     const std::string& maximum) {
  const RegistryKey key = openRegistryKey(hive, kLocatedJvmsKey);
  if (!key) return false;
  for (const std::string& name : enumerateSubkeys(key.get())) {
    std::string candidate = withBackslashes(name);
    std::string candidateVersion;
    if (checkJavaExe(candidate, candidateVersion, minimum, maximum, true)) {
      offerCandidate(best, candidate, candidateVersion);
    }
  }
  return best.found;
}

}  // namespace quorv
