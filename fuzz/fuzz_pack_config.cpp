// The packer's configuration reader on arbitrary files. A file either yields problems (each with
// a message) or a configuration; it never ends the packer in any other way than PackError.
//
// A configuration without problems must survive two round trips:
//   - `dump` prints it as a file that reads back into the same tables;
//   - the block that the packer writes from it is read by the launcher's own reader into the
//     same strings and, for the locale de_CH, the same wide texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "block_reader.h"
#include "block_writer.h"
#include "config/block.h"
#include "config/block_format.h"
#include "config/store.h"
#include "dump_config.h"
#include "pack_config.h"
#include "parse_config.h"
#include "support/block_builder.h"
#include "support/host_system.h"

namespace {

using namespace quorv;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

const pack::ParseOptions kOptions{"rt.jar", false};

void checkDumpRoundTrip(const pack::PackConfig& config) {
  pack::BlockContents block;
  block.config = config;
  block.endMarkerFound = true;
  for (const auto& file : config.files) block.records.push_back(pack::BlockRecord{file.target, 1, 0});
  const std::string dumped = pack::dumpConfig(block, "fuzz.exe");
  const pack::ParseResult again = pack::parseConfigText(dumped, "dump.toml", "/nonexistent", kOptions);
  check(again.problems.empty());
  check(again.config.strings == config.strings);
  check(again.config.wide == config.wide);
  check(again.config.groups == config.groups);
}

void checkLauncherReadsTheBlock(const pack::PackConfig& config) {
  test::Bytes file = test::minimalPe();
  test::putI32(file, static_cast<int32_t>(block::kMagic));
  test::putI32(file, 0);
  test::putI32(file, 0);
  test::putI64(file, 0);
  const std::vector<uint8_t> tables = pack::encodeConfiguration(config);
  file.insert(file.end(), tables.begin(), tables.end());
  test::resetHost();
  BlockReader reader = makeBlockReader(test::memorySource(file));
  seekAppendedBlock(reader);
  loadConfigurationFrom(reader, [] { return std::string("de_CH"); });
  check(configStore().strings == config.strings);
  std::map<int32_t, std::u16string> wide = config.wide;
  for (const auto& group : config.groups) {
    if (std::string_view("de_CH").starts_with(group.prefix)) {
      for (const auto& [key, text] : group.entries) wide[key] = text;
    }
  }
  check(configStore().wide == wide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const pack::ParseResult parsed = pack::parseConfigText(text, "fuzz.toml", "/nonexistent", kOptions);
    for (const auto& problem : parsed.problems) check(!pack::formatProblem(problem).empty());
    if (!parsed.problems.empty()) return 0;
    checkDumpRoundTrip(parsed.config);
    checkLauncherReadsTheBlock(parsed.config);
  } catch (const pack::PackError&) {
  }
  return 0;
}
