// The worker log's file: kept open for appending between writes (so that each arriving piece of
// output is one WriteFile and is on disk when the worker or the service ends), moved aside by
// the rules of worker_log.h, never inherited by a child.
#include "service/worker_log_win.h"

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "diag/log.h"
#include "files/paths.h"
#include "service/worker_log.h"

namespace quorv {
namespace {

std::mutex fileLock;
std::optional<WorkerLogSettings> settings;
std::string fullPath;
HANDLE file = INVALID_HANDLE_VALUE;
uint64_t fileSize = 0;
uint64_t dropped = 0;      // worker bytes not written since the last successful write
bool atLineStart = true;   // the file's last byte is a line feed (or the file is empty)

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

void closeFile() {
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  file = INVALID_HANDLE_VALUE;
}

// Caller holds fileLock. The handle is not inheritable (no security attributes).
bool openFile() {
  if (file != INVALID_HANDLE_VALUE) return true;
  file = CreateFileA(fullPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  fileSize = GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  return true;
}

// Caller holds fileLock. The current file becomes number 1 and a fresh one is opened; a move
// that fails (a file held open elsewhere) leaves that file where it is.
bool rotate() {
  closeFile();
  if (settings->keep == 0) {
    DeleteFileA(fullPath.c_str());
  } else {
    for (const auto& [from, to] : rotationMoves(fullPath, settings->keep))
      MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  return openFile();
}

bool writeWhole(const char* data, std::size_t length) {
  while (length > 0) {
    DWORD written = 0;
    const DWORD piece = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
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
  fullPath = resolveAgainst(executableDirectory(), settings->path);
  createParentDirectories(fullPath);
  const bool opened = openFile();
  logMessage("worker log %s%s", fullPath.c_str(), opened ? "" : " cannot be opened now");
  if (opened) {
    LARGE_INTEGER end{};
    // A file that did not end in a line feed (an earlier service crashed mid-line) gets one
    // before the next line of ours.
    atLineStart = fileSize == 0;
    if (fileSize > 0) {
      HANDLE reader = CreateFileA(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      char last = 0;
      DWORD read = 0;
      end.QuadPart = -1;
      if (reader != INVALID_HANDLE_VALUE) {
        if (SetFilePointerEx(reader, end, nullptr, FILE_END) && ReadFile(reader, &last, 1, &read, nullptr) && read == 1)
          atLineStart = last == '\n';
        CloseHandle(reader);
      }
    }
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

}  // namespace quorv
