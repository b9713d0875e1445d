// Records and removes per-run temporary directories; the removal never follows a reparse point
// (a junction or symbolic link inside a directory is removed itself, never what it points to).
#include <windows.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "diag/log.h"
#include "files/paths.h"
#include "files/run_dirs.h"

namespace quorv {
namespace {

constexpr DWORD kRecordMax = 65536;
constexpr int kDepthMax = 32;

uint64_t fileTimeValue(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t processCreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return fileTimeValue(created);
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string withBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

// Removes `path` and everything below it. A reparse point is removed as the link it is. While a
// directory is being emptied, a handle on it without delete sharing keeps it from being renamed
// or replaced (by a junction, say) between the check and the enumeration.
void removeTree(const std::string& path, int depth) {
  HANDLE held = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(path.c_str());  // only succeeds for an empty directory or a link
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool plainDirectory = GetFileInformationByHandle(held, &info) &&
                              (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                              !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  if (plainDirectory && depth < kDepthMax) {
    const std::string base = withBackslash(path);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = base + name;
        const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          if (directory) RemoveDirectoryA(child.c_str());
          else DeleteFileA(child.c_str());
        } else if (directory) {
          removeTree(child, depth + 1);
        } else {
          if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          }
          DeleteFileA(child.c_str());  // a symbolic link put here since is deleted as a link
        }
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
  }
  CloseHandle(held);
  if (plainDirectory || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveDirectoryA(path.c_str());
}

// The per-run directories named by a record file ("<file>_dir<seconds>"), then the file itself
// once none is left.
void removeRun(const std::string& runFile) {
  const std::string directory = directoryOf(runFile);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((runFile + "_dir*").c_str(), &entry);
  bool left = false;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::string path = directory + entry.cFileName;
      if (runFileOf(path) != runFile) continue;
      logMessage("removing run directory %s", path.c_str());
      removeTree(path, 0);
      if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) left = true;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  if (!left) DeleteFileA(runFile.c_str());
}

std::optional<RunOwner> readRecord(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text(kRecordMax, '\0');
  DWORD read = 0;
  const bool ok = ReadFile(file, text.data(), kRecordMax, &read, nullptr) != 0;
  CloseHandle(file);
  if (!ok || read == 0 || read >= kRecordMax) return std::nullopt;
  text.resize(read);
  return parseRunOwner(text);
}

// Calls `visit` with the path and owner of every record file in `directory` (ending in a
// backslash) that names this executable.
template <typename Visit>
void forEachRecord(const std::string& directory, Visit visit) {
  if (directory.empty()) return;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "qrv*.tmp").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> files;
  do {
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    files.push_back(directory + entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  for (const std::string& file : files) {
    std::optional<RunOwner> owner = readRecord(file);
    if (owner && sameExecutablePath(owner->executable, getExecutablePath())) visit(file, *owner);
  }
}

// True only when the owner has certainly ended: no process has its id any more, or the one
// that has it started at another time, or it has exited. A process that cannot be asked counts
// as running.
bool ownerHasEnded(const RunOwner& owner) {
  if (owner.processId == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool ended = false;
  const uint64_t created = processCreationTime(process);
  if (created != 0 && created != owner.creationTime) {
    ended = true;
  } else if (created != 0) {
    DWORD code = 0;
    ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  }
  CloseHandle(process);
  return ended;
}

std::string systemTempPath() {
  std::string path(MAX_PATH + 1, '\0');
  const DWORD n = GetTempPathA(static_cast<DWORD>(path.size()), path.data());
  if (n == 0 || n >= path.size()) return std::string();
  path.resize(n);
  return withBackslash(path);
}

}  // namespace

void claimRunDirectory() {
  if (tempDirectory.empty()) return;
  const std::string runFile = runFileOf(tempDirectory);
  if (runFile.empty()) return;
  RunOwner self;
  self.processId = GetCurrentProcessId();
  self.creationTime = processCreationTime(GetCurrentProcess());
  self.executable = getExecutablePath();
  HANDLE file = CreateFileA(runFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string text = runOwnerText(self);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  forEachRecord(directoryOf(runFile), [&](const std::string& path, const RunOwner& owner) {
    if (path != runFile && ownerHasEnded(owner)) removeRun(path);
  });
}

void removeWorkerTempDirectory(void* workerProcess) {
  HANDLE process = static_cast<HANDLE>(workerProcess);
  const DWORD processId = GetProcessId(process);
  const uint64_t created = processCreationTime(process);
  if (processId == 0 || created == 0) return;
  forEachRecord(systemTempPath(), [&](const std::string& path, const RunOwner& owner) {
    if (owner.processId == processId && owner.creationTime == created) removeRun(path);
  });
}

}  // namespace quorv
