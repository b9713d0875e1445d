// The CheckSum field of the PE optional header: the folded 16-bit sum of the whole file's words
// (the field itself counted as zero) plus the file's length, as image checksum tools compute it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace quorv::pack {

// Fed the file's bytes in order, with the CheckSum field already zeroed.
struct PeChecksum {
  uint64_t length = 0;
  uint64_t sum = 0;

  void add(const uint8_t* data, size_t size);
  uint32_t value() const;
};

}  // namespace quorv::pack
