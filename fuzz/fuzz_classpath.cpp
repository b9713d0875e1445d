// Class-path assembly: the configured entries of key 121, the overrides of the VM options files,
// the extracted archives and the installer's runtime archive, over a machine that the input
// describes. Byte 0 holds flags (bit 0: a temporary directory exists, bit 1: installer
// flavour); line 1 is key 121; every further line sets up the machine or an override:
//
//   x:PATH          PATH exists                  e:NAME=VALUE   an environment variable
//   n:NAME          a variable without a value   l:DIR|EXT|A;B  the archives DIR\*.EXT
//   p: r: a:TEXT    the prepend, replace and append overrides
//   i:TEXT          key 10003, the installation directory
//
// A launch either gets an option that begins with "-Djava.class.path=", or ends with message
// 1006 or 1008, and only for an entry marked mandatory.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "files/paths.h"
#include "launch/classpath.h"
#include "launch/expand.h"
#include "support/host_system.h"
#include "support/launch_fakes.h"

namespace {

using namespace quorv;

using test::kExeDir;

std::string lowered(std::string text) {
  lowerCasePath(text);
  return text;
}

struct Machine {
  std::set<std::string> existing;  // lower-cased
  std::map<std::string, std::vector<std::string>> listings;  // by lower-cased archive pattern
  std::map<std::string, std::string> environment;
  std::set<std::string> noValue;

  LaunchSystem system() {
    LaunchSystem system;
    system.expand = [this](std::string& text) {
      std::string block;
      for (const auto& [name, value] : environment) block += name + "=" + value + '\0';
      block.push_back('\0');
      if (text.size() > 4096) return;
      expandWith(text, ExpandValues{kExeDir, tempDirectory, "", "C:\\Temp\\"}, block.c_str());
    };
    test::resolveAgainstExeDir(system);
    system.fileExists = [this](const std::string& path) {
      return isDriveRootForm(path) || existing.count(lowered(path)) > 0;
    };
    system.environment = [this](const std::string& name, std::string& value) {
      if (noValue.count(name)) return EnvironmentLookup::NoValue;
      auto it = environment.find(name);
      if (it == environment.end() || it->second.empty()) return EnvironmentLookup::Undefined;
      value = it->second;
      return EnvironmentLookup::Value;
    };
    system.listArchives = [this](const std::string& directory, const std::string& extension) {
      auto it = listings.find(lowered(archivePattern(directory, extension)));
      return it == listings.end() ? std::vector<std::string>() : it->second;
    };
    return system;
  }
};

bool hasMandatoryEntry(const std::string& configured) {
  std::size_t start = 0;
  while (start < configured.size()) {
    std::size_t end = configured.find(';', start);
    if (end == std::string::npos) end = configured.size();
    if (end - start >= 2 && configured[start + 1] == '1') return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::resetHost();
  if (size == 0) return 0;
  tempDirectory = (data[0] & 1) ? "C:\\Temp\\e4j1.tmp" : "";
  launcherFlavour = (data[0] & 2) ? 'z' : 'q';
  configStore().strings[key::MsgNotFound] = "NOTFOUND {0}";
  configStore().strings[key::MsgEnvUndefined] = "UNDEFINED {0}";

  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  Machine machine;
  ClassPathOverrides overrides;
  bool first = true;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string line(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (first) {
      configStore().strings[key::ClassPath] = line;
      first = false;
      continue;
    }
    if (line.size() < 2 || line[1] != ':') continue;
    const std::string text = line.substr(2);
    switch (line[0]) {
      case 'x': machine.existing.insert(lowered(resolveAgainst(kExeDir, text))); break;
      case 'e': {
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) machine.environment[text.substr(0, equals)] = text.substr(equals + 1);
        break;
      }
      case 'n': machine.noValue.insert(text); break;
      case 'l': {
        const std::size_t bar1 = text.find('|');
        const std::size_t bar2 = bar1 == std::string::npos ? bar1 : text.find('|', bar1 + 1);
        if (bar2 == std::string::npos) break;
        const std::string directory = resolveAgainst(kExeDir, text.substr(0, bar1));
        auto& names = machine.listings[lowered(archivePattern(directory, text.substr(bar1 + 1, bar2 - bar1 - 1)))];
        std::size_t start = bar2 + 1;
        while (start <= text.size()) {
          std::size_t semicolon = text.find(';', start);
          if (semicolon == std::string::npos) semicolon = text.size();
          names.push_back(text.substr(start, semicolon - start));
          start = semicolon + 1;
        }
        machine.existing.insert(lowered(directory));
        break;
      }
      case 'p': overrides.prepend = text; break;
      case 'r': overrides.replace = text; break;
      case 'a': overrides.append = text; break;
      case 'i': configStore().strings[key::InstallationDir] = text; break;
      default: break;
    }
  }

  const std::string configured = configStore().strings[key::ClassPath];
  try {
    const std::string classPath = buildClassPath(overrides, machine.system());
    if (classPath.compare(0, 18, "-Djava.class.path=") != 0) __builtin_trap();
    if (overrides.replace && classPath.find(*overrides.replace) == std::string::npos) __builtin_trap();
    if (overrides.append && classPath.size() < overrides.append->size()) __builtin_trap();
    if (overrides.append && classPath.compare(classPath.size() - overrides.append->size(), std::string::npos,
                                              *overrides.append) != 0) {
      __builtin_trap();  // the append override comes last
    }
  } catch (const test::FatalExit& exit) {
    if (exit.code != 1) __builtin_trap();
    if (exit.message.rfind("NOTFOUND ", 0) != 0 && exit.message.rfind("UNDEFINED ", 0) != 0) __builtin_trap();
    if (overrides.replace || !hasMandatoryEntry(configured)) __builtin_trap();
  }
  return 0;
}
