// The one way messages reach a person and the one way a failing process ends.
// The launcher implements the system side in fatal_win.cpp; host tests link a version that
// throws FatalExit instead of ending the process.
#pragma once
#include <string>

namespace quorv {

void showMessage(const std::string& text);
// Shows the template of `key` with its first "{0}" replaced by `detail` (when given).
void showConfiguredMessage(int key, const char* detail = nullptr);
[[noreturn]] void exitLauncher(int code);
[[noreturn]] void fatalError(const std::string& text);
[[noreturn]] void fatalConfiguredError(int key, const char* detail = nullptr);
// Deletes a directory's files and, with `recurse`, those of its direct sub-directories, which are
// then removed. A reparse point is never followed: a link is removed as a link.
void emptyDirectory(const std::string& directory, bool recurse);
// emptyDirectory with `recurse`, then the directory itself: the clean-up of a per-run directory.
void removeTemporaryDirectory(const std::string& directory);

// Portable pieces of the above.
std::string substituteDetail(const std::string& templ, const char* detail);
std::string composeMessage(const std::string& text, const std::string* longLogPath);

}  // namespace quorv
