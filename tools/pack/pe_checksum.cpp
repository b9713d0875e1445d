// Words are little-endian; an odd last byte counts as the low half of a word.
#include "pe_checksum.h"

namespace quorv::pack {

void PeChecksum::add(const uint8_t* data, size_t size) {
  size_t i = 0;
  if (size > 0 && length % 2 == 1) {
    sum += uint64_t(data[0]) << 8;
    i = 1;
  }
  uint64_t words = 0;
  for (; i + 1 < size; i += 2) words += uint64_t(data[i]) | uint64_t(data[i + 1]) << 8;
  if (i < size) words += data[i];
  sum += words;
  length += size;
}

uint32_t PeChecksum::value() const {
  uint64_t folded = sum;
  while (folded >> 16) folded = (folded & 0xFFFF) + (folded >> 16);
  return static_cast<uint32_t>(folded + length);
}

}  // namespace quorv::pack
