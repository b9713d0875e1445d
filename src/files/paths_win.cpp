// Paths on the system side: the launcher's own executable, resolution against its directory,
// existence tests, the temporary path and the per-run temporary directory.
#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "config/configured_message.h"
#include "config/keys.h"
#include "core/codepage.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "core/private_file_win.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "files/paths.h"

namespace quorv {
namespace {

constexpr DWORD kFirstBufferSize = 8192;

// Calls a Win32 function that fills a character buffer and returns the length written, or the
// size it needs (terminator included) when the buffer is too small, or 0 on failure. The buffer
// grows until the whole text fits. False when the function failed.
template <typename Char, typename Call>
bool fillBuffer(std::basic_string<Char>& out, Call call) {
  std::basic_string<Char> buffer(kFirstBufferSize, Char());
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      out = std::move(buffer);
      return true;
    }
    buffer.assign(static_cast<std::size_t>(n) + 1, Char());
  }
  return false;
}

// GetModuleFileName cuts the name to the buffer and returns the buffer size when it does.
template <typename Char, typename Call>
std::basic_string<Char> moduleFileName(Call call) {
  std::basic_string<Char> buffer(kFirstBufferSize, Char());
  for (;;) {
    const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, Char());
  }
}

std::u16string toU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

bool endsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  return _stricmp(path.c_str() + path.size() - 4, ".exe") == 0;
}

// Accepts a wide executable path when it converts to the file code page without loss.
bool acceptExecutableName(const std::wstring& wide, std::string& out) {
  std::string narrow;
  if (!wideToFileCp(toU16(wide), narrow) || !endsWithExe(narrow)) return false;
  out = std::move(narrow);
  return true;
}

using GetLongPathNameWFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

std::string executablePathOnNt(GetLongPathNameWFn getLongPathNameW) {
  const std::wstring module =
      moduleFileName<wchar_t>([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
  std::wstring longForm;
  if (!fillBuffer(longForm, [&](wchar_t* b, DWORD n) { return getLongPathNameW(module.c_str(), b, n); })) {
    longForm = module;
  }
  std::string path;
  if (acceptExecutableName(longForm, path)) return path;
  std::wstring shortForm;
  if (fillBuffer(shortForm, [&](wchar_t* b, DWORD n) { return GetShortPathNameW(longForm.c_str(), b, n); }) &&
      acceptExecutableName(shortForm, path)) {
    return path;
  }
  const std::string moduleA =
      moduleFileName<char>([](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); });
  std::string shortA;
  if (fillBuffer(shortA, [&](char* b, DWORD n) { return GetShortPathNameA(moduleA.c_str(), b, n); })) {
    return shortA;
  }
  return moduleA;
}

bool fullPathName(const std::string& path, std::string& out) {
  if (path.empty()) return false;
  return fillBuffer(out, [&](char* b, DWORD n) { return GetFullPathNameA(path.c_str(), n, b, nullptr); });
}

// The directory of a file, from its full path, ending in a backslash.
std::string directoryOfFile(const std::string& file) {
  std::string full;
  if (!fullPathName(file, full)) full = file;
  const std::size_t slash = full.find_last_of('\\');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

std::string environmentVariable(const char* name) {
  std::string value;
  if (!fillBuffer(value, [&](char* b, DWORD n) { return GetEnvironmentVariableA(name, b, n); })) return {};
  return value;
}

std::string windowsDirectory() {
  std::string dir;
  if (!fillBuffer(dir, [](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); })) return {};
  return dir;
}

std::string joinPath(const std::string& directory, const char* name) {
  std::string out = directory;
  if (out.empty() || out.back() != '\\') out += '\\';
  return out + name;
}

// A temporary path is usable unless its long form holds characters that the file code page
// cannot represent (they come back as "?"). Without a long form the path is judged as given;
// an empty path is no directory at all.
// The temporary path is asked for on every variable expansion; a path whose long form was
// found usable keeps that verdict for the rest of the run, which spares the long-form look-up.
bool isRepresentableTempPath(const std::string& path) {
  static std::string knownUsable;
  if (path.empty()) return false;
  if (path == knownUsable) return true;
  std::string longForm;
  const bool found =
      fillBuffer(longForm, [&](char* b, DWORD n) { return GetLongPathNameA(path.c_str(), b, n); });
  if (!found) longForm = path;
  const bool usable = longForm.find('?') == std::string::npos;
  if (found && usable) knownUsable = path;
  return usable;
}

}  // namespace

bool fileExists(const std::string& path) { return isDriveRootForm(path) || getFileWriteTime(path); }

bool getFileWriteTime(const std::string& path, uint64_t* writeTime) {
  // A directory search opens the directory, which under Wine is a round trip to the server and
  // costs about a third of a millisecond; a path that names one entry gets the same answer from
  // the entry's attributes, at a fiftieth of that. Whatever that look-up cannot settle (an
  // entry it may not read, a name it rejects) goes to the search.
  if (namesOneEntry(path)) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) {
      if (writeTime) std::memcpy(writeTime, &attributes.ftLastWriteTime, sizeof *writeTime);
      return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  }
  WIN32_FIND_DATAA data;
  const FindHandle search(FindFirstFileA(path.c_str(), &data));
  if (!search) return false;
  if (writeTime) std::memcpy(writeTime, &data.ftLastWriteTime, sizeof *writeTime);
  return true;
}

const std::string& getExecutablePath() {
  static std::string path;
  static bool computed = false;
  if (computed) return path;
  GetLongPathNameWFn getLongPathNameW = nullptr;
  if (HMODULE kernel = LoadLibraryA("Kernel32.DLL")) {
    getLongPathNameW = reinterpret_cast<GetLongPathNameWFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameW")));
  }
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  const bool onNt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (onNt && getLongPathNameW) {
    path = executablePathOnNt(getLongPathNameW);
  } else {
    path = moduleFileName<char>([](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); });
  }
  normalizeBackslashes(path);
  computed = true;
  return path;
}

const std::string& executableDirectory() {
  static const std::string directory = directoryOfFile(getExecutablePath());
  return directory;
}

std::string resolvePath(const std::string& path, const std::string* baseFile) {
  if (!isRelativePath(path)) return resolveAgainst(std::string(), path);
  return resolveAgainst(baseFile ? directoryOfFile(*baseFile) : executableDirectory(), path);
}

std::string resolveFullPath(const std::string& path, bool keepCase) {
  const std::string resolved = resolvePath(path);
  std::string full;
  if (!fullPathName(resolved, full)) full = resolved;
  if (!keepCase) lowerCasePath(full);
  normalizeBackslashes(full);
  return full;
}

std::string resolveWrittenFile(const std::string& file) {
  if (file.empty() || file.front() == '$') return file;
  return resolveFullPath(file, true);
}

std::string resolvePathList(const std::string& list) {
  return resolveListAgainst(executableDirectory(), list);
}

std::string getTempPath() {
  std::string path;
  std::string buffer(kFirstBufferSize, '\0');
  DWORD result = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
  DWORD lastError = GetLastError();
  if (result >= buffer.size()) {
    buffer.assign(static_cast<std::size_t>(result) + 1, '\0');
    result = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    lastError = GetLastError();
  }
  logMessage("GetTempPath returned %d (last error %d)", static_cast<int>(result), static_cast<int>(lastError));
  if (result > 0 && result < buffer.size()) path.assign(buffer.data(), result);

  if (path.empty()) {
    path = environmentVariable("HOMEDRIVE") + environmentVariable("HOMEPATH");
    logMessage("No temp dir defined. Using home %s", path.c_str());
  } else {
    const bool made = CreateDirectoryA(path.c_str(), nullptr) != 0;
    logMessage("make dir returned %d", made ? 0 : -1);
  }
  if (isRepresentableTempPath(path)) return path;

  const std::string windows = windowsDirectory();
  std::string candidates[] = {windows.empty() ? std::string() : windows + "\\temp", "c:\\temp",
                              "c:\\tmp", windows};
  for (const std::string& candidate : candidates) {
    if (!candidate.empty() && isWritableDirectory(candidate)) return candidate;
  }
  if (isWritableDirectory("c:\\")) {
    CreateDirectoryA("c:\\tmp", nullptr);
    if (isWritableDirectory("c:\\tmp")) return "c:\\tmp";
  }
  fatalConfiguredError(key::MsgPoweruser);
}

bool isWritableDirectory(const std::string& directory) {
  const std::string probe = joinPath(directory, "qrv_w_testdir");
  RemoveDirectoryA(probe.c_str());
  if (!CreateDirectoryA(probe.c_str(), nullptr)) return false;
  const bool exists = fileExists(probe);
  RemoveDirectoryA(probe.c_str());
  return exists;
}

std::string createTempFile() {
  const std::string tempPath = getTempPath();
  logMessage("tempPath is %s", tempPath.c_str());
  char name[MAX_PATH + 1] = {};
  std::string file;
  if (GetTempFileNameA(tempPath.c_str(), "qrv", 0, name) != 0) {
    file = name;
  } else {
    logMessage("GetTempFileName failed (last error %d)", static_cast<int>(GetLastError()));
    // From the system's random source: a name made from the time could be foreseen, and a
    // file or directory of that name made beforehand by someone else.
    file = tempPath + "qrv" + std::to_string(randomNumber());
  }
  logMessage("tempFile is %s", file.c_str());
  return file;
}

// The name is handed to the JVM, whose side reads and writes the file. It is created here,
// empty, exclusively and with the private access list, before the name goes out. When a file
// or link of that name exists already (made by someone else, or left by a process of the same
// id that did not end normally), a name with a random part is taken instead, so that the JVM
// never works with a file that another user made or can change. The worker removes the file
// when the application has ended and on its exit path.
HANDLE createPrivateTempFile(std::string& name, DWORD access, DWORD flags) {
  const std::string tempPath = getTempPath();
  logMessage("tempPath is %s", tempPath.c_str());
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 10 && file == INVALID_HANDLE_VALUE; ++attempt) {
    name = joinPath(tempPath, ("qrv" + randomHex() + ".tmp").c_str());
    file = createPrivateFile(name, access, 0, flags);
  }
  if (file == INVALID_HANDLE_VALUE) {
    logMessage("Could not create %s (%d)", name.c_str(), static_cast<int>(GetLastError()));
  }
  logMessage("tempFile is %s", name.c_str());
  return file;
}

namespace {
std::string createdCommFile;  // removed again by removeProcessCommFile
}  // namespace

std::string getProcessCommFileName(uint32_t processId) {
  const std::string tempPath = getTempPath();
  const std::string stem = tempPath + "qrv_p" + std::to_string(static_cast<int>(processId));
  std::string name = stem + ".tmp";
  for (int attempt = 0; attempt < 10; ++attempt) {
    const UniqueHandle file(createPrivateFile(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        FILE_ATTRIBUTE_NORMAL));
    if (file) {
      // A failing worker's exit path removes it too.
      if (createdCommFile.empty()) atLauncherExit(removeProcessCommFile);
      createdCommFile = name;
      return name;
    }
    logMessage("Could not create %s (%d)", name.c_str(), static_cast<int>(GetLastError()));
    name = stem + "_" + randomHex() + ".tmp";
  }
  return name;
}

void removeProcessCommFile() {
  if (!createdCommFile.empty()) DeleteFileA(createdCommFile.c_str());
  createdCommFile.clear();
}

// The per-run directory holds jars that go on the class path of a process that may run as
// LocalSystem, and the system temporary directory lets every user add files to the folders
// created in it. The directory therefore gets its own access list, not inherited from the
// parent. Without that list no directory is made: one with the inherited permissions would let
// others put a jar on the class path.
void createTempDirectory() {
  PrivateSecurity security;
  if (!buildPrivateSecurity(security)) {
    logMessage("Could not build the access list of the temporary directory (%d)", static_cast<int>(GetLastError()));
    fatalConfiguredError(key::MsgInternal, detail::TempDirFailed);
  }
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string file = createTempFile();
    tempDirectory = file + "_dir" + std::to_string(static_cast<int32_t>(std::time(nullptr)));
    logMessage("Temp dir: %s", tempDirectory.c_str());
    if (CreateDirectoryA(tempDirectory.c_str(), security.get())) return;
    logMessage("Could not create dir (%d)", static_cast<int>(GetLastError()));
  }
  tempDirectory.clear();
  fatalConfiguredError(key::MsgInternal, detail::TempDirFailed);
}

}  // namespace quorv
