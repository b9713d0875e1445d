// The commands' work: building a packed launcher, extracting its files, and the generated texts.
#pragma once
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "pack_config.h"

namespace quorv::pack {

// Writes stub + block for `config` to `out` through a temporary file in the same directory that
// is renamed at the end; on failure no output file is left (an existing one stays as it was).
// The stub's resources get the version information and icon of `config.executable`, and the
// PE checksum is computed over the whole file. Notes (dropped stub data, empty files) and
// progress lines for large included files go to `notes`.
void writePackedLauncher(const std::filesystem::path& stub, const PackConfig& config,
                         const std::filesystem::path& out, std::ostream& notes);
// A dependency file in the form compilers write for make and ninja: `out` depends on the
// configuration file, the stub, every included file and the icon, and `more` (a package's files).
std::string dependencyFileText(const std::filesystem::path& out, const std::filesystem::path& configFile,
                               const std::filesystem::path& stub, const PackConfig& config,
                               const std::vector<std::filesystem::path>& more = {});

// Writes every included file of a packed launcher into `dir`, unscrambled; returns how many.
size_t extractIncludedFiles(const std::filesystem::path& exe, const std::filesystem::path& dir,
                            std::ostream& report);

// The reference of all settings (docs/config-reference.md).
std::string referenceText();
// A commented starter configuration; with an upgrade code, an [installer] table that uses it.
std::string starterConfig(const std::string& jar, const std::string& mainClass,
                          const std::optional<std::string>& upgradeCode = std::nullopt);

}  // namespace quorv::pack
