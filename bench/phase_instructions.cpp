// The launcher's own work in each phase of a realistic worker start, run once on the host so that
// callgrind can count its instructions (valgrind cannot run the Windows executable under Wine).
//
//   valgrind --tool=callgrind quorv_bench_phases VMOPTIONS-FILE
//
// The configuration is the one of bench/run's worker-start figure: 20 class-path entries (19
// archives and one directory), 5 included files of 1 MiB, the .vmoptions file of 30 lines that
// bench/run writes (read before the phases run) and two configured options, a search sequence of one relative Java home with a cached version. Each
// phase is one function, so that callgrind's inclusive count of that function is the phase:
//
//   phaseConfigurationLoad  the appended data block read into the store, the locale table
//   phaseExtraction         the plan of the included files and the unscrambling of their bytes
//   phaseSearch             the search sequence, its expansion and resolution, the version check
//   phaseOptionBuilding     system properties, locale options, VM options, class path, parameters
//
// What the system does for the launcher (file reads and writes, directory look-ups, the
// registry) is Wine's work and not counted here; the log is off, as in the worker-start figure.
#include <cstdio>
#include <string>
#include <vector>

#include "config/block.h"
#include "config/locale.h"
#include "config/store.h"
#include "files/extract.h"
#include "files/paths.h"
#include "jvm/search_rules.h"
#include "jvm/version.h"
#include "launch/classpath.h"
#include "launch/expand.h"
#include "launch/options.h"
#include "launch/vmoptions.h"
#include "support/block_builder.h"
#include "support/launch_fakes.h"

namespace {

using namespace quorv;

constexpr std::size_t kIncludedFiles = 5;
constexpr std::size_t kIncludedSize = 1 << 20;
constexpr std::size_t kCopyBuffer = 256 * 1024;  // the launcher's extraction buffer
const std::string kTempDirectory = "C:\\Users\\svc\\AppData\\Local\\Temp\\qrv1A2B.tmp_dir1765370000";

// An environment block as a service's process has it: about forty variables.
std::string environmentBlock() {
  const char* const entries[] = {
      "=C:=C:\\Windows\\system32", "ALLUSERSPROFILE=C:\\ProgramData", "APPDATA=C:\\Users\\svc\\AppData\\Roaming",
      "CommonProgramFiles=C:\\Program Files\\Common Files", "COMPUTERNAME=SERVER01", "ComSpec=C:\\Windows\\system32\\cmd.exe",
      "DriverData=C:\\Windows\\System32\\Drivers\\DriverData", "HOMEDRIVE=C:", "HOMEPATH=\\Users\\svc",
      "LOCALAPPDATA=C:\\Users\\svc\\AppData\\Local", "LOGONSERVER=\\\\SERVER01", "NUMBER_OF_PROCESSORS=8",
      "OS=Windows_NT",
      "Path=C:\\Windows\\system32;C:\\Windows;C:\\Windows\\System32\\Wbem;C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\",
      "PATHEXT=.COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC", "PROCESSOR_ARCHITECTURE=AMD64",
      "PROCESSOR_IDENTIFIER=Intel64 Family 6 Model 85 Stepping 7, GenuineIntel", "PROCESSOR_LEVEL=6",
      "PROCESSOR_REVISION=5507", "ProgramData=C:\\ProgramData", "ProgramFiles=C:\\Program Files",
      "ProgramFiles(x86)=C:\\Program Files (x86)", "ProgramW6432=C:\\Program Files",
      "PSModulePath=C:\\Program Files\\WindowsPowerShell\\Modules;C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\Modules",
      "PUBLIC=C:\\Users\\Public", "SystemDrive=C:", "SystemRoot=C:\\Windows", "TEMP=C:\\Users\\svc\\AppData\\Local\\Temp",
      "TMP=C:\\Users\\svc\\AppData\\Local\\Temp", "USERDOMAIN=SERVER01", "USERNAME=svc", "USERPROFILE=C:\\Users\\svc",
      "windir=C:\\Windows", "JAVA_HOME=C:\\Program Files\\Java\\jdk-17", "APP_ENV=production", "APP_REGION=eu-west",
      "CommonProgramW6432=C:\\Program Files\\Common Files", "SESSIONNAME=Services", "QUORV_SERVICE=1",
  };
  std::string block;
  for (const char* entry : entries) block.append(entry).push_back('\0');
  block.push_back('\0');
  return block;
}

std::string readWhole(const char* path) {
  std::string text;
  if (std::FILE* file = std::fopen(path, "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

struct Realistic {
  test::Bytes file;  // a PE image followed by the block and the included files
  std::string environment = environmentBlock();
  std::string vmOptions;
  std::vector<unsigned char> included = std::vector<unsigned char>(kIncludedFiles * kIncludedSize, 0x5A);
};

Realistic makeRealistic(const char* vmOptionsFile) {
  Realistic r;
  r.vmOptions = readWhole(vmOptionsFile);
  test::BlockSpec spec;
  std::string classPath;
  for (int i = 0; i < 19; ++i) classPath += "A0lib\\lib" + std::to_string(1000 + i).substr(1) + ".jar;";
  classPath += "D0classes";
  std::string names;
  for (std::size_t i = 0; i < kIncludedFiles; ++i) names += (i ? ";inc000" : "inc000") + std::to_string(i) + ".jar";
  spec.strings = {{107, "4"},
                  {122, "com.example.Main"},
                  {128, "R.\\jre"},
                  {121, classPath},
                  {123, "-Dapp.name=bench -Dapp.mode=service"},
                  {2002, std::to_string(kIncludedFiles)},
                  {2003, names}};
  r.file = test::minimalPe();
  const test::Bytes block = test::blockBytes(spec);
  r.file.insert(r.file.end(), block.begin(), block.end());
  return r;
}

ExpandValues expandValues(const std::string& jvmHome) {
  ExpandValues values;
  values.executableDirectory = test::kExeDir;
  values.tempDirectory = kTempDirectory;
  values.jvmHome = jvmHome;
  values.systemTempDirectory = "C:\\Users\\svc\\AppData\\Local\\Temp\\";
  return values;
}

LaunchSystem launchSystem(const Realistic& r, const std::string& jvmHome) {
  LaunchSystem system;
  test::resolveAgainstExeDir(system);
  system.expand = [&r, jvmHome](std::string& text) { expandWith(text, expandValues(jvmHome), r.environment.c_str()); };
  system.fileExists = [](const std::string&) { return true; };
  system.openText = [&r](const std::string&) {
    return fmemopen(const_cast<char*>(r.vmOptions.data()), r.vmOptions.size(), "r");
  };
  system.fileIdentity = [](const std::string& path) { return path; };
  system.environment = [](const std::string&, std::string&) { return EnvironmentLookup::Undefined; };
  system.listArchives = [](const std::string& directory, const std::string& extension) {
    std::vector<std::string> names;
    if (directory == kTempDirectory && extension == "jar") {
      for (std::size_t i = 0; i < kIncludedFiles; ++i) names.push_back("inc000" + std::to_string(i) + ".jar");
    }
    return names;
  };
  return system;
}

}  // namespace

extern "C" {

__attribute__((noinline)) void phaseConfigurationLoad(const Realistic& r) {
  BlockReader reader = makeBlockReader(test::memorySource(r.file));
  seekAppendedBlock(reader);
  loadConfigurationFrom(reader, [] { return localeNameForLcid(0x0807); });
}

__attribute__((noinline)) std::size_t phaseExtraction(Realistic& r) {
  const auto targets = planIncludedFiles(kTempDirectory, getConfigString(2003), getConfigInt(2002));
  // ReadFile puts each piece into the buffer and WriteFile takes it from there: the launcher's
  // own work on the bytes is the unscrambling of each piece in place.
  std::size_t offset = 0;
  for (std::size_t file = 0; file < targets.size(); ++file) {
    for (std::size_t done = 0; done < kIncludedSize; done += kCopyBuffer) {
      unscramble(r.included.data() + offset, kCopyBuffer);
      offset += kCopyBuffer;
    }
  }
  return targets.size() + r.included[0];
}

__attribute__((noinline)) bool phaseSearch(const Realistic& r) {
  const LaunchSystem system = launchSystem(r, "");
  bool accepted = false;
  for (SearchEntry& entry : parseSearchSequence(getConfigString(128))) {
    system.expand(entry.location);
    const std::string home = system.resolveFullPath(entry.location, false);
    const JavaExeChoice choice = chooseJavaExe(home, false, [](const std::string&) { return true; });
    const std::string cacheKey = versionCacheKeyName(choice.exe);
    std::string version;
    parseVersionLine("openjdk version \"17.0.15\" 2025-04-15\n", version);
    accepted = !cacheKey.empty() && isVersionAcceptable(version, "1.8", "", false);
  }
  return accepted;
}

__attribute__((noinline)) std::size_t phaseOptionBuilding(const Realistic& r) {
  const LaunchSystem system = launchSystem(r, "C:\\app\\jre\\bin\\..");
  const std::vector<std::u16string> arguments;
  SystemPropertyValues values;
  values.semaphoreName = "Local\\c:_app_app.exe0";
  values.executablePath = "C:\\app\\app.exe";
  values.tempDirectory = kTempDirectory;
  values.unextractedPosition = r.file.size();
  values.path = "C:\\app\\;C:\\Windows\\system32;C:\\Windows;c:\\app\\jre\\bin";
  values.consoleCodePage = 850;
  const std::vector<std::string> options =
      collectOptions(arguments, systemProperties(values), localeOptions(arguments, "de", "CH"),
                     [&] {
                       DefaultVmOptionsFile file;
                       file.path = "C:\\app\\app.vmoptions";
                       file.file = system.openText(file.path);
                       return file;
                     },
                     system);
  return options.size() + mainParameters(arguments, system).size();
}

}  // extern "C"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorv_bench_phases VMOPTIONS-FILE\n");
    return 2;
  }
  Realistic r = makeRealistic(argv[1]);
  phaseConfigurationLoad(r);
  const std::size_t files = phaseExtraction(r);
  const bool found = phaseSearch(r);
  const std::size_t options = phaseOptionBuilding(r);
  std::printf("store %zu entries, %zu included files, JVM %s, %zu options and parameters\n",
              configStore().strings.size(), files, found ? "accepted" : "refused", options);
  return found && options > 30 ? 0 : 1;
}
