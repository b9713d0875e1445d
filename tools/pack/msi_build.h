// `quorv-pack msi`: the service executable, as `build` writes it, wrapped with the installer.files
// in a Windows Installer package by wixl (Linux) or WiX's wix (Windows).
#pragma once
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "installer.h"
#include "pack_config.h"

namespace quorv::pack {

struct MsiRequest {
  std::filesystem::path stub;    // the launcher stub
  std::filesystem::path base;    // where relative installer.files sources lie
  std::string configName;        // the configuration file, as problems name it
  std::filesystem::path output;  // the package
  std::filesystem::path wxs;     // empty: the WiX source is not kept; else it, with the executable beside it
};

// The tool that builds packages on this system, or a PackError that says which one to install.
std::filesystem::path packageTool();

// Writes the package (through a temporary file beside it, renamed at the end). The problems of
// the configuration that keep a package from being built are returned, and nothing is written;
// a failing tool is a PackError with its output.
std::vector<Problem> writeInstallerPackage(const PackConfig& config, const MsiRequest& request, std::ostream& notes);

// The package's inputs beyond those of the executable: the installed files.
std::vector<std::filesystem::path> installerInputs(const PackConfig& config, const std::filesystem::path& base);

}  // namespace quorv::pack
