// Reading the appended data block of a packed launcher back, for `dump` and `extract`.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "file_io.h"
#include "pack_config.h"

namespace quorv::pack {

struct BlockRecord {
  std::string name;  // 8-bit, from key 2003
  int64_t size = 0;  // 0 or less: no content
  uint64_t contentOffset = 0;
};

struct BlockContents {
  uint64_t blockOffset = 0;
  int64_t sizeField = 0;
  // Tables as the launcher holds them (a later entry of a key wins), groups in block order.
  PackConfig config;
  uint64_t includedFilesOffset = 0;
  std::vector<BlockRecord> records;  // the files that the launcher would extract, in order
  bool endMarkerFound = false;       // the end marker follows the last record
};

// Reads the block at the end of the last section; throws PackError for a file that is not a
// packed launcher or whose block is damaged.
BlockContents readBlock(const std::filesystem::path& exe);
// The included-file names of key 2003 (empty pieces skipped).
std::vector<std::string> splitNames(const std::string& names);
// Key 2002 read as the launcher reads numbers (strtol, base 10, saturated to 32 bits).
int32_t configNumber(const std::string& text);
// Copies one record's content into `target`, unscrambled.
void extractRecord(File& exe, const BlockRecord& record, const std::filesystem::path& target);

}  // namespace quorv::pack
