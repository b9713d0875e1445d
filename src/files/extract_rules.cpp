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
  uint64_t wideKey;
  std::memset(&wideKey, block::kScrambleKey, sizeof wideKey);
  std::size_t i = 0;
  for (; i + sizeof wideKey <= size; i += sizeof wideKey) {
    uint64_t word;
    std::memcpy(&word, data + i, sizeof word);
    word ^= wideKey;
    std::memcpy(data + i, &word, sizeof word);
  }
  for (; i < size; ++i) data[i] ^= block::kScrambleKey;
}

}  // namespace quorv
