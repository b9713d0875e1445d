// Case changes of the letters a to z only; every other byte, including those of multi-byte
// characters, stays as it is.
#pragma once
#include <string>

namespace quorv {

inline char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline void upperCaseAscii(std::string& text) {
  for (char& c : text) c = upperAscii(c);
}

}  // namespace quorv
