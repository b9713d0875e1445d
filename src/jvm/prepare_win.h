// Preparation of a packed Java runtime: its jars are restored with its own unpack200.exe before
// the runtime is probed or loaded.
#pragma once
#include <string>

namespace quorv {

// Restores the jars when home\lib\rt.jar.pack exists and home\lib\jsse.jar does not. Ends the
// process (key 1009, detail "20") when the unpacker cannot be started.
void prepareJre(const std::string& javaHome);
void unpackJar(const std::string& javaHome, const std::string& jarName);
void unpackPackFile(const std::string& javaHome, const std::string& packPath);

}  // namespace quorv
