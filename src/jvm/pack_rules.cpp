#include "jvm/pack_rules.h"

namespace quorv {

std::string packFilePath(const std::string& javaHome, const std::string& jarName) {
  return javaHome + "\\" + jarName + ".pack";
}

std::string targetJarPath(const std::string& packPath) {
  return packPath.size() < 5 ? std::string() : packPath.substr(0, packPath.size() - 5);
}

std::string unpackerPath(const std::string& javaHome) { return javaHome + "\\bin\\unpack200.exe"; }

std::string unpackCommandLine(const std::string& packPath, const std::string& jarPath) {
  return "-r \"" + packPath + "\" \"" + jarPath + "\"";
}

}  // namespace quorv
