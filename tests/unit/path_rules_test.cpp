#include <gtest/gtest.h>

#include "core/globals.h"
#include "files/paths.h"
#include "support/host_system.h"

namespace quorv {
namespace {

// A code page that knows only ASCII: other bytes decode to U+FFFD, which has no way back.
std::u16string asciiToWide(const std::string& text) {
  std::u16string out;
  for (unsigned char c : text) out.push_back(c < 0x80 ? c : u'\uFFFD');
  return out;
}

bool wideToAscii(const std::u16string& text, std::string& out) {
  out.clear();
  bool lossless = true;
  for (char16_t c : text) {
    lossless = lossless && c < 0x80;
    out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return lossless;
}

const PathCodePage kAsciiOnly{&asciiToWide, &wideToAscii};

TEST(IsRelativePath, TellsRelativeFromAbsolute) {
  struct Case {
    const char* path;
    bool relative;
  } cases[] = {
      {"c:\\x", false},      {"\"c:\\x\"", false}, {"C:\\", false},  {"\\\\server\\share", false},
      {"\\\\s", false},      {"c:", true},         {"c:x", true},    {"c:dir\\x", true},
      {"\\x", true},         {"\\x\\y", true},     {"c:/x", true},   {"ab", true},
      {"\\\\", true},        {"", true},           {"lib", true},    {"..\\jre", true},
      {"\"c:\"", true},      {"\"c:\\", false},    {"\"ab", true},   {"\"\\\\s\"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isRelativePath(c.path), c.relative) << c.path;
}

TEST(IsDriveRootForm, KnowsTheThreeRootForms) {
  for (const char* root : {"c:\\", "c:\\.", "c:\\.\\.", "Q:\\", "z:\\."}) EXPECT_TRUE(isDriveRootForm(root)) << root;
  for (const char* other : {"", "c", "c:", "c:\\x", "c:\\..", "c:\\.\\", "c:\\.\\.\\.", "\\\\", "cc:\\"}) {
    EXPECT_FALSE(isDriveRootForm(other)) << other;
  }
}

TEST(NamesOneEntry, TellsPlainNamesFromWhatOnlyADirectorySearchAnswers) {
  for (const char* plain : {"c:\\app\\lib\\a.jar", "C:\\App\\..\\jre\\bin\\java.exe", "lib\\a.jar", "a.jar",
                            "c:/app/lib", "c:\\app\\.hidden", "c:\\app\\console.log", "c:\\app\\nul2",
                            "c:\\app\\com10", "c:\\dir.d\\x"}) {
    EXPECT_TRUE(namesOneEntry(plain)) << plain;
  }
  for (const char* other : {"", "c:", "c:\\", "c:\\.", "c:x.jar", "c:\\app\\", "c:\\app/", "c:\\app\\*.jar",
                            "c:\\app\\a?.jar", "c:\\app\\a<", "c:\\app\\a>b", "c:\\app\\\"a\"",
                            "c:\\app\\a.jar:stream", "\\\\server\\share", "\\\\?\\c:\\app\\a.jar",
                            "//server/share/a", "c:\\app\\.", "c:\\app\\..", "c:\\app\\a.jar.",
                            "c:\\app\\a.jar ", "c:\\app\\NUL", "c:\\app\\nul.txt", "c:\\app\\con .log",
                            "c:\\app\\Com1", "c:\\app\\lpt\xB9", "c:\\app\\CONOUT$", "aux"}) {
    EXPECT_FALSE(namesOneEntry(other)) << other;
  }
  EXPECT_TRUE(namesOneEntry("c:\\" + std::string(256, 'x')));  // 259 characters
  EXPECT_FALSE(namesOneEntry("c:\\" + std::string(257, 'x')));
  EXPECT_FALSE(namesOneEntry("c:\\" + std::string(1 << 20, 'x')));
}

TEST(NormalizeBackslashes, CollapsesRunsButKeepsTheLeadingPair) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a\\\\\\\\b", "a\\b"},
      {"\\\\server\\\\share", "\\\\server\\share"},
      {"\\\\\\\\server", "\\\\server"},
      {"c:\\\\x\\\\\\y\\", "c:\\x\\y\\"},
      {"c:\\x\\\\", "c:\\x\\"},
      {"\\", "\\"},
      {"", ""},
      {"a\\\\", "a\\"},
      {"a/b//c", "a/b//c"},
  };
  for (const auto& c : cases) {
    std::string path = c.in;
    normalizeBackslashes(path);
    EXPECT_EQ(path, c.out) << c.in;
  }
}

TEST(NormalizeBackslashes, LeavesALossyPathEntirelyUnchanged) {
  std::string lossy = "c:\\\\caf\xE9\\\\x";
  normalizeBackslashes(lossy, kAsciiOnly);
  EXPECT_EQ(lossy, "c:\\\\caf\xE9\\\\x");

  std::string plain = "c:\\\\cafe\\\\x";
  normalizeBackslashes(plain, kAsciiOnly);
  EXPECT_EQ(plain, "c:\\cafe\\x");
}

TEST(LowerCasePath, ChangesOnlyAsciiCapitals) {
  std::string path = "C:\\Program Files\\\xC4PP\\[Z]@";
  lowerCasePath(path);
  EXPECT_EQ(path, "c:\\program files\\\xC4pp\\[z]@");  // Latin-1 capital A with diaeresis stays

  std::string lossy = "C:\\\xC4PP";
  lowerCasePath(lossy, kAsciiOnly);
  EXPECT_EQ(lossy, "C:\\\xC4PP");
}

TEST(ResolveAgainst, PutsRelativePathsBehindTheDirectory) {
  const std::string dir = "C:\\App\\";
  struct Case {
    const char* path;
    const char* out;
  } cases[] = {
      {"lib", "C:\\App\\lib"},
      {"..\\jre", "C:\\App\\..\\jre"},
      {"", "C:\\App\\"},
      {"D:\\x", "D:\\x"},
      {"D:\\\\x\\\\y", "D:\\x\\y"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\lib", "C:\\App\\lib"},       // one leading backslash is relative; the run collapses
      {"c:lib", "C:\\App\\c:lib"},
      {".\\a\\\\b", "C:\\App\\.\\a\\b"},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveAgainst(dir, c.path), c.out) << c.path;
}

TEST(ResolveListAgainst, SkipsEmptyPiecesAndJoinsWithOneSemicolon) {
  const std::string dir = "C:\\App\\";
  struct Case {
    const char* list;
    const char* out;
  } cases[] = {
      {"a;;b;", "C:\\App\\a;C:\\App\\b"},
      {";;a", "C:\\App\\a"},
      {"a", "C:\\App\\a"},
      {"D:\\x;lib", "D:\\x;C:\\App\\lib"},
      {"", ""},
      {";;;", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveListAgainst(dir, c.list), c.out) << c.list;
}

TEST(JvmHome, DropsTheExecutableNameAndAddsParent) {
  struct Case {
    const char* exe;
    const char* home;
  } cases[] = {
      {"c:\\app\\jre\\bin\\java.exe", "c:\\app\\jre\\bin\\.."},
      {"C:\\jre\\bin\\javaw.exe", "C:\\jre\\bin\\.."},
      {"C:\\jre\\bin\\JAVAW.EXE", "C:\\jre\\bin\\.."},
      {"java.exe", ".."},
      {"x.exe", ".."},  // shorter than a file name: nothing is left of it
  };
  for (const auto& c : cases) EXPECT_EQ(jvmHomeFor(c.exe), c.home) << c.exe;

  jvmHome.clear();
  EXPECT_EQ(getJvmHome(), "");
  setJvmHome("c:\\j\\bin\\java.exe");
  EXPECT_EQ(getJvmHome(), "c:\\j\\bin\\..");
  jvmHome.clear();
}

}  // namespace
}  // namespace quorv
