#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "config/keys.h"
#include "jvm/first_line.h"
#include "jvm/load_rules.h"
#include "jvm/pack_rules.h"
#include "jvm/search_rules.h"
#include "support/host_system.h"

namespace quorv {
namespace {

std::string describe(const std::vector<SearchEntry>& entries) {
  std::string out;
  for (const auto& e : entries) out += std::string(1, e.type) + "[" + e.location + "]";
  return out;
}

TEST(JvmSearchSequence, EntriesAreALetterAndALocation) {
  struct Case {
    const char* sequence;
    const char* entries;
  } cases[] = {
      {"R.\\.\\jre;", "R[.\\.\\jre]"},
      {"", ""},
      {";;;", ""},
      {"Y;S;", "Y[]S[]"},
      {";EJAVA_HOME;;Bc:\\java\\jre", "E[JAVA_HOME]B[c:\\java\\jre]"},
      {"x;7abc;r;", "x[]7[abc]r[]"},
      {"A${QUORV_EXEDIR}jre;Y", "A[${QUORV_EXEDIR}jre]Y[]"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(parseSearchSequence(c.sequence)), c.entries) << c.sequence;
}

TEST(JvmSearchSequence, FallbackPassSkipsAbsoluteAAndREntries) {
  struct Case {
    SearchEntry entry;
    bool tried;
  } cases[] = {
      {{'R', ".\\.\\jre"}, true},
      {{'R', "c:\\java\\jre"}, false},
      {{'B', "c:\\java\\jre"}, true},
      {{'A', "c:\\java\\jre"}, false},
      {{'A', "\\\\server\\share\\jre"}, false},
      {{'A', "\\jre"}, true},       // one backslash is relative to the drive, not absolute
      {{'R', "c"}, true},
      {{'R', ""}, true},
      {{'R', "x:"}, false},  // two characters with a colon second: absolute
      {{'B', ""}, true},
      {{'E', "JAVA_HOME"}, false},
      {{'S', "jre"}, false},
      {{'Y', "jre"}, false},
      {{'r', "jre"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isTriedInFallbackPass(c.entry), c.tried) << c.entry.type << c.entry.location;
  }
}

TEST(JvmSearchRules, ListsLinesAndSlashes) {
  EXPECT_EQ(splitNonEmpty(";c:\\a;;d:\\b;"), (std::vector<std::string>{"c:\\a", "d:\\b"}));
  EXPECT_TRUE(splitNonEmpty("").empty());
  struct Case {
    const char* line;
    const char* stripped;
  } cases[] = {
      {"c:\\jre\r\n", "c:\\jre"}, {"c:\\jre\n\r\n\r", "c:\\jre"}, {"\r\n", ""}, {"a b \r", "a b "}, {"", ""},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    stripLineEnds(line);
    EXPECT_EQ(line, c.stripped);
  }
  EXPECT_EQ(withBackslashes("c:/java/jre6"), "c:\\java\\jre6");
  EXPECT_EQ(withForwardSlashes("c:\\java\\jre6"), "c:/java/jre6");
}

std::set<std::string>* existing = nullptr;
bool existsInSet(const std::string& path) { return existing->count(path) != 0; }

TEST(JvmSearchRules, ExecutableOfAJavaHome) {
  struct Case {
    std::set<std::string> files;
    bool jdkRequired;
    const char* exe;
    bool ok;
  } cases[] = {
      {{"c:\\j\\jre\\bin\\java.exe", "c:\\j\\bin\\java.exe"}, false, "c:\\j\\jre\\bin\\java.exe", true},
      {{"c:\\j\\bin\\java.exe"}, false, "c:\\j\\bin\\java.exe", true},
      {{}, false, "c:\\j\\bin\\java.exe", true},  // the second path is not tested
      {{"c:\\j\\lib\\tools.jar"}, true, "c:\\j\\jre\\bin\\java.exe", true},
      {{"c:\\j\\bin\\java.exe"}, true, "c:\\j\\jre\\bin\\java.exe", false},
  };
  for (auto& c : cases) {
    existing = &c.files;
    JavaExeChoice choice = chooseJavaExe("c:\\j", c.jdkRequired, existsInSet);
    EXPECT_EQ(choice.exe, c.exe);
    EXPECT_EQ(choice.ok, c.ok);
  }
  existing = nullptr;
}

TEST(JvmSearchRules, JavawSwitchAndCacheKeyName) {
  EXPECT_EQ(javawPathFor("c:\\x\\bin\\java.exe"), "c:\\x\\bin\\javaw.exe");
  EXPECT_EQ(versionCacheKeyName("c:\\program files\\java\\jre6\\bin\\java.exe"),
            "SOFTWARE\\kelvara\\quorv\\jvms\\c:/program files/java/jre6/bin/java.exe");
  EXPECT_EQ(versionCacheKeyName("C:\\Java\\bin\\java.exe"), versionCacheKeyName("c:\\java\\bin\\java.exe"));
}

TEST(JvmSearchRules, CurrentVersionKeyPrefersTheDevelopmentKitOnlyWhenGreater) {
  struct Case {
    const char* jdk;
    const char* jre;
    const char* key;
  } cases[] = {
      {"1.7", "1.6", "SOFTWARE\\JavaSoft\\Java Development Kit\\1.7"},
      {"1.6", "1.7", "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7"},
      {"1.7", "1.7", "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7"},
      {"1.7", "", "SOFTWARE\\JavaSoft\\Java Development Kit\\1.7"},
      {"", "1.6", "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6"},
      {"", "", "SOFTWARE\\JavaSoft\\Java Runtime Environment\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(currentVersionKey(c.jdk, c.jre), c.key) << c.jdk << " " << c.jre;
}

TEST(JvmSearchRules, AmongEqualLocatedVersionsTheFirstEnumeratedWins) {
  JvmChoice best;
  offerCandidate(best, "a", "1.6.0_45");
  offerCandidate(best, "b", "1.6.0_45");
  offerCandidate(best, "c", "1.6");
  EXPECT_TRUE(best.found);
  EXPECT_EQ(best.exe, "a");
  offerCandidate(best, "d", "1.7");
  EXPECT_EQ(best.exe, "d");
  EXPECT_EQ(best.version, "1.7");
}

TEST(JvmSearchRules, TiesGoToTheSecondChoice) {
  // Vendor against located JVM, and user hive against machine hive: the first only when greater.
  JvmChoice none;
  JvmChoice vendor{"vendor", "1.6.0_45", true};
  JvmChoice located{"located", "1.6.0_45", true};
  JvmChoice newer{"newer", "1.7", true};
  JvmChoice older{"older", "1.6", true};
  EXPECT_EQ(preferStrictlyGreater(vendor, located), &located);
  EXPECT_EQ(preferStrictlyGreater(newer, located), &newer);
  EXPECT_EQ(preferStrictlyGreater(older, located), &located);
  EXPECT_EQ(preferStrictlyGreater(vendor, none), &vendor);
  EXPECT_EQ(preferStrictlyGreater(none, located), &located);
  EXPECT_EQ(preferStrictlyGreater(none, none), nullptr);
}

TEST(JvmLoadRules, ExecutableDirectoryAndSecondAttempt) {
  struct Case {
    const char* exe;
    const char* directory;
    const char* second;
  } cases[] = {
      {"c:\\jdk\\bin\\java.exe", "c:\\jdk\\bin", "c:\\jdk\\bin\\..\\jre\\bin\\java.exe"},
      {"c:\\x\\bin\\javaw.exe", "c:\\x\\bin", "c:\\x\\bin\\..\\jre\\bin\\java.exe"},
      {"c:\\jdk\\bin\\..\\jre\\bin\\java.exe", "c:\\jdk\\bin\\..\\jre\\bin",
       "c:\\jdk\\bin\\..\\jre\\bin\\..\\jre\\bin\\java.exe"},
      {"java.exe", "", "..\\jre\\bin\\java.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(executableDirectoryFor(c.exe), c.directory) << c.exe;
    EXPECT_EQ(secondAttemptPath(c.exe), c.second) << c.exe;
  }
  EXPECT_EQ(jvmDllPath("c:\\jre\\bin", "server"), "c:\\jre\\bin\\server\\jvm.dll");
}

TEST(JvmLoadRules, OneMessagePerKind) {
  struct Case {
    JvmSource kind;
    int key;
    const char* detail;
    bool hasDetail;
  } cases[] = {
      {JvmSource::SearchPath, key::MsgNoJvm, "64", true},
      {JvmSource::Location, key::MsgLocationJvmBroken, ".\\.\\jre", true},
      {JvmSource::Environment, key::MsgEnvJvmBroken, ".\\.\\jre", true},
      {JvmSource::Registry, key::MsgJvmStartFailed, "", false},
  };
  for (const auto& c : cases) {
    LoadFailureMessage m = loadFailureMessage(c.kind, ".\\.\\jre");
    EXPECT_EQ(m.key, c.key);
    EXPECT_EQ(m.detail, c.detail);
    EXPECT_EQ(m.hasDetail, c.hasDetail);
  }
}

TEST(JvmPackRules, PackFilesAndUnpackerCommandLine) {
  std::vector<std::string> packs;
  for (const char* jar : kPackedJars) packs.push_back(packFilePath("c:\\app\\jre", jar));
  EXPECT_EQ(packs.front(), "c:\\app\\jre\\lib\\rt.jar.pack");
  EXPECT_EQ(packs.back(), "c:\\app\\jre\\lib\\jsse.jar.pack");
  EXPECT_EQ(packs[5], "c:\\app\\jre\\lib\\ext\\localedata.jar.pack");
  EXPECT_EQ(targetJarPath(packs.front()), "c:\\app\\jre\\lib\\rt.jar");
  EXPECT_EQ(unpackerPath("c:\\app\\jre"), "c:\\app\\jre\\bin\\unpack200.exe");
  EXPECT_EQ(unpackCommandLine(packs.front(), targetJarPath(packs.front())),
            "-r \"c:\\app\\jre\\lib\\rt.jar.pack\" \"c:\\app\\jre\\lib\\rt.jar\"");
}

TEST(JvmFirstLine, ReadsUpToTheFirstLineFeedOfAnyLength) {
  const auto file = std::filesystem::temp_directory_path() / "quorv_jvm_first_line_test.txt";
  struct Case {
    std::string content;
    bool read;
    std::string line;
  } cases[] = {
      {"java version \"1.6.0_45\"\nsecond\n", true, "java version \"1.6.0_45\"\n"},
      {"no line end", true, "no line end"},
      {"\n", true, "\n"},
      {"", false, "unchanged"},
      {std::string(20000, 'x') + "\nrest", true, std::string(20000, 'x') + "\n"},
  };
  for (const auto& c : cases) {
    std::ofstream(file, std::ios::binary) << c.content;
    std::string line = "unchanged";
    EXPECT_EQ(readFirstLine(file.string(), line), c.read);
    EXPECT_EQ(line, c.line);
  }
  std::filesystem::remove(file);
  std::string line = "unchanged";
  EXPECT_FALSE(readFirstLine(file.string(), line));
  EXPECT_EQ(line, "unchanged");
}

}  // namespace
}  // namespace quorv
