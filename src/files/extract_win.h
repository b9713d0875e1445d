// The Win32 steps of the included-file extraction.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace quorv {

// Reads one record at the source's position and writes its content to `targetPath`.
// 0 when the record was consumed (file written, or no content), 1 on a read failure, 2 on a
// write failure; ends with key 1009, detail "11" when the target cannot be created.
int extractIncludedFile(HANDLE source, const std::string& targetPath);
// Copies `count` bytes from source to target, unscrambling them when `scrambled` is set.
// 0, 1 (read failure) or 2 (write failure).
int copyPayload(HANDLE source, HANDLE target, uint64_t count, bool scrambled);

}  // namespace quorv
