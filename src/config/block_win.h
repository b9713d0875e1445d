// Reading the launcher's own executable file (Win32 side of the appended data block).
#pragma once
#include <windows.h>

#include <cstdint>

namespace quorv {

// The executable opened for reading (shared read/write); ends the process with the
// "Error opening media file..." message when it cannot be opened.
HANDLE openOwnExecutable();
// Reads 8 bytes at the handle's position; ends with "Internal Error: readLong" on a short read.
int64_t readLong(HANDLE file);
// Loads the configuration store from the appended data block (once, at start-up).
void loadConfiguration();

}  // namespace quorv
