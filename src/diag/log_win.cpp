// Diagnostic log: every line is appended and flushed under one lock.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "diag/log.h"

#include "core/handle_win.h"
#include "core/private_file_win.h"

namespace quorv {
namespace {

CRITICAL_SECTION* logLock = nullptr;
bool initialised = false;
std::optional<std::string> logPath;
FILE* logFile = nullptr;  // open from initialisation to the end of the process

bool variableIsYes(const char* name) {
  char value[8];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 3 && value[0] == 'y' && value[1] == 'e' && value[2] == 's';
}

// The log is asked for by QUORV_LOG or ZENTRILEX_LOG set to exactly "yes".
bool logRequested() { return variableIsYes("QUORV_LOG") || variableIsYes("ZENTRILEX_LOG"); }

bool isDirectory(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The log file stays open for the life of the process: a file in a directory that others may
// write to is never opened again by its name, so nobody can swap it for another file or a link
// between two lines. Every line is flushed, so the file on disk is complete after each one.
// The handle is not inherited by the processes that the launcher starts.
FILE* openLogStream(UniqueHandle file) {
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_TEXT | _O_APPEND);
  if (descriptor == -1) return nullptr;
  file.release();  // the descriptor owns it now
  FILE* stream = _fdopen(descriptor, "a");
  if (stream == nullptr) _close(descriptor);
  return stream;
}

HANDLE createLogFile(const std::string& name) {
  return createPrivateFile(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           FILE_ATTRIBUTE_NORMAL);
}

// A new file "zlx_nlog_<number>" in TMP (when it names a directory) or in c:\; the name is
// claimed with CREATE_NEW and a private access list, so that two processes never share one and
// a file that someone else made beforehand is never used.
bool openNewLogFile() {
  const char* tmp = std::getenv("TMP");
  std::string directory = (tmp != nullptr && *tmp != '\0' && isDirectory(tmp)) ? tmp : "c:\\";
  if (directory.back() != '\\' && directory.back() != '/') directory += '\\';
  unsigned long number = GetCurrentProcessId();
  for (int attempt = 0; attempt < 1000; ++attempt, ++number) {
    std::string name = directory + "zlx_nlog_" + std::to_string(number);
    UniqueHandle h(createLogFile(name));
    if (h) {
      logFile = openLogStream(std::move(h));
      if (logFile == nullptr) return false;
      logPath = name;
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return false;
}

void initialise() {
  initialised = true;
  if (!logRequested()) return;
  if (!openNewLogFile()) {
    // The fallback name is fixed and lies in c:\, where every user may create files: a file
    // that is already there is not ours and is left alone; then nothing is logged.
    logPath = "c:\\zlx_nlog";
    UniqueHandle h(createLogFile(*logPath));
    if (h) logFile = openLogStream(std::move(h));
    if (logFile == nullptr) return;
  }
  std::string module(8192, '\0');
  const DWORD n = GetModuleFileNameA(nullptr, module.data(), static_cast<DWORD>(module.size()));
  module.resize(n < module.size() ? n : 0);
  const time_t now = std::time(nullptr);
  const char* when = std::ctime(&now);
  std::fprintf(logFile, "Started executable %s at %s\n", module.c_str(), when != nullptr ? when : "\n");
  std::fflush(logFile);
}

void writeLine(const char* prefix, const char* format, va_list args) {
  if (logLock == nullptr) {
    auto* lock = static_cast<CRITICAL_SECTION*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CRITICAL_SECTION)));
    InitializeCriticalSection(lock);
    logLock = lock;
  }
  EnterCriticalSection(logLock);
  if (!initialised) initialise();
  if (logFile != nullptr) {
    if (prefix != nullptr) std::fputs(prefix, logFile);
    std::vfprintf(logFile, format, args);
    std::fputs("\n", logFile);
    std::fflush(logFile);
  }
  LeaveCriticalSection(logLock);
}

}  // namespace

void logMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLine(nullptr, format, args);
  va_end(args);
}

void logError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLine("ERROR: ", format, args);
  va_end(args);
}

std::optional<std::string> getLogPath() { return logPath; }

bool logIsOn() {
  if (initialised) return logPath.has_value();
  return logRequested();
}

}  // namespace quorv
