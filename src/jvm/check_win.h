// The check of one Java executable: its path inside a Java home, its version from the per-user
// cache or from running it with "-version", and the version limits.
#pragma once
#include <cstdint>
#include <string>

namespace quorv {

// Read the version cache in checkJavaExe; verifyJavaExe clears it for one check at most.
extern bool useVersionCache;

// The executable of a Java home (see chooseJavaExe); false only for a required JDK without
// lib\tools.jar.
bool javaExeForHome(const std::string& home, std::string& javaExe);
// The full check of one executable. javaExe is replaced by its resolved, lower-cased path (ending
// in "javaw.exe" for launcher kind 1 when the check passed); version receives the version text
// whenever one was obtained.
bool checkJavaExe(std::string& javaExe, std::string& version, const std::string& minimum,
                  const std::string& maximum, bool allowBeta);
// checkJavaExe with a scratch version and the cache switch set for this one check.
bool verifyJavaExe(std::string& javaExe, const std::string& minimum, const std::string& maximum,
                   bool allowBeta, bool useCache);
// Runs the executable with "-version" (at most 60 s) and parses the first line it prints.
bool probeJavaVersion(const std::string& javaExe, uint64_t writeTime, std::string& version);
// The JVM version cache under HKEY_CURRENT_USER, keyed by the executable's path and valid while
// its last-write time is unchanged.
bool readCachedJavaVersion(const std::string& javaExe, uint64_t writeTime, std::string& version);
void writeCachedJavaVersion(const std::string& javaExe, uint64_t writeTime, const std::string& version);

}  // namespace quorv
