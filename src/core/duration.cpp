#include "core/duration.h"

namespace quorv {

std::optional<uint32_t> parseDuration(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 10) return std::nullopt;
  const std::string_view unit = text.substr(digits);
  uint64_t factor = 0;
  if (unit == "ms") factor = 1;
  else if (unit == "s") factor = 1000;
  else if (unit == "m") factor = 60 * 1000;
  else if (unit == "h") factor = 60 * 60 * 1000;
  else if (unit == "d") factor = 24 * 60 * 60 * 1000;
  else return std::nullopt;
  uint64_t number = 0;
  for (std::size_t i = 0; i < digits; ++i) number = number * 10 + static_cast<uint64_t>(text[i] - '0');
  const uint64_t milliseconds = number * factor;  // at most 10 digits times 86400000: no overflow
  if (milliseconds > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(milliseconds);
}

}  // namespace quorv
