// The resource tree of a PE image (type, name, language, data), read from and written as the
// bytes of a resource section.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace quorv::pack {

// Resource types used by the packer.
constexpr uint32_t kRtIcon = 3;
constexpr uint32_t kRtGroupIcon = 14;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kRtManifest = 24;
constexpr uint32_t kLangEnglishUs = 0x0409;

// A name or a numeric id; named entries sort first, as the directory must list them.
struct ResourceName {
  std::u16string name;  // empty: `id` applies
  uint32_t id = 0;

  ResourceName() = default;
  ResourceName(uint32_t number) : id(number) {}
  explicit ResourceName(std::u16string text) : name(std::move(text)) {}
  bool named() const { return !name.empty(); }
  bool operator<(const ResourceName& other) const;
  bool operator==(const ResourceName& other) const = default;
};

struct ResourceData {
  std::vector<uint8_t> bytes;
  uint32_t codePage = 0;
  bool operator==(const ResourceData&) const = default;
};

using ResourceLanguages = std::map<ResourceName, ResourceData>;
using ResourceNames = std::map<ResourceName, ResourceLanguages>;
using ResourceTree = std::map<ResourceName, ResourceNames>;

// Maps an RVA range of the image to the file bytes that hold it; empty when it lies outside.
using RvaReader = std::function<std::span<const uint8_t>(uint32_t rva, uint32_t size)>;

// Reads the tree whose root directory begins at `rootRva`. Throws PackError (naming `name`)
// for a tree that leaves its bounds, loops or is not three levels deep.
ResourceTree parseResourceTree(const RvaReader& read, uint32_t rootRva, const std::string& name);
// The bytes of a resource section placed at `sectionRva`, with the root directory first.
std::vector<uint8_t> serializeResourceTree(const ResourceTree& tree, uint32_t sectionRva);

}  // namespace quorv::pack
