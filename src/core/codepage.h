// Text conversions that depend on the system's code pages. The launcher implements them with
// MultiByteToWideChar/WideCharToMultiByte (codepage_win.cpp); host tests use Latin-1.
#pragma once
#include <string>

namespace quorv {

// File code page: ANSI when AreFileApisANSI() is true, OEM otherwise.
std::u16string fileCpToWide(const std::string& text);
// False when the conversion was lossy ("?" had to stand for a character); out is filled anyway.
bool wideToFileCp(const std::u16string& text, std::string& out);
// ANSI code page (CP_ACP).
std::u16string ansiToWide(const std::string& text);
// From UTF-16 to UTF-8, and to the ANSI code page (a character it lacks becomes its default
// character); empty when the text cannot be converted.
std::string wideToUtf8(const std::u16string& text);
std::string wideToAnsi(const std::u16string& text);

}  // namespace quorv
