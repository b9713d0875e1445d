// The steps of LoadDLL (declared in load.h): the JVM library beside a Java executable.
#pragma once
#include <windows.h>

#include <string>

namespace quorv {

// Beside the executable, then in ..\jre\bin next to it; nullptr when neither loads.
HMODULE loadJvmLibrary(const std::string& javaExe);
// Extends PATH by the executable's directory and tries the VM-type subdirectories; PATH is put
// back when nothing loaded.
HMODULE loadJvmFromExeDir(const std::string& javaExe);
// The flags of loadJvmDllFile: the library's own directory, the directories added with
// AddDllDirectory (the runtime's bin), the system directory; never PATH or the current directory.
constexpr DWORD kJvmLoadFlags =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32;
// Loads a jvm.dll whose imports come only from its own directory, `binDirectory` and the
// system directory.
HMODULE loadJvmDllFile(const std::string& path, const std::string& binDirectory);
// directory\type\jvm.dll, loaded whether or not it exists.
HMODULE tryLoadJvmDll(const std::string& directory, const std::string& vmType);
// Sets createJavaVM from "JNI_CreateJavaVM"; false without a library or without the export.
bool lookupCreateJavaVM(HMODULE library);

}  // namespace quorv
