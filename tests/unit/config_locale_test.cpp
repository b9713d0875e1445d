#include <gtest/gtest.h>

#include "config/locale.h"

namespace quorv {
namespace {

TEST(LocaleNameForLcid, TableAndFallbacks) {
  struct Case {
    uint32_t lcid;
    const char* name;
  } cases[] = {
      {0x0407, "de_DE"}, {0x0807, "de_CH"}, {0x1C07, "de"},    {0x0428, "en"},
      {0x10407, "de_DE"}, {0x0814, "no_NO_NY"}, {0x041A, "hr_HR"}, {0x001A, "sr"},
      {0x0C0A, "es_ES"}, {0x2409, "en"},    {0x0431, "ts"},    {0x040D, "iw_IL"},
      {0x0421, "in_ID"}, {0x0000, "en"},    {0xFFFF, "en"},    {0x0412, "ko_KR"},
      {0x0812, "ko_KR"}, {0x500A, "es_PR"}, {0x0456, "gl_ES"}, {0x0856, "gl"},
  };
  for (const auto& c : cases) EXPECT_EQ(localeNameForLcid(c.lcid), c.name) << std::hex << c.lcid;
}

TEST(SetLanguageCountry, CountryOnlyForFiveCharacterNames) {
  std::string language, country;
  setLanguageCountry("de_CH");
  ASSERT_TRUE(getLanguage(language));
  ASSERT_TRUE(getCountry(country));
  EXPECT_EQ(language, "de");
  EXPECT_EQ(country, "CH");

  setLanguageCountry("no_NO_NY");
  ASSERT_TRUE(getLanguage(language));
  EXPECT_EQ(language, "no");
  EXPECT_FALSE(getCountry(country));

  setLanguageCountry("en");
  ASSERT_TRUE(getLanguage(language));
  EXPECT_EQ(language, "en");
  EXPECT_FALSE(getCountry(country));
}

}  // namespace
}  // namespace quorv
