#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "jvm/version.h"
#include "support/host_system.h"

namespace quorv {
namespace {

TEST(JvmVersionAcceptable, LimitsCompareOverTheLimitsLength) {
  test::resetHost();
  struct Case {
    const char* version;
    const char* minimum;
    const char* maximum;
    bool accepted;
  } cases[] = {
      {"1.6.0_45", "", "", true},
      {"anything", "", "", true},
      {"", "", "", true},
      {"1.6.0_45", "1.6", "", true},   // a version that begins with the limit equals it
      {"1.7.0", "1.6", "", true},
      {"1.5.0_22", "1.6", "", false},
      {"1.10.0", "1.6", "", false},    // digits compare as characters
      {"10.0.1", "1.6", "", true},     // "0" sorts after "."
      {"1.7.0_80", "", "1.7", true},
      {"1.7", "", "1.7", true},
      {"1.8.0_20", "", "1.7", false},
      {"1.6", "1.6.0_20", "", false},  // the shorter text compares lower
      {"1.6.0_20", "1.6.0_20", "1.6.0_20", true},
      {"1.6.0_21", "1.6.0_20", "1.6.0_20", false},
      {"1.6.0_19", "1.6.0_20", "1.7", false},
      {"1.6.0_99", "1.6.0_20", "1.7", true},
      {"", "1", "", false},
      {"\xe9", "1.6", "", true},       // bytes compare unsigned: 0xE9 is above "1"
      {"1.7\xe9", "", "1.7\x7f", false},
      {"1.7\x01", "", "1.7\xe9", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isVersionAcceptable(c.version, c.minimum, c.maximum, false), c.accepted)
        << c.version << " [" << c.minimum << ", " << c.maximum << "]";
  }
  EXPECT_TRUE(test::loggedLines().empty());
}

TEST(JvmVersionAcceptable, BetaRuleWithFlagAndKey130) {
  struct Case {
    const char* version;
    bool allowBeta;
    const char* key130;
    bool accepted;
  } cases[] = {
      {"1.7.0-beta", false, nullptr, false},
      {"1.7.0-ea", false, nullptr, false},
      {"1.7.0-rc1", false, nullptr, false},
      {"1.7.0 release", false, nullptr, false},  // "ea" inside a word counts
      {"1.7.0-force", false, nullptr, false},    // "rc" inside a word counts
      {"1.7.0-BETA", false, nullptr, true},      // case-sensitive
      {"1.7.0-EA", false, nullptr, true},
      {"1.7.0-beta", true, nullptr, true},
      {"1.7.0-beta", false, "1", true},
      {"1.7.0-beta", false, "0", false},
      {"1.7.0_80", false, nullptr, true},
  };
  for (const auto& c : cases) {
    test::resetHost();
    if (c.key130) configStore().strings[key::AllowBeta] = c.key130;
    EXPECT_EQ(isVersionAcceptable(c.version, "", "", c.allowBeta), c.accepted) << c.version;
    EXPECT_EQ(test::logContains("beta vm not allowed"), !c.accepted) << c.version;
  }
}

TEST(JvmVersionAcceptable, BetaVersionStillNeedsTheLimits) {
  test::resetHost();
  EXPECT_FALSE(isVersionAcceptable("1.5.0-beta", "1.6", "", true));
  EXPECT_FALSE(test::logContains("beta vm not allowed"));
}

TEST(JvmVersionNameInRange, ComparesOverTheShorterLength) {
  struct Case {
    const char* name;
    const char* minimum;
    const char* maximum;
    bool inRange;
  } cases[] = {
      {"1.6", "1.6.0_20", "", true},  // only three bytes are compared
      {"1.6.0_45", "1.6", "", true},
      {"1.5", "1.6", "", false},
      {"1.5.0_22", "1.6.0_20", "", false},
      {"1.7", "", "1.7.0_10", true},
      {"1.8", "", "1.7.0_10", false},
      {"1.7.0_80", "", "1.7", true},
      {"", "1.6", "1.7", true},
      {"1.7.0-beta", "1.6", "1.7", true},  // no beta rule here
      {"1.6", "1.6", "1.6", true},
      {"10", "1.6", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isVersionNameInRange(c.name, c.minimum, c.maximum), c.inRange)
        << c.name << " [" << c.minimum << ", " << c.maximum << "]";
  }
}

TEST(JvmVersionOrder, GreaterIsByteWiseAndPrefixesSortFirst) {
  EXPECT_TRUE(isVersionGreater("1.7", "1.6.0_45"));
  EXPECT_TRUE(isVersionGreater("1.6.0_45", "1.6"));
  EXPECT_FALSE(isVersionGreater("1.6", "1.6.0_45"));
  EXPECT_FALSE(isVersionGreater("1.6.0_45", "1.6.0_45"));
  EXPECT_TRUE(isVersionGreater("1.6", ""));
  EXPECT_FALSE(isVersionGreater("", ""));
  EXPECT_TRUE(isVersionGreater("\xe9", "z"));

  std::vector<std::string> names = {"1.6", "1.7", "1.6.0_45", "1.10", "10", "1.6.0"};
  sortVersionNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"1.10", "1.6", "1.6.0", "1.6.0_45", "1.7", "10"}));
}

TEST(JvmVersionLine, RecognisedPrefixesLessTheLastTwoCharacters) {
  struct Case {
    const char* line;
    bool parsed;
    const char* version;
  } cases[] = {
      {"java version \"1.6.0_45\"\n", true, "1.6.0_45"},
      {"openjdk version \"11.0.2\" 2019-01-15\n", true, "11.0.2\" 2019-01-1"},
      {"openjdk version \"17\"\n", true, "17"},
      {"java version \"1.8.0_202\"", true, "1.8.0_20"},  // no line end: one character too many goes
      {"java version \"\"\n", true, ""},
      {"java version \"x\n", true, ""},
      {"java version \"\n", false, ""},  // fewer than two characters follow the prefix
      {"java version \"", false, ""},
      {"openjdk version \"", false, ""},
      {"Java version \"1.6\"\n", false, ""},
      {"openjdk  version \"1.6\"\n", false, ""},
      {" java version \"1.6\"\n", false, ""},
      {"Picked up _JAVA_OPTIONS: -Xmx1g\n", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    std::string version = "unchanged";
    EXPECT_EQ(parseVersionLine(c.line, version), c.parsed) << c.line;
    EXPECT_EQ(version, c.parsed ? c.version : "unchanged") << c.line;
  }
}

}  // namespace
}  // namespace quorv
