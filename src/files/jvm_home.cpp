// The JVM home of the loaded runtime, recorded by LoadDLL and read by variable expansion.
#include "core/globals.h"
#include "files/paths.h"

namespace quorv {

const std::string& getJvmHome() { return jvmHome; }

void setJvmHome(const std::string& javaExePath) { jvmHome = jvmHomeFor(javaExePath); }

}  // namespace quorv
