// The configuration's message templates shown to a person: a template of the store with its
// first "{0}" replaced by a detail, through the one path that shows messages (diag/fatal.h).
#pragma once

namespace quorv {

// Shows the template of `key` with its first "{0}" replaced by `detail` (when given).
void showConfiguredMessage(int key, const char* detail = nullptr);
// Shows it, then ends the process with exit code 1 through exitLauncher.
[[noreturn]] void fatalConfiguredError(int key, const char* detail = nullptr);

}  // namespace quorv
