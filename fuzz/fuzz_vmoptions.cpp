// VM options: the configured options (key 123), "-J" arguments, the default VM options file and
// the files it includes, read from a small file system in memory that the input describes:
//
//   byte 0           flags: bit 0 allows "-J" arguments (key 125)
//   line 1           the configured VM options (key 123), also taken as key 124
//   line 2           the launch arguments, split like a command line
//   following lines  the default VM options file C:\app\app.vmoptions
//   "%%%NAME" line   starts the file NAME (relative names are taken in C:\app\)
//
// Files are found and identified the way Windows names them: without regard to case, with
// "/" for "\", "." and ".." segments and trailing dots and blanks of each name removed. So
// includes may form cycles under different spellings, and chains as deep as the files allow.
// Every file that is opened must be closed, and the reading must never go deeper than the
// number of files (plus the one that is opened, found on the chain and closed again).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/codepage.h"
#include "core/globals.h"
#include "core/split.h"
#include "files/paths.h"
#include "launch/expand.h"
#include "launch/options.h"
#include "launch/vmoptions.h"
#include "support/host_system.h"
#include "support/launch_fakes.h"

namespace {

using namespace quorv;

using test::kExeDir;
const std::string kDefaultFile = "C:\\app\\app.vmoptions";
// Enough for every sensible include tree; a tree that includes the same files many times over
// multiplies its reads (see fuzz/README.md) and is cut here.
constexpr int kMaxOpens = 256;

// What Windows makes of a path before it looks the file up.
std::string canonicalName(const std::string& path) {
  std::string text = path;
  std::replace(text.begin(), text.end(), '/', '\\');
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    start = end + 1;
    if (part == "." || part.empty()) continue;
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) parts.push_back(part);
  }
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : "\\") + part;
  lowerCasePath(out);
  return out;
}

struct MemoryFiles {
  std::map<std::string, std::string> files;  // by canonical name
  int opens = 0;
  int openNow = 0;
  int deepest = 0;
};

struct Cookie {
  MemoryFiles* owner;
  const std::string* text;
  std::size_t position;
};

ssize_t readCookie(void* cookie, char* buffer, size_t size) {
  auto* c = static_cast<Cookie*>(cookie);
  const std::size_t n = std::min(size, c->text->size() - c->position);
  std::copy_n(c->text->data() + c->position, n, buffer);
  c->position += n;
  return static_cast<ssize_t>(n);
}

int closeCookie(void* cookie) {
  auto* c = static_cast<Cookie*>(cookie);
  c->owner->openNow -= 1;
  delete c;
  return 0;
}

std::FILE* openMemoryFile(MemoryFiles& fs, const std::string& path) {
  auto it = fs.files.find(canonicalName(path));
  if (it == fs.files.end() || fs.opens >= kMaxOpens) return nullptr;
  fs.opens += 1;
  fs.openNow += 1;
  fs.deepest = std::max(fs.deepest, fs.openNow);
  cookie_io_functions_t io{readCookie, nullptr, nullptr, closeCookie};
  return fopencookie(new Cookie{&fs, &it->second, 0}, "r", io);
}

LaunchSystem memorySystem(MemoryFiles& fs) {
  LaunchSystem system;
  system.expand = [](std::string& text) {
    static const std::string environment = std::string("OPTS=C:\\opts") + '\0' + "INC=app.vmoptions" + '\0' +
                                           "=C:=C:\\app" + '\0' + "SELF=${SELF}" + '\0' + "EMPTY=" + '\0' +
                                           "Inc=-include-options sub\\..\\APP.vmoptions" + '\0' + '\0';
    if (text.size() > 4096) return;  // values grow the text; keep the file system small
    expandWith(text, ExpandValues{kExeDir, "", "C:\\jre\\bin\\..", "C:\\Temp\\"}, environment.c_str());
  };
  test::resolveAgainstExeDir(system);
  system.fileExists = [&fs](const std::string& path) { return fs.files.count(canonicalName(path)) > 0; };
  system.openText = [&fs](const std::string& path) { return openMemoryFile(fs, path); };
  system.fileIdentity = canonicalName;
  system.environment = [](const std::string&, std::string&) { return EnvironmentLookup::Undefined; };
  system.listArchives = [](const std::string&, const std::string&) { return std::vector<std::string>{"a.jar"}; };
  return system;
}

bool takeLine(std::string_view& rest, std::string& line) {
  if (rest.empty()) return false;
  const std::size_t end = rest.find('\n');
  line = std::string(rest.substr(0, end));
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::resetHost();
  tempDirectory.clear();
  launcherFlavour = 'q';
  if (size == 0) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string configured, arguments, line;
  takeLine(rest, configured);
  takeLine(rest, arguments);
  configStore().strings[key::VmOptions] = configured;
  configStore().strings[key::AllowJArguments] = (data[0] & 1) ? "1" : "0";
  configStore().strings[key::ClassPath] = "A0lib\\app.jar;S0lib;E0CP";

  MemoryFiles fs;
  std::string* current = &fs.files[canonicalName(kDefaultFile)];
  while (takeLine(rest, line)) {
    if (line.compare(0, 3, "%%%") == 0) {
      current = &fs.files[canonicalName(resolveAgainst(kExeDir, line.substr(3)))];
      continue;
    }
    *current += line + "\n";
  }
  const std::size_t fileCount = fs.files.size();
  const LaunchSystem system = memorySystem(fs);

  std::vector<std::u16string> launchArguments{u"C:\\app\\app.exe"};
  std::vector<std::string> split;
  splitAnsiCommandLine(arguments, split);
  for (const auto& argument : split) launchArguments.push_back(ansiToWide(argument));

  // The steps one by one, so that the chain can be checked afterwards.
  VmOptions vm;
  addConfiguredOptions(launchArguments, vm, system);
  readVmOptionsFile(system.openText(kDefaultFile), nullptr, vm, system, &kDefaultFile);
  if (!vm.includeChain.empty()) __builtin_trap();
  if (fs.openNow != 0) __builtin_trap();  // a file was left open
  // A file is opened before the chain is looked at, so one more than the files can be open.
  if (static_cast<std::size_t>(fs.deepest) > fileCount + 1) __builtin_trap();

  // The whole option list as the launch builds it: properties first, the class path last.
  const std::vector<std::string> properties{"-Dquorv.isService=true"};
  const auto locale = localeOptions(launchArguments, "de", "CH");
  fs.opens = 0;
  fs.deepest = 0;
  const std::vector<std::string> all = collectOptions(
      launchArguments, properties, locale,
      [&] { return DefaultVmOptionsFile{system.openText(kDefaultFile), kDefaultFile}; }, system);
  if (fs.openNow != 0) __builtin_trap();
  if (all.size() < 2 || all.front() != properties.front()) __builtin_trap();
  if (all.back().compare(0, 18, "-Djava.class.path=") != 0) __builtin_trap();

  // The parameters of main: five fixed ones, then the program, the configured arguments (key
  // 124, here the same text as key 123) and the launch arguments that are not options.
  configStore().strings[key::Arguments] = configured;
  const std::vector<std::u16string> parameters = mainParameters(launchArguments, system);
  if (parameters.size() < 6 || parameters[5] != launchArguments.front()) __builtin_trap();
  (void)defaultVmOptionsCandidate1(configured);
  (void)defaultVmOptionsCandidate2(configured);
  return 0;
}
