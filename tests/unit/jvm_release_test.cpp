#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "jvm/release.h"
#include "jvm/version.h"
#include "support/host_system.h"

namespace quorv {
namespace {

TEST(JvmRelease, NumberAfterOneDotElseTheLeadingNumber) {
  struct Case {
    const char* text;
    std::optional<int> release;
  } cases[] = {
      {"1.8.0_392", 8},
      {"11.0.22", 11},
      {"17", 17},
      {"21-ea", 21},
      {"1.10", 10},
      {"9.0.4", 9},
      {"10", 10},
      {"1.6.0_45", 6},
      {"1.0.0", 0},  // what the cache holds for an executable that failed to run
      {"1", 1},      // no "1." prefix: the leading number
      {"11.0.2\" 2019-01-1", 11},
      {"25.0.1+8-LTS", 25},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},  // does not fit an int
      {"1.99999999999999999999", std::nullopt},
      {"garbage", std::nullopt},
      {"", std::nullopt},
      {"1.", std::nullopt},
      {"1.x", std::nullopt},
      {" 17", std::nullopt},
      {"+17", std::nullopt},
      {"v17", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(javaRelease(c.text), c.release) << '"' << c.text << '"';
}

TEST(JvmRelease, RangeWithLimitsOfZeroMeaningNone) {
  struct Case {
    const char* version;
    int minimum;
    int maximum;
    bool inRange;
  } cases[] = {
      {"garbage", 0, 0, true},  // no limit: nothing is asked of the text
      {"", 0, 0, true},
      {"garbage", 11, 0, false},
      {"", 0, 21, false},
      {"9.0.4", 11, 0, false},
      {"11.0.22", 11, 0, true},
      {"1.8.0_392", 11, 0, false},
      {"21-ea", 11, 21, true},
      {"22", 11, 21, false},
      {"1.8.0_392", 0, 8, true},
      {"1.10", 0, 9, false},
      {"17", -5, -1, true},  // negative limits are no limits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isReleaseInRange(c.version, c.minimum, c.maximum), c.inRange)
        << c.version << " [" << c.minimum << ", " << c.maximum << "]";
  }
}

// The release limits of the configuration apply after the text limits, to probed and cached
// versions and to registry version names alike.
TEST(JvmRelease, ConfiguredLimitsJoinTheTextLimits) {
  struct Case {
    const char* version;
    const char* minText;
    const char* minRelease;
    const char* maxRelease;
    bool accepted;
  } cases[] = {
      {"9.0.4", "11", nullptr, nullptr, true},  // the text limit alone: "9" sorts after "11"
      {"9.0.4", "", "11", nullptr, false},
      {"9.0.4", "11", "11", nullptr, false},
      {"11.0.22", "11", "11", nullptr, true},
      {"17.0.2", "", "11", "17", true},
      {"21", "", "11", "17", false},
      {"1.8.0_392", "1.8", "9", nullptr, false},  // the text passes, the release does not
      {"10.0.1", "1.6", "9", nullptr, true},
      {"weird", "", nullptr, "21", false},
      {"weird", "", "0", nullptr, true},  // 0 reads as no limit
  };
  for (const auto& c : cases) {
    test::resetHost();
    if (c.minRelease) configStore().strings[key::MinRelease] = c.minRelease;
    if (c.maxRelease) configStore().strings[key::MaxRelease] = c.maxRelease;
    EXPECT_EQ(isVersionAcceptable(c.version, c.minText, "", false), c.accepted) << c.version;
    EXPECT_EQ(isVersionNameInRange(c.version, c.minText, ""), c.accepted) << c.version;
    EXPECT_EQ(test::logContains(std::string("release of ") + c.version + " outside " +
                                (c.minRelease ? c.minRelease : "0") + " to " +
                                (c.maxRelease ? c.maxRelease : "0")),
              !c.accepted && (c.minRelease || c.maxRelease))
        << c.version;
  }
}

}  // namespace
}  // namespace quorv
