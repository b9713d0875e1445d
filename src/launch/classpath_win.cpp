#include <windows.h>

#include "core/handle_win.h"
#include "launch/classpath.h"

namespace quorv {

std::vector<std::string> listArchives(const std::string& directory, const std::string& extension) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(archivePattern(directory, extension).c_str(), &data));
  if (!search) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(search.get(), &data));
  return names;
}

}  // namespace quorv
