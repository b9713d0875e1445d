// Text conversions between the UTF-8 of the configuration file and the encodings of the block:
// Latin-1 bytes for the 8-bit table, UTF-16LE for the wide table.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quorv::pack {

// The 8-bit form of a UTF-8 text, or nothing when a character lies above U+00FF (or the text is
// not UTF-8). `bad` receives the offending character for the message.
std::optional<std::string> utf8ToLatin1(std::string_view utf8, char32_t* bad = nullptr);
std::string latin1ToUtf8(std::string_view bytes);
// Nothing when the text is not UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// U+XXXX form of a character for messages.
std::string codePointName(char32_t c);

}  // namespace quorv::pack
