// The command-line splitter and the command parser on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/command.h"
#include "core/split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorv;
  std::u16string wide(size / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  std::vector<std::u16string> list;
  splitCommandLine(wide, list);
  std::size_t total = 0;
  for (const auto& arg : list) total += arg.size();
  if (total > wide.size()) __builtin_trap();  // arguments are pieces of the text
  std::vector<std::string> narrow;
  splitCommandLineNarrow(wide, narrow);
  if (narrow.size() != list.size()) __builtin_trap();

  const std::string text(reinterpret_cast<const char*>(data), size);
  parseServiceCommand(skipProgramName(text));
  return 0;
}
