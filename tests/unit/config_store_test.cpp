#include <gtest/gtest.h>

#include <climits>

#include "config/store.h"
#include "support/host_system.h"

namespace quorv {
namespace {

TEST(ConfigInt, ReadsLikeStrtolBase10) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"12", 12},           {" 12", 12},  {"12abc", 12},          {"-3", -3},
      {"abc", 0},           {"", 0},      {"+7", 7},              {"\t\n 5", 5},
      {"2147483647", INT32_MAX},          {"2147483648", INT32_MAX}, {"99999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},         {"-2147483649", INT32_MIN}, {"-", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(parseConfigInt(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ConfigStore, AbsentKeysReadEmptyAndZero) {
  test::resetHost();
  EXPECT_EQ(getConfigString(101), "");
  EXPECT_EQ(getConfigInt(107), 0);
  EXPECT_EQ(getConfigWString(20017), u"");
}

TEST(ConfigStore, CapacitySelectsTheFirstCharacters) {
  test::resetHost();
  configStore().strings[2001] = "qx";
  configStore().strings[152] = std::string(300, 's');
  EXPECT_EQ(getConfigString(2001, 2), "q");
  EXPECT_EQ(getConfigString(152, 200).size(), 199u);
  EXPECT_EQ(getConfigString(152).size(), 300u);
}

}  // namespace
}  // namespace quorv
