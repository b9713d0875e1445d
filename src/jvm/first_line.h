// The first line of a text file.
#pragma once
#include <string>

namespace quorv {

// Reads up to and including the first line feed, in text mode; false when the file cannot be
// opened or holds nothing.
bool readFirstLine(const std::string& fileName, std::string& line);

}  // namespace quorv
