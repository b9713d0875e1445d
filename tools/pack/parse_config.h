// Reading a configuration file (TOML) into what the packer writes, with every problem found.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pack_config.h"

namespace quorv::pack {

struct ParseOptions {
  std::filesystem::path runtimeJar;  // the runtime archive, used while runtime.include is true
  bool checkSources = true;          // look the included files up on disk
  std::filesystem::path baseDir = {};  // relative sources are taken from here; empty: the file's directory
};

struct ParseResult {
  PackConfig config;
  std::vector<Problem> problems;  // sorted by line; empty when the file is sound
  std::vector<Problem> warnings;  // sorted by line; what `check` points out in a sound file
};

// `displayName` names the file in problems; sources are taken relative to `baseDir`.
ParseResult parseConfigText(std::string_view text, const std::string& displayName,
                            const std::filesystem::path& baseDir, const ParseOptions& options);
ParseResult parseConfigFile(const std::filesystem::path& file, const ParseOptions& options);

// Rules shared with `dump`, which prints a value under its name only when it passes them.
bool isJavaClassName(std::string_view name);
// Empty when the name is sound, else what is wrong with it.
std::string serviceNameFault(std::string_view name);
// Empty when the included-file name is sound (after "/" became "\"), else what is wrong.
std::string targetNameFault(std::string_view name);
// True when no version can satisfy both limits under the launcher's prefix comparison.
bool versionLimitsExclusive(std::string_view min, std::string_view max);

}  // namespace quorv::pack
