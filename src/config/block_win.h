// Reading the launcher's own executable file (Win32 side of the appended data block).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace quorv {

// The executable (its path, as files/paths.h getExecutablePath gives it) opened for reading
// (shared read/write); ends the process with the "Error opening media file..." message when it
// cannot be opened.
HANDLE openOwnExecutable(const std::string& path);
// Reads 8 bytes at the handle's position; ends with "Internal Error: readLong" on a short read.
int64_t readLong(HANDLE file);
// Loads the configuration store from the appended data block of the executable (once, at
// start-up).
void loadConfiguration(const std::string& executablePath);

}  // namespace quorv
