// The version resource (VS_VERSIONINFO) and the icon resources that Windows shows for an
// executable: in Explorer's file properties, Task Manager and the list of services.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pack_config.h"
#include "resources.h"

namespace quorv::pack {

using VersionNumbers = std::array<uint16_t, 4>;

// "1.2.3.4": 1 to 4 numbers from 0 to 65535 joined with dots (missing ones are 0), optionally
// followed by a suffix that begins with neither a digit nor a dot ("1.2.3-beta"). Returns what
// is wrong with the text, or "" with `numbers` set.
std::string parseVersionNumbers(std::string_view text, VersionNumbers& numbers);
std::string versionText(const VersionNumbers& numbers);

struct VersionInfo {
  VersionNumbers fileVersion{};
  VersionNumbers productVersion{};
  // StringFileInfo entries (name, text) of the first string table, in resource order.
  std::vector<std::pair<std::string, std::u16string>> strings;
  std::u16string text(std::string_view name) const;  // "" when absent
};

// The StringFileInfo name that a version.* setting writes ("version.product": "ProductName"),
// and back; empty when there is none.
std::string_view versionStringName(std::string_view settingPath);
std::string_view versionSettingPath(std::string_view stringName);

// The version information that `info` describes for an executable called `outputName`.
VersionInfo buildVersionInfo(const ExecutableInfo& info, const std::string& outputName);
std::vector<uint8_t> encodeVersionInfo(const VersionInfo& info);
// Throws PackError (naming `name`) for bytes that are not a version resource.
VersionInfo decodeVersionInfo(std::span<const uint8_t> bytes, const std::string& name);

struct IconImage {
  uint8_t width = 0;  // 0 stands for 256
  uint8_t height = 0;
  uint8_t colors = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  std::vector<uint8_t> bytes;  // a BMP without file header, or a PNG
};

// The images of an .ico file; throws PackError (naming `name`) for anything else.
std::vector<IconImage> parseIconFile(std::span<const uint8_t> bytes, const std::string& name);
std::vector<IconImage> readIconFile(const std::filesystem::path& path);

// Replaces the version resource, or every icon and icon group of the tree by one group (id 1).
void setVersionResource(ResourceTree& tree, const VersionInfo& info);
void setIconResources(ResourceTree& tree, const std::vector<IconImage>& images);
// The first version resource of the tree, if any.
std::optional<VersionInfo> findVersionInfo(const ResourceTree& tree, const std::string& name);
// The entries of the first icon group (sizes and colour depths; `bytes` is empty).
std::vector<IconImage> firstIconGroup(const ResourceTree& tree);

}  // namespace quorv::pack
