// The version probe: runs a Java executable with "-version", its standard error going into a
// temporary file, and reads the version from the first line.
#include <windows.h>

#include "diag/log.h"
#include "files/paths.h"
#include "jvm/check_win.h"
#include "jvm/first_line.h"
#include "jvm/version.h"

namespace quorv {
namespace {

constexpr DWORD kProbeTimeoutMs = 60000;

// The 8.3 form of the path; the path itself where the volume keeps no short names.
std::string shortPathOf(const std::string& path) {
  std::string buffer(path.size() + 16, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return path;
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(n + 1, '\0');
  }
  return path;
}

// A console program started by a process without a console gets a console host of its own,
// which may still hold the inherited output file for a moment after the program has ended.
void deleteProbeFile(const std::string& path) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (DeleteFileA(path.c_str()) || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(50);
  }
}

}  // namespace

bool probeJavaVersion(const std::string& javaExe, uint64_t writeTime, std::string& version) {
  // Quoted: without short names the path may hold blanks, and an unquoted path with a blank
  // would start a different program.
  std::string commandLine = "\"" + shortPathOf(javaExe) + "\" -version";
  std::string tempFile = createTempFile();

  HANDLE errorOutput = nullptr;
  HANDLE file = CreateFileA(tempFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    if (!DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &errorOutput, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
      errorOutput = nullptr;
    }
    CloseHandle(file);
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nullptr;
  startup.hStdError = errorOutput;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    logMessage("Could not create process %s > %s (error %d)", commandLine.c_str(), tempFile.c_str(),
               static_cast<int>(GetLastError()));
    if (errorOutput != nullptr) CloseHandle(errorOutput);
    deleteProbeFile(tempFile);
    return false;
  }

  WaitForSingleObject(process.hProcess, kProbeTimeoutMs);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  logMessage("Exit Code %d", static_cast<int>(exitCode));
  if (exitCode == STILL_ACTIVE) {
    logMessage("Terminating process");
    TerminateProcess(process.hProcess, 1);
    // Until it has ended, the process holds the temporary file open.
    WaitForSingleObject(process.hProcess, 5000);
  } else if (exitCode != 0) {
    // Remembered until the file changes, so that a broken executable is not run on every start.
    writeCachedJavaVersion(javaExe, writeTime, "1.0.0");
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  if (errorOutput != nullptr) CloseHandle(errorOutput);
  if (exitCode != 0) {
    deleteProbeFile(tempFile);
    return false;
  }

  std::string line;
  bool found = readFirstLine(tempFile, line) && parseVersionLine(line, version);
  if (found) logMessage("Java version: %s", version.c_str());
  deleteProbeFile(tempFile);
  return found;
}

}  // namespace quorv
