// Version texts of Java runtimes: the limits check, the looser pre-filter for registry version
// names, the first line of "java -version" and the byte-wise order used to rank versions.
// The text limits compare unsigned bytes; only the release limits (jvm/release.h) read a number.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

// Compares the first limit.size() bytes of version with limit; a version that ends early counts
// lower. An empty limit compares equal. Gives <0, 0 or >0.
int compareOverLimit(std::string_view version, std::string_view limit);
// True when the text holds "beta", "ea" or "rc" anywhere (case-sensitive).
bool hasBetaMarker(std::string_view version);
// The beta rule (with configuration key 130), both text limits and the release limits, for a
// probed or cached version.
bool isVersionAcceptable(const std::string& version, const std::string& minimum,
                         const std::string& maximum, bool allowBeta);
// Pre-filter for version names of registry keys: compares over the shorter of the two lengths,
// then applies the release limits to the name.
bool isVersionNameInRange(const std::string& name, const std::string& minimum,
                          const std::string& maximum);
// Byte-wise order of whole texts; a text that is a prefix of another is smaller.
bool isVersionGreater(std::string_view version, std::string_view other);
// Ascending byte-wise order; callers try the names from the back (the greatest) to the front.
void sortVersionNames(std::vector<std::string>& names);

// The version from the first line that "-version" printed (with its line end, if any): the text
// after "java version \"" or "openjdk version \"" less its last two characters (the closing
// quote and the line end). False for other lines and when fewer than two characters follow.
bool parseVersionLine(std::string_view line, std::string& version);

}  // namespace quorv
