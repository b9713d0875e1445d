// The search for a Java runtime inside the configured version limits (configuration keys 126
// and 127), along the search sequence of configuration key 128 and the fixed steps around it.
#pragma once
#include <windows.h>

#include <string>

#include "jvm/search_rules.h"

namespace quorv {

// On success javaExe holds the accepted executable's full, lower-cased path; location holds the
// text that the kind names (see JvmSource). Never ends the process.
JvmSource searchJvm(std::string& javaExe, std::string& location);

// The checks of the candidate kinds; each leaves the executable it examined in javaExe.
bool checkJavaHomeLocation(std::string& javaExe, const std::string& location,
                           const std::string& minimum, const std::string& maximum, bool skipVersion);
bool checkJavaHomeFromEnv(std::string& javaExe, const std::string& variable,
                          const std::string& minimum, const std::string& maximum);
bool searchPathForJava(std::string& javaExe, const std::string& minimum, const std::string& maximum);
bool findPreviousInstallationJre(std::string& javaExe, HKEY hive, const std::string& minimum,
                                 const std::string& maximum);
bool findRegistryJvm(std::string& javaExe, const std::string& minimum, const std::string& maximum);
bool findJavaSoftJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                     const std::string& maximum);
bool findJavaSoftCurrentVersion(std::string& javaExe, std::string& version,
                                const std::string& minimum, const std::string& maximum);
bool findJavaSoftVersionKeys(const std::string& keyPath, std::string& javaExe,
                             std::string& version, const std::string& minimum,
                             const std::string& maximum);
bool findLocatedJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                    const std::string& maximum);
bool findLocatedJvms(HKEY hive, JvmChoice& best, const std::string& minimum,
                     const std::string& maximum);

// The first line of a location file under the installation directory (configuration key
// 10003), line ends removed; true when a line was read, even an empty one.
bool readJreConfigFile(const std::string& relativeName, std::string& line);

}  // namespace quorv
