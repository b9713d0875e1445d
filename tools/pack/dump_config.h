// Printing a packed launcher's configuration back as a configuration file.
#pragma once
#include <string>
#include <string_view>

#include "block_reader.h"
#include "resources.h"

namespace quorv::pack {

// The block as TOML that `build` turns into the same entries, with the included files and their
// sizes in a leading comment; the version resource of `resources` becomes the [version] table.
std::string dumpConfig(const BlockContents& block, const std::string& exeName, const ResourceTree& resources = {});

std::string tomlString(std::string_view utf8);
std::string tomlKey(std::string_view name);

}  // namespace quorv::pack
