// java.min-release, java.max-release and [app.env]: what the packer writes, refuses, warns of and
// prints back.
#include "block_reader.h"
#include "dump_config.h"
#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"
#include "settings.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

ParseResult parse(const std::string& text) { return parseConfigText(text, "c.toml", ".", {"", false}); }

std::string dumpOf(const PackConfig& config) {
  BlockContents block;
  block.config = config;
  return dumpConfig(block, "x.exe");
}

TEST(ReleaseAndEnvironment, EachKeyHasItsSetting) {
  EXPECT_EQ(settingForKey(30400), findSetting("java.min-release"));
  EXPECT_EQ(settingForKey(30401), findSetting("java.max-release"));
  EXPECT_EQ(settingForKey(30402), findSetting("app.env"));
}

TEST(ReleaseAndEnvironment, WrittenAsTheLauncherReadsThemAndPrintedBack) {
  ParseResult r = parse(R"toml(runtime.include = false
[java]
min-release = 11
max-release = 21
[app.env]
Zeta = "1"
PATH_EXTRA = "${ProgramData}\\x;${QUORV_EXEDIR}"
"Odd Name.1" = "a=b"
ALPHA = ""
)toml");
  for (const auto& p : r.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ(r.config.strings.at(30400), "11");
  EXPECT_EQ(r.config.strings.at(30401), "21");
  // Sorted by name, one line each; values as written.
  EXPECT_EQ(r.config.strings.at(30402), "ALPHA=\nOdd Name.1=a=b\nPATH_EXTRA=${ProgramData}\\x;${QUORV_EXEDIR}\nZeta=1");

  std::string dumped = dumpOf(r.config);
  EXPECT_NE(dumped.find("[java]\nmin-release = 11\nmax-release = 21\n"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("[app.env]\nALPHA = \"\"\n\"Odd Name.1\" = \"a=b\"\n"
                        "PATH_EXTRA = \"${ProgramData}\\\\x;${QUORV_EXEDIR}\"\nZeta = \"1\"\n"),
            std::string::npos)
      << dumped;
  EXPECT_EQ(dumped.find("[strings]"), std::string::npos) << dumped;
  ParseResult again = parse(dumped);
  for (const auto& p : again.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_EQ(again.config.strings, r.config.strings);

  // Without the settings nothing is written.
  ParseResult none = parse("runtime.include = false\n[app.env]\n");
  EXPECT_TRUE(none.problems.empty());
  EXPECT_EQ(none.config.strings.count(30402), 0u);
}

TEST(ReleaseAndEnvironment, ValuesNoSettingWouldWriteStayNumbered) {
  const std::pair<int, const char*> odd[] = {
      {30400, "0"},            // below 1
      {30401, "011"},          // not as the packer writes a number
      {30402, "B=1\nA=2"},     // not sorted
      {30402, "A=1\na=2"},     // one variable twice
      {30402, "A=1\n=2"},      // an empty name
      {30402, "A=1\n"},        // an empty line
      {30402, ""},
  };
  for (const auto& [key, value] : odd) {
    SCOPED_TRACE(value);
    PackConfig config;
    config.strings[key] = value;
    std::string dumped = dumpOf(config);
    EXPECT_NE(dumped.find("[strings]\n" + std::to_string(key) + " = "), std::string::npos) << dumped;
    ParseResult again = parse(dumped);
    for (const auto& p : again.problems) ADD_FAILURE() << formatProblem(p);
    EXPECT_EQ(again.config.strings, config.strings);
  }
}

TEST(ReleaseAndEnvironment, BadValuesAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"java.min-release = 0\n",
       "c.toml:1: java.min-release: must be 1 or more (a Java feature release such as 11 or 17)"},
      {"java.max-release = \"21\"\n",
       "c.toml:1: java.max-release: wrong type: expected an integer, found a string (see quorv-pack reference)"},
      {"[java]\nmin-release = 17\nmax-release = 11\n",
       "c.toml:2: java.min-release: 17 is above java.max-release 11: no Java release can pass (lower "
       "java.min-release or raise java.max-release)"},
      {"app.env = \"A=1\"\n",
       "c.toml:1: app.env: wrong type: expected a table, found a string (see quorv-pack reference)"},
      {"[app.env]\n\"A=B\" = \"x\"\n",
       "c.toml:2: app.env.A=B: \"A=B\" is not a variable name (a name is not empty and holds no \"=\" and no "
       "control character)"},
      {"[app.env]\n\"\" = \"x\"\n",
       "c.toml:2: app.env.: \"\" is not a variable name (a name is not empty and holds no \"=\" and no control "
       "character)"},
      {"[app.env]\nPath = \"a\"\nPATH = \"b\"\n",
       "c.toml:2: app.env.Path: \"Path\" is the variable \"PATH\" (line 3) (Windows variable names ignore case; "
       "set each variable once)"},
      {"[app.env]\nX = \"a\\nb\"\n",
       "c.toml:2: app.env.X: the value contains a line feed or a NUL character (a variable holds one line of "
       "text)"},
      {"[app.env]\nX = 3\n",
       "c.toml:2: app.env.X: wrong type: expected a string, found an integer (see quorv-pack reference)"},
      {"[app.env]\nX = \"\xE2\x9C\x93\"\n",
       "c.toml:2: app.env.X: the character U+2713 cannot be stored in an 8-bit setting (8-bit settings hold "
       "Latin-1 characters only)"},
  };
  for (const auto& [toml, expected] : cases) {
    ParseResult r = parse(toml);
    ASSERT_EQ(r.problems.size(), 1u) << toml;
    EXPECT_EQ(formatProblem(r.problems[0]), expected);
  }
}

TEST(ReleaseAndEnvironment, TextLimitsThatReadLikeReleaseNumbersDrawAWarning) {
  const std::pair<const char*, int> cases[] = {
      {"11", 11}, {"17.0.2", 17}, {"9", 9}, {"21-ea", 21},  // warned, with the release to use
      {"1.8", 0}, {"1.11", 0}, {"8", 0}, {"abc", 0}, {"", 0},
  };
  for (const auto& [text, release] : cases) {
    SCOPED_TRACE(text);
    ParseResult r = parse(std::string("runtime.include = false\n[java]\nmax-version = \"") + text + "\"\n");
    EXPECT_TRUE(r.problems.empty());
    if (release == 0) {
      EXPECT_TRUE(r.warnings.empty());
      continue;
    }
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(formatProblem(r.warnings[0]),
              "c.toml:3: java.max-version: warning: \"" + std::string(text) +
                  "\" looks like a Java release number, but versions compare as text, character by character "
                  "(\"9\" is above \"17\") (to compare release numbers, use java.max-release = " +
                  std::to_string(release) + ")");
    EXPECT_EQ(r.config.strings.at(127), text) << "the text limit is written as it is";
  }
}

class ReleaseCheck : public ScratchTest {};

TEST_F(ReleaseCheck, CheckWarnsAndSucceedsWhileBuildStaysQuiet) {
  writeText(path("c.toml"), "runtime.include = false\n[java]\nmin-version = \"11\"\nmin-release = 11\n");
  RunResult r = runPack({"check", path("c.toml").string()});
  EXPECT_EQ(r.code, 0);
  const std::string p = path("c.toml").string();
  EXPECT_EQ(r.output, p + ":3: java.min-version: warning: \"11\" looks like a Java release number, but versions "
                          "compare as text, character by character (\"9\" is above \"17\") (to compare release "
                          "numbers, use java.min-release = 11)\n" + p + ": ok\n");
  writeBytes(path("stub.exe"), makePe({}));
  r = runPack({"build", path("c.toml").string(), "-o", path("out.exe").string(), "--launcher",
               path("stub.exe").string()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.output, "");
}

TEST(ReleaseAndEnvironment, StarterConfigurationOffersTheReleaseLimits) {
  std::string text = starterConfig("app.jar", "com.example.Main");
  EXPECT_NE(text.find("# min-release = 17\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("min-version"), std::string::npos) << text;
  std::string uncommented = text;
  for (const char* line : {"# min-release = 17", "# max-release = 21", "# [app.env]", "# APP_DATA"}) {
    size_t at = uncommented.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    uncommented.erase(at, 2);
  }
  ParseResult r = parse(uncommented);
  for (const auto& p : r.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_EQ(r.config.strings.at(30400), "17");
  EXPECT_EQ(r.config.strings.at(30401), "21");
  EXPECT_EQ(r.config.strings.at(30402), "APP_DATA=${ProgramData}\\app");
}

}  // namespace
