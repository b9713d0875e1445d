// The launcher's own executable as the source of the appended data block.
#include "config/block_win.h"

#include "config/block.h"
#include "config/locale.h"
#include "core/handle_win.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "diag/messages.h"

namespace quorv {

HANDLE openOwnExecutable(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == nullptr || file == INVALID_HANDLE_VALUE) {
    logError("Could not open %s", path.c_str());
    fatalError(text::OpenMediaFailed);
  }
  return file;
}

int64_t readLong(HANDLE file) {
  unsigned char bytes[8];
  DWORD got = 0;
  if (!ReadFile(file, bytes, sizeof bytes, &got, nullptr) || got < sizeof bytes) {
    logMessage("error %d\n", static_cast<int>(GetLastError()));
    fatalError(text::ReadLongFailed);
  }
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return static_cast<int64_t>(value);
}

void loadConfiguration(const std::string& executablePath) {
  const UniqueHandle own(openOwnExecutable(executablePath));
  HANDLE file = own.get();
  FileSource source;
  source.read = [file](void* destination, uint32_t want, uint32_t& got) {
    DWORD n = 0;
    const BOOL ok = ReadFile(file, destination, want, &n, nullptr);
    got = n;
    return ok != FALSE;
  };
  source.seek = [file](uint32_t position) {
    return SetFilePointer(file, static_cast<LONG>(position), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  };
  source.lastError = [] { return static_cast<uint32_t>(GetLastError()); };
  BlockReader reader = makeBlockReader(std::move(source));
  seekAppendedBlock(reader);
  loadConfigurationFrom(reader, determineLocale);
}

}  // namespace quorv
