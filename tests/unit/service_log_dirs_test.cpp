// The directories that the install prepares for the service's logs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/log_dirs.h"

namespace quorv {
namespace {

std::vector<std::string> directoriesOf(const std::vector<WrittenDirectory>& written) {
  std::vector<std::string> out;
  for (const WrittenDirectory& w : written) out.push_back(w.directory + " <- " + w.settings);
  return out;
}

TEST(LogDirectories, EachDirectoryOnceWithTheSettingsThatNameIt) {
  EXPECT_EQ(directoriesOf(writtenDirectoriesOf({{"app.output-log", "C:\\app\\logs\\out.log"},
                                                {"app.error-log", "c:\\APP\\logs\\err.log"},
                                                {"service.worker-log", "D:\\svc\\w\\service.log"}})),
            (std::vector<std::string>{"C:\\app\\logs <- app.output-log, app.error-log",
                                      "D:\\svc\\w <- service.worker-log"}));
  // A file directly in a drive root, an empty path and unexpanded references give nothing; UNC
  // paths are taken as they are.
  EXPECT_EQ(directoriesOf(writtenDirectoriesOf({{"a", "C:\\out.log"}, {"b", ""}, {"c", "${LOGS}\\out.log"},
                                                {"d", "C:\\x\\%TEMP%\\a.log"}, {"e", "\\\\server\\share\\logs\\a.log"}})),
            (std::vector<std::string>{"\\\\server\\share\\logs <- e"}));
}

TEST(LogDirectories, TheExecutablesDirectoryAndThoseAboveItAreNeverWidened) {
  const std::string exe = "C:\\Program Files\\Vendor\\";
  struct Case {
    const char* directory;
    bool holds;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Vendor", true},   {"c:\\program files\\vendor\\", true},
      {"C:\\Program Files", true},           {"C:\\", true},
      {"C:\\Program Files\\Vendor\\logs", false},  // a directory of its own below it
      {"C:\\Program Files\\Vendor2", false},  {"C:\\Program Files\\Vend", false},
      {"D:\\Program Files\\Vendor", false},
  };
  for (const Case& c : cases) EXPECT_EQ(holdsExecutable(c.directory, exe), c.holds) << c.directory;
}

TEST(LogDirectories, ChainFromBelowTheRoot) {
  EXPECT_EQ(directoryChain("C:\\ProgramData\\Vendor\\logs\\"),
            (std::vector<std::string>{"C:\\ProgramData", "C:\\ProgramData\\Vendor", "C:\\ProgramData\\Vendor\\logs"}));
  EXPECT_EQ(directoryChain("\\\\server\\share\\a\\b"),
            (std::vector<std::string>{"\\\\server\\share\\a", "\\\\server\\share\\a\\b"}));
  EXPECT_EQ(directoryChain("C:\\a\\\\b"), (std::vector<std::string>{"C:\\a", "C:\\a\\\\b"}));
  EXPECT_TRUE(directoryChain("C:\\").empty());
  EXPECT_TRUE(directoryChain("\\\\server\\share").empty());
  EXPECT_TRUE(directoryChain("logs\\a").empty());
}

TEST(LogDirectories, OnlyTheSystemTheAdministratorsAndTheInstallingUserAreTrustedOwners) {
  const std::vector<std::string> installing = {"S-1-5-21-1-2-3-1001", "S-1-5-32-544"};
  EXPECT_TRUE(trustedOwner("S-1-5-18", installing));
  EXPECT_TRUE(trustedOwner("S-1-5-32-544", {}));
  EXPECT_TRUE(trustedOwner("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", {}));
  EXPECT_TRUE(trustedOwner("S-1-5-21-1-2-3-1001", installing));
  EXPECT_FALSE(trustedOwner("S-1-5-21-1-2-3-1002", installing));  // another user
  EXPECT_FALSE(trustedOwner("S-1-5-32-545", installing));         // BUILTIN\Users
  EXPECT_FALSE(trustedOwner("", installing));
}

TEST(LogDirectories, PlacesWhereOthersMayWriteAreNamed) {
  struct Case {
    const char* path;
    const char* location;
  };
  const Case cases[] = {
      {"%TEMP%\\svc\\out.log", "the shared temporary directory (%TEMP%)"},
      {"${launcher:sys.tempDir}out.log", "the shared temporary directory (${launcher:sys.tempDir})"},
      {"C:\\ProgramData\\Vendor\\out.log", "C:\\ProgramData"},
      {"c:\\programdata\\out.log", "c:\\programdata"},
      {"%ProgramData%\\Vendor\\out.log", "C:\\ProgramData (%ProgramData%)"},
      {"%ALLUSERSPROFILE%\\x.log", "C:\\ProgramData (%ALLUSERSPROFILE%)"},
      {"C:\\Users\\Public\\logs\\x.log", "the public profile (C:\\Users\\Public)"},
      {"D:\\logs\\app\\out.log", "a folder directly in the drive root (D:\\logs)"},
      {"C:\\logs\\out.log", "a folder directly in the drive root (C:\\logs)"},
      {"C:\\Program Files\\Vendor\\logs\\out.log", ""},
      {"C:\\Program Files (x86)\\Vendor\\out.log", ""},
      {"C:\\Windows\\Logs\\out.log", ""},
      {"C:\\Users\\svc\\out.log", ""},
      {"logs\\out.log", ""},
      {"D:\\out.log", ""},  // no folder of its own to prepare
  };
  for (const Case& c : cases) EXPECT_EQ(sharedWriteLocation(c.path), c.location) << c.path;
}

}  // namespace
}  // namespace quorv
