// Rules of the JVM search that need no system call: the search sequence, the fallback pass, the
// executable of a Java home, the version cache's key name and the choice between candidates.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

// How the accepted runtime was found; LoadDLL words its failure message by it.
enum class JvmSource : int {
  None = 0,
  SearchPath = 1,   // S entries; location: the entry's text after expansion
  Location = 2,     // location files, A/B/R entries; location: the location as tested
  Environment = 3,  // E entries, fixed variables; location: the variable's name
  Registry = 4,     // Y entries, previous installations; location not set
};

constexpr const char* kPreferredLocationFile = "\\.zentrilex\\pref_jre.cfg";
constexpr const char* kInstallerLocationFile = "\\.zentrilex\\inst_jre.cfg";
constexpr const char* kVersionCacheKey = "SOFTWARE\\kelvara\\quorv\\jvms\\";
constexpr const char* kLocatedJvmsKey = "SOFTWARE\\kelvara\\quorv\\locatedjvms\\";
constexpr const char* kInstallationsKey = "SOFTWARE\\kelvara\\zentrilex\\installations";
constexpr const char* kJavaSoftJreKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
constexpr const char* kJavaSoftJdkKey = "SOFTWARE\\JavaSoft\\Java Development Kit";
constexpr const char* kFixedJavaHomeVariables[] = {"QUORV_JAVA_HOME", "ZENTRILEX_JAVA_HOME"};

// One entry of the search sequence (configuration key 128): a type letter and a location text.
struct SearchEntry {
  char type;
  std::string location;
};

// Entries separated by ";"; empty entries are skipped.
std::vector<SearchEntry> parseSearchSequence(std::string_view sequence);
// Non-empty pieces of a ";"-separated list, in order.
std::vector<std::string> splitNonEmpty(std::string_view list);
// Longer than one character, with a colon second or beginning with two backslashes.
bool isAbsoluteLocation(std::string_view location);
// The fallback pass tries B entries always, A and R entries only with a relative text.
bool isTriedInFallbackPass(const SearchEntry& entry);
// Removes all trailing carriage returns and line feeds.
void stripLineEnds(std::string& line);
// "/" to "\".
std::string withBackslashes(std::string text);
// "\" to "/".
std::string withForwardSlashes(std::string text);

// The executable of a Java home: home\jre\bin\java.exe, which must exist unless a JDK is
// required (then ok tells whether home\lib\tools.jar exists); else home\bin\java.exe.
struct JavaExeChoice {
  std::string exe;
  bool ok;
};
JavaExeChoice chooseJavaExe(const std::string& home, bool jdkRequired,
                            bool (*exists)(const std::string& path));
// A path ending in "java.exe" with its last four characters replaced by "w.exe".
std::string javawPathFor(const std::string& javaExe);
// Registry key of the version cache for a resolved, lower-cased executable path.
std::string versionCacheKeyName(const std::string& javaExe);
// The key that "CurrentVersion" of the vendor's keys points to: the development kit only when
// its version compares greater than the runtime's.
std::string currentVersionKey(const std::string& jdkVersion, const std::string& jreVersion);

// A candidate with its version; `found` tells whether anything was taken.
struct JvmChoice {
  std::string exe;
  std::string version;
  bool found = false;
};
// Takes the candidate only when its version compares strictly greater than the best so far, so
// that among equal versions the first one offered stays.
void offerCandidate(JvmChoice& best, const std::string& exe, const std::string& version);
// Of two results, the first only when the second is missing or the first's version compares
// strictly greater; ties go to the second. Gives nullptr when neither was found.
const JvmChoice* preferStrictlyGreater(const JvmChoice& first, const JvmChoice& second);

}  // namespace quorv
