#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "files/paths.h"
#include "launch/expand.h"
#include "launch/native_path.h"
#include "launch/options.h"
#include "support/host_system.h"
#include "support/launch_fakes.h"

namespace quorv {
namespace {

using test::kExeDir;

struct FakeSystem {
  std::map<std::string, std::string> files;

  LaunchSystem system() {
    LaunchSystem system;
    system.expand = [](std::string& text) {
      const std::string environment = std::string("LOGS=D:\\logs") + '\0' + '\0';
      expandWith(text, ExpandValues{kExeDir, "", "C:\\jre\\bin\\..", "C:\\Temp\\"}, environment.c_str());
    };
    test::resolveAgainstExeDir(system);
    system.fileExists = [](const std::string&) { return false; };
    system.openText = [this](const std::string& path) -> std::FILE* {
      auto it = files.find(path);
      if (it == files.end()) return nullptr;
      std::FILE* file = std::tmpfile();
      std::fwrite(it->second.data(), 1, it->second.size(), file);
      std::rewind(file);
      return file;
    };
    system.fileIdentity = [](const std::string& path) { return path; };
    system.environment = [](const std::string&, std::string&) { return EnvironmentLookup::Undefined; };
    system.listArchives = [](const std::string&, const std::string&) { return std::vector<std::string>(); };
    return system;
  }
};

SystemPropertyValues fullValues() {
  SystemPropertyValues values;
  values.semaphoreName = "Local\\c:_app_x.exe0";
  values.flavour = 'z';
  values.executablePath = "C:\\app\\x.exe";
  values.processCommFile = "C:\\Temp\\qrv_p42.tmp";
  values.tempDirectory = "C:\\Temp\\qrv1_dir2";
  values.unextractedPosition = 5000000000ULL;
  values.path = "C:\\app\\native;C:\\Windows";
  values.manpathDefined = false;
  values.consoleCodePage = 850;
  return values;
}

TEST(SystemProperties, AllTenInOrder) {
  const std::vector<std::string> expected = {
      "-Dquorv.semaphoreName=Local\\c:_app_x.exe0",
      "-Dquorv.isZentrilex=true",
      "-Dquorv.isService=true",
      "-Dquorv.moduleName=C:\\app\\x.exe",
      "-Dsun.java.command=C:\\app\\x.exe",
      "-Dquorv.processCommFile=C:\\Temp\\qrv_p42.tmp",
      "-Dquorv.tempDir=C:\\Temp\\qrv1_dir2",
      "-Dquorv.unextractedPosition=5000000000",
      "-Djava.library.path=C:\\app\\native;C:\\Windows",
      "-Dquorv.consoleCodepage=cp850",
  };
  EXPECT_EQ(systemProperties(fullValues()), expected);
}

TEST(SystemProperties, OptionalOnes) {
  SystemPropertyValues values = fullValues();
  values.semaphoreName.clear();
  values.flavour = 'q';
  values.processCommFile.reset();
  values.tempDirectory.clear();
  values.unextractedPosition = 0;
  values.path.reset();
  values.manpathDefined = true;
  const std::vector<std::string> expected = {
      "-Dquorv.isService=true",     "-Dquorv.moduleName=C:\\app\\x.exe", "-Dsun.java.command=C:\\app\\x.exe",
      "-Dquorv.tempDir=",           "-Dquorv.unextractedPosition=0",     "-Djava.library.path=",
  };
  EXPECT_EQ(systemProperties(values), expected);
}

TEST(SystemProperties, LibraryPathOfAnyLength) {
  SystemPropertyValues values = fullValues();
  values.path = std::string(20000, 'p');
  EXPECT_EQ(systemProperties(values)[8], "-Djava.library.path=" + std::string(20000, 'p'));
}

TEST(LocaleOptions, FromTheLastFormatArgument) {
  const std::optional<std::string> de = "de", ch = "CH", none;
  struct Case {
    std::vector<std::u16string> arguments;
    std::optional<std::string> language, country;
    std::vector<std::string> expected;
  } cases[] = {
      {{}, de, ch, {"-Dsun.locale.formatasdefault=true"}},
      {{u"svc", u"-Dx=1"}, de, ch, {"-Dsun.locale.formatasdefault=true"}},
      {{u"svc", u"-Dsun.locale.formatasdefault=false"}, de, ch,
       {"-Dsun.locale.formatasdefault=false", "-Duser.language=de", "-Duser.country=CH"}},
      {{u"svc", u"-Dsun.locale.formatasdefault=false"}, de, none,
       {"-Dsun.locale.formatasdefault=false", "-Duser.language=de"}},
      {{u"-Dsun.locale.formatasdefault=false", u"-Dsun.locale.formatasdefault=true"}, de, ch,
       {"-Dsun.locale.formatasdefault=true"}},
      {{u"-Dsun.locale.formatasdefault=true", u"-Dsun.locale.formatasdefault=TRUE"}, de, ch,
       {"-Dsun.locale.formatasdefault=TRUE", "-Duser.language=de", "-Duser.country=CH"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(localeOptions(c.arguments, c.language, c.country), c.expected);
  }
}

TEST(MainParameters, BuiltFromConfigurationAndArguments) {
  test::resetHost();
  FakeSystem fake;
  configStore().strings[key::LauncherKind] = "1";
  configStore().strings[key::MainClass] = "com.example.Main\xe9";
  configStore().strings[key::ErrorLogEnabled] = "1";
  configStore().strings[key::ErrorLogFile] = "${LOGS}\\err.log";
  configStore().strings[key::OutputLogEnabled] = "1";
  configStore().strings[key::OutputLogFile] = "${UNDEFINED}\\out.log";
  configStore().strings[key::EntryFlag] = "1";
  configStore().strings[key::Arguments] = "one 'two three' ${LOGS}";
  configStore().strings[key::AllowJArguments] = "1";
  const std::vector<std::u16string> arguments = {
      u"-J-first", u"-Jx", u"plain", u"-Dsun.locale.formatasdefault=false", u"\u4e2d\u00e9", u"-j-kept"};
  const std::vector<std::u16string> expected = {
      u"true", u"com.example.Main\u00e9", u"D:\\logs\\err.log", u"${UNDEFINED}\\out.log", u"true",
      u"-J-first", u"one", u"two three", u"D:\\logs", u"plain", u"\u4e2d\u00e9", u"-j-kept"};
  EXPECT_EQ(mainParameters(arguments, fake.system()), expected);
}

TEST(MainParameters, Defaults) {
  test::resetHost();
  FakeSystem fake;
  configStore().strings[key::ErrorLogFile] = "err.log";  // ignored while key 102 is 0
  configStore().strings[key::OutputLogEnabled] = "1";
  configStore().strings[key::OutputLogFile] = "out.log";
  const std::vector<std::u16string> arguments = {u"-Dsun.locale.formatasdefault=false", u"-J-Xmx1g",
                                                 u"-Dsun.locale.formatasdefault=true"};
  const std::vector<std::u16string> expected = {
      u"false", u"", u"", u"C:\\app\\out.log", u"false", u"-Dsun.locale.formatasdefault=false", u"-J-Xmx1g"};
  EXPECT_EQ(mainParameters(arguments, fake.system()), expected);
  EXPECT_EQ(mainParameters({}, fake.system()).size(), 5u);
}

TEST(CollectOptions, TheWholeListInItsOrder) {
  test::resetHost();
  launcherFlavour = 'q';
  tempDirectory.clear();
  FakeSystem fake;
  fake.files["C:\\app\\x.vmoptions"] =
      "-Dfile=1\n-include-options inc.vmoptions\n-classpath/a C:\\after\n-classpath/p C:\\before\n";
  fake.files["C:\\app\\inc.vmoptions"] = "-Dinc=1\n";
  configStore().strings[key::VmOptions] = "-Xmx64m \"-classpath/a C:\\overwritten\"";
  configStore().strings[key::AllowJArguments] = "1";
  configStore().strings[key::ClassPath] = "A0app.jar";
  LaunchSystem system = fake.system();
  const std::vector<std::u16string> arguments = {u"svc", u"-J-Dj=1", u"-Dsun.locale.formatasdefault=false"};
  const auto openDefault = [&] {
    DefaultVmOptionsFile defaultFile;
    defaultFile.path = "C:\\app\\x.vmoptions";
    defaultFile.file = system.openText(defaultFile.path);
    return defaultFile;
  };
  const std::vector<std::string> options =
      collectOptions(arguments, {"-Dprop=1"}, localeOptions(arguments, "fr", std::nullopt), openDefault, system);
  const std::vector<std::string> expected = {
      "-Dprop=1", "-Xmx64m", "-Dj=1", "-Dsun.locale.formatasdefault=false", "-Duser.language=fr",
      "-Dfile=1", "-Dinc=1", "-Djava.class.path=C:\\before;C:\\app\\app.jar;C:\\after"};
  EXPECT_EQ(options, expected);
}

TEST(NativeLibraryPath, DirectoriesInFrontOfPath) {
  struct Case {
    const char* configured;
    std::optional<std::string> oldPath;
    const char* expected;
  } cases[] = {
      {"", std::string("C:\\Windows"), "C:\\Windows"},
      {"native;lib\\x86", std::string("C:\\Windows"), "C:\\app\\native;C:\\app\\lib\\x86;C:\\Windows"},
      {"native;", std::string("C:\\Windows"), "C:\\app\\native;C:\\Windows"},
      {"D:\\abs;;${LOGS}", std::nullopt, "D:\\abs;D:\\logs;"},
      {"", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    test::resetHost();
    FakeSystem fake;
    configStore().strings[key::NativeLibDirs] = c.configured;
    EXPECT_EQ(nativeLibraryPathValue(c.oldPath, fake.system()), c.expected) << c.configured;
    EXPECT_EQ(test::loggedLines().front(), std::string("native lib dir is ") + c.configured);
  }
}

TEST(NativeLibraryPath, OldPathOfAnyLength) {
  test::resetHost();
  FakeSystem fake;
  configStore().strings[key::NativeLibDirs] = "native";
  const std::string longPath(20000, 'p');
  EXPECT_EQ(nativeLibraryPathValue(longPath, fake.system()), "C:\\app\\native;" + longPath);
}

TEST(EntryClass, ByFlavour) {
  EXPECT_STREQ(entryClassFor('z'), "com/zentrilex/runtime/launcher/WinLauncher");
  EXPECT_STREQ(entryClassFor('q'), "com/quorv/runtime/WinLauncher");
  EXPECT_STREQ(entryClassFor(0), "com/quorv/runtime/WinLauncher");
}

TEST(FirstRunMarker, UnderTheInstallationDirectory) {
  test::resetHost();
  FakeSystem fake;
  configStore().strings[key::InstallationDir] = "..\\inst";
  EXPECT_EQ(firstRunMarkerPath(fake.system()), "C:\\app\\..\\inst\\.zentrilex\\firstrun");
}

}  // namespace
}  // namespace quorv
