// Part of the JVM search that judges one candidate executable.
#include "jvm/check_win.h"

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "files/paths.h"
#include "jvm/search_rules.h"
#include "jvm/version.h"

namespace quorv {

bool useVersionCache = true;

bool javaExeForHome(const std::string& home, std::string& javaExe) {
  JavaExeChoice choice = chooseJavaExe(home, getConfigInt(key::JdkRequired) != 0,
                                       [](const std::string& path) { return fileExists(path); });
  javaExe = choice.exe;
  return choice.ok;
}

bool checkJavaExe(std::string& javaExe, std::string& version, const std::string& minimum,
                  const std::string& maximum, bool allowBeta) {
  logMessage("checkJavaExe (%s, [out], %s, %s, %d)", javaExe.c_str(), minimum.c_str(),
             maximum.c_str(), allowBeta ? 1 : 0);
  javaExe = resolveFullPath(javaExe, false);
  bool result = false;
  uint64_t writeTime = 0;
  if (!getFileWriteTime(javaExe, &writeTime)) {
    logMessage("file doesn't exist");
  } else {
    logMessage("file exists");
    version.clear();
    if (useVersionCache && readCachedJavaVersion(javaExe, writeTime, version)) {
      logMessage("got version from registry %s", version.c_str());
      result = isVersionAcceptable(version, minimum, maximum, allowBeta);
    } else if (probeJavaVersion(javaExe, writeTime, version)) {
      logMessage("got version from execution %s", version.c_str());
      writeCachedJavaVersion(javaExe, writeTime, version);
      result = isVersionAcceptable(version, minimum, maximum, allowBeta);
    } else {
      logMessage("couldn't get version");
    }
  }
  if (result && getConfigInt(key::LauncherKind) == key::KindGuiJavaw) {
    javaExe = javawPathFor(javaExe);
    result = fileExists(javaExe);
  }
  logMessage("checkJavaExe returning %d", result ? 1 : 0);
  return result;
}

bool verifyJavaExe(std::string& javaExe, const std::string& minimum, const std::string& maximum,
                   bool allowBeta, bool useCache) {
  useVersionCache = useCache;
  std::string scratch;
  bool result = checkJavaExe(javaExe, scratch, minimum, maximum, allowBeta);
  useVersionCache = true;
  return result;
}

}  // namespace quorv
