#include "config/configured_message.h"

#include "config/store.h"
#include "diag/fatal.h"

namespace quorv {

void showConfiguredMessage(int key, const char* detail) {
  showMessage(substituteDetail(getConfigString(key), detail));
}

void fatalConfiguredError(int key, const char* detail) {
  showConfiguredMessage(key, detail);
  exitLauncher(1);
}

}  // namespace quorv
