#include "jvm/load_rules.h"

#include "config/keys.h"

namespace quorv {
namespace {

// Length of the executable's file name: "javaw.exe" or "java.exe".
std::size_t fileNameLength(const std::string& javaExe) {
  return javaExe.ends_with("javaw.exe") ? 9 : 8;
}

}  // namespace

std::string executableDirectoryFor(const std::string& javaExe) {
  std::size_t cut = fileNameLength(javaExe) + 1;
  return javaExe.size() < cut ? std::string() : javaExe.substr(0, javaExe.size() - cut);
}

std::string secondAttemptPath(const std::string& javaExe) {
  std::size_t cut = fileNameLength(javaExe);
  std::string base = javaExe.size() < cut ? std::string() : javaExe.substr(0, javaExe.size() - cut);
  return base + "..\\jre\\bin\\java.exe";
}

std::string jvmDllPath(const std::string& directory, const std::string& vmType) {
  return directory + "\\" + vmType + "\\jvm.dll";
}

LoadFailureMessage loadFailureMessage(JvmSource kind, const std::string& location) {
  switch (kind) {
    case JvmSource::Location:
      return {key::MsgLocationJvmBroken, location, true};
    case JvmSource::Environment:
      return {key::MsgEnvJvmBroken, location, true};
    case JvmSource::Registry:
      return {key::MsgJvmStartFailed, "", false};
    case JvmSource::SearchPath:
    case JvmSource::None:
      break;
  }
  return {key::MsgNoJvm, "64", true};
}

}  // namespace quorv
