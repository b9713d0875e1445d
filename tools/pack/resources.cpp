// Resource directories: a directory is 16 bytes with the counts of named and numbered entries,
// followed by 8-byte entries (name or id; offset of a sub-directory with the high bit set, or of
// a 16-byte data entry whose first field is the RVA of the data). Offsets count from the root.
#include "resources.h"

#include "pack_config.h"

namespace quorv::pack {
namespace {

uint16_t u16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

uint32_t u32(std::span<const uint8_t> b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kMaxEntries = 1 << 18;
constexpr uint64_t kMaxData = uint64_t(256) << 20;

struct Entry {
  ResourceName name;
  bool directory = false;
  uint32_t offset = 0;
};

struct TreeReader {
  const RvaReader& read;
  uint32_t rootRva;
  const std::string& name;
  size_t entries = 0;
  uint64_t dataBytes = 0;

  PackError damaged(const std::string& what) const {
    return PackError(name + ": damaged resource directory: " + what);
  }

  std::span<const uint8_t> at(uint64_t offset, uint64_t size) const {
    uint64_t rva = uint64_t(rootRva) + offset;
    if (offset >= kHighBit || size > 0xFFFFFFFFu || rva + size > 0xFFFFFFFFu) throw damaged("offset out of range");
    auto bytes = read(static_cast<uint32_t>(rva), static_cast<uint32_t>(size));
    if (bytes.size() != size) throw damaged("an entry lies outside the image");
    return bytes;
  }

  std::vector<Entry> directory(uint32_t offset) {
    auto head = at(offset, 16);
    uint32_t count = uint32_t(u16(head, 12)) + u16(head, 14);
    entries += 1 + count;  // directories that share sub-directories could otherwise multiply
    if (entries > kMaxEntries) throw damaged("too many entries");
    auto table = at(uint64_t(offset) + 16, 8ull * count);
    std::vector<Entry> out;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t nameField = u32(table, 8 * i);
      uint32_t dataField = u32(table, 8 * i + 4);
      Entry e;
      if (nameField & kHighBit) {
        uint32_t stringOffset = nameField & ~kHighBit;
        uint16_t length = u16(at(stringOffset, 2), 0);
        if (length == 0) throw damaged("an entry has an empty name");
        auto chars = at(uint64_t(stringOffset) + 2, 2ull * length);
        std::u16string text(length, u'\0');
        for (size_t k = 0; k < length; ++k) text[k] = static_cast<char16_t>(u16(chars, 2 * k));
        e.name = ResourceName(std::move(text));
      } else {
        e.name = ResourceName(nameField);
      }
      e.directory = (dataField & kHighBit) != 0;
      e.offset = dataField & ~kHighBit;
      out.push_back(std::move(e));
    }
    return out;
  }

  ResourceData data(uint32_t offset) {
    auto entry = at(offset, 16);
    uint32_t rva = u32(entry, 0);
    uint32_t size = u32(entry, 4);
    dataBytes += size;
    if (dataBytes > kMaxData) throw damaged("more than 256 MiB of resource data");
    auto bytes = read(rva, size);
    if (bytes.size() != size) throw damaged("resource data lies outside the image");
    return ResourceData{std::vector<uint8_t>(bytes.begin(), bytes.end()), u32(entry, 8)};
  }
};

}  // namespace

bool ResourceName::operator<(const ResourceName& other) const {
  if (named() != other.named()) return named();
  if (named()) return name < other.name;
  return id < other.id;
}

ResourceTree parseResourceTree(const RvaReader& read, uint32_t rootRva, const std::string& name) {
  TreeReader r{read, rootRva, name};
  ResourceTree tree;
  auto expectDirectory = [&](const Entry& e, bool directory) {
    if (e.directory != directory) throw r.damaged("the tree is not three levels deep (type, name, language)");
  };
  auto insert = [&](auto& map, const ResourceName& key, auto value) -> auto& {
    auto [it, fresh] = map.emplace(key, std::move(value));
    if (!fresh) throw r.damaged("an entry occurs twice in one directory");
    return it->second;
  };
  for (const Entry& type : r.directory(0)) {
    expectDirectory(type, true);
    auto& names = insert(tree, type.name, ResourceNames{});
    for (const Entry& item : r.directory(type.offset)) {
      expectDirectory(item, true);
      auto& languages = insert(names, item.name, ResourceLanguages{});
      for (const Entry& language : r.directory(item.offset)) {
        expectDirectory(language, false);
        insert(languages, language.name, r.data(language.offset));
      }
    }
  }
  return tree;
}

std::vector<uint8_t> serializeResourceTree(const ResourceTree& tree, uint32_t sectionRva) {
  auto align = [](size_t v, size_t a) { return (v + a - 1) / a * a; };
  auto directorySize = [](size_t entries) { return 16 + 8 * entries; };

  // Directories: the root, every type's, then every name's, in tree order.
  size_t size = directorySize(tree.size());
  std::vector<size_t> typeOffsets, nameOffsets;
  for (const auto& [type, names] : tree) {
    typeOffsets.push_back(size);
    size += directorySize(names.size());
  }
  size_t leaves = 0;
  for (const auto& [type, names] : tree)
    for (const auto& [item, languages] : names) {
      nameOffsets.push_back(size);
      size += directorySize(languages.size());
      leaves += languages.size();
    }
  // Name strings, then the data entries, then the data itself.
  std::map<std::u16string, size_t> strings;
  auto addString = [&](const ResourceName& n) {
    if (n.named() && !strings.count(n.name)) {
      strings[n.name] = size;
      size += 2 + 2 * n.name.size();
    }
  };
  for (const auto& [type, names] : tree) {
    addString(type);
    for (const auto& [item, languages] : names) {
      addString(item);
      for (const auto& [language, data] : languages) addString(language);
    }
  }
  size = align(size, 8);
  size_t dataEntries = size;
  size += 16 * leaves;
  std::vector<size_t> dataOffsets;
  for (const auto& [type, names] : tree)
    for (const auto& [item, languages] : names)
      for (const auto& [language, data] : languages) {
        size = align(size, 8);
        dataOffsets.push_back(size);
        size += data.bytes.size();
      }
  if (uint64_t(sectionRva) + size > 0xFFFFFFFFu) throw PackError("the resources are too large");

  std::vector<uint8_t> out(size, 0);
  auto writeDirectory = [&](size_t at, const auto& map) {
    if (map.size() > 0xFFFF) throw PackError("too many resources of one kind");
    uint16_t named = 0;
    for (const auto& [key, value] : map) named += key.named() ? 1 : 0;
    put16(out, at + 12, named);
    put16(out, at + 14, static_cast<uint32_t>(map.size() - named));
    return at + 16;
  };
  auto writeEntry = [&](size_t at, const ResourceName& n, uint32_t target) {
    put32(out, at, n.named() ? kHighBit | static_cast<uint32_t>(strings.at(n.name)) : n.id);
    put32(out, at + 4, target);
  };
  for (const auto& [text, at] : strings) {
    put16(out, at, static_cast<uint32_t>(text.size()));
    for (size_t k = 0; k < text.size(); ++k) put16(out, at + 2 + 2 * k, text[k]);
  }
  size_t entry = writeDirectory(0, tree);
  size_t typeIndex = 0, nameIndex = 0, leaf = 0;
  for (const auto& [type, names] : tree) {
    writeEntry(entry, type, kHighBit | static_cast<uint32_t>(typeOffsets[typeIndex]));
    entry += 8;
    size_t nameEntry = writeDirectory(typeOffsets[typeIndex++], names);
    for (const auto& [item, languages] : names) {
      writeEntry(nameEntry, item, kHighBit | static_cast<uint32_t>(nameOffsets[nameIndex]));
      nameEntry += 8;
      size_t languageEntry = writeDirectory(nameOffsets[nameIndex++], languages);
      for (const auto& [language, data] : languages) {
        size_t dataEntry = dataEntries + 16 * leaf;
        writeEntry(languageEntry, language, static_cast<uint32_t>(dataEntry));
        languageEntry += 8;
        put32(out, dataEntry, sectionRva + static_cast<uint32_t>(dataOffsets[leaf]));
        put32(out, dataEntry + 4, static_cast<uint32_t>(data.bytes.size()));
        put32(out, dataEntry + 8, data.codePage);
        std::copy(data.bytes.begin(), data.bytes.end(), out.begin() + static_cast<ptrdiff_t>(dataOffsets[leaf]));
        ++leaf;
      }
    }
  }
  return out;
}

}  // namespace quorv::pack
