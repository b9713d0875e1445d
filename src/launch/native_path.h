// The native library directories (key 10004) in front of PATH.
#pragma once
#include <optional>
#include <string>

#include "launch/system.h"

namespace quorv {

// The new PATH value: the configured directories expanded and resolved, ";" and the old value.
std::string nativeLibraryPathValue(const std::optional<std::string>& oldPath,
                                   const LaunchSystem& system);

}  // namespace quorv
