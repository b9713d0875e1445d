// Builds executables with an appended data block in memory, for tests of the block reader.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config/block.h"

namespace quorv::test {

using Bytes = std::vector<uint8_t>;

void putI32(Bytes& out, int32_t value);
void putI64(Bytes& out, int64_t value);
void putString(Bytes& out, int32_t key, const std::string& value);
void putWString(Bytes& out, int32_t key, const std::u16string& value);

// A minimal PE image whose last section ends at `imageSize`.
Bytes minimalPe(uint32_t imageSize = 1024);

struct BlockSpec {
  std::vector<std::pair<int32_t, std::string>> strings;
  std::vector<std::pair<int32_t, std::u16string>> wide;
  std::vector<std::pair<std::string, std::vector<std::pair<int32_t, std::u16string>>>> groups;
};
Bytes blockBytes(const BlockSpec& spec);

// A FileSource over bytes in memory.
FileSource memorySource(const Bytes& bytes);

}  // namespace quorv::test
