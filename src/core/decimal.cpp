#include "core/decimal.h"

namespace quorv {

std::optional<uint64_t> parseDecimal(std::string_view text, uint64_t maximum) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (digit > maximum || value > (maximum - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace quorv
