#include <gtest/gtest.h>

#include "core/split.h"

namespace quorv {
namespace {

std::vector<std::u16string> split(std::u16string_view text) {
  std::vector<std::u16string> list;
  splitCommandLine(text, list);
  return list;
}

TEST(SplitCommandLine, QuotingRules) {
  struct Case {
    std::u16string_view text;
    std::vector<std::u16string> args;
  } cases[] = {
      {u"a  b ", {u"a", u"b"}},
      {u"\"a b\" c", {u"a b", u"c"}},
      {u"'a b'", {u"a b"}},
      {u"x\"a b\"y z", {u"xa b", u"y", u"z"}},
      {u"\"a\"b", {u"a", u"b"}},
      {u"\"a\" b", {u"a", u"b"}},
      {u"\"\"", {u""}},
      {u"\"abc def", {u"abc def"}},
      {u"\"it's\"", {u"it's"}},
      {u"'say \"x\"'", {u"say \"x\""}},
      {u"a\\\"b c", {u"a\\b c"}},        // a backslash is no escape
      {u"a\tb", {u"a\tb"}},              // a tab does not separate
      {u"", {}},
      {u"   ", {}},
      {u"a \"\" b", {u"a", u"", u"b"}},
      {u"'a'  b", {u"a", u"b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split(c.text), c.args) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(SplitCommandLine, AppendsToAnExistingList) {
  std::vector<std::u16string> list{u"first"};
  splitCommandLine(u"a b", list);
  EXPECT_EQ(list, (std::vector<std::u16string>{u"first", u"a", u"b"}));
}

TEST(SplitCommandLineNarrow, CutsBeforeTheFirstCharacterAboveLatin1) {
  std::vector<std::string> list;
  splitCommandLineNarrow(u"caf\u00e9 ab\u20acc \u4e2dx", list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], "caf\xe9");
  EXPECT_EQ(list[1], "ab");
  EXPECT_EQ(list[2], "");
}

TEST(SplitAnsiCommandLine, SplitsConfiguredText) {
  std::vector<std::string> list;
  splitAnsiCommandLine("-Xmx1g \"-Dname=a b\" '-include-options x.vmoptions'", list);
  EXPECT_EQ(list, (std::vector<std::string>{"-Xmx1g", "-Dname=a b", "-include-options x.vmoptions"}));
}

}  // namespace
}  // namespace quorv
