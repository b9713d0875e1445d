#include "launch/vmoptions.h"

#include <algorithm>
#include <string_view>

#include "config/keys.h"
#include "config/store.h"
#include "core/split.h"
#include "diag/log.h"
#include "launch/shared_temp.h"

namespace quorv {
namespace {

constexpr std::string_view kInclude = "-include-options ";
constexpr std::string_view kReplace = "-classpath ";
constexpr std::string_view kPrepend = "-classpath/p ";
constexpr std::string_view kAppend = "-classpath/a ";
// Files deeper in an include chain than this are not read: each level costs stack.
constexpr std::size_t kMaxIncludeDepth = 1000;

bool startsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

void includeOptionsFile(const std::string& name, const std::string* baseFile, VmOptions& vm,
                        const LaunchSystem& system) {
  std::string expanded = name;
  warnOfSharedTempReference("included options file", expanded);
  system.expand(expanded);
  const std::string resolved = system.resolvePath(expanded, baseFile);
  std::FILE* file = system.openText(resolved);
  logMessage("adding vmoptions from <%s> (%s) (%p)", resolved.c_str(), expanded.c_str(),
             static_cast<void*>(file));
  readVmOptionsFile(file, &resolved, vm, system);
}

}  // namespace

void applyOptionLine(const std::string& line, const std::string* baseFile, VmOptions& vm,
                     const LaunchSystem& system) {
  if (startsWith(line, kInclude)) {
    includeOptionsFile(line.substr(kInclude.size()), baseFile, vm, system);
  } else if (startsWith(line, kReplace)) {
    vm.overrides.replace = line.substr(kReplace.size());
  } else if (startsWith(line, kPrepend)) {
    vm.overrides.prepend = line.substr(kPrepend.size());
  } else if (startsWith(line, kAppend)) {
    vm.overrides.append = line.substr(kAppend.size());
  } else {
    vm.options.push_back(line);
  }
}

bool readWholeLine(std::FILE* file, std::string& line) {
  line.clear();
  int c;
  while ((c = std::getc(file)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

bool cleanOptionLine(std::string& line) {
  // A line is text up to its first NUL; what follows on that line is not part of it. Kept, it
  // would travel inside an option or a class-path override and cut the JVM's copy short there.
  const std::size_t end = line.find('\0');
  if (end != std::string::npos) line.resize(end);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  line.erase(line.find_last_not_of(' ') + 1);
  line.erase(0, first);
  return line.front() != '#';
}

void readVmOptionsFile(std::FILE* file, const std::string* path, VmOptions& vm,
                       const LaunchSystem& system, const std::string* chainPath) {
  if (file == nullptr) return;
  const std::string* name = path != nullptr ? path : chainPath;
  std::string identity;
  if (name != nullptr) {
    identity = system.fileIdentity(*name);
    // A file that includes itself, directly or through others, is read only once on the chain.
    if (std::find(vm.includeChain.begin(), vm.includeChain.end(), identity) != vm.includeChain.end()) {
      logMessage("vmoptions file <%s> is already being read, not reading it again", name->c_str());
      std::fclose(file);
      return;
    }
    if (vm.includeChain.size() >= kMaxIncludeDepth) {
      logMessage("vmoptions file <%s> is included too deeply, not reading it", name->c_str());
      std::fclose(file);
      return;
    }
    vm.includeChain.push_back(identity);
  }
  // The file is read whole and closed before its lines are applied, so that a long chain of
  // includes never holds more than one file open.
  std::vector<std::string> lines;
  std::string line;
  while (readWholeLine(file, line)) {
    if (cleanOptionLine(line)) lines.push_back(std::move(line));
  }
  std::fclose(file);
  for (std::string& text : lines) {
    system.expand(text);
    applyOptionLine(text, path, vm, system);
  }
  if (name != nullptr) vm.includeChain.pop_back();
}

void addConfiguredOptions(const std::vector<std::u16string>& launchArguments, VmOptions& vm,
                          const LaunchSystem& system) {
  std::string configured = getConfigString(key::VmOptions);
  system.expand(configured);
  std::vector<std::string> tokens;
  splitAnsiCommandLine(configured, tokens);
  logMessage("adding options\n");
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == "-include-options" && i + 1 < tokens.size()) {
      applyOptionLine(tokens[i] + " " + tokens[i + 1], nullptr, vm, system);
      ++i;
    } else {
      applyOptionLine(tokens[i], nullptr, vm, system);
    }
  }
  if (getConfigInt(key::AllowJArguments) == 0) return;
  for (const auto& argument : launchArguments) {
    if (argument.compare(0, 2, u"-J") != 0) continue;
    applyOptionLine(narrowLikePrintf(std::u16string_view(argument).substr(2)), nullptr, vm, system);
  }
}

std::string defaultVmOptionsCandidate1(const std::string& longPath) {
  return longPath.substr(0, longPath.size() >= 4 ? longPath.size() - 4 : 0) + ".vmoptions";
}

std::string defaultVmOptionsCandidate2(const std::string& longPath) { return longPath + ".vmoptions"; }

}  // namespace quorv
