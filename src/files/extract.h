// Extraction of the included files into the per-run temporary directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorv {

// 0 on success (also when there is nothing to extract), else the failing file's result (1 read, 2 write).
int extractIncludedFiles(bool createDirectory);

// Portable rules (extract_rules.cpp).

// Where one included file goes: its path, and the sub-directory to create first ("" for none).
struct IncludedTarget {
  std::string path;
  std::string directory;
  bool outside = false;  // the name would leave the temporary directory ("..", a drive)
};

// True for a name that would not stay below the directory it is joined to: one with a drive or
// stream colon, or a component made of dots (and blanks, which Windows drops) such as "..".
bool leavesDirectory(const std::string& name);

// The targets of the names of key 2003 (";"-separated, empty pieces skipped) in the temporary
// directory, at most `count` of them. A name's first backslash makes one sub-directory level.
std::vector<IncludedTarget> planIncludedFiles(const std::string& tempDirectory, const std::string& names,
                                              int32_t count);

// Undoes (and applies) the scrambling of included-file content in place.
void unscramble(unsigned char* data, std::size_t size);

}  // namespace quorv
