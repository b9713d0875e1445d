// Rules of the JVM search over text from outside: the search sequence (key 128) and its fallback
// pass, version texts from "java -version", registry key names and the version cache, and the
// first line of a file (the probe's output, the location files).
//
// The input's lines are: a version, the lower limit, the upper limit, then registry version
// names. The whole input is also taken as a search sequence and as the content of a file.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "jvm/first_line.h"
#include "jvm/load_rules.h"
#include "jvm/pack_rules.h"
#include "jvm/search_rules.h"
#include "jvm/version.h"
#include "support/host_system.h"

namespace {

using namespace quorv;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The byte order of whole texts, as std::string compares them (unsigned bytes).
bool greaterModel(const std::string& a, const std::string& b) { return a > b; }

bool overLimitModel(const std::string& version, const std::string& limit, int sign) {
  const std::string head = version.substr(0, limit.size());
  const int c = head.compare(limit);
  return sign < 0 ? c < 0 : c > 0;
}

bool inRangeModel(const std::string& name, const std::string& min, const std::string& max) {
  if (name.substr(0, min.size()) < min.substr(0, name.size())) return false;
  if (name.substr(0, max.size()) > max.substr(0, name.size())) return false;
  return true;
}

// The first line as read from a real file: a memory file descriptor behind a path.
void checkFirstLineOfFile(std::string_view input) {
  static int fd = memfd_create("first-line", 0);
  if (fd < 0) return;
  if (ftruncate(fd, 0) != 0 || pwrite(fd, input.data(), input.size(), 0) != static_cast<ssize_t>(input.size())) {
    return;
  }
  std::string line = "unchanged";
  const bool read = readFirstLine("/proc/self/fd/" + std::to_string(fd), line);
  const std::size_t end = input.find('\n');
  const std::string_view expected = input.substr(0, end == std::string_view::npos ? end : end + 1);
  check(read == !expected.empty());
  check(read ? line == expected : line == "unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::resetHost();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    lines.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  lines.resize(std::max<std::size_t>(lines.size(), 3));
  const std::string& version = lines[0];
  const std::string& min = lines[1];
  const std::string& max = lines[2];
  std::vector<std::string> names(lines.begin() + 3, lines.end());

  // Limits.
  check(compareOverLimit(version, "") == 0);
  const bool acceptable = !overLimitModel(version, min, -1) && !overLimitModel(version, max, +1);
  check(isVersionAcceptable(version, min, max, true) == acceptable);
  configStore().strings[key::AllowBeta] = "0";
  check(isVersionAcceptable(version, min, max, false) == (acceptable && !hasBetaMarker(version)));
  configStore().strings[key::AllowBeta] = "1";
  check(isVersionAcceptable(version, min, max, false) == acceptable);
  check(hasBetaMarker(version) == (version.find("beta") != std::string::npos ||
                                   version.find("ea") != std::string::npos ||
                                   version.find("rc") != std::string::npos));
  check(isVersionNameInRange(version, min, max) == inRangeModel(version, min, max));

  // Order.
  check(isVersionGreater(version, min) == greaterModel(version, min));
  check(!(isVersionGreater(version, min) && isVersionGreater(min, version)));
  std::vector<std::string> sorted = names;
  sortVersionNames(sorted);
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  check(sorted == expected);

  // Candidates: the strictly greater version wins, the first of equal ones stays.
  JvmChoice best;
  for (const auto& name : names) offerCandidate(best, "C:\\" + name + "\\bin\\java.exe", name);
  if (!names.empty()) {
    const std::string greatest = *std::max_element(names.begin(), names.end());
    // An empty version never beats the empty start.
    check(best.found == !greatest.empty());
    if (best.found) check(best.version == greatest && best.exe == "C:\\" + greatest + "\\bin\\java.exe");
  }
  JvmChoice other{"x", version, true};
  const JvmChoice* preferred = preferStrictlyGreater(best, other);
  check(preferred == (best.found && greaterModel(best.version, version) ? &best : &other));
  check(preferStrictlyGreater(JvmChoice{}, JvmChoice{}) == nullptr);
  const std::string current = currentVersionKey(min, max);
  check(current == (greaterModel(min, max) ? std::string(kJavaSoftJdkKey) + "\\" + min
                                           : std::string(kJavaSoftJreKey) + "\\" + max));

  // The probe's first line.
  const std::size_t firstEnd = input.find('\n');
  const std::string_view firstLine = input.substr(0, firstEnd == std::string_view::npos ? firstEnd : firstEnd + 1);
  std::string parsed = "unchanged";
  const bool hasVersion = parseVersionLine(firstLine, parsed);
  std::size_t prefix = 0;
  if (firstLine.starts_with("java version \"")) prefix = 14;
  if (firstLine.starts_with("openjdk version \"")) prefix = 17;
  check(hasVersion == (prefix > 0 && firstLine.size() >= prefix + 2));
  if (hasVersion) check(parsed == firstLine.substr(prefix, firstLine.size() - prefix - 2));
  else check(parsed == "unchanged");
  checkFirstLineOfFile(input);

  // The search sequence and its fallback pass.
  const std::vector<SearchEntry> entries = parseSearchSequence(input);
  const std::vector<std::string> pieces = splitNonEmpty(input);
  check(entries.size() == pieces.size());
  std::string joined, rejoined;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SearchEntry& entry = entries[i];
    check(entry.type + entry.location == pieces[i]);
    check(pieces[i].find(';') == std::string::npos);
    const bool absolute = entry.location.size() > 1 &&
                          (entry.location[1] == ':' || entry.location.compare(0, 2, "\\\\") == 0);
    check(isAbsoluteLocation(entry.location) == absolute);
    const bool fallback = entry.type == 'B' || ((entry.type == 'A' || entry.type == 'R') && !absolute);
    check(isTriedInFallbackPass(entry) == fallback);
    joined += pieces[i] + ";";
  }
  for (const char c : input) {
    if (c != ';' || (!rejoined.empty() && rejoined.back() != ';')) rejoined.push_back(c);
  }
  if (!rejoined.empty() && rejoined.front() == ';') rejoined.erase(0, 1);
  if (!rejoined.empty() && rejoined.back() != ';') rejoined.push_back(';');
  check(joined == rejoined);

  // Paths made from the texts.
  std::string line = version;
  stripLineEnds(line);
  check(line.empty() || (line.back() != '\r' && line.back() != '\n'));
  check(version.compare(0, line.size(), line) == 0);
  const std::string key = versionCacheKeyName(version);
  const std::string keyPrefix = kVersionCacheKey;
  check(key.compare(0, keyPrefix.size(), keyPrefix) == 0 && key.size() == keyPrefix.size() + version.size());
  check(key.find('\\', keyPrefix.size()) == std::string::npos);
  check(withForwardSlashes(withBackslashes(version)).find('\\') == std::string::npos);
  const auto exists = [](const std::string& path) { return path.size() % 2 == 0; };
  const JavaExeChoice exe = chooseJavaExe(version, (size & 1) != 0, exists);
  check(exe.exe.compare(0, version.size(), version) == 0);
  (void)javawPathFor(version);
  (void)executableDirectoryFor(version);
  (void)secondAttemptPath(version);
  (void)jvmDllPath(version, min);
  for (int kind = 0; kind <= 4; ++kind) (void)loadFailureMessage(static_cast<JvmSource>(kind), version);
  (void)targetJarPath(packFilePath(version, min));
  (void)unpackCommandLine(version, min);
  return 0;
}
