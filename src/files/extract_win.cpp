// Extraction of the included files: the records after the configuration in the executable are
// streamed into files in the per-run temporary directory.
#include "files/extract_win.h"

#include <vector>

#include "config/block_win.h"
#include "config/configured_message.h"
#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "files/extract.h"
#include "files/paths.h"

namespace quorv {
namespace {

// Content moves through one buffer of this size. Measured under Wine with a 512 MiB file
// (bench/extract_bench.py): 8 KiB reached about half the throughput of 256 KiB, and larger buffers
// gained nothing; the buffer stays small enough for the processor's cache.
constexpr DWORD kCopyBufferSize = 256 * 1024;

}  // namespace

int copyPayload(HANDLE source, HANDLE target, uint64_t count, bool scrambled) {
  // One buffer for every file: extraction runs once, on the worker's main thread.
  static std::vector<unsigned char> buffer(kCopyBufferSize);
  uint64_t total = 0;
  while (total < count) {
    const uint64_t remaining = count - total;
    const DWORD wanted = remaining < kCopyBufferSize ? static_cast<DWORD>(remaining) : kCopyBufferSize;
    DWORD got = 0;
    if (!ReadFile(source, buffer.data(), wanted, &got, nullptr) || got == 0) {
      const DWORD error = GetLastError();
      logError("ReadFile failed %d %d %lld", static_cast<int>(got), static_cast<int>(error),
               static_cast<long long>(total));
      return 1;
    }
    if (scrambled) unscramble(buffer.data(), got);
    DWORD written = 0;
    while (written < got) {
      DWORD done = 0;
      // A write that reports success but writes nothing would never finish: it counts as failed.
      if (!WriteFile(target, buffer.data() + written, got - written, &done, nullptr) || done == 0) {
        const DWORD error = GetLastError();
        logError("WriteFile failed %d %d", static_cast<int>(got - written), static_cast<int>(error));
        return 2;
      }
      written += done;
    }
    total += got;
  }
  return 0;
}

int extractIncludedFile(HANDLE source, const std::string& targetPath) {
  const int64_t length = readLong(source);
  logMessage("extracting %s (size: %lld)", targetPath.c_str(), static_cast<long long>(length));
  if (length <= 0) return 0;
  UniqueHandle target(CreateFileA(targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!target) fatalConfiguredError(key::MsgInternal, detail::IncludedFileCreate);
  return copyPayload(source, target.get(), static_cast<uint64_t>(length), true);
}

int extractIncludedFiles(bool createDirectory) {
  logMessage("extracting files");
  const int32_t count = getConfigInt(key::IncludedCount);
  logMessage("Included files: %d", static_cast<int>(count));
  if (count == 0) {
    tempDirectory.clear();
    return 0;
  }
  if (createDirectory) createTempDirectory();

  UniqueHandle executable(openOwnExecutable(getExecutablePath()));
  LARGE_INTEGER offset;
  offset.QuadPart = includedFilesOffset;
  SetFilePointerEx(executable.get(), offset, nullptr, FILE_BEGIN);

  for (const IncludedTarget& target : planIncludedFiles(tempDirectory, getConfigString(key::IncludedNames), count)) {
    if (target.outside) {
      // Such a file could not be created inside the temporary directory.
      logError("included file %s would leave the temporary directory", target.path.c_str());
      fatalConfiguredError(key::MsgInternal, detail::IncludedFileCreate);
    }
    if (!target.directory.empty()) {
      logMessage("creating directory %s", target.directory.c_str());
      if (!CreateDirectoryA(target.directory.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        logError("failed to create directory %s", target.directory.c_str());
      }
    }
    const int result = extractIncludedFile(executable.get(), target.path);
    if (result != 0) {
      logError("Failed to extract %s", target.path.c_str());
      return result;
    }
  }

  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  LARGE_INTEGER position;
  position.QuadPart = 0;
  SetFilePointerEx(executable.get(), zero, &position, FILE_CURRENT);
  unextractedPosition = static_cast<uint64_t>(position.QuadPart);
  executable.reset();
  logMessage("extracting files done");
  return 0;
}

}  // namespace quorv
