#include "launch/shared_temp.h"

#include "diag/log.h"

namespace quorv {

void warnOfSharedTempReference(const char* what, const std::string& text) {
  const std::string_view reference = sharedTempReference(text);
  if (reference.empty()) return;
  logMessage("warning: %s %s names the shared temporary directory (%.*s)", what, text.c_str(),
             static_cast<int>(reference.size()), reference.data());
}

}  // namespace quorv
