// The owner records of per-run temporary directories: what a later process may trust before it
// removes a directory.
#include <gtest/gtest.h>

#include "files/run_dirs.h"

namespace quorv {
namespace {

TEST(RunDirs, FileOfADirectory) {
  EXPECT_EQ(runFileOf("C:\\Temp\\qrv1A2B.tmp_dir1710234902"), "C:\\Temp\\qrv1A2B.tmp");
  EXPECT_EQ(runFileOf("C:\\Temp\\qrv1A2B.tmp_dir-5"), "C:\\Temp\\qrv1A2B.tmp");
  // The last "_dir" counts: a temporary path may hold one too.
  EXPECT_EQ(runFileOf("C:\\my_dir\\qrv1.tmp_dir7"), "C:\\my_dir\\qrv1.tmp");
  EXPECT_EQ(runFileOf("C:\\Temp\\qrv1.tmp"), "");
  EXPECT_EQ(runFileOf("_dir1"), "");
}

TEST(RunDirs, RecordRoundTrip) {
  const RunOwner owner{4242, 133497345123456789ull, "C:\\Program Files\\My App\\app.exe"};
  const std::string text = runOwnerText(owner);
  EXPECT_EQ(text, "quorv-run 4242 133497345123456789 C:\\Program Files\\My App\\app.exe\n");
  const auto back = parseRunOwner(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->processId, owner.processId);
  EXPECT_EQ(back->creationTime, owner.creationTime);
  EXPECT_EQ(back->executable, owner.executable);
}

TEST(RunDirs, AnythingElseIsNoRecord) {
  // An empty file of an older release, a cut-off write, damaged numbers, trailing bytes.
  const char* texts[] = {
      "",
      "quorv-run ",
      "quorv-run 4242 133497345123456789 C:\\app.exe",  // no line end: the write was cut off
      "quorv-run 4242 133497345123456789 \n",
      "quorv-run x 1 C:\\app.exe\n",
      "quorv-run 4242 1x C:\\app.exe\n",
      "quorv-run -1 1 C:\\app.exe\n",
      "quorv-run 99999999999 1 C:\\app.exe\n",
      "quorv-run 1 1 C:\\app.exe\nmore",
      "QUORV-RUN 1 1 C:\\app.exe\n",
      "java version \"1.8.0\"\n",
  };
  for (const char* text : texts) EXPECT_FALSE(parseRunOwner(text).has_value()) << text;
}

TEST(RunDirs, ExecutablePathsCompareWithoutCase) {
  EXPECT_TRUE(sameExecutablePath("C:\\App\\app.exe", "c:\\app\\APP.EXE"));
  EXPECT_FALSE(sameExecutablePath("C:\\App\\app.exe", "C:\\App\\app2.exe"));
  EXPECT_FALSE(sameExecutablePath("C:\\App\\app.exe", "C:\\App\\app.ex"));
}

}  // namespace
}  // namespace quorv
