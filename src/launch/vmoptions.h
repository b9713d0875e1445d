// VM options: the configured options, "-J" arguments and VM options files with their includes
// and class-path directives, gathered into one option list.
#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "launch/system.h"

namespace quorv {

struct ClassPathOverrides {
  std::optional<std::string> replace;
  std::optional<std::string> prepend;
  std::optional<std::string> append;
};

struct VmOptions {
  std::vector<std::string> options;
  ClassPathOverrides overrides;
  // Identities of the VM options files being read, outermost first.
  std::vector<std::string> includeChain;
};

// Applies one directive line; `baseFile` is the file holding the line, null for lines from the
// configuration, "-J" arguments and the default VM options file.
void applyOptionLine(const std::string& line, const std::string* baseFile, VmOptions& vm,
                     const LaunchSystem& system);
// Reads the file to its end, applies every line and closes it; does nothing without a file.
// `chainPath` names the file for the include chain when `path` is null (the default file).
void readVmOptionsFile(std::FILE* file, const std::string* path, VmOptions& vm,
                       const LaunchSystem& system, const std::string* chainPath = nullptr);
// The next line of the file, whatever its length, with its line feed; false at the end.
bool readWholeLine(std::FILE* file, std::string& line);
// A line as a VM options file holds it: cut at a NUL, trailing CR/LF removed, spaces trimmed;
// false for an empty line and a comment.
bool cleanOptionLine(std::string& line);
// Key 123 expanded and split, then the "-J" launch arguments when key 125 allows them.
void addConfiguredOptions(const std::vector<std::u16string>& launchArguments, VmOptions& vm,
                          const LaunchSystem& system);

// The two names the default VM options file may have beside the executable's long path.
std::string defaultVmOptionsCandidate1(const std::string& longPath);
std::string defaultVmOptionsCandidate2(const std::string& longPath);

// System side (vmoptions_win.cpp). `path` receives the name of the file that was opened.
std::FILE* openDefaultVmOptionsFile(std::string* path = nullptr);

}  // namespace quorv
