#include "core/ascii.h"
#include "service/account.h"
#include "service/configure.h"

namespace quorv {
namespace {

std::string upperJoined(const std::vector<std::string_view>& names) {
  std::string text;
  for (std::string_view name : names) {
    if (!text.empty()) text += '\n';
    text += name;
  }
  upperCaseAscii(text);
  return text;
}

// The non-empty pieces of `text` between separators.
std::vector<std::string_view> pieces(std::string_view text, char separator) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

ConfigureOutcome convergeSteps(const std::vector<ConfigureStep>& steps) {
  ConfigureOutcome outcome;
  for (const ConfigureStep& step : steps) {
    const std::optional<std::string> before = step.read();
    if (before && *before == step.wanted) continue;
    if (!before && !step.given) continue;
    if (const uint32_t error = step.apply(); error != 0) {
      outcome.failures.push_back({step.setting, error});
      continue;
    }
    const std::optional<std::string> after = before ? step.read() : std::nullopt;
    if (!after || *after != step.wanted) continue;
    bool seen = false;
    for (const std::string& name : outcome.changed) seen = seen || name == step.setting;
    if (!seen) outcome.changed.push_back(step.setting);
  }
  return outcome;
}

std::string configureSummary(const std::string& serviceName, const std::vector<std::string>& changed) {
  if (changed.empty()) return "Service '" + serviceName + "' is up to date.";
  std::string text = "Updated service '" + serviceName + "': ";
  for (std::size_t i = 0; i < changed.size(); ++i) text += (i == 0 ? "" : ", ") + changed[i];
  return text;
}

std::string dependencyText(std::string_view commaList) { return upperJoined(pieces(commaList, ',')); }

std::string dependencyTextOfBlock(std::string_view nulSeparated) {
  // The block ends at its first empty name.
  const std::size_t end = nulSeparated.find(std::string_view("\0\0", 2));
  if (end != std::string_view::npos) nulSeparated = nulSeparated.substr(0, end + 1);
  return upperJoined(pieces(nulSeparated, '\0'));
}

std::string failureActionsText(uint32_t resetPeriod, const std::vector<ScActionRecord>& actions) {
  if (actions.empty()) return "none";
  std::string text = std::to_string(resetPeriod) + ":";
  for (std::size_t i = 0; i < actions.size(); ++i) {
    text += (i == 0 ? "" : ",") + std::to_string(actions[i].type) + "/" + std::to_string(actions[i].delay);
  }
  return text;
}

std::string accountText(std::string_view registered, const std::string& serviceName) {
  const std::optional<ServiceAccount> account = serviceAccountOf(registered, serviceName);
  std::string name = account ? account->name : std::string(registered);
  upperCaseAscii(name);
  return std::to_string(account ? static_cast<int>(account->kind) : -1) + ":" + name;
}

}  // namespace quorv
