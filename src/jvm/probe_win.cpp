// The version probe: runs a Java executable with "-version", its standard error going into a
// temporary file, and reads the version from the first line.
#include <windows.h>

#include "core/handle_win.h"
#include "core/private_file_win.h"
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

// The file goes when its last handle closes. A console program started by a process without a
// console gets a console host of its own, which may hold the inherited handle for a moment after
// the program has ended; where the system does not remove the file once that handle is gone, it
// is deleted here, as soon as nobody holds it any more (deleting a name never follows a link).
void deleteProbeFile(const std::string& path) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (DeleteFileA(path.c_str()) || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(50);
  }
}

// Everything the probed program wrote, read back through the launcher's own handle (which
// shares the file position with the child's), from the start.
std::string readBack(HANDLE file) {
  std::string text;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return text;
  char buffer[4096];
  DWORD read = 0;
  while (text.size() < (1u << 20) && ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
    if (text.find('\n') != std::string::npos) break;
  }
  return text;
}

}  // namespace

bool probeJavaVersion(const std::string& javaExe, uint64_t writeTime, std::string& version) {
  // Quoted: without short names the path may hold blanks, and an unquoted path with a blank
  // would start a different program.
  std::string commandLine = "\"" + shortPathOf(javaExe) + "\" -version";
  // The output file is made anew, exclusively and with a private access list, shared with no
  // one, deleted when its last handle closes, and read back through the handle the launcher
  // holds: nobody else can choose the version that is cached for later starts, and no link
  // that someone planted is ever opened.
  std::string tempFile;
  UniqueHandle file(createPrivateTempFile(tempFile, GENERIC_READ | GENERIC_WRITE | DELETE,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
  UniqueHandle errorOutput;
  HANDLE duplicate = nullptr;
  if (file && DuplicateHandle(GetCurrentProcess(), file.get(), GetCurrentProcess(), &duplicate, 0, TRUE,
                              DUPLICATE_SAME_ACCESS)) {
    errorOutput.reset(duplicate);
  }
  auto closeFile = [&] {
    errorOutput.reset();
    if (!file) return;
    file.reset();
    deleteProbeFile(tempFile);
  };

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nullptr;
  startup.hStdError = errorOutput.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    logMessage("Could not create process %s > %s (error %d)", commandLine.c_str(), tempFile.c_str(),
               static_cast<int>(GetLastError()));
    closeFile();
    return false;
  }
  UniqueHandle child(process.hProcess);
  UniqueHandle childThread(process.hThread);

  WaitForSingleObject(child.get(), kProbeTimeoutMs);
  DWORD exitCode = 0;
  GetExitCodeProcess(child.get(), &exitCode);
  logMessage("Exit Code %d", static_cast<int>(exitCode));
  if (exitCode == STILL_ACTIVE) {
    logMessage("Terminating process");
    TerminateProcess(child.get(), 1);
    // Until it has ended, the process holds the temporary file open.
    WaitForSingleObject(child.get(), 5000);
  } else if (exitCode != 0) {
    // Remembered until the file changes, so that a broken executable is not run on every start.
    writeCachedJavaVersion(javaExe, writeTime, "1.0.0");
  }
  child.reset();
  childThread.reset();
  if (exitCode != 0) {
    closeFile();
    return false;
  }

  std::string line;
  bool found = file && firstLineOfText(readBack(file.get()), line) && parseVersionLine(line, version);
  if (found) logMessage("Java version: %s", version.c_str());
  closeFile();
  return found;
}

}  // namespace quorv
