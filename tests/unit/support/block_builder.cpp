#include "support/block_builder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/block_format.h"

namespace quorv::test {

void putI32(Bytes& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void putI64(Bytes& out, int64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
}

void putString(Bytes& out, int32_t key, const std::string& value) {
  putI32(out, key);
  putI32(out, static_cast<int32_t>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
}

void putWString(Bytes& out, int32_t key, const std::u16string& value) {
  putI32(out, key);
  putI32(out, static_cast<int32_t>(value.size() * 2));
  for (char16_t c : value) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
}

Bytes minimalPe(uint32_t imageSize) {
  Bytes pe(imageSize, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  const uint32_t h = 0x80;
  std::memcpy(&pe[60], &h, 4);
  std::memcpy(&pe[h], "PE\0\0", 4);
  const uint16_t sections = 2, optional = 240;
  std::memcpy(&pe[h + 6], &sections, 2);
  std::memcpy(&pe[h + 20], &optional, 2);
  const uint32_t table = h + 24 + optional;
  const uint32_t first[2] = {0x200, 0x200};  // SizeOfRawData, PointerToRawData
  const uint32_t last[2] = {imageSize - 0x400, 0x400};
  std::memcpy(&pe[table + 16], first, 8);
  std::memcpy(&pe[table + 40 + 16], last, 8);
  return pe;
}

Bytes blockBytes(const BlockSpec& spec) {
  Bytes body;
  putI32(body, static_cast<int32_t>(spec.strings.size()));
  for (const auto& [k, v] : spec.strings) putString(body, k, v);
  putI32(body, static_cast<int32_t>(spec.wide.size()));
  for (const auto& [k, v] : spec.wide) putWString(body, k, v);
  putI32(body, static_cast<int32_t>(spec.groups.size()));
  for (const auto& [prefix, entries] : spec.groups) {
    putI32(body, static_cast<int32_t>(prefix.size()));
    body.insert(body.end(), prefix.begin(), prefix.end());
    putI32(body, static_cast<int32_t>(entries.size()));
    for (const auto& [k, v] : entries) putWString(body, k, v);
  }
  Bytes block;
  putI32(block, static_cast<int32_t>(block::kMagic));
  putI32(block, 0);
  putI32(block, 0);
  putI64(block, static_cast<int64_t>(body.size()));
  block.insert(block.end(), body.begin(), body.end());
  block.insert(block.end(), std::begin(block::kEndMarker), std::end(block::kEndMarker));
  while (block.size() % block::kAlignment != 0) block.push_back(0);
  return block;
}

FileSource memorySource(const Bytes& bytes) {
  auto position = std::make_shared<uint64_t>(0);
  FileSource source;
  source.read = [&bytes, position](void* destination, uint32_t want, uint32_t& got) {
    const uint64_t left = *position < bytes.size() ? bytes.size() - *position : 0;
    got = static_cast<uint32_t>(std::min<uint64_t>(want, left));
    if (got > 0) std::memcpy(destination, bytes.data() + *position, got);
    *position += got;
    return true;
  };
  source.seek = [position](uint32_t to) {
    *position = to;
    return true;
  };
  source.lastError = [] { return 38u; };  // ERROR_HANDLE_EOF
  return source;
}

}  // namespace quorv::test
