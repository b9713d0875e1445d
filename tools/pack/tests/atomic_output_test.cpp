// The packed launcher appears whole or not at all.
#include <sstream>

#include "pack_build.h"
#include "pack_test_support.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

class AtomicOutput : public ScratchTest {};

TEST_F(AtomicOutput, AFailureWhileWritingLeavesNoFileAndKeepsAnOldOne) {
  writeBytes(path("stub.exe"), makePe({}));
  writeText(path("a.jar"), "abc");
  PackConfig config;
  config.files = {{path("a.jar"), "a.jar"}, {path("gone.jar"), "gone.jar"}};  // the second vanished
  std::ostringstream notes;
  try {
    writePackedLauncher(path("stub.exe"), config, path("new.exe"), notes);
    FAIL() << "expected a failure";
  } catch (const PackError& e) {
    EXPECT_NE(std::string(e.what()).find("gone.jar: cannot read the included file"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(path("new.exe")));
  EXPECT_TRUE(hiddenFiles().empty());

  writeText(path("old.exe"), "previous launcher");
  EXPECT_THROW(writePackedLauncher(path("stub.exe"), config, path("old.exe"), notes), PackError);
  Bytes old = readBytes(path("old.exe"));
  EXPECT_EQ(std::string(old.begin(), old.end()), "previous launcher");
  EXPECT_TRUE(hiddenFiles().empty());

  config.files.pop_back();
  writePackedLauncher(path("stub.exe"), config, path("old.exe"), notes);
  EXPECT_EQ(le32(readBytes(path("old.exe")), 0x600), 0xE8E413D5u) << "a successful build replaces it";
  EXPECT_TRUE(hiddenFiles().empty());
}

TEST_F(AtomicOutput, MissingOutputDirectoryOrStubIsAClearError) {
  writeBytes(path("stub.exe"), makePe({}));
  std::ostringstream notes;
  try {
    writePackedLauncher(path("stub.exe"), {}, path("no/such/dir/out.exe"), notes);
    FAIL();
  } catch (const PackError& e) {
    EXPECT_NE(std::string(e.what()).find(path("no/such/dir").string()), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("cannot create"), std::string::npos) << e.what();
  }
  EXPECT_THROW(writePackedLauncher(path("none.exe"), {}, path("out.exe"), notes), PackError);
  EXPECT_FALSE(fs::exists(path("out.exe")));
  EXPECT_TRUE(hiddenFiles().empty());
}

TEST_F(AtomicOutput, TheStubItselfCanBeTheOutput) {
  writeBytes(path("app.exe"), makePe({}));
  PackConfig config;
  config.strings[101] = "svc";
  std::ostringstream notes;
  writePackedLauncher(path("app.exe"), config, path("app.exe"), notes);
  writePackedLauncher(path("app.exe"), config, path("app.exe"), notes);  // repacking drops the old block
  Bytes exe = readBytes(path("app.exe"));
  EXPECT_EQ(exe.size(), 0x600u + 512u);
  EXPECT_EQ(parseBlock(exe, 0).strings.at(0).second, "svc");
}

}  // namespace
