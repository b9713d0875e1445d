#include "jvm/first_line.h"

#include <cstdio>

namespace quorv {

bool readFirstLine(const std::string& fileName, std::string& line) {
  std::FILE* file = std::fopen(fileName.c_str(), "r");
  if (file == nullptr) return false;
  std::string text;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    text.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  std::fclose(file);
  if (text.empty()) return false;
  line = std::move(text);
  return true;
}

bool firstLineOfText(std::string_view bytes, std::string& line) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\x1a') break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(c);
    if (c == '\n') break;
  }
  if (text.empty()) return false;
  line = std::move(text);
  return true;
}

}  // namespace quorv
