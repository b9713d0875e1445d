// Running the tools that the packer hands work to (wixl, msibuild, WiX's wix): found on the PATH,
// run with an argument list (never through a shell), their output kept for the message of a
// failure.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorv::pack {

// The program's file on the PATH (with .exe on Windows), or nothing.
std::optional<std::filesystem::path> findOnPath(const std::string& name);

struct ProgramResult {
  int status = -1;     // the exit status; -1 when the program could not be started or was killed
  std::string output;  // standard output and standard error together
};
ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments);

}  // namespace quorv::pack
