#include "jvm/env_win.h"

#include <windows.h>

namespace quorv {

bool readEnvironmentVariable(const char* name, std::string& value) {
  std::string buffer(256, '\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value.clear();  // set, but empty
      return true;
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      value = std::move(buffer);
      return true;
    }
    buffer.assign(n + 1, '\0');  // n is the size needed, terminator included
  }
  return false;
}

}  // namespace quorv
