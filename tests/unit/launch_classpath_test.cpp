#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "files/paths.h"
#include "launch/classpath.h"
#include "launch/expand.h"
#include "support/host_system.h"
#include "support/launch_fakes.h"

namespace quorv {
namespace {

using test::kExeDir;

struct FakeMachine {
  std::set<std::string> existing;
  std::map<std::string, std::vector<std::string>> listings;  // by archive pattern
  std::map<std::string, std::string> environment;
  std::set<std::string> emptyVariables;

  LaunchSystem system() {
    LaunchSystem system;
    system.expand = [](std::string& text) {
      expandWith(text, ExpandValues{kExeDir, tempDirectory, "", "C:\\Temp\\"}, nullptr);
    };
    test::resolveAgainstExeDir(system);
    system.fileExists = [this](const std::string& path) { return existing.count(path) > 0; };
    system.environment = [this](const std::string& name, std::string& value) {
      if (emptyVariables.count(name)) return EnvironmentLookup::NoValue;
      auto it = environment.find(name);
      if (it == environment.end()) return EnvironmentLookup::Undefined;
      value = it->second;
      return EnvironmentLookup::Value;
    };
    system.listArchives = [this](const std::string& directory, const std::string& extension) {
      auto it = listings.find(archivePattern(directory, extension));
      return it == listings.end() ? std::vector<std::string>() : it->second;
    };
    return system;
  }
};

void reset() {
  test::resetHost();
  tempDirectory.clear();
  launcherFlavour = 'q';
}

TEST(ArchivePattern, AddsTheDotUnlessTheExtensionHasOne) {
  EXPECT_EQ(archivePattern("C:\\lib", "jar"), "C:\\lib\\*.jar");
  EXPECT_EQ(archivePattern("C:\\lib", ".zip"), "C:\\lib\\*.zip");
}

TEST(ClassPath, ConfiguredEntriesInOrder) {
  reset();
  FakeMachine machine;
  machine.existing = {"C:\\app\\lib\\a.jar", "C:\\app\\scan", "C:\\app\\classes"};
  machine.listings["C:\\app\\scan\\*.jar"] = {"b.jar", "a.jar"};
  machine.listings["C:\\app\\scan\\*.zip"] = {"a.zip"};
  machine.environment["EXTRA"] = "\"D:\\x.jar;D:\\y.jar\"";
  machine.environment["ENDS"] = "D:\\z.jar;";
  configStore().strings[key::ClassPath] =
      "A1lib\\a.jar;;D0classes;D0missing\\dir;S1scan;E0EXTRA;E0ENDS;E0UNSET;A0${launcher:sys.tempDir}t.jar;"
      "A0.\\.\\conf;";
  const std::string classPath = buildClassPath({}, machine.system());
  EXPECT_EQ(classPath,
            "-Djava.class.path=C:\\app\\lib\\a.jar;C:\\app\\classes;C:\\app\\missing\\dir;"
            "C:\\app\\scan\\b.jar;C:\\app\\scan\\a.jar;C:\\app\\scan\\a.zip;"
            "D:\\x.jar;D:\\y.jar;D:\\z.jar;C:\\Temp\\t.jar;C:\\app\\.\\.\\conf;");
  EXPECT_TRUE(test::logContains("classpath entry " + configStore().strings[key::ClassPath]));
}

TEST(ClassPath, MissingMandatoryEntriesEndTheLaunch) {
  struct Case {
    const char* entries;
    int key;
    const char* detail;
  } cases[] = {
      {"A1${launcher:sys.tempDir}gone.jar", key::MsgNotFound, "C:\\Temp\\gone.jar"},
      {"D1gone", key::MsgNotFound, "gone"},
      {"S1gone", key::MsgNotFound, "gone"},
      {"E1UNSET", key::MsgEnvUndefined, "UNSET"},
      {"E1EMPTY", key::MsgNotFound, "EMPTY"},  // exists but yields nothing
      {"A0gone;D1gone2;E1UNSET", key::MsgNotFound, "gone2"},  // the first missing one decides
  };
  for (const auto& c : cases) {
    reset();
    configStore().strings[key::MsgNotFound] = "File or directory {0} not found or empty\n";
    configStore().strings[key::MsgEnvUndefined] = "The environment variable {0} has to be defined";
    FakeMachine machine;
    machine.emptyVariables = {"EMPTY"};
    configStore().strings[key::ClassPath] = c.entries;
    std::string classPath;
    try {
      appendConfiguredClassPath(classPath, machine.system());
      ADD_FAILURE() << c.entries << " did not end the launch";
    } catch (const test::FatalExit& exit) {
      EXPECT_EQ(exit.code, 1);
      std::string expected = configStore().strings[c.key];
      expected.replace(expected.find("{0}"), 3, c.detail);
      EXPECT_EQ(exit.message, expected) << c.entries;
    }
  }
}

TEST(ClassPath, EntriesThatAreNotMissing) {
  reset();
  FakeMachine machine;
  machine.existing = {"C:\\app\\empty", "C:\\"};
  configStore().strings[key::ClassPath] = "S1empty;A1C:\\;X1whatever;A;E0UNSET;E0EMPTY;E1QUOTE";
  machine.emptyVariables = {"EMPTY"};
  machine.environment["QUOTE"] = "\"";
  std::string classPath;
  appendConfiguredClassPath(classPath, machine.system());
  // A lone quote is no pair of enclosing quotes.
  EXPECT_EQ(classPath, "C:\\;\";");
  EXPECT_TRUE(test::logContains("classpath entry X1whatever has an unknown type, skipped"));
  EXPECT_TRUE(test::logContains("classpath entry A has no mandatory mark, skipped"));
}

TEST(ClassPath, ExtractedArchivesAndTheInstallerRuntimeComeFirst) {
  reset();
  tempDirectory = "C:\\Temp\\qrv1_dir2";
  launcherFlavour = 'z';
  FakeMachine machine;
  machine.existing = {tempDirectory, tempDirectory + "\\user"};
  machine.listings[tempDirectory + "\\*.jar"] = {"rt.jar"};
  machine.listings[tempDirectory + "\\*.zip"] = {"z.zip"};
  machine.listings[tempDirectory + "\\user\\*.jar"] = {"u.jar"};
  configStore().strings[key::InstallationDir] = "inst";
  configStore().strings[key::ClassPath] = "A0app.jar";
  ClassPathOverrides overrides;
  overrides.prepend = "P:\\pre";
  EXPECT_EQ(buildClassPath(overrides, machine.system()),
            "-Djava.class.path=P:\\pre;C:\\Temp\\qrv1_dir2\\rt.jar;C:\\Temp\\qrv1_dir2\\z.zip;"
            "C:\\Temp\\qrv1_dir2\\user\\u.jar;C:\\app\\inst\\.zentrilex\\zlxruntime.jar;C:\\app\\app.jar;");
  tempDirectory.clear();
}

TEST(ClassPath, ReplaceAndAppendOverrides) {
  struct Case {
    const char* replace;
    const char* append;
    const char* expected;
  } cases[] = {
      {"R:\\r", "A:\\a", "-Djava.class.path=R:\\r;A:\\a"},
      {"R:\\r;", "A:\\a", "-Djava.class.path=R:\\r;A:\\a"},
      {"R:\\r", nullptr, "-Djava.class.path=R:\\r"},
      {nullptr, "A:\\a", "-Djava.class.path=C:\\app\\app.jar;A:\\a"},
  };
  for (const auto& c : cases) {
    reset();
    FakeMachine machine;
    configStore().strings[key::ClassPath] = "A0app.jar";
    ClassPathOverrides overrides;
    if (c.replace) overrides.replace = c.replace;
    if (c.append) overrides.append = c.append;
    EXPECT_EQ(buildClassPath(overrides, machine.system()), c.expected);
    // With the replace override the configured entries are not read.
    EXPECT_EQ(test::logContains("classpath entry A0app.jar"), c.replace == nullptr);
  }
}

TEST(ClassPath, LongerThanItsOldLimit) {
  reset();
  FakeMachine machine;
  std::string entries;
  std::string expected = "-Djava.class.path=";
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "lib\\archive-number-" + std::to_string(i) + ".jar";
    entries += "A0" + name + ";";
    expected += kExeDir + name + ";";
  }
  configStore().strings[key::ClassPath] = entries;
  const std::string classPath = buildClassPath({}, machine.system());
  EXPECT_GT(classPath.size(), 40960u);
  EXPECT_EQ(classPath, expected);
}

}  // namespace
}  // namespace quorv
