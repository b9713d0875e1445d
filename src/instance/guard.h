// Guard against a second running worker of the same executable.
#pragma once
#include <string>

namespace quorv {

// Returns when this worker may go on; in single-instance mode a second worker ends here (code 0).
void singleInstanceGuard();
// Backslashes and blanks become underscores.
std::string objectNameFromPath(const std::string& path);

}  // namespace quorv
