#include <windows.h>

#include "core/globals.h"
#include "files/paths.h"
#include "launch/expand.h"

namespace quorv {

namespace {

// The environment block of GetEnvironmentStringsA, released when it goes out of scope.
class EnvironmentBlock {
 public:
  EnvironmentBlock() : block_(GetEnvironmentStringsA()) {}
  ~EnvironmentBlock() {
    if (block_ != nullptr) FreeEnvironmentStringsA(block_);
  }
  EnvironmentBlock(const EnvironmentBlock&) = delete;
  EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
  const char* get() const { return block_; }

 private:
  char* block_;
};

}  // namespace

void expandVariables(std::string& text) {
  ExpandValues values;
  values.executableDirectory = executableDirectory();
  values.tempDirectory = tempDirectory;
  values.jvmHome = getJvmHome();
  values.systemTempDirectory = getTempPath();
  expandLauncherVariables(text, values);
  if (text.find("${") == std::string::npos) return;
  EnvironmentBlock environment;
  expandEnvironment(text, environment.get());
}

}  // namespace quorv
