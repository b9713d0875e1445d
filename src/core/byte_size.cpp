#include "core/byte_size.h"

namespace quorv {

std::optional<uint64_t> parseByteSize(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0) return std::nullopt;
  const std::string_view unit = text.substr(digits);
  uint64_t factor = 0;
  if (unit.empty() || unit == "B") factor = 1;
  else if (unit == "KB") factor = uint64_t{1} << 10;
  else if (unit == "MB") factor = uint64_t{1} << 20;
  else if (unit == "GB") factor = uint64_t{1} << 30;
  else return std::nullopt;
  constexpr uint64_t kLimit = uint64_t{1} << 63;
  uint64_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    // Checked before the step: a step past the limit could wrap around 64 bits and look small.
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    if (value > (kLimit - 1 - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (value != 0 && value > (kLimit - 1) / factor) return std::nullopt;
  return value * factor;
}

}  // namespace quorv
