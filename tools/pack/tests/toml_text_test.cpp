// Non-ASCII characters where the TOML reader looks for white space: a parse problem, never a
// trip into undefined behaviour inside the reader (the build runs this under the sanitizers).
#include "pack_test_support.h"
#include "parse_config.h"

using namespace quorv::pack;

namespace {

TEST(TomlText, NonAsciiCharactersWhereWhiteSpaceMayStandAreReported) {
  const std::string cases[] = {
      "\xCC\xAA",                                        // U+032A as the whole file
      "[service]\nname = \"x\" \xC2\xA9\n",              // U+00A9 after a value
      "s = \"\"\"\\\n\xC2\xA7\"\"\"\n",                  // U+00A7 after a line-ending backslash
      "[service]\nname = \"x\"\xE2\xB1\xA0\n",           // U+2C60
      "[service]\nname = \"x\"\xEF\xAC\xB0\n",           // U+FB30
  };
  for (const std::string& text : cases) {
    ParseResult r = parseConfigText(text, "c.toml", ".", ParseOptions{"", false});
    EXPECT_FALSE(r.problems.empty()) << text;
  }
  // The same characters inside strings are ordinary text.
  ParseResult r = parseConfigText("runtime.include = false\n[service]\nname = \"svc\"\ndescription = \"\xC2\xA9 f\xC3\xBCr \xCC\xAA\"\n",
                                  "c.toml", ".", ParseOptions{"", false});
  EXPECT_TRUE(r.problems.empty());
}

}  // namespace
