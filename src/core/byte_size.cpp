#include "core/byte_size.h"

#include "core/decimal.h"

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
  const std::optional<uint64_t> value = parseDecimal(text.substr(0, digits), kLimit - 1);
  if (!value || (*value != 0 && *value > (kLimit - 1) / factor)) return std::nullopt;
  return *value * factor;
}

}  // namespace quorv
