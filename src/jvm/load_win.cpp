// Loading of the JVM library that belongs to the Java executable the search found, and the
// lookup of the JNI invocation entry point.
#include "jvm/load.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "config/keys.h"
#include "config/store.h"
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

}  // namespace

HMODULE tryLoadJvmDll(const std::string& directory, const std::string& vmType) {
  const std::string path = jvmDllPath(directory, vmType);
  const bool exists = fileExists(path);
  logMessage("Trying %s (exists %d)", path.c_str(), exists ? 1 : 0);
  HMODULE library = LoadLibraryA(path.c_str());
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
