// The launcher stub as a PE image: where its last section ends, which is where the launcher looks
// for the appended data block, and what must change when everything after that is dropped.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "file_io.h"

namespace quorv::pack {

struct StubLayout {
  uint64_t cut = 0;           // PointerToRawData + SizeOfRawData of the last section table entry
  uint32_t peOffset = 0;      // the "PE\0\0" signature
  bool clearSymbols = false;  // the COFF symbol table lay after the cut: clear its two fields
  uint64_t dropped = 0;       // bytes after the cut that are left out
  // Bytes to overwrite while copying: the two symbol-table fields, and section names of the
  // form "/123" (offsets into the dropped string table), which get their long name cut to 8.
  std::vector<std::pair<uint64_t, std::vector<uint8_t>>> patches;
};

// Checks the stub from its leading bytes (at least the headers and the section table) and its
// size. Throws PackError (naming `name`) for a file that is not a PE image, one whose sections do
// not end with the last table entry, and, when `forPacking`, one that already carries a
// certificate table (a signed launcher can still be read).
StubLayout inspectStub(std::span<const uint8_t> head, uint64_t fileSize, const std::string& name,
                       bool forPacking = true);
StubLayout inspectStub(File& stub);
// Copies the stub up to the cut into `out`, with the layout's patches applied.
void copyStub(File& stub, const StubLayout& layout, File& out);

}  // namespace quorv::pack
