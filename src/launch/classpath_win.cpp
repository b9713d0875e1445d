#include <windows.h>

#include "launch/classpath.h"

namespace quorv {
namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::vector<std::string> listArchives(const std::string& directory, const std::string& extension) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(archivePattern(directory, extension).c_str(), &data));
  if (search.get() == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(search.get(), &data));
  return names;
}

}  // namespace quorv
