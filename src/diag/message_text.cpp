// Composition of shown messages (a template with its detail, and the log path), the fatal end
// built on showMessage and exitLauncher, which the system side provides, and how messages are
// shown.
#include "diag/fatal.h"

namespace quorv {

bool useMessageBox = true;
std::string (*messageCaption)() = nullptr;

std::string substituteDetail(const std::string& templ, const char* detail) {
  if (detail == nullptr) return templ;
  auto at = templ.find("{0}");
  if (at == std::string::npos) return templ;
  return templ.substr(0, at) + detail + templ.substr(at + 3);
}

std::string composeMessage(const std::string& text, const std::string* longLogPath) {
  if (longLogPath == nullptr) return text;
  return text + "\n\nLog: " + *longLogPath;
}

void fatalError(const std::string& text) {
  showMessage(text);
  exitLauncher(1);
}

}  // namespace quorv
