// The appended data block reader on arbitrary files: every input ends in a loaded store or in
// one of the reader's fatal messages, never in a crash, a hang or an unbounded allocation. The
// included-file names of a loaded block (keys 2002 and 2003) are then planned as extraction
// targets, each inside the temporary directory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/block.h"
#include "config/keys.h"
#include "config/store.h"
#include "files/extract.h"
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
    return 0;
  }
  const std::string temp = "C:\\Temp\\e4j1.tmp";
  const int32_t count = getConfigInt(key::IncludedCount);
  const auto targets = planIncludedFiles(temp, getConfigString(key::IncludedNames), count);
  if (static_cast<int64_t>(targets.size()) > (count < 0 ? 0 : count)) __builtin_trap();
  for (const auto& target : targets) {
    if (target.path.compare(0, temp.size() + 1, temp + "\\") != 0) __builtin_trap();
    if (!target.directory.empty() && target.path.compare(0, target.directory.size(), target.directory) != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
