// What the packer writes: the entries of the block's tables and the included files, and the
// problems found on the way.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorv::pack {

struct LocaleGroup {
  std::string prefix;  // 8-bit
  std::map<int32_t, std::u16string> entries;
  bool operator==(const LocaleGroup&) const = default;
};

struct IncludedFile {
  std::filesystem::path source;  // on the build machine
  std::string target;            // 8-bit name relative to the temporary directory
};

// What Windows shows of the executable itself: its version resource and its icon. These are
// resources of the PE image, not entries of the block.
struct ExecutableInfo {
  std::map<std::string, std::u16string> versionStrings;  // by setting path, such as "version.product"
  std::filesystem::path icon;                            // empty: the stub's icons stay
  bool empty() const { return versionStrings.empty() && icon.empty(); }
};

struct PackConfig {
  std::map<int32_t, std::string> strings;  // 8-bit values
  std::map<int32_t, std::u16string> wide;
  std::vector<LocaleGroup> groups;  // in block order
  std::vector<IncludedFile> files;  // in record order
  ExecutableInfo executable;
};

// One fault of a configuration file.
struct Problem {
  std::string file;
  int line = 0;     // 0: no line
  std::string key;  // setting path, or empty
  std::string message;
  std::string hint;  // may be empty
};

// One line: "FILE:LINE: KEY: MESSAGE (HINT)".
std::string formatProblem(const Problem& problem);

// A failure that ends a command; the text is one line that names the file.
struct PackError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace quorv::pack
