// The one way messages reach a person and the one way a failing process ends.
// The launcher implements the system side in fatal_win.cpp; host tests link a version that
// throws FatalExit instead of ending the process.
#pragma once
#include <string>

namespace quorv {

// How a message is shown: in a message box where a person can see one, unless the configuration
// says otherwise (config/block.cpp clears it for launcher kinds without boxes), else on standard
// error; the box's caption comes from `messageCaption` (the configuration's, which the entry
// point names) when set. Configured templates: config/configured_message.h.
extern bool useMessageBox;
extern std::string (*messageCaption)();

void showMessage(const std::string& text);
[[noreturn]] void exitLauncher(int code);
[[noreturn]] void fatalError(const std::string& text);
// What exitLauncher removes besides the per-run directory, such as a file that a step above
// created for the JVM: called in the order given, at most 8.
void atLauncherExit(void (*cleanup)());
// Deletes a directory's files and, with `recurse`, those of its direct sub-directories, which are
// then removed. A reparse point is never followed: a link is removed as a link.
void emptyDirectory(const std::string& directory, bool recurse);
// emptyDirectory with `recurse`, then the directory itself: the clean-up of a per-run directory.
void removeTemporaryDirectory(const std::string& directory);

// Portable pieces of the above.
std::string substituteDetail(const std::string& templ, const char* detail);
std::string composeMessage(const std::string& text, const std::string* longLogPath);

}  // namespace quorv
