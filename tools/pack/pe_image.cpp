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

void copyStub(File& stub, const StubLayout& layout, File& out) {
  seekTo(stub, 0);
  std::vector<uint8_t> buffer(1 << 16);
  uint64_t done = 0;
  while (done < layout.cut) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), layout.cut - done));
    readExact(stub, buffer.data(), n);
    for (const auto& [offset, bytes] : layout.patches)
      for (uint64_t at = std::max(done, offset); at < std::min(done + n, offset + bytes.size()); ++at)
        buffer[at - done] = bytes[at - offset];
    writeAll(out, buffer.data(), n);
    done += n;
  }
}

}  // namespace quorv::pack
