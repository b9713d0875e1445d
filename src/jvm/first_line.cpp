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

}  // namespace quorv
