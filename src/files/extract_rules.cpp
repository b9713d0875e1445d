// Rules of the included-file extraction that need no system call: the targets of the names,
// and the unscrambling of the content.
#include <cstring>

#include "config/block_format.h"
#include "files/extract.h"

namespace quorv {

std::vector<IncludedTarget> planIncludedFiles(const std::string& tempDirectory, const std::string& names,
                                              int32_t count) {
  std::vector<IncludedTarget> targets;
  std::size_t start = 0;
  while (start < names.size() && static_cast<int64_t>(targets.size()) < count) {
    std::size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    if (end > start) {
      const std::string name = names.substr(start, end - start);
      IncludedTarget target;
      target.outside = leavesDirectory(name);
      target.path = tempDirectory + "\\" + name;
      const std::size_t backslash = name.find('\\');
      if (backslash != std::string::npos) {
        target.directory = target.path.substr(0, tempDirectory.size() + 1 + backslash);
      }
      targets.push_back(std::move(target));
    }
    start = end + 1;
  }
  return targets;
}

bool leavesDirectory(const std::string& name) {
  if (name.find(':') != std::string::npos) return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    const std::string component = name.substr(start, end - start);
    const bool onlyDotsAndBlanks = !component.empty() && component.find_first_not_of(". ") == std::string::npos;
    if (onlyDotsAndBlanks && component.find("..") != std::string::npos) return true;
    start = end + 1;
  }
  return false;
}

void unscramble(unsigned char* data, std::size_t size) {
  // Four words at a time, which the compiler turns into two 16-byte operations.
  uint64_t key;
  std::memset(&key, block::kScrambleKey, sizeof key);
  constexpr std::size_t kStep = 4 * sizeof key;
  std::size_t i = 0;
  for (; i + kStep <= size; i += kStep) {
    uint64_t words[4];
    std::memcpy(words, data + i, kStep);
    for (uint64_t& word : words) word ^= key;
    std::memcpy(data + i, words, kStep);
  }
  for (; i < size; ++i) data[i] ^= block::kScrambleKey;
}

}  // namespace quorv
