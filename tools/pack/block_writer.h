// Writing the appended data block: header, string table, wide table, locale groups, included-file
// records, end marker and padding.
#pragma once
#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

#include "file_io.h"
#include "pack_config.h"

namespace quorv::pack {

// The configuration part: string table, wide table and locale groups.
std::vector<uint8_t> encodeConfiguration(const PackConfig& config);
// The 8-byte little-endian length that leads an included-file record.
std::vector<uint8_t> encodeRecordLength(uint64_t size);
// The header's size field: the bytes from the start of that field to the end of the included
// files (the field itself, the configuration part, and an 8-byte length plus content per file).
int64_t blockSizeField(uint64_t configurationBytes, std::span<const uint64_t> fileSizes);
// Zero bytes after the end marker so that the file ends on a multiple of 512.
uint64_t paddingAfter(uint64_t endOffset);

// Where a line "quorv-pack: packing NAME: N MiB ... done" goes for each included file larger
// than `above` bytes; nowhere when `out` is null.
struct Progress {
  std::ostream* out = nullptr;
  uint64_t above = uint64_t(64) << 20;
};

// Writes the whole block at `startOffset` of `out` (its current position), streaming each
// included file through a small buffer. Returns the file offset after the padding.
uint64_t writeBlock(File& out, uint64_t startOffset, const PackConfig& config, const Progress& progress = {});

}  // namespace quorv::pack
