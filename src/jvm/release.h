// The Java feature release of a version text, and the numeric release limits
// (java.min-release, java.max-release) that apply beside the text limits.
#pragma once
#include <optional>
#include <string_view>

namespace quorv {

// The number after "1." for a text that begins with "1." ("1.8.0_392" is 8, "1.10" is 10), else
// the leading number ("11.0.22" is 11, "17" is 17, "21-ea" is 21). Nothing when the text has no
// such number, or when the number does not fit an int.
std::optional<int> javaRelease(std::string_view version);

// Whether the release of the version lies within the limits. A limit of 0 or less is no limit;
// while a limit is set, a version without a release lies outside.
bool isReleaseInRange(std::string_view version, int minRelease, int maxRelease);

}  // namespace quorv
