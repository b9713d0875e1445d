// Loading of the JVM library that belongs to the Java executable the search found, and the
// lookup of the JNI invocation entry point.
#include "jvm/load.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "config/configured_message.h"
#include "config/keys.h"
#include "config/store.h"
#include "core/codepage.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "files/paths.h"
#include "jvm/env_win.h"
#include "jvm/load_rules.h"
#include "jvm/load_win.h"
#include "jvm/search_win.h"

namespace quorv {

CreateJavaVMFn createJavaVM = nullptr;

namespace {

// Sets PATH for the system and for the runtime library's copy of the environment.
void setPathVariable(const std::string& value) {
  if (SetEnvironmentVariableA("PATH", value.c_str())) {
    logMessage("Setting PATH %s", value.c_str());
  } else {
    int error = static_cast<int>(GetLastError());
    logMessage("Setting PATH %s failed with error %d", value.c_str(), error);
  }
  std::string entry = "PATH=" + value;
  _putenv(entry.c_str());
}

// The full form of a path ("." and ".." resolved); the path itself when there is none.
std::string fullPath(const std::string& path) {
  std::string buffer(8192, '\0');
  const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (n == 0 || n >= buffer.size()) return path;
  buffer.resize(n);
  return buffer;
}

}  // namespace

// PATH is extended for the JVM and the programs it starts, but jvm.dll's own imports (the
// runtime's C library above all: msvcr100.dll, vcruntime140.dll, msvcp140.dll) are looked for
// only in the directory of jvm.dll, in the runtime's bin directory and in the system directory.
// A folder on PATH that others may write to could otherwise hand a LocalSystem process its own
// copy of such a library, since the runtime's bin directory comes last on PATH.
// The calls come from kernel32 at run time: Windows 7 has them only with its update KB2533623,
// and there, without them, the library is loaded as before.
HMODULE loadJvmDllFile(const std::string& path, const std::string& binDirectory) {
  using AddFn = void*(WINAPI*)(const wchar_t*);
  using RemoveFn = BOOL(WINAPI*)(void*);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto add = reinterpret_cast<AddFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddDllDirectory")));
  auto remove = reinterpret_cast<RemoveFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "RemoveDllDirectory")));
  if (add == nullptr || remove == nullptr) {
    logMessage("No AddDllDirectory: the JVM's libraries are searched on PATH");
    return LoadLibraryA(path.c_str());
  }
  const std::u16string bin = fileCpToWide(fullPath(binDirectory));
  void* cookie = add(reinterpret_cast<const wchar_t*>(bin.c_str()));
  HMODULE library = LoadLibraryExA(fullPath(path).c_str(), nullptr, kJvmLoadFlags);
  const DWORD error = GetLastError();
  if (cookie != nullptr) remove(cookie);
  SetLastError(error);
  return library;
}

HMODULE tryLoadJvmDll(const std::string& directory, const std::string& vmType) {
  const std::string path = jvmDllPath(directory, vmType);
  const bool exists = fileExists(path);
  logMessage("Trying %s (exists %d)", path.c_str(), exists ? 1 : 0);
  HMODULE library = loadJvmDllFile(path, directory);
  if (exists && library == nullptr) {
    logMessage("Failed with error code %d", static_cast<int>(GetLastError()));
  }
  return library;
}

HMODULE loadJvmFromExeDir(const std::string& javaExe) {
  const std::string directory = executableDirectoryFor(javaExe);
  std::string oldPath;
  readEnvironmentVariable("PATH", oldPath);
  setPathVariable(oldPath + ";" + directory);

  HMODULE library = nullptr;
  const std::string vmType = getConfigString(key::VmType, 200);
  if (!vmType.empty()) library = tryLoadJvmDll(directory, vmType);
  for (const char* fixedType : kFixedVmTypes) {
    if (library != nullptr) break;
    library = tryLoadJvmDll(directory, fixedType);
  }
  if (library == nullptr) setPathVariable(oldPath);
  return library;
}

HMODULE loadJvmLibrary(const std::string& javaExe) {
  if (HMODULE library = loadJvmFromExeDir(javaExe)) return library;
  // The runtime inside a JDK whose own bin directory holds no JVM library.
  return loadJvmFromExeDir(secondAttemptPath(javaExe));
}

bool lookupCreateJavaVM(HMODULE library) {
  if (library == nullptr) return false;
  FARPROC entry = GetProcAddress(library, "JNI_CreateJavaVM");
  if (entry == nullptr) return false;
  createJavaVM = reinterpret_cast<CreateJavaVMFn>(reinterpret_cast<void*>(entry));
  return true;
}

bool LoadDLL(bool showMessages) {
  logMessage("LoadDLL (%d, %s, %d)", showMessages ? 1 : 0, "(null)", 0);
  std::string javaExe;
  std::string location;
  const JvmSource kind = searchJvm(javaExe, location);
  if (kind == JvmSource::None) {
    logError("No JVM found");
    if (showMessages) showConfiguredMessage(key::MsgNoJvm, "64");
    return false;
  }

  logMessage("Trying to load JVM-DLL from %s", javaExe.c_str());
  HMODULE library = loadJvmLibrary(javaExe);
  setJvmHome(javaExe);
  if (library == nullptr) logError("Could not get DLL-Handle.");
  const bool found = lookupCreateJavaVM(library);
  if (!found) logError("Could not load functions");
  if (library != nullptr && found) {
    logMessage("Loading of JVM-DLL successful");
    return true;
  }
  if (showMessages) {
    const LoadFailureMessage message = loadFailureMessage(kind, location);
    showConfiguredMessage(message.key, message.hasDetail ? message.detail.c_str() : nullptr);
  }
  return false;
}

}  // namespace quorv
