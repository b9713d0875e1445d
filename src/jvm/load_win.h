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
// directory\type\jvm.dll, loaded whether or not it exists.
HMODULE tryLoadJvmDll(const std::string& directory, const std::string& vmType);
// Sets createJavaVM from "JNI_CreateJavaVM"; false without a library or without the export.
bool lookupCreateJavaVM(HMODULE library);

}  // namespace quorv
