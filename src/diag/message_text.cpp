// Composition of shown messages: the configured template with its detail, and the log path.
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

}  // namespace quorv
