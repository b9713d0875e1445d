// Expansion of launcher variables and ${NAME} environment references inside a text.
#pragma once
#include <string>
#include <string_view>

namespace quorv {

struct ExpandValues {
  std::string executableDirectory;  // ends in a backslash
  std::string tempDirectory;        // per-run directory, "" without included files
  std::string jvmHome;              // "" until the JVM library is loaded
  std::string systemTempDirectory;  // getTempPath()
};

// Replaces every occurrence, left to right, never searching an inserted value again.
void replaceAll(std::string& text, std::string_view pattern, std::string_view value);
// The 21 launcher variables in order, then the environment block (NAME=VALUE entries, each
// NUL-terminated, ending with an empty entry; may be null) exactly and in upper case.
void expandWith(std::string& text, const ExpandValues& values, const char* environmentBlock);
// The two halves of expandWith.
void expandLauncherVariables(std::string& text, const ExpandValues& values);
void expandEnvironment(std::string& text, const char* environmentBlock);
// System side: gathers the values on every call, and a fresh environment block when the text
// still holds a "${" after the launcher variables.
void expandVariables(std::string& text);

}  // namespace quorv
