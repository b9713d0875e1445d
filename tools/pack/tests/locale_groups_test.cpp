// Locale variants of wide settings become locale groups, ordered so the most specific one wins.
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

ParseResult parseText(const std::string& toml) {
  return parseConfigText(toml, "c.toml", ".", ParseOptions{"", false});
}

TEST(LocaleGroups, VariantsOfAllWideKeysAreGroupedByPrefix) {
  ParseResult r = parseText(R"(
runtime.include = false
service.description.default = "Service"
service.description.de = "Dienst"
service.description.de_CH = "Dienst CH"
service.description."" = "every locale"
[wide]
20018 = { de = "zwei", en_US = "two" }
)");
  ASSERT_TRUE(r.problems.empty()) << formatProblem(r.problems[0]);
  EXPECT_EQ(r.config.wide, (std::map<int32_t, std::u16string>{{20017, u"Service"}}));
  ASSERT_EQ(r.config.groups.size(), 4u);
  EXPECT_EQ(r.config.groups[0], (LocaleGroup{"", {{20017, u"every locale"}}}));
  EXPECT_EQ(r.config.groups[1], (LocaleGroup{"de", {{20017, u"Dienst"}, {20018, u"zwei"}}}));
  EXPECT_EQ(r.config.groups[2], (LocaleGroup{"de_CH", {{20017, u"Dienst CH"}}}));
  EXPECT_EQ(r.config.groups[3], (LocaleGroup{"en_US", {{20018, u"two"}}}));
}

TEST(LocaleGroups, WideTextKeepsCharactersBeyondLatin1) {
  ParseResult r = parseText("runtime.include = false\nservice.description = \"\xE2\x82\xAC \xF0\x9F\x98\x80\"\n");
  ASSERT_TRUE(r.problems.empty());
  EXPECT_EQ(r.config.wide.at(20017), u"\u20AC \U0001F600");
}

TEST(LocaleGroups, BadVariants) {
  ParseResult r = parseText(R"(
runtime.include = false
service.description = { de-CH = "x", fr = 3 }
[wide]
20017 = { default = "twice" }
)");
  std::vector<std::string> lines;
  for (const auto& p : r.problems) lines.push_back(formatProblem(p));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "c.toml:3: service.description.de-CH: \"de-CH\" is not a locale name (use \"default\" or a "
                       "locale such as de or de_CH)",
                       "c.toml:3: service.description.fr: wrong type: expected a string, found an integer (see quorv-pack "
                       "reference)",
                   }))
      << "the [wide] default has no rival: the named setting gave no default";
  r = parseText("runtime.include = false\nservice.description = \"a\"\n[wide]\n20017 = { default = \"b\" }\n");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(formatProblem(r.problems[0]),
            "c.toml:4: wide.20017.default: wide key 20017 is also set by service.description (line 2) (set each key "
            "once)");
}

}  // namespace
