// Portable rules behind the launcher's hardening: the probe's first line read from raw bytes,
// and the references that name the shared temporary directory.
#include <gtest/gtest.h>

#include <string>

#include "jvm/first_line.h"
#include "launch/shared_temp.h"
#include "support/host_system.h"

namespace quorv {
namespace {

TEST(FirstLineOfText, ReadsAsATextModeStreamWould) {
  struct Case {
    std::string bytes;
    bool found;
    std::string line;
  };
  const Case cases[] = {
      {"java version \"1.8.0_202\"\r\nJava(TM) SE\r\n", true, "java version \"1.8.0_202\"\n"},
      {"no line end", true, "no line end"},
      {"a\rb\r\n", true, "a\rb\n"},  // a carriage return alone stays
      {"ab\x1a" "cd\n", true, "ab"},  // Ctrl-Z ends a text-mode read
      {"\r\n", true, "\n"},
      {"", false, ""},
      {"\x1a" "x\n", false, ""},
  };
  for (const Case& c : cases) {
    std::string line = "unchanged";
    EXPECT_EQ(firstLineOfText(c.bytes, line), c.found) << c.bytes;
    EXPECT_EQ(line, c.found ? c.line : "unchanged") << c.bytes;
  }
}

TEST(SharedTempReference, NamesTheSystemTemporaryDirectoryButNotThePerRunOne) {
  EXPECT_EQ(sharedTempReference("${launcher:sys.tempDir}\\lib"), "${launcher:sys.tempDir}");
  EXPECT_EQ(sharedTempReference("A1${tmp}\\x.jar"), "${TMP}");
  EXPECT_EQ(sharedTempReference("C:\\a;%Temp%\\native"), "%TEMP%");
  EXPECT_EQ(sharedTempReference("${launcher:sys.launcherTempDirectory}\\a.jar"), "");
  EXPECT_EQ(sharedTempReference("%QUORV_TEMPDIR%\\a.jar;${QUORV_TEMPDIR}"), "");
  EXPECT_EQ(sharedTempReference("${TEMPLATES}\\a.jar;%TMPDIR%"), "");
  EXPECT_EQ(sharedTempReference(""), "");
}

TEST(SharedTempReference, LoggedAsAWarningOnlyWhenPresent) {
  test::resetHost();
  warnOfSharedTempReference("classpath entry", "C:\\app\\lib\\a.jar");
  EXPECT_TRUE(test::loggedLines().empty());
  warnOfSharedTempReference("native lib dir", "${TEMP}\\dlls");
  EXPECT_TRUE(test::logContains(
      "warning: native lib dir ${TEMP}\\dlls names the shared temporary directory (${TEMP})"));
}

}  // namespace
}  // namespace quorv
