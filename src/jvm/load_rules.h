// Rules of loading the JVM library that need no system call: the directories tried beside a
// Java executable, the second attempt inside a JDK, and the message for a failed load.
#pragma once
#include <string>

#include "jvm/search_rules.h"

namespace quorv {

// Tried in this order after the configured VM type (configuration key 152).
constexpr const char* kFixedVmTypes[] = {"hotspot", "client", "server", "classic", "jrockit"};

// The executable's path less its file name and the backslash before it ("javaw.exe" when the
// path ends so, else the eight characters of "java.exe").
std::string executableDirectoryFor(const std::string& javaExe);
// The path less its file name, keeping the backslash, followed by "..\jre\bin\java.exe".
std::string secondAttemptPath(const std::string& javaExe);
// directory\type\jvm.dll
std::string jvmDllPath(const std::string& directory, const std::string& vmType);

// The one message shown when a runtime was found but could not be loaded.
struct LoadFailureMessage {
  int key;
  std::string detail;
  bool hasDetail;
};
LoadFailureMessage loadFailureMessage(JvmSource kind, const std::string& location);

}  // namespace quorv
