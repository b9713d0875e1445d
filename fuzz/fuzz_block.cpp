// The appended data block reader on arbitrary files: every input ends in a loaded store or in
// one of the reader's fatal messages, never in a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>

#include "config/block.h"
#include "support/block_builder.h"
#include "support/host_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorv;
  test::resetHost();
  // The first byte chooses between a whole file and a block behind a valid image, so that the
  // fuzzer reaches the block's fields without having to find a PE header first.
  test::Bytes file;
  if (size > 0 && (data[0] & 1)) file = test::minimalPe();
  if (size > 1) file.insert(file.end(), data + 1, data + size);
  BlockReader reader = makeBlockReader(test::memorySource(file));
  try {
    seekAppendedBlock(reader);
    loadConfigurationFrom(reader, [] { return std::string("de_CH"); });
  } catch (const test::FatalExit&) {
  }
  return 0;
}
