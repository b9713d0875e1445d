// Rules of restoring the jars of a packed Java runtime: which jars, where their pack files lie
// and how the unpacker is called.
#pragma once
#include <string>

namespace quorv {

// Restored in this order; jsse.jar comes last, so its presence marks a prepared runtime.
constexpr const char* kPackedJars[] = {
    "lib\\rt.jar",     "lib\\jfxrt.jar",  "lib\\charsets.jar",        "lib\\plugin.jar",
    "lib\\deploy.jar", "lib\\ext\\localedata.jar", "lib\\jsse.jar",
};

std::string packFilePath(const std::string& javaHome, const std::string& jarName);  // home\jar.pack
std::string targetJarPath(const std::string& packPath);  // the pack path less ".pack"
std::string unpackerPath(const std::string& javaHome);   // home\bin\unpack200.exe
// -r "pack" "jar": the whole command line, without the program's name.
std::string unpackCommandLine(const std::string& packPath, const std::string& jarPath);

}  // namespace quorv
