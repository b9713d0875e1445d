// The worker's launch: native library path and the JVM creation with the call of the entry class.
#pragma once
#include <string>
#include <vector>

namespace quorv {

void setNativeLibraryPath();
// True when the JVM was created and main was called and returned.
bool launchProgram(std::vector<std::u16string>& launchArguments, bool destroy);

}  // namespace quorv
