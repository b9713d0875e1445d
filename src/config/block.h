// Reader of the appended data block: the PE section table locates it, then the header, the
// string and wide tables and the locale groups fill the configuration store.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorv {

// What the reader needs of an open file. `read` reads up to `want` bytes at the current
// position (false when the call failed); `seek` moves to an absolute position (false when that
// position is invalid).
struct FileSource {
  std::function<bool(void* destination, uint32_t want, uint32_t& got)> read;
  std::function<bool(uint32_t position)> seek;
  std::function<uint32_t()> lastError;
};

// Buffered reading over a FileSource; `position` is the logical position of the next byte.
struct BlockReader {
  FileSource source;
  std::vector<uint8_t> buffer;
  std::size_t begin = 0;
  std::size_t end = 0;
  uint64_t position = 0;
  bool seekFailed = false;
};

BlockReader makeBlockReader(FileSource source);
void seekTo(BlockReader& reader, int64_t position);

// Each reader ends the process with its "Internal Error: ..." message on a short read.
int64_t readLong(BlockReader& reader);
int32_t readInt(BlockReader& reader);
int16_t readShort(BlockReader& reader);
std::string readString(BlockReader& reader);
std::u16string readWString(BlockReader& reader);

// Positions the reader at PointerToRawData + SizeOfRawData of the last section.
void seekAppendedBlock(BlockReader& reader);
// Reads the block at the reader's position into configStore(); `determineLocale` chooses the
// locale name that selects the locale groups. Sets includedFilesOffset and useMessageBox.
void loadConfigurationFrom(BlockReader& reader, const std::function<std::string()>& determineLocale);

}  // namespace quorv
