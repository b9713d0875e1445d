// Splitting of command lines and configured argument strings: blanks separate, double or single
// quotes group, there is no escape character.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

void splitCommandLine(std::u16string_view text, std::vector<std::u16string>& list);
void splitCommandLineNarrow(std::u16string_view text, std::vector<std::string>& list);
// Converts from the ANSI code page first.
void splitAnsiCommandLine(const std::string& text, std::vector<std::string>& list);

// 8-bit form of a wide text as printf's "%S" writes it: each character up to U+00FF becomes the
// byte of that value; the text is cut before the first character above U+00FF.
std::string narrowLikePrintf(std::u16string_view text);

}  // namespace quorv
