// Per-run temporary directories that outlive their worker: the JVM holds the included jars open
// until the worker's process ends, so the worker cannot remove its own directory. The temporary
// file that named the directory (the directory's path less "_dir" and the seconds) records which
// process owns it; the service process (or a console run) removes the directory of its worker
// once that has ended, and a worker removes those of earlier workers of the same executable whose
// processes are gone. A directory without a record, or whose owner may still run, is never
// touched.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorv {

struct RunOwner {
  uint32_t processId = 0;
  uint64_t creationTime = 0;  // FILETIME of the owner's start, which tells a reused id apart
  std::string executable;     // the owner's executable path
};

// The temporary file beside a per-run directory: the directory's path up to its last "_dir".
// Empty when the path has no "_dir".
std::string runFileOf(const std::string& runDirectory);

// The record's text, and its reading back (nothing for any other content, such as the empty
// file that a run of an earlier version left).
std::string runOwnerText(const RunOwner& owner);
std::optional<RunOwner> parseRunOwner(std::string_view text);

// Executable paths compared as the file system does for ASCII letters.
bool sameExecutablePath(std::string_view a, std::string_view b);

// System side (run_dirs_win.cpp).

// The worker, once its directory holds the included files: writes the record of tempDirectory
// and removes the directories of earlier workers of this executable that have ended.
void claimRunDirectory();

// The process that started a worker, once the worker (`workerProcess`, a process handle) has
// ended: removes that worker's directory and its temporary file.
void removeWorkerTempDirectory(void* workerProcess);

}  // namespace quorv
