// Durations as the configuration writes them: a whole number followed by its unit, "500ms",
// "10s", "5m", "1h" or "1d".
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

// The duration in milliseconds; nothing when the text is not a number of digits directly followed
// by one of the units ms, s, m, h, d (lower case, no blanks, no sign), or when the milliseconds do
// not fit into 32 bits (a little more than 49 days), the width that Windows takes them in.
std::optional<uint32_t> parseDuration(std::string_view text);

}  // namespace quorv
