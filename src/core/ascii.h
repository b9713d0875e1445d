// Case changes of the letters a to z only; every other byte, including those of multi-byte
// characters, stays as it is.
#pragma once
#include <string>
#include <string_view>

namespace quorv {

inline char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline void upperCaseAscii(std::string& text) {
  for (char& c : text) c = upperAscii(c);
}

// Equal but for the case of a to z (as Windows compares names of files, services and accounts
// in these letters).
inline bool sameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

}  // namespace quorv
