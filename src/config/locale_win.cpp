#include <windows.h>

#include "config/locale.h"
#include "diag/log.h"

namespace quorv {

std::string determineLocale() {
  const std::string name = localeNameForLcid(GetUserDefaultLCID());
  logMessage("language/country is %s", name.c_str());
  return name;
}

}  // namespace quorv
