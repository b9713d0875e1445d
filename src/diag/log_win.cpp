// Diagnostic log: every line is appended by its own open, write and close, under one lock.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "diag/log.h"

namespace quorv {
namespace {

CRITICAL_SECTION* logLock = nullptr;
bool initialised = false;
std::optional<std::string> logPath;
FILE* logFile = nullptr;

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

// A new file "zlx_nlog_<number>" in TMP (when it names a directory) or in c:\; the name is
// claimed with CREATE_NEW so that two processes never share one.
std::optional<std::string> newLogFileName() {
  const char* tmp = std::getenv("TMP");
  std::string directory = (tmp != nullptr && *tmp != '\0' && isDirectory(tmp)) ? tmp : "c:\\";
  if (directory.back() != '\\' && directory.back() != '/') directory += '\\';
  unsigned long number = GetCurrentProcessId();
  for (int attempt = 0; attempt < 1000; ++attempt, ++number) {
    std::string name = directory + "zlx_nlog_" + std::to_string(number);
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return name;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return std::nullopt;
}

void initialise() {
  initialised = true;
  if (!logRequested()) return;
  if (auto name = newLogFileName()) {
    logFile = std::fopen(name->c_str(), "wN");
    if (logFile != nullptr) logPath = *name;
  }
  if (logFile == nullptr) {
    logPath = "c:\\zlx_nlog";
    logFile = std::fopen(logPath->c_str(), "wN");
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
  // "N": the handle is not inherited by a process that another thread creates meanwhile.
  if (logPath && logFile == nullptr) logFile = std::fopen(logPath->c_str(), "aN");
  if (!initialised) initialise();
  if (logFile != nullptr) {
    if (prefix != nullptr) std::fputs(prefix, logFile);
    std::vfprintf(logFile, format, args);
    std::fputs("\n", logFile);
    std::fclose(logFile);
    logFile = nullptr;
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
