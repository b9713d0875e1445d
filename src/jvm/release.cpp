#include "jvm/release.h"

#include <climits>

namespace quorv {

std::optional<int> javaRelease(std::string_view version) {
  std::string_view digits = version.starts_with("1.") ? version.substr(2) : version;
  long long number = 0;
  std::size_t count = 0;
  for (; count < digits.size() && digits[count] >= '0' && digits[count] <= '9'; ++count) {
    number = number * 10 + (digits[count] - '0');
    if (number > INT_MAX) return std::nullopt;
  }
  if (count == 0) return std::nullopt;
  return static_cast<int>(number);
}

bool isReleaseInRange(std::string_view version, int minRelease, int maxRelease) {
  if (minRelease <= 0 && maxRelease <= 0) return true;
  const std::optional<int> release = javaRelease(version);
  if (!release) return false;
  if (minRelease > 0 && *release < minRelease) return false;
  if (maxRelease > 0 && *release > maxRelease) return false;
  return true;
}

}  // namespace quorv
