// The worker log's file: kept open for appending between writes (so that each arriving piece of
// output is one WriteFile and is on disk when the worker or the service ends), moved aside by
// the rules of worker_log.h, never inherited by a child. The file is opened, moved and deleted
// relative to a handle on its directory and never through a link (files/no_follow_win.h).
#include "service/worker_log_win.h"

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "config/keys.h"
#include "config/store.h"
#include "core/handle_win.h"
#include "diag/log.h"
#include "files/no_follow_win.h"
#include "files/paths.h"
#include "service/worker_log.h"

namespace quorv {
namespace {

std::mutex fileLock;
std::optional<WorkerLogSettings> settings;
std::string fullPath;
std::string directoryPath;
std::string fileName;
UniqueHandle file;
uint64_t fileSize = 0;
uint64_t dropped = 0;      // worker bytes not written since the last successful write
bool atLineStart = true;   // the file's last byte is a line feed (or the file is empty)
bool refusalLogged = false;

LogTime now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// The directories above the file, as far as they are missing.
void createParentDirectories(const std::string& path) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
}

void closeFile() { file.reset(); }

// The log's directory, for one opening or one move aside: opened afresh each time, so that a
// directory that went away and came back is written again, and never through a link.
UniqueHandle openLogDirectory() { return openDirectoryNoFollow(directoryPath, 0); }

// Caller holds fileLock. `name` in the log's directory (`directory`), opened without following a
// link, when it is a plain file with no other name: a link or a second name that someone put
// there would carry the service's writes, moves and deletes to another file.
UniqueHandle openLogEntry(HANDLE directory, const std::string& name, DWORD access, unsigned long disposition) {
  const std::string path = directoryPath + "\\" + name;
  if (namesLink(path)) return UniqueHandle();
  UniqueHandle entry = openRelative(directory, wideFileName(name), access | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition, false, true);
  EntryFacts facts;
  if (!entry || !entryFacts(entry.get(), facts)) return UniqueHandle();
  if (facts.isLink() || facts.links != 1 || namesLink(path)) {
    if (!refusalLogged) logMessage("worker log: %s is a link or has another name; it is not used", path.c_str());
    refusalLogged = true;
    return UniqueHandle();
  }
  return entry;
}

// Caller holds fileLock. The handle is not inheritable.
bool openFile(HANDLE directory = nullptr) {
  if (file) return true;
  UniqueHandle ownDirectory;
  if (directory == nullptr) {
    ownDirectory = openLogDirectory();
    if (!ownDirectory) return false;
    directory = ownDirectory.get();
  }
  UniqueHandle opened = openLogEntry(directory, fileName, FILE_APPEND_DATA | FILE_READ_DATA, kOpenAlways);
  if (!opened) return false;
  file = std::move(opened);
  LARGE_INTEGER size{};
  fileSize = GetFileSizeEx(file.get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  return true;
}

// Caller holds fileLock. The current file becomes number 1 and a fresh one is opened; a move
// that fails (a file held open elsewhere, a link found in its place) leaves that file where it
// is.
bool rotate() {
  closeFile();
  UniqueHandle directory = openLogDirectory();
  if (!directory) return false;
  if (settings->keep == 0) {
    if (UniqueHandle current = openLogEntry(directory.get(), fileName, DELETE, kOpenExisting)) {
      deleteByHandle(current.get());
    }
  } else {
    for (const auto& [from, to] : rotationMoves(fileName, settings->keep)) {
      if (UniqueHandle moved = openLogEntry(directory.get(), from, DELETE, kOpenExisting)) {
        renameInDirectory(moved.get(), directory.get(), wideFileName(to), true);
      }
    }
  }
  return openFile(directory.get());
}

bool writeWhole(const char* data, std::size_t length) {
  while (length > 0) {
    DWORD written = 0;
    const DWORD piece = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    if (!WriteFile(file.get(), data, piece, &written, nullptr) || written == 0) return false;
    data += written;
    length -= written;
    fileSize += written;
    atLineStart = data[-1] == '\n';
  }
  return true;
}

// Caller holds fileLock. How many bytes of `data` reached the file; after a failure the file is
// closed, so that the next write opens it again.
std::size_t writeRotating(std::string_view data) {
  if (!openFile()) return 0;
  std::size_t done = 0;
  for (const LogWriteStep& step : planLogWrite(data, fileSize, settings->maxSize)) {
    if (step.rotateBefore && !rotate()) break;
    if (!writeWhole(data.data() + step.offset, step.length)) break;
    done = step.offset + step.length;
  }
  if (done < data.size()) closeFile();
  return done;
}

// Caller holds fileLock. Before anything else gets in, the count of what was lost.
bool flushDroppedCount() {
  if (dropped == 0) return true;
  const std::string line = outputDroppedLine(now(), dropped, atLineStart);
  if (writeRotating(line) != line.size()) return false;
  logMessage("worker log: %llu bytes dropped", static_cast<unsigned long long>(dropped));
  dropped = 0;
  return true;
}

// Caller holds fileLock. `line` makes the text once it is known where the file stands.
template <typename MakeLine>
void writeOwnLine(MakeLine line) {
  if (!flushDroppedCount()) return;
  writeRotating(line(atLineStart));
}

}  // namespace

bool workerLogOpen() {
  std::lock_guard<std::mutex> lock(fileLock);
  settings = workerLogSettings(getConfigString(key::WorkerLog), getConfigString(key::WorkerLogSize),
                               getConfigString(key::WorkerLogKeep));
  if (!settings) return false;
  fullPath = resolveWrittenFile(settings->path);
  const std::size_t slash = fullPath.find_last_of('\\');
  directoryPath = slash == std::string::npos ? std::string() : fullPath.substr(0, slash);
  fileName = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
  createParentDirectories(fullPath);
  const bool opened = openFile();
  logMessage("worker log %s%s", fullPath.c_str(), opened ? "" : " cannot be opened now");
  // A file that did not end in a line feed (an earlier service crashed mid-line) gets one before
  // the next line of ours.
  atLineStart = fileSize == 0;
  if (opened && fileSize > 0) {
    char last = 0;
    DWORD read = 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(fileSize - 1);
    at.OffsetHigh = static_cast<DWORD>((fileSize - 1) >> 32);
    if (ReadFile(file.get(), &last, 1, &read, &at) && read == 1) atLineStart = last == '\n';
  }
  return true;
}

bool workerLogIsOn() {
  std::lock_guard<std::mutex> lock(fileLock);
  return settings.has_value();
}

void workerLogWrite(const char* data, std::size_t length) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (!settings || length == 0) return;
  if (!flushDroppedCount()) {
    dropped += length;
    return;
  }
  dropped += length - writeRotating(std::string_view(data, length));
}

void workerLogStarted(unsigned long processId) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return workerStartedLine(now(), processId, start); });
}

void workerLogEnded(uint32_t exitCode, bool stopRequested) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return workerEndedLine(now(), exitCode, stopRequested, start); });
}

void workerLogStopTimedOut(uint32_t timeoutMs) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return stopTimedOutLine(now(), timeoutMs, start); });
}

void workerLogHung(uint32_t timeoutMs) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return hungLine(now(), timeoutMs, start); });
}

void workerLogRestart(uint32_t number, uint32_t delayMs, const std::string& what) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return restartLine(now(), number, delayMs, what, start); });
}

void workerLogNotReady(const std::string& text) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return notReadyLine(now(), text, start); });
}

void workerLogGaveUp(uint32_t count, uint32_t windowMs, const std::string& what) {
  std::lock_guard<std::mutex> lock(fileLock);
  if (settings) writeOwnLine([&](bool start) { return gaveUpLine(now(), count, windowMs, what, start); });
}

}  // namespace quorv
