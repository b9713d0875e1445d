#include "jvm/version.h"

#include <algorithm>

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "jvm/release.h"

namespace quorv {
namespace {

int compareBytes(std::string_view a, std::string_view b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i >= a.size()) return i >= b.size() ? 0 : -1;
    if (i >= b.size()) return 1;
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

int compareOverLimit(std::string_view version, std::string_view limit) {
  return compareBytes(version, limit, limit.size());
}

bool hasBetaMarker(std::string_view version) {
  for (std::string_view marker : {"beta", "ea", "rc"}) {
    if (version.find(marker) != std::string_view::npos) return true;
  }
  return false;
}

bool isVersionAcceptable(const std::string& version, const std::string& minimum,
                         const std::string& maximum, bool allowBeta) {
  if (!allowBeta && getConfigInt(key::AllowBeta) == 0 && hasBetaMarker(version)) {
    logMessage("beta vm not allowed");
    return false;
  }
  if (compareOverLimit(version, minimum) < 0) return false;
  if (compareOverLimit(version, maximum) > 0) return false;
  const int minRelease = getConfigInt(key::MinRelease);
  const int maxRelease = getConfigInt(key::MaxRelease);
  if (!isReleaseInRange(version, minRelease, maxRelease)) {
    logMessage("release of %s outside %d to %d", version.c_str(), minRelease, maxRelease);
    return false;
  }
  return true;
}

bool isVersionNameInRange(const std::string& name, const std::string& minimum,
                          const std::string& maximum) {
  if (compareBytes(name, minimum, std::min(name.size(), minimum.size())) < 0) return false;
  if (compareBytes(name, maximum, std::min(name.size(), maximum.size())) > 0) return false;
  return isReleaseInRange(name, getConfigInt(key::MinRelease), getConfigInt(key::MaxRelease));
}

bool isVersionGreater(std::string_view version, std::string_view other) {
  return compareBytes(version, other, std::max(version.size(), other.size())) > 0;
}

void sortVersionNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return isVersionGreater(b, a);
  });
}

bool parseVersionLine(std::string_view line, std::string& version) {
  std::string_view rest;
  if (line.starts_with("java version \"")) {
    rest = line.substr(14);
  } else if (line.starts_with("openjdk version \"")) {
    rest = line.substr(17);
  } else {
    return false;
  }
  // Two characters are taken off the end; a shorter remainder holds no version at all.
  if (rest.size() < 2) return false;
  version.assign(rest.substr(0, rest.size() - 2));
  return true;
}

}  // namespace quorv
