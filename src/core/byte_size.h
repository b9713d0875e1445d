// Sizes as the configuration writes them: a whole number of bytes, or a whole number followed by
// "KB", "MB" or "GB" (1024, 1024 * 1024 and 1024 * 1024 * 1024 bytes), such as "10MB".
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

// The size in bytes; nothing when the text is not a number of digits, either alone or directly
// followed by one of the units B, KB, MB, GB (upper case, no blanks, no sign, no fraction), or
// when the bytes do not fit into 63 bits.
std::optional<uint64_t> parseByteSize(std::string_view text);

}  // namespace quorv
