#include <gtest/gtest.h>

#include <string>

#include "launch/expand.h"
#include "support/host_system.h"

namespace quorv {
namespace {

std::string block(std::initializer_list<const char*> entries) { return test::environmentBlock(entries); }

ExpandValues sampleValues() {
  ExpandValues values;
  values.executableDirectory = "C:\\Programs\\App\\";
  values.tempDirectory = "C:\\Temp\\qrv1_dir2";
  values.jvmHome = "C:\\jre\\bin\\..";
  values.systemTempDirectory = "C:\\Temp\\";
  return values;
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutSearchingInsertedValues) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* value;
    const char* expected;
    int replacements;
  } cases[] = {
      {"a${X}b${X}c", "${X}", "1", "a1b1c", 2},
      {"${X}", "${X}", "${X}${X}", "${X}${X}", 1},  // a value holding its own pattern does not loop
      {"xxxx", "xx", "x", "xx", 2},
      {"no match", "${X}", "1", "no match", 0},
      {"${X}${X}", "${X}", "", "", 2},
      {"aaa", "a", "aa", "aaaaaa", 3},
      {"${X}${X}}", "${X}}", "-", "${X}-", 1},  // the first place where the pattern begins counts
      {"tail${X", "${X}", "1", "tail${X", 0},
  };
  // With the log off the result is built in one pass; it must be the same.
  for (bool logOn : {true, false}) {
    for (const auto& c : cases) {
      test::resetHost();
      test::setLogOn(logOn);
      std::string text = c.text;
      replaceAll(text, c.pattern, c.value);
      EXPECT_EQ(text, c.expected) << c.text << (logOn ? "" : " (log off)");
      EXPECT_EQ(static_cast<int>(test::loggedLines().size()), logOn ? c.replacements : 0) << c.text;
    }
  }
}

TEST(ReplaceAll, LogsEachReplacementWithTheTextAsItNowReads) {
  test::resetHost();
  std::string text = "one${launcher:sys.pathlistSeparator}two${launcher:sys.pathlistSeparator}three";
  expandWith(text, sampleValues(), nullptr);
  EXPECT_EQ(text, "one;two;three");
  const std::vector<std::string> expected = {
      "expanding ${launcher:sys.pathlistSeparator} to ; in one;two${launcher:sys.pathlistSeparator}three.",
      "expanding ${launcher:sys.pathlistSeparator} to ; in one;two;three.",
  };
  EXPECT_EQ(test::loggedLines(), expected);
}

TEST(ExpandWith, LauncherVariables) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"%QUORV_EXEDIR%lib", "C:\\Programs\\App\\lib"},
      {"%ZENTRILEX_EXEDIR%", "C:\\Programs\\App\\"},
      {"%QUORV_TEMPDIR%", "C:\\Temp\\qrv1_dir2"},
      {"%ZENTRILEX_TEMPDIR%", "C:\\Temp\\qrv1_dir2"},
      {"a%QUORV_PATHLIST_SEPARATOR%b", "a;b"},
      {"a%ZENTRILEX_PATHLIST_SEPARATOR%b", "a;b"},
      {"%QUORV_JVM_HOME%", "C:\\jre\\bin\\.."},
      {"%ZENTRILEX_JVM_HOME%", "C:\\jre\\bin\\.."},
      {"${QUORV_EXEDIR}", "C:\\Programs\\App\\"},
      {"${ZENTRILEX_EXEDIR}", "C:\\Programs\\App\\"},
      {"${QUORV_TEMPDIR}", "C:\\Temp\\qrv1_dir2"},
      {"${ZENTRILEX_TEMPDIR}", "C:\\Temp\\qrv1_dir2"},
      {"${QUORV_PATHLIST_SEPARATOR}", ";"},
      {"${ZENTRILEX_PATHLIST_SEPARATOR}", ";"},
      {"${QUORV_JVM_HOME}", "C:\\jre\\bin\\.."},
      {"${ZENTRILEX_JVM_HOME}", "C:\\jre\\bin\\.."},
      {"${launcher:sys.launcherDirectory}lib", "C:\\Programs\\App\\lib"},
      {"${launcher:sys.launcherDirectory}\\lib", "C:\\Programs\\App\\\\lib"},
      {"${launcher:sys.launcherTempDirectory}", "C:\\Temp\\qrv1_dir2"},
      {"${launcher:sys.pathlistSeparator}", ";"},
      {"${launcher:sys.jvmHome}", "C:\\jre\\bin\\.."},
      {"${launcher:sys.tempDir}", "C:\\Temp\\"},
      {"%quorv_exedir%", "%quorv_exedir%"},  // launcher variables are case-sensitive
      {"%PATH%", "%PATH%"},                  // no percent form for the environment
      {"${UNDEFINED_VARIABLE}", "${UNDEFINED_VARIABLE}"},
      {"plain text", "plain text"},
  };
  for (const auto& c : cases) {
    test::resetHost();
    std::string text = c.text;
    expandWith(text, sampleValues(), nullptr);
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

TEST(ExpandWith, EmptyTemporaryDirectoryAndJvmHome) {
  test::resetHost();
  ExpandValues values = sampleValues();
  values.tempDirectory.clear();
  values.jvmHome.clear();
  std::string text = "[%QUORV_TEMPDIR%][${launcher:sys.jvmHome}]";
  expandWith(text, values, nullptr);
  EXPECT_EQ(text, "[][]");
}

TEST(ExpandWith, EnvironmentExactThenUpperCase) {
  const std::string environment = block({"Path=C:\\Windows", "lower=l", "=C:=C:\\work", "NOEQUALS", "A=${B}", "B=b", "C=${A}"});
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"${Path}", "C:\\Windows"},
      {"${PATH}", "C:\\Windows"},
      {"${path}", "${path}"},
      {"${lower}", "l"},
      {"${LOWER}", "l"},
      {"${Lower}", "${Lower}"},
      {"${}", "C:=C:\\work"},  // a name-less entry forms the pattern ${}
      {"${NOEQUALS}", "${NOEQUALS}"},
      {"${A}", "b"},     // B comes later in the block, so its reference is expanded
      {"${C}", "${A}"},  // A came earlier, so the inserted reference stays
  };
  for (const auto& c : cases) {
    test::resetHost();
    std::string text = c.text;
    expandWith(text, sampleValues(), environment.c_str());
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

TEST(ExpandWith, LauncherValuesAreSubjectToEnvironmentPasses) {
  test::resetHost();
  ExpandValues values = sampleValues();
  values.executableDirectory = "${HOME}\\";
  std::string text = "${QUORV_EXEDIR}x";
  const std::string environment = block({"HOME=D:\\h", "REF=%QUORV_EXEDIR%"});
  expandWith(text, values, environment.c_str());
  EXPECT_EQ(text, "D:\\h\\x");
  // A launcher variable inside an environment value stays as written.
  text = "${REF}";
  expandWith(text, values, environment.c_str());
  EXPECT_EQ(text, "%QUORV_EXEDIR%");
}

TEST(ExpandWith, SelfReferencingValueDoesNotLoop) {
  test::resetHost();
  // Each of the two passes (exact and upper case, here the same pattern) replaces once.
  const std::string environment = block({"X=<${X}>", "y=[${y}]"});
  std::string text = "${X}${X}";
  expandWith(text, sampleValues(), environment.c_str());
  EXPECT_EQ(text, "<<${X}>><<${X}>>");
  text = "${y}";
  expandWith(text, sampleValues(), environment.c_str());
  EXPECT_EQ(text, "[${y}]");
}

TEST(ExpandWith, TextsAndValuesOfAnyLength) {
  test::resetHost();
  const std::string longValue(20000, 'v');
  const std::string environment = "LONG=" + longValue + std::string(1, '\0') + std::string(1, '\0');
  std::string text = std::string(9000, 't') + "${LONG}" + std::string(9000, 'u');
  expandWith(text, sampleValues(), environment.c_str());
  EXPECT_EQ(text, std::string(9000, 't') + longValue + std::string(9000, 'u'));
}

TEST(ExpandWith, EmptyEnvironmentBlock) {
  test::resetHost();
  const std::string environment(1, '\0');
  std::string text = "${X}";
  expandWith(text, sampleValues(), environment.c_str());
  EXPECT_EQ(text, "${X}");
  EXPECT_TRUE(test::loggedLines().empty());
}

}  // namespace
}  // namespace quorv
