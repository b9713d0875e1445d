// Records and removes per-run temporary directories. They lie in the shared temporary directory,
// where anyone may create a record naming this executable and a directory beside it: a record
// and a directory count only when they belong to this process's user, and the removal never
// follows a link (see files/no_follow_win.h).
#include <windows.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/log.h"
#include "files/no_follow_win.h"
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

constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Removes what the directory behind `directory` holds, relative to that handle: nothing is ever
// reached through a link. An entry that its listing shows as a link is deleted only through a
// handle that is the link itself, so never what it names. Every other entry is opened without
// following a link and must be the very entry that was listed (the same file id, no link), so
// that an entry swapped for a link since the listing is never followed; a link found then is
// deleted as the link it is. A file's attributes are changed only while it has no other name.
void emptyHeldDirectory(HANDLE directory, int depth) {
  for (const DirectoryEntry& entry : listDirectory(directory)) {
    const bool listedAsLink = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool listedAsDirectory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    UniqueHandle child = openRelative(directory, entry.name,
                                      DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
                                          (listedAsDirectory && !listedAsLink ? FILE_LIST_DIRECTORY : 0),
                                      kShareNoDelete, kOpenExisting, false, false);
    EntryFacts facts;
    if (!child || !entryFacts(child.get(), facts)) continue;
    if (facts.isLink()) {
      deleteByHandle(child.get());
      continue;
    }
    if (listedAsLink || (entry.fileId != 0 && facts.fileId != entry.fileId)) continue;
    if (facts.isDirectory()) {
      if (depth >= kDepthMax) continue;
      emptyHeldDirectory(child.get(), depth + 1);
    } else if ((facts.attributes & FILE_ATTRIBUTE_READONLY) && facts.links == 1) {
      FILE_BASIC_INFO basic{};
      basic.FileAttributes = (facts.attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
      SetFileInformationByHandle(child.get(), FileBasicInfo, &basic, sizeof basic);
    }
    deleteByHandle(child.get());
  }
}

// Removes the per-run directory `path` with everything in it, when it is a plain directory of
// this process's user; anything else found under that name (a link, someone else's directory)
// is left alone. True when nothing of it is left.
bool removeRunDirectory(const std::string& path) {
  UniqueHandle directory = openDirectoryNoFollow(path, DELETE | READ_CONTROL);
  if (!directory) return GetFileAttributesW(wideFileName(path).c_str()) == INVALID_FILE_ATTRIBUTES;
  if (!ownedByThisUser(directory.get())) {
    logMessage("run directory %s is not this user's: left alone", path.c_str());
    return false;
  }
  logMessage("removing run directory %s", path.c_str());
  emptyHeldDirectory(directory.get(), 0);
  deleteByHandle(directory.get());
  directory.reset();
  return GetFileAttributesW(wideFileName(path).c_str()) == INVALID_FILE_ATTRIBUTES;
}

// The record file `path` opened without following a link, for reading and deleting, when it is a
// plain file with one name, of this process's user: only then does its text count.
UniqueHandle openRecord(const std::string& path) {
  if (namesLink(path)) return UniqueHandle();
  UniqueHandle file(CreateFileW(wideFileName(path).c_str(), GENERIC_READ | DELETE | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  EntryFacts facts;
  if (!file || !entryFacts(file.get(), facts) || facts.isDirectory() || facts.isLink() || facts.links != 1 ||
      !ownedByThisUser(file.get()) || namesLink(path)) {
    return UniqueHandle();
  }
  return file;
}

// The per-run directories named by a record file ("<file>_dir<seconds>"), then the file itself
// once none is left.
void removeRun(const std::string& runFile) {
  const std::string directory = directoryOf(runFile);
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((runFile + "_dir*").c_str(), &entry));
  bool left = false;
  if (search) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::string path = directory + entry.cFileName;
      if (runFileOf(path) != runFile) continue;
      if (!removeRunDirectory(path)) left = true;
    } while (FindNextFileA(search.get(), &entry));
  }
  if (left) return;
  if (UniqueHandle record = openRecord(runFile)) deleteByHandle(record.get());
}

std::optional<RunOwner> readRecord(const std::string& path) {
  UniqueHandle file = openRecord(path);
  if (!file) return std::nullopt;
  std::string text(kRecordMax, '\0');
  DWORD read = 0;
  const bool ok = ReadFile(file.get(), text.data(), kRecordMax, &read, nullptr) != 0;
  if (!ok || read == 0 || read >= kRecordMax) return std::nullopt;
  text.resize(read);
  return parseRunOwner(text);
}

// Calls `visit` with the path and owner of every record file in `directory` (ending in a
// backslash) that names this executable, but `skip` (a record not to be read at all).
template <typename Visit>
void forEachRecord(const std::string& directory, const std::string& skip, Visit visit) {
  if (directory.empty()) return;
  WIN32_FIND_DATAA entry;
  std::vector<std::string> files;
  {
    const FindHandle search(FindFirstFileA((directory + "qrv*.tmp").c_str(), &entry));
    if (!search) return;
    do {
      if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      files.push_back(directory + entry.cFileName);
    } while (FindNextFileA(search.get(), &entry));
  }
  for (const std::string& file : files) {
    if (file == skip) continue;
    std::optional<RunOwner> owner = readRecord(file);
    if (owner && sameExecutablePath(owner->executable, getExecutablePath())) visit(file, *owner);
  }
}

// True only when the owner has certainly ended: no process has its id any more, or the one
// that has it started at another time, or it has exited. A process that cannot be asked counts
// as running.
bool ownerHasEnded(const RunOwner& owner) {
  if (owner.processId == GetCurrentProcessId()) return false;
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  const uint64_t created = processCreationTime(process.get());
  if (created != 0 && created != owner.creationTime) return true;
  DWORD code = 0;
  return created != 0 && GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
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
  // The file that named the directory is this process's own, made with it; anything else found
  // under its name (a link, a file with a second name, someone else's file) gets no record.
  UniqueHandle file;
  if (!namesLink(runFile)) {
    file.reset(CreateFileW(wideFileName(runFile).c_str(), GENERIC_WRITE | READ_CONTROL, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  }
  EntryFacts facts;
  if (file && entryFacts(file.get(), facts) && !facts.isLink() && !facts.isDirectory() && facts.links == 1 &&
      ownedByThisUser(file.get())) {
    const std::string text = runOwnerText(self);
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    SetEndOfFile(file.get());
  }
  file.reset();
  // This process's own record is not read back: its owner runs.
  forEachRecord(directoryOf(runFile), runFile, [&](const std::string& path, const RunOwner& owner) {
    if (ownerHasEnded(owner)) removeRun(path);
  });
}

void removeWorkerTempDirectory(void* workerProcess) {
  HANDLE process = static_cast<HANDLE>(workerProcess);
  const DWORD processId = GetProcessId(process);
  const uint64_t created = processCreationTime(process);
  if (processId == 0 || created == 0) return;
  forEachRecord(systemTempPath(), std::string(), [&](const std::string& path, const RunOwner& owner) {
    if (owner.processId == processId && owner.creationTime == created) removeRun(path);
  });
}

}  // namespace quorv
