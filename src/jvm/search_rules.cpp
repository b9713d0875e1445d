#include "jvm/search_rules.h"

#include <algorithm>

#include "files/paths.h"
#include "jvm/version.h"

namespace quorv {

std::vector<SearchEntry> parseSearchSequence(std::string_view sequence) {
  std::vector<SearchEntry> entries;
  for (const std::string& piece : splitNonEmpty(sequence)) {
    entries.push_back({piece[0], piece.substr(1)});
  }
  return entries;
}

std::vector<std::string> splitNonEmpty(std::string_view list) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) pieces.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool isAbsoluteLocation(std::string_view location) {
  return location.size() > 1 &&
         (location[1] == ':' || (location[0] == '\\' && location[1] == '\\'));
}

bool isTriedInFallbackPass(const SearchEntry& entry) {
  switch (entry.type) {
    case 'B':
      return true;
    case 'A':
    case 'R':
      return !isAbsoluteLocation(entry.location);
    default:
      return false;
  }
}

void stripLineEnds(std::string& line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
}

std::string withBackslashes(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

std::string withForwardSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

JavaExeChoice chooseJavaExe(const std::string& home, bool jdkRequired,
                            bool (*exists)(const std::string& path)) {
  std::string inJre = home + "\\jre\\bin\\java.exe";
  if (jdkRequired) return {inJre, exists(home + "\\lib\\tools.jar")};
  if (exists(inJre)) return {inJre, true};
  return {home + "\\bin\\java.exe", true};
}

std::string javawPathFor(const std::string& javaExe) {
  if (javaExe.size() < 4) return javaExe + "w.exe";
  return javaExe.substr(0, javaExe.size() - 4) + "w.exe";
}

std::string versionCacheKeyName(const std::string& javaExe) {
  std::string path = javaExe;
  lowerCasePath(path);
  return kVersionCacheKey + withForwardSlashes(path);
}

std::string currentVersionKey(const std::string& jdkVersion, const std::string& jreVersion) {
  if (isVersionGreater(jdkVersion, jreVersion)) {
    return std::string(kJavaSoftJdkKey) + "\\" + jdkVersion;
  }
  return std::string(kJavaSoftJreKey) + "\\" + jreVersion;
}

void offerCandidate(JvmChoice& best, const std::string& exe, const std::string& version) {
  if (!isVersionGreater(version, best.version)) return;
  best = {exe, version, true};
}

const JvmChoice* preferStrictlyGreater(const JvmChoice& first, const JvmChoice& second) {
  if (!first.found) return second.found ? &second : nullptr;
  if (!second.found) return &first;
  return isVersionGreater(first.version, second.version) ? &first : &second;
}

}  // namespace quorv
