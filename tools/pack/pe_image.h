// The launcher stub as a PE image: where its last section ends, which is where the launcher looks
// for the appended data block, and what must change when everything after that is dropped.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "file_io.h"
#include "resources.h"

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
// The stub up to the cut, with the layout's patches applied.
std::vector<uint8_t> loadStubImage(File& stub, const StubLayout& layout);

// The offset of the optional header's CheckSum field in an image that inspectStub accepted.
uint64_t checksumOffset(std::span<const uint8_t> image);

// The resource tree of an image that inspectStub accepted (empty when it has none). Throws
// PackError (naming `name`) for a damaged one.
ResourceTree readResources(std::span<const uint8_t> image, const std::string& name);
// Writes `tree` as the image's resource section, which grows or shrinks in place; a base
// relocation section after it moves up (relocations hold no addresses of their own). Every other
// layout is refused with a PackError naming `name`: another section after the resources, data
// that other headers point to inside the moving part, or no resource section at all.
void replaceResources(std::vector<uint8_t>& image, const ResourceTree& tree, const std::string& name);
// The resource tree of a launcher file, packed or not (signed ones too).
ResourceTree readFileResources(const std::filesystem::path& exe);

}  // namespace quorv::pack
