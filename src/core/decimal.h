// Decimal numbers in the configuration's texts and the variables the launcher reads.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

// The value of `text` when it is decimal digits only, at least one, and at most `maximum`; each
// step is checked before it is taken, so that no text wraps around 64 bits into a small number.
std::optional<uint64_t> parseDecimal(std::string_view text, uint64_t maximum = UINT64_MAX);

}  // namespace quorv
