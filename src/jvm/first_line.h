// The first line of a text file.
#pragma once
#include <string>
#include <string_view>

namespace quorv {

// Reads up to and including the first line feed, in text mode; false when the file cannot be
// opened or holds nothing.
bool readFirstLine(const std::string& fileName, std::string& line);
// The same first line from a file's raw bytes, as a text-mode read sees them: a carriage return
// before a line feed is dropped and a Ctrl-Z ends the text.
bool firstLineOfText(std::string_view bytes, std::string& line);

}  // namespace quorv
