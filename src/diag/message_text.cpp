// Composition of shown messages (the configured template with its detail, and the log path),
// and the fatal ends built on showMessage and exitLauncher, which the system side provides.
#include "config/store.h"
#include "diag/fatal.h"

namespace quorv {

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

void showConfiguredMessage(int key, const char* detail) {
  showMessage(substituteDetail(getConfigString(key), detail));
}

void fatalError(const std::string& text) {
  showMessage(text);
  exitLauncher(1);
}

void fatalConfiguredError(int key, const char* detail) {
  showConfiguredMessage(key, detail);
  exitLauncher(1);
}

}  // namespace quorv
