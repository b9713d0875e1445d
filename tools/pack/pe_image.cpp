// PE header reading for the packer.
#include "pe_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pack_config.h"

namespace quorv::pack {
namespace {

uint16_t u16(std::span<const uint8_t> b, uint64_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

uint32_t u32(std::span<const uint8_t> b, uint64_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

constexpr uint64_t kMaxHead = 1 << 20;

void put32(std::vector<uint8_t>& b, uint64_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;
constexpr uint32_t kRelocationDirectory = 5;
constexpr uint32_t kInitializedData = 0x40;

struct Section {
  std::string name;
  uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
};

// The headers of an image that inspectStub accepted.
struct Headers {
  uint64_t optional = 0;     // the optional header
  uint64_t directories = 0;  // the data directories
  uint32_t directoryCount = 0;
  uint64_t table = 0;  // the section table
  uint32_t sectionAlignment = 0, fileAlignment = 0;
  std::vector<Section> sections;

  std::pair<uint32_t, uint32_t> directory(std::span<const uint8_t> image, uint32_t index) const {
    if (index >= directoryCount) return {0, 0};
    return {u32(image, directories + 8 * index), u32(image, directories + 8 * index + 4)};
  }
  void setDirectory(std::vector<uint8_t>& image, uint32_t index, uint32_t rva, uint32_t size) const {
    put32(image, directories + 8 * index, rva);
    put32(image, directories + 8 * index + 4, size);
  }
  // The file bytes of an RVA range inside one section's raw data; empty when there are none.
  std::span<const uint8_t> bytesAt(std::span<const uint8_t> image, uint32_t rva, uint32_t size) const {
    for (const Section& s : sections) {
      if (rva < s.virtualAddress || uint64_t(rva) + size > uint64_t(s.virtualAddress) + s.rawSize) continue;
      uint64_t offset = uint64_t(s.rawPointer) + (rva - s.virtualAddress);
      if (offset + size > image.size()) return {};
      return image.subspan(static_cast<size_t>(offset), size);
    }
    return {};
  }
};

Headers readHeaders(std::span<const uint8_t> image) {
  Headers h;
  uint64_t pe = u32(image, 60);
  uint16_t count = u16(image, pe + 6);
  h.optional = pe + 24;
  h.table = h.optional + u16(image, pe + 20);
  bool plus = u16(image, h.optional) == 0x20B;
  uint64_t countAt = h.optional + (plus ? 108 : 92);
  h.directories = countAt + 4;
  if (countAt + 4 <= h.table) h.directoryCount = std::min<uint32_t>(u32(image, countAt), 16);
  while (h.directoryCount > 0 && h.directories + 8ull * h.directoryCount > h.table) --h.directoryCount;
  h.sectionAlignment = u32(image, h.optional + 32);
  h.fileAlignment = u32(image, h.optional + 36);
  for (uint16_t i = 0; i < count; ++i) {
    uint64_t entry = h.table + 40ull * i;
    Section s;
    s.name.assign(reinterpret_cast<const char*>(image.data() + entry), 8);
    s.name.resize(std::strlen(s.name.c_str()));
    s.virtualSize = u32(image, entry + 8);
    s.virtualAddress = u32(image, entry + 12);
    s.rawSize = u32(image, entry + 16);
    s.rawPointer = u32(image, entry + 20);
    s.characteristics = u32(image, entry + 36);
    h.sections.push_back(std::move(s));
  }
  return h;
}

}  // namespace

StubLayout inspectStub(std::span<const uint8_t> head, uint64_t fileSize, const std::string& name,
                       bool forPacking) {
  auto notPe = [&](const std::string& why) {
    return PackError(name + ": the launcher stub is not a PE image (" + why + ")");
  };
  if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') throw notPe("no MZ header");
  StubLayout layout;
  layout.peOffset = u32(head, 60);
  uint64_t pe = layout.peOffset;
  if (pe + 24 > head.size() || std::memcmp(head.data() + pe, "PE\0\0", 4) != 0) throw notPe("no PE signature");
  uint16_t sections = u16(head, pe + 6);
  uint16_t optionalSize = u16(head, pe + 20);
  uint64_t table = pe + 24 + optionalSize;
  if (sections == 0) throw notPe("no sections");
  if (table + 40ull * sections > head.size()) throw notPe("section table beyond the end of the file");
  if (optionalSize < 2) throw notPe("no optional header");

  uint16_t magic = u16(head, pe + 24);
  uint64_t directories, countAt;
  if (magic == 0x20B) {
    countAt = pe + 24 + 108;
    directories = pe + 24 + 112;
  } else if (magic == 0x10B) {
    countAt = pe + 24 + 92;
    directories = pe + 24 + 96;
  } else {
    throw notPe("unknown optional header");
  }
  if (optionalSize < countAt + 4 - (pe + 24)) throw notPe("optional header too short");
  uint64_t certificateEntry = directories + 4 * 8;
  if (forPacking && countAt + 4 <= table && u32(head, countAt) > 4 && certificateEntry + 8 <= table &&
      (u32(head, certificateEntry) != 0 || u32(head, certificateEntry + 4) != 0))
    throw PackError(name + ": the launcher stub already carries a certificate table; pack the unsigned "
                           "launcher and sign after packing");

  uint64_t last = table + 40ull * (sections - 1);
  uint32_t lastSize = u32(head, last + 16);
  uint32_t lastPointer = u32(head, last + 20);
  layout.cut = uint64_t(lastPointer) + lastSize;
  if (lastSize == 0 || layout.cut > 0xFFFFFFFFull)
    throw PackError(name + ": the last section of the launcher stub has no data in the file, so the "
                           "launcher could not find its block");
  if (layout.cut > fileSize) throw PackError(name + ": the launcher stub is truncated (its last section ends "
                                                    "after the end of the file)");
  if (layout.cut < table + 40ull * sections) throw notPe("sections overlap the headers");
  for (uint16_t i = 0; i + 1 < sections; ++i) {
    uint64_t entry = table + 40ull * i;
    uint32_t size = u32(head, entry + 16);
    if (size != 0 && uint64_t(u32(head, entry + 20)) + size > layout.cut) {
      char section[9] = {};
      std::memcpy(section, head.data() + entry, 8);
      throw PackError(name + ": section " + section + " of the launcher stub ends after its last section; "
                             "the launcher finds its block after the last section table entry");
    }
  }
  uint32_t symbols = u32(head, pe + 12);
  layout.clearSymbols = symbols != 0 && symbols >= layout.cut;
  if (layout.clearSymbols) layout.patches.emplace_back(pe + 12, std::vector<uint8_t>(8, 0));
  layout.dropped = fileSize - layout.cut;
  return layout;
}

StubLayout inspectStub(File& stub) {
  uint64_t size = fileSize(stub);
  std::vector<uint8_t> head(std::min(size, kMaxHead));
  readExact(stub, head.data(), head.size());
  StubLayout layout = inspectStub(head, size, displayPath(stub.path));
  if (!layout.clearSymbols) return layout;

  // Long section names live in the string table after the symbols, which is dropped.
  uint64_t pe = layout.peOffset;
  uint64_t strings = uint64_t(u32(head, pe + 12)) + 18ull * u32(head, pe + 16);
  uint64_t table = pe + 24 + u16(head, pe + 20);
  for (uint16_t i = 0; i < u16(head, pe + 6); ++i) {
    uint64_t entry = table + 40ull * i;
    if (head[entry] != '/') continue;
    uint64_t offset = 0;
    for (int k = 1; k < 8 && head[entry + k] >= '0' && head[entry + k] <= '9'; ++k)
      offset = offset * 10 + (head[entry + k] - '0');
    std::vector<uint8_t> name(8, 0);
    if (strings + offset < size) {
      seekTo(stub, strings + offset);
      size_t n = readSome(stub, name.data(), name.size());
      std::fill(std::find(name.begin(), name.begin() + n, 0), name.end(), 0);
    }
    layout.patches.emplace_back(entry, std::move(name));
  }
  return layout;
}

std::vector<uint8_t> loadStubImage(File& stub, const StubLayout& layout) {
  std::vector<uint8_t> image(static_cast<size_t>(layout.cut));
  seekTo(stub, 0);
  readExact(stub, image.data(), image.size());
  for (const auto& [offset, bytes] : layout.patches)
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<ptrdiff_t>(offset));
  return image;
}

uint64_t checksumOffset(std::span<const uint8_t> image) { return readHeaders(image).optional + 64; }

ResourceTree readResources(std::span<const uint8_t> image, const std::string& name) {
  Headers h = readHeaders(image);
  auto [rva, size] = h.directory(image, kResourceDirectory);
  if (rva == 0) return {};
  RvaReader read = [&](uint32_t at, uint32_t length) { return h.bytesAt(image, at, length); };
  return parseResourceTree(read, rva, name);
}

ResourceTree readFileResources(const std::filesystem::path& exe) {
  File file = openForRead(exe);
  uint64_t size = fileSize(file);
  std::vector<uint8_t> head(std::min(size, kMaxHead));
  readExact(file, head.data(), head.size());
  StubLayout layout = inspectStub(head, size, displayPath(exe), false);
  std::vector<uint8_t> image(static_cast<size_t>(layout.cut));
  seekTo(file, 0);
  readExact(file, image.data(), image.size());
  return readResources(image, displayPath(exe));
}

void replaceResources(std::vector<uint8_t>& image, const ResourceTree& tree, const std::string& name) {
  Headers h = readHeaders(image);
  auto refuse = [&](const std::string& why) {
    return PackError(name + ": cannot write version information or an icon into this launcher stub: " + why);
  };
  auto [resourceRva, resourceSize] = h.directory(image, kResourceDirectory);
  if (resourceRva == 0) throw refuse("it has no resource section");
  if (h.fileAlignment == 0 || (h.fileAlignment & (h.fileAlignment - 1)) != 0 || h.sectionAlignment == 0 ||
      (h.sectionAlignment & (h.sectionAlignment - 1)) != 0)
    throw refuse("its section alignment is not a power of two");
  size_t index = h.sections.size();
  for (size_t i = 0; i < h.sections.size(); ++i)
    if (h.sections[i].virtualAddress == resourceRva) index = i;
  if (index == h.sections.size()) throw refuse("its resources do not begin a section");
  const Section resources = h.sections[index];
  // A section without raw data has no meaningful file position: the new tree could not be
  // written in its place, and copying up to that position would read past the image.
  if (resources.rawSize == 0) throw refuse("its resource section has no data in the file");
  if (uint64_t(resources.rawPointer) + resources.rawSize > image.size())
    throw refuse("its resource section lies outside the file");

  // Only the base relocations may follow the resources; they are moved up unchanged.
  auto [relocRva, relocSize] = h.directory(image, kRelocationDirectory);
  for (size_t i = index + 1; i < h.sections.size(); ++i)
    if (i != index + 1 || h.sections[i].virtualAddress != relocRva || relocRva == 0)
      throw refuse("section " + h.sections[i].name + " follows the resource section and cannot be moved");
  if (index + 1 < h.sections.size()) {
    const Section& reloc = h.sections[index + 1];
    if (uint64_t(reloc.rawPointer) + reloc.rawSize > image.size())
      throw refuse("section " + reloc.name + " lies outside the file");
  }
  for (size_t i = 0; i < index; ++i) {
    const Section& s = h.sections[i];
    if ((s.rawSize != 0 && s.rawPointer + uint64_t(s.rawSize) > resources.rawPointer) ||
        s.virtualAddress >= resources.virtualAddress)
      throw refuse("section " + s.name + " lies after the resource section");
  }
  uint32_t movingFrom = resources.virtualAddress;
  for (uint32_t d = 0; d < h.directoryCount; ++d) {
    auto [rva, size] = h.directory(image, d);
    if (d != kResourceDirectory && d != kCertificateDirectory && d != kRelocationDirectory && rva != 0 &&
        rva >= movingFrom)
      throw refuse("data directory " + std::to_string(d) + " points into the resource section or after it");
  }
  if (relocRva != 0) {
    auto relocations = h.bytesAt(image, relocRva, relocSize);
    if (relocations.size() != relocSize) throw refuse("its base relocations lie outside the file");
    for (size_t at = 0; at + 8 <= relocations.size();) {
      uint32_t page = u32(relocations, at);
      uint32_t blockSize = u32(relocations, at + 4);
      if (blockSize < 8) break;
      if (page >= movingFrom) throw refuse("a base relocation points into the resource section or after it");
      at += blockSize;
    }
  }

  auto align = [](uint64_t v, uint64_t a) { return (v + a - 1) / a * a; };
  std::vector<uint8_t> section = serializeResourceTree(tree, resources.virtualAddress);
  uint64_t rawSize = align(section.size(), h.fileAlignment);
  std::vector<uint8_t> out(image.begin(), image.begin() + static_cast<ptrdiff_t>(resources.rawPointer));
  out.insert(out.end(), section.begin(), section.end());
  out.resize(static_cast<size_t>(resources.rawPointer + rawSize), 0);

  auto putSection = [&](size_t i, uint32_t virtualSize, uint32_t va, uint64_t raw, uint64_t pointer) {
    uint64_t entry = h.table + 40ull * i;
    put32(out, entry + 8, virtualSize);
    put32(out, entry + 12, va);
    put32(out, entry + 16, static_cast<uint32_t>(raw));
    put32(out, entry + 20, static_cast<uint32_t>(pointer));
  };
  putSection(index, static_cast<uint32_t>(section.size()), resources.virtualAddress, rawSize, resources.rawPointer);
  uint64_t nextVa = align(uint64_t(resources.virtualAddress) + section.size(), h.sectionAlignment);
  uint64_t imageEnd = nextVa;
  if (index + 1 < h.sections.size()) {
    const Section& reloc = h.sections[index + 1];
    uint64_t pointer = out.size();
    out.insert(out.end(), image.begin() + static_cast<ptrdiff_t>(reloc.rawPointer),
               image.begin() + static_cast<ptrdiff_t>(reloc.rawPointer + reloc.rawSize));
    uint32_t extent = reloc.virtualSize != 0 ? reloc.virtualSize : reloc.rawSize;
    putSection(index + 1, reloc.virtualSize, static_cast<uint32_t>(nextVa), reloc.rawSize, pointer);
    h.setDirectory(out, kRelocationDirectory, static_cast<uint32_t>(nextVa + (relocRva - reloc.virtualAddress)),
                   relocSize);
    imageEnd = align(nextVa + extent, h.sectionAlignment);
  }
  if (out.size() > 0xFFFFFFFFull || imageEnd > 0xFFFFFFFFull) throw refuse("the image grows beyond 4 GiB");
  h.setDirectory(out, kResourceDirectory, resources.virtualAddress, static_cast<uint32_t>(section.size()));
  put32(out, h.optional + 56, static_cast<uint32_t>(imageEnd));  // SizeOfImage
  if (resources.characteristics & kInitializedData) {
    uint32_t initialized = u32(out, h.optional + 8);
    put32(out, h.optional + 8, initialized - resources.rawSize + static_cast<uint32_t>(rawSize));
  }
  image = std::move(out);
}

}  // namespace quorv::pack
