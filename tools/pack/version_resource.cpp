// VS_VERSIONINFO is a tree of blocks; each block is wLength, wValueLength, wType (1: text), a
// NUL-terminated UTF-16 key, padding to 32 bits, the value, and its children, each beginning on
// a 32-bit boundary. wLength leaves out the padding after the block. The root holds
// VS_FIXEDFILEINFO; its children are StringFileInfo (string tables named by language and code
// page, holding the strings) and VarFileInfo (the Translation list).
#include "version_resource.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "file_io.h"
#include "text_codec.h"

namespace quorv::pack {
namespace {

struct VersionField {
  std::string_view path;
  std::string_view name;
};

constexpr VersionField kFields[] = {
    {"version.company", "CompanyName"},       {"version.description", "FileDescription"},
    {"version.file-version", "FileVersion"},  {"version.copyright", "LegalCopyright"},
    {"version.original-filename", "OriginalFilename"}, {"version.product", "ProductName"},
    {"version.product-version", "ProductVersion"},
};

constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr uint32_t kCodePageUnicode = 1200;
constexpr char16_t kStringTableKey[] = u"040904B0";  // US English, Unicode

uint16_t u16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t u32(std::span<const uint8_t> b, size_t at) { return uint32_t(u16(b, at)) | uint32_t(u16(b, at + 2)) << 16; }

void add16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void add32(std::vector<uint8_t>& out, uint32_t v) {
  add16(out, v & 0xFFFF);
  add16(out, v >> 16);
}
void pad4(std::vector<uint8_t>& out) {
  while (out.size() % 4) out.push_back(0);
}
void addText(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t c : text) add16(out, c);
  add16(out, 0);
}

std::vector<uint8_t> block(std::u16string_view key, const std::vector<uint8_t>& value, uint16_t valueLength,
                           bool text, const std::vector<std::vector<uint8_t>>& children) {
  std::vector<uint8_t> out;
  add16(out, 0);
  add16(out, valueLength);
  add16(out, text ? 1 : 0);
  addText(out, key);
  pad4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const auto& child : children) {
    pad4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  if (out.size() > 0xFFFF) throw PackError("the version information is too long (64 KiB at most)");
  out[0] = static_cast<uint8_t>(out.size());
  out[1] = static_cast<uint8_t>(out.size() >> 8);
  return out;
}

uint32_t high(const VersionNumbers& v) { return uint32_t(v[0]) << 16 | v[1]; }
uint32_t low(const VersionNumbers& v) { return uint32_t(v[2]) << 16 | v[3]; }

// One block of a version resource as read back.
struct Block {
  std::u16string key;
  std::span<const uint8_t> value;
  bool text = false;
  std::vector<Block> children;
};

struct BlockReader {
  const std::string& name;
  PackError damaged(const std::string& what) const {
    return PackError(name + ": damaged version resource: " + what);
  }
  Block read(std::span<const uint8_t> bytes, int depth) const {
    if (depth > 4) throw damaged("too deeply nested");
    if (bytes.size() < 6) throw damaged("a block is cut short");
    size_t length = u16(bytes, 0);
    if (length < 6 || length > bytes.size()) throw damaged("a block's length leaves its parent");
    bytes = bytes.first(length);
    Block b;
    uint16_t valueLength = u16(bytes, 2);
    b.text = u16(bytes, 4) == 1;
    size_t at = 6;
    while (true) {
      if (at + 2 > length) throw damaged("a key has no end");
      char16_t c = static_cast<char16_t>(u16(bytes, at));
      at += 2;
      if (c == 0) break;
      b.key.push_back(c);
    }
    at = (at + 3) / 4 * 4;
    size_t valueBytes = b.text ? 2 * size_t(valueLength) : valueLength;
    if (at < length) {
      b.value = bytes.subspan(at, std::min(valueBytes, length - at));
      at += valueBytes;
    }
    while (true) {
      at = (at + 3) / 4 * 4;
      if (at + 6 > length) break;
      b.children.push_back(read(bytes.subspan(at), depth + 1));
      at += u16(bytes, at);
    }
    return b;
  }
};

std::u16string valueText(std::span<const uint8_t> value) {
  std::u16string out;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    char16_t c = static_cast<char16_t>(u16(value, i));
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

// Any 8-bit text as UTF-16: UTF-8 where it is, Latin-1 otherwise.
std::u16string wide(std::string_view text) {
  if (auto utf16 = utf8ToUtf16(text)) return *utf16;
  return *utf8ToUtf16(latin1ToUtf8(text));
}

std::string ascii(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

std::string parseVersionNumbers(std::string_view text, VersionNumbers& numbers) {
  numbers = {};
  size_t at = 0;
  for (size_t part = 0; part < 4; ++part) {
    if (at >= text.size() || text[at] < '0' || text[at] > '9')
      return part == 0 ? "a version begins with a number" : "a dot must be followed by a number";
    uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
      if (value > 65535) return "each number of a version is at most 65535";
    }
    numbers[part] = static_cast<uint16_t>(value);
    if (at >= text.size() || text[at] != '.') break;
    if (part == 3) return "a version has at most four numbers";
    ++at;
  }
  if (at < text.size() && text[at] >= '0' && text[at] <= '9') return "a version has at most four numbers";
  return "";
}

std::string versionText(const VersionNumbers& n) {
  return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." + std::to_string(n[3]);
}

std::u16string VersionInfo::text(std::string_view name) const {
  for (const auto& [key, value] : strings)
    if (key == name) return value;
  return u"";
}

std::string_view versionStringName(std::string_view settingPath) {
  for (const auto& f : kFields)
    if (f.path == settingPath) return f.name;
  return {};
}

std::string_view versionSettingPath(std::string_view stringName) {
  for (const auto& f : kFields)
    if (f.name == stringName) return f.path;
  return {};
}

VersionInfo buildVersionInfo(const ExecutableInfo& info, const std::string& outputName) {
  auto given = [&](std::string_view path) -> const std::u16string* {
    auto it = info.versionStrings.find(std::string(path));
    return it == info.versionStrings.end() ? nullptr : &it->second;
  };
  VersionInfo out;
  auto numbers = [&](const std::u16string& text, VersionNumbers& into) {
    if (auto fault = parseVersionNumbers(utf16ToUtf8(text), into); !fault.empty())
      throw PackError("version: \"" + utf16ToUtf8(text) + "\": " + fault);
  };
  const std::u16string* fileVersion = given("version.file-version");
  const std::u16string* productVersion = given("version.product-version");
  if (!productVersion) productVersion = fileVersion;
  if (fileVersion) numbers(*fileVersion, out.fileVersion);
  if (productVersion) numbers(*productVersion, out.productVersion);

  std::u16string original = wide(outputName);
  if (const auto* o = given("version.original-filename")) original = *o;
  std::u16string internal = original.substr(0, original.rfind(u'.'));
  if (internal.empty()) internal = original;

  // Sorted by name, so that every build writes the same bytes.
  std::map<std::string, std::u16string> strings;
  for (const auto& f : kFields)
    if (const std::u16string* text = given(f.path)) strings[std::string(f.name)] = *text;
  if (productVersion) strings["ProductVersion"] = *productVersion;
  strings["OriginalFilename"] = original;
  strings["InternalName"] = internal;
  out.strings.assign(strings.begin(), strings.end());
  return out;
}

std::vector<uint8_t> encodeVersionInfo(const VersionInfo& info) {
  std::vector<uint8_t> fixed;
  add32(fixed, kFixedSignature);
  add32(fixed, 0x00010000);  // structure version 1.0
  add32(fixed, high(info.fileVersion));
  add32(fixed, low(info.fileVersion));
  add32(fixed, high(info.productVersion));
  add32(fixed, low(info.productVersion));
  add32(fixed, 0x3F);        // every flag is meaningful (and none is set)
  add32(fixed, 0);
  add32(fixed, 0x00040004);  // VOS_NT_WINDOWS32
  add32(fixed, 1);           // VFT_APP
  add32(fixed, 0);
  add32(fixed, 0);
  add32(fixed, 0);

  std::vector<std::vector<uint8_t>> strings;
  for (const auto& [name, text] : info.strings) {
    std::vector<uint8_t> value;
    addText(value, text);
    if (text.size() + 1 > 0xFFFF) throw PackError("version: the text of " + name + " is too long");
    strings.push_back(block(wide(name), value, static_cast<uint16_t>(text.size() + 1), true, {}));
  }
  std::vector<uint8_t> stringTable = block(kStringTableKey, {}, 0, true, strings);
  std::vector<uint8_t> stringFileInfo = block(u"StringFileInfo", {}, 0, true, {stringTable});
  std::vector<uint8_t> translation;
  add16(translation, kLangEnglishUs);
  add16(translation, kCodePageUnicode);
  std::vector<uint8_t> var = block(u"Translation", translation, 4, false, {});
  std::vector<uint8_t> varFileInfo = block(u"VarFileInfo", {}, 0, true, {var});
  return block(u"VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), false, {stringFileInfo, varFileInfo});
}

VersionInfo decodeVersionInfo(std::span<const uint8_t> bytes, const std::string& name) {
  BlockReader reader{name};
  Block root = reader.read(bytes, 0);
  if (root.key != u"VS_VERSION_INFO") throw reader.damaged("no VS_VERSION_INFO key");
  VersionInfo out;
  if (root.value.size() >= 52 && u32(root.value, 0) == kFixedSignature) {
    auto split = [](uint32_t h, uint32_t l) {
      return VersionNumbers{static_cast<uint16_t>(h >> 16), static_cast<uint16_t>(h), static_cast<uint16_t>(l >> 16),
                            static_cast<uint16_t>(l)};
    };
    out.fileVersion = split(u32(root.value, 8), u32(root.value, 12));
    out.productVersion = split(u32(root.value, 16), u32(root.value, 20));
  }
  for (const Block& child : root.children) {
    if (child.key != u"StringFileInfo" || child.children.empty()) continue;
    for (const Block& s : child.children.front().children) out.strings.emplace_back(ascii(s.key), valueText(s.value));
    break;
  }
  return out;
}

std::vector<IconImage> parseIconFile(std::span<const uint8_t> bytes, const std::string& name) {
  auto bad = [&](const std::string& why) { return PackError(name + ": not an icon file (" + why + ")"); };
  if (bytes.size() < 6 || u16(bytes, 0) != 0 || u16(bytes, 2) != 1) throw bad("no icon header");
  size_t count = u16(bytes, 4);
  if (count == 0) throw bad("no images");
  if (6 + 16 * count > bytes.size()) throw bad("the image list is cut short");
  std::vector<IconImage> images;
  for (size_t i = 0; i < count; ++i) {
    size_t entry = 6 + 16 * i;
    IconImage image{bytes[entry], bytes[entry + 1], bytes[entry + 2], u16(bytes, entry + 4), u16(bytes, entry + 6), {}};
    uint64_t size = u32(bytes, entry + 8);
    uint64_t offset = u32(bytes, entry + 12);
    std::string which = "image " + std::to_string(i + 1);
    if (size < 8 || offset + size > bytes.size()) throw bad(which + " lies outside the file");
    auto data = bytes.subspan(offset, size);
    static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(data.data(), kPng, 8) == 0) {
      if (image.planes == 0) image.planes = 1;
      if (image.bitCount == 0) image.bitCount = 32;
    } else if (size >= 40 && (u32(data, 0) == 40 || u32(data, 0) == 108 || u32(data, 0) == 124)) {
      // BITMAPINFOHEADER or its V4 and V5 forms
      if (image.planes == 0) image.planes = u16(data, 12);
      if (image.bitCount == 0) image.bitCount = u16(data, 14);
    } else {
      throw bad(which + " is neither a bitmap nor a PNG image");
    }
    image.bytes.assign(data.begin(), data.end());
    images.push_back(std::move(image));
  }
  return images;
}

std::vector<IconImage> readIconFile(const std::filesystem::path& path) {
  File file = openForRead(path);
  uint64_t size = fileSize(file);
  if (size > (64u << 20)) throw PackError(displayPath(path) + ": not an icon file (larger than 64 MiB)");
  std::vector<uint8_t> bytes(size);
  readExact(file, bytes.data(), bytes.size());
  return parseIconFile(bytes, displayPath(path));
}

void setVersionResource(ResourceTree& tree, const VersionInfo& info) {
  tree.erase(ResourceName(kRtVersion));
  tree[ResourceName(kRtVersion)][ResourceName(1)][ResourceName(kLangEnglishUs)] = ResourceData{encodeVersionInfo(info), 0};
}

void setIconResources(ResourceTree& tree, const std::vector<IconImage>& images) {
  tree.erase(ResourceName(kRtIcon));
  tree.erase(ResourceName(kRtGroupIcon));
  std::vector<uint8_t> group;
  add16(group, 0);
  add16(group, 1);
  add16(group, static_cast<uint32_t>(images.size()));
  auto& icons = tree[ResourceName(kRtIcon)];
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    uint32_t id = static_cast<uint32_t>(i + 1);
    group.push_back(image.width);
    group.push_back(image.height);
    group.push_back(image.colors);
    group.push_back(0);
    add16(group, image.planes);
    add16(group, image.bitCount);
    add32(group, static_cast<uint32_t>(image.bytes.size()));
    add16(group, id);
    icons[ResourceName(id)][ResourceName(kLangEnglishUs)] = ResourceData{image.bytes, 0};
  }
  tree[ResourceName(kRtGroupIcon)][ResourceName(1)][ResourceName(kLangEnglishUs)] = ResourceData{group, 0};
}

std::optional<VersionInfo> findVersionInfo(const ResourceTree& tree, const std::string& name) {
  auto type = tree.find(ResourceName(kRtVersion));
  if (type == tree.end() || type->second.empty() || type->second.begin()->second.empty()) return std::nullopt;
  return decodeVersionInfo(type->second.begin()->second.begin()->second.bytes, name);
}

std::vector<IconImage> firstIconGroup(const ResourceTree& tree) {
  std::vector<IconImage> out;
  auto type = tree.find(ResourceName(kRtGroupIcon));
  if (type == tree.end() || type->second.empty() || type->second.begin()->second.empty()) return out;
  const auto& bytes = type->second.begin()->second.begin()->second.bytes;
  if (bytes.size() < 6) return out;
  size_t count = u16(bytes, 4);
  for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= bytes.size(); ++i) {
    size_t e = 6 + 14 * i;
    out.push_back(IconImage{bytes[e], bytes[e + 1], bytes[e + 2], u16(bytes, e + 4), u16(bytes, e + 6), {}});
  }
  return out;
}

}  // namespace quorv::pack
