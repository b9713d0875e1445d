#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "files/paths.h"
#include "launch/expand.h"
#include "launch/vmoptions.h"
#include "support/host_system.h"
#include "support/launch_fakes.h"

namespace quorv {
namespace {

using test::kExeDir;

// VM options files held in memory, named by Windows paths.
struct FakeFiles {
  std::map<std::string, std::string> files;
  std::vector<std::string> opened;

  LaunchSystem system() {
    LaunchSystem system;
    system.expand = [](std::string& text) {
      ExpandValues values{kExeDir, "", "C:\\jre\\bin\\..", "C:\\Temp\\"};
      const std::string environment = std::string("OPTS=C:\\opts") + '\0' + '\0';
      expandWith(text, values, environment.c_str());
    };
    test::resolveAgainstExeDir(system);
    system.openText = [this](const std::string& path) -> std::FILE* {
      // Names compare without regard to case, as on Windows.
      auto it = std::find_if(files.begin(), files.end(), [&](const auto& entry) {
        std::string a = entry.first, b = path;
        lowerCasePath(a);
        lowerCasePath(b);
        return a == b;
      });
      if (it == files.end()) return nullptr;
      opened.push_back(path);
      std::FILE* file = std::tmpfile();
      std::fwrite(it->second.data(), 1, it->second.size(), file);
      std::rewind(file);
      return file;
    };
    system.fileIdentity = [](std::string path) {
      lowerCasePath(path);
      return path;
    };
    return system;
  }
};

bool logHasPrefix(const std::string& prefix) {
  for (const auto& line : test::loggedLines()) {
    if (line.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

VmOptions readFile(FakeFiles& fake, const std::string& path) {
  VmOptions vm;
  const LaunchSystem system = fake.system();
  readVmOptionsFile(system.openText(path), &path, vm, system);
  return vm;
}

TEST(VmOptionsFile, LinesAreTrimmedOfSpacesOnly) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a.vmoptions"] =
      "  -Xmx512m  \n"
      "\t-Dtab=1\n"
      "   # a comment\n"
      "#another\n"
      "\n"
      "     \n"
      "-Dx=1 #y\n"
      "-classpath\n"
      "-classpath \n"
      "-Dlast=without-line-feed";
  const VmOptions vm = readFile(fake, "C:\\app\\a.vmoptions");
  const std::vector<std::string> expected = {"-Xmx512m", "\t-Dtab=1", "-Dx=1 #y", "-classpath",
                                             "-classpath", "-Dlast=without-line-feed"};
  EXPECT_EQ(vm.options, expected);
  EXPECT_FALSE(vm.overrides.replace);
}

TEST(VmOptionsFile, CarriageReturnsAndLineFeedsGiveTheSameOptions) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\lf"] = "-Da=1\n-Db=2\n";
  fake.files["C:\\app\\crlf"] = "-Da=1\r\n-Db=2\r\n";
  fake.files["C:\\app\\mixed"] = "-Da=1\r\r\n-Db=2\r";
  for (const char* name : {"C:\\app\\lf", "C:\\app\\crlf", "C:\\app\\mixed"}) {
    EXPECT_EQ(readFile(fake, name).options, (std::vector<std::string>{"-Da=1", "-Db=2"})) << name;
  }
}

TEST(VmOptionsFile, ALineEndsAtItsFirstNul) {
  test::resetHost();
  FakeFiles fake;
  const std::string text = std::string("-classpath/p C:\\pre\0garbage\n", 28) +
                           std::string("-Dx=1\0tail  \n", 13) + std::string("\0-Dhidden=1\n", 12) +
                           "-Dnext=1\n";
  fake.files["C:\\app\\a"] = text;
  const VmOptions vm = readFile(fake, "C:\\app\\a");
  EXPECT_EQ(vm.overrides.prepend, "C:\\pre");
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Dx=1", "-Dnext=1"}));
}

TEST(VmOptionsFile, LongLinesStayWhole) {
  test::resetHost();
  FakeFiles fake;
  const std::string longOption = "-Dlong=" + std::string(20000, 'x');
  fake.files["C:\\app\\a"] = longOption + "\n-Dnext=1\n";
  EXPECT_EQ(readFile(fake, "C:\\app\\a").options, (std::vector<std::string>{longOption, "-Dnext=1"}));
}

TEST(VmOptionsFile, LinesAreExpanded) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a"] = "-Dhome=${launcher:sys.jvmHome}\n-Dopts=${OPTS}\n";
  EXPECT_EQ(readFile(fake, "C:\\app\\a").options,
            (std::vector<std::string>{"-Dhome=C:\\jre\\bin\\..", "-Dopts=C:\\opts"}));
}

TEST(VmOptionsFile, DirectivesSetOverridesAndTheLastWins) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a"] =
      "-classpath/a first\n"
      "-classpath C:\\r 1;C:\\r2\n"
      "-classpath/p C:\\p\n"
      "-classpath/a second value\n"
      "-classpath/x C:\\x\n";
  const VmOptions vm = readFile(fake, "C:\\app\\a");
  EXPECT_EQ(vm.overrides.append, "second value");
  EXPECT_EQ(vm.overrides.replace, "C:\\r 1;C:\\r2");
  EXPECT_EQ(vm.overrides.prepend, "C:\\p");
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-classpath/x C:\\x"}));
}

TEST(VmOptionsFile, IncludesResolveAgainstTheIncludingFile) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\main.vmoptions"] =
      "-Dbefore=1\n"
      "-include-options other\\sub.vmoptions\n"
      "-Dafter=1\n";
  fake.files["C:\\app\\other\\sub.vmoptions"] = "-Dsub=1\n-include-options nested.vmoptions\n";
  fake.files["C:\\app\\other\\nested.vmoptions"] = "-Dnested=1\n";
  fake.files["C:\\app\\nested.vmoptions"] = "-Dwrong=1\n";
  const VmOptions vm = readFile(fake, "C:\\app\\main.vmoptions");
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Dbefore=1", "-Dsub=1", "-Dnested=1", "-Dafter=1"}));
  EXPECT_TRUE(vm.includeChain.empty());
}

TEST(VmOptionsFile, IncludeWithoutBaseFileResolvesAgainstTheExecutableDirectory) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\nested.vmoptions"] = "-Dnested=1\n";
  fake.files["C:\\opts\\abs.vmoptions"] = "-Dabs=1\n";
  VmOptions vm;
  const LaunchSystem system = fake.system();
  applyOptionLine("-include-options nested.vmoptions", nullptr, vm, system);
  applyOptionLine("-include-options ${OPTS}\\abs.vmoptions", nullptr, vm, system);
  applyOptionLine("-include-options missing.vmoptions", nullptr, vm, system);
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Dnested=1", "-Dabs=1"}));
  EXPECT_TRUE(logHasPrefix("adding vmoptions from <C:\\opts\\abs.vmoptions> (C:\\opts\\abs.vmoptions) ("));
  char expectedMissing[200];
  std::snprintf(expectedMissing, sizeof expectedMissing, "adding vmoptions from <%s> (%s) (%p)",
                "C:\\app\\missing.vmoptions", "missing.vmoptions", static_cast<void*>(nullptr));
  EXPECT_EQ(test::loggedLines().back(), expectedMissing);
}

TEST(VmOptionsFile, IncludeCyclesStopAtTheFileAlreadyBeingRead) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a.vmoptions"] = "-Da=1\n-include-options b.vmoptions\n-Da=2\n";
  fake.files["C:\\app\\b.vmoptions"] = "-Db=1\n-include-options C:\\APP\\A.vmoptions\n-Db=2\n";
  const VmOptions vm = readFile(fake, "C:\\app\\a.vmoptions");
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Da=1", "-Db=1", "-Db=2", "-Da=2"}));
  EXPECT_TRUE(test::logContains(
      "vmoptions file <C:\\APP\\A.vmoptions> is already being read, not reading it again"));
}

TEST(VmOptionsFile, LongChainsKeepOneFileOpenAndStopAtTheDepthLimit) {
  test::resetHost();
  FakeFiles fake;
  constexpr int kFiles = 1002;
  for (int i = 0; i < kFiles; ++i) {
    std::string text = "-Dlevel=" + std::to_string(i) + "\n";
    if (i + 1 < kFiles) text += "-include-options c" + std::to_string(i + 1) + ".vmoptions\n";
    fake.files["C:\\app\\c" + std::to_string(i) + ".vmoptions"] = text;
  }
  const VmOptions vm = readFile(fake, "C:\\app\\c0.vmoptions");
  ASSERT_EQ(vm.options.size(), 1000u);
  EXPECT_EQ(vm.options.back(), "-Dlevel=999");
  EXPECT_TRUE(test::logContains("vmoptions file <C:\\app\\c1000.vmoptions> is included too deeply, not reading it"));
  EXPECT_TRUE(vm.includeChain.empty());
}

TEST(VmOptionsFile, SelfIncludeIsReadOnce) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a.vmoptions"] = "-Da=1\n-include-options a.vmoptions\n-Da=2\n";
  EXPECT_EQ(readFile(fake, "C:\\app\\a.vmoptions").options, (std::vector<std::string>{"-Da=1", "-Da=2"}));
}

TEST(VmOptionsFile, TheSameFileIncludedTwiceWithoutCycleIsReadTwice) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\a.vmoptions"] = "-include-options b.vmoptions\n-include-options b.vmoptions\n";
  fake.files["C:\\app\\b.vmoptions"] = "-Db=1\n";
  EXPECT_EQ(readFile(fake, "C:\\app\\a.vmoptions").options, (std::vector<std::string>{"-Db=1", "-Db=1"}));
}

TEST(VmOptionsFile, DefaultFileIsOnTheChainButNotABase) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\x.vmoptions"] = "-Dx=1\n-include-options sub\\s.vmoptions\n";
  fake.files["C:\\app\\sub\\s.vmoptions"] = "-Ds=1\n-include-options ..\\x.vmoptions\n";
  fake.files["C:\\app\\sub\\..\\x.vmoptions"] = "-Dreread=1\n";
  fake.files["C:\\app\\s.vmoptions"] = "-Dwrong=1\n";
  VmOptions vm;
  const LaunchSystem system = fake.system();
  const std::string path = "C:\\app\\x.vmoptions";
  readVmOptionsFile(system.openText(path), nullptr, vm, system, &path);
  // The default file's includes resolve against the executable directory.
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Dx=1", "-Ds=1", "-Dreread=1"}));
  readVmOptionsFile(nullptr, nullptr, vm, system);
  EXPECT_EQ(vm.options.size(), 3u);
}

TEST(ConfiguredOptions, TokensIncludesAndJArguments) {
  test::resetHost();
  FakeFiles fake;
  fake.files["C:\\app\\inc.vmoptions"] = "-Dinc=1\n";
  fake.files["C:\\app\\q.vmoptions"] = "-Dq=1\n";
  configStore().strings[key::VmOptions] =
      "-Xms1m -include-options inc.vmoptions \"-include-options q.vmoptions\" "
      "'-Dsp=a b' \"-classpath/a ${OPTS}\" -include-options";
  configStore().strings[key::AllowJArguments] = "1";
  VmOptions vm;
  const std::vector<std::u16string> arguments = {u"-J-Dfirst=1", u"svc", u"-J-Dname=${launcher:sys.tempDir}",
                                                 u"-J-classpath/p C:\\pre", u"-j-lower", u"-Dplain"};
  addConfiguredOptions(arguments, vm, fake.system());
  const std::vector<std::string> expected = {"-Xms1m", "-Dinc=1", "-Dq=1", "-Dsp=a b", "-include-options",
                                             "-Dfirst=1", "-Dname=${launcher:sys.tempDir}"};
  EXPECT_EQ(vm.options, expected);
  EXPECT_EQ(vm.overrides.append, "C:\\opts");
  EXPECT_EQ(vm.overrides.prepend, "C:\\pre");
  EXPECT_TRUE(test::logContains("adding options\n"));
}

TEST(ConfiguredOptions, JArgumentsAreIgnoredWithoutKey125) {
  test::resetHost();
  FakeFiles fake;
  VmOptions vm;
  addConfiguredOptions({u"-J-Xmx1g", u"-J-Xmx2g"}, vm, fake.system());
  EXPECT_TRUE(vm.options.empty());
}

TEST(ConfiguredOptions, JArgumentsAreNarrowedLikePrintf) {
  test::resetHost();
  FakeFiles fake;
  configStore().strings[key::AllowJArguments] = "1";
  VmOptions vm;
  addConfiguredOptions({u"-J-Dname=\u00e9t\u00e9", u"-J-Dcut=a\u4e2db"}, vm, fake.system());
  EXPECT_EQ(vm.options, (std::vector<std::string>{"-Dname=\xe9t\xe9", "-Dcut=a"}));
}

TEST(DefaultVmOptionsFile, Candidates) {
  EXPECT_EQ(defaultVmOptionsCandidate1("C:\\app\\x.exe"), "C:\\app\\x.vmoptions");
  EXPECT_EQ(defaultVmOptionsCandidate2("C:\\app\\x.exe"), "C:\\app\\x.exe.vmoptions");
}

}  // namespace
}  // namespace quorv
