// Environment variables of any length.
#pragma once
#include <string>

namespace quorv {

// False when the variable is not set.
bool readEnvironmentVariable(const char* name, std::string& value);

}  // namespace quorv
