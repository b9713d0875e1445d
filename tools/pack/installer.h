// The [installer] table and the package that `quorv-pack msi` builds from it: the rules of its
// values, the files it installs, and the description of the package.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pack_config.h"

namespace quorv::pack {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, from that form with or without the
// braces and in either case; nothing for any other text.
std::optional<std::string> canonicalGuid(std::string_view text);
// A new random GUID in that form (quorv-pack init).
std::string newGuid();

// What Windows Installer takes as a product version: two to four numbers joined with dots, the
// first two at most 255, the others at most 65535. Empty when the text is one.
std::string installerVersionFault(std::string_view text);
// A directory below Program Files: names joined with "\" (or "/"). Empty when the text is one.
std::string installDirectoryFault(std::string_view text);
// The executable's file name in the install directory, ending in ".exe". Empty when the text is one.
std::string exeNameFault(std::string_view text);
// Where an installer.files entry goes: a directory below the install directory, "" for the
// install directory itself. Empty when the text is one.
std::string installTargetFault(std::string_view text);

// An installer.files entry as the block keeps it (for `dump`) and as the packer resolves it.
struct InstallerEntry {
  std::string source;  // as written, UTF-8
  std::string target;  // as written, UTF-8
};
std::string installerEntriesText(const std::vector<InstallerEntry>& entries);
std::optional<std::vector<InstallerEntry>> installerEntriesOf(std::string_view text);

// One file of the package: where it comes from and where it goes, relative to the install
// directory with backslashes ("lib\app.jar").
struct PackageFile {
  std::filesystem::path source;
  std::string target;  // UTF-8
};
// The files of one entry whose source (`base`-relative unless absolute) is a file, a directory
// (taken whole, with its sub-directories) or a file-name pattern with * and ? in its last part.
// Empty, with `fault` set, when it names nothing.
std::vector<PackageFile> expandInstallerEntry(const InstallerEntry& entry, const std::filesystem::path& base,
                                              std::string& fault);

// Everything the package holds and registers.
struct PackageSpec {
  std::string productName, manufacturer, version, upgradeCode;  // UTF-8
  std::vector<std::string> directory;                          // below Program Files
  std::string exeName;
  std::filesystem::path exeSource;
  std::string serviceName;
  std::string description;  // the text without locale, UTF-8; empty: none
  bool autoStart = false;
  bool interactive = false;  // LocalSystem, as /install registers it
  std::string account;       // empty: LocalSystem
  bool password = false;     // a user account: SERVICE_PASSWORD at install
  std::vector<std::string> dependencies;
  std::vector<PackageFile> files;  // the executable not among them
};

// The package of a parsed configuration (`base`: where relative sources lie) with the service
// executable at `exe`; what keeps `msi` from building one goes to `problems`, as lines of `file`.
PackageSpec packageSpec(const PackConfig& config, const std::filesystem::path& base, const std::filesystem::path& exe,
                        const std::string& file, std::vector<Problem>& problems);

// The WiX source (v3 schema) of the package. Its files are named relative to `base` (where the
// source lies: wixl takes no absolute paths), or absolute when `base` is empty.
std::string wxsText(const PackageSpec& spec, const std::filesystem::path& base = {});

}  // namespace quorv::pack
