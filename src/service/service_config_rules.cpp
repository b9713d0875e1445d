#include "core/duration.h"
#include "service/service_config.h"

namespace quorv {
namespace {

constexpr uint32_t kAutoStart = 2;
constexpr uint32_t kInvalidParameter = 87;

std::vector<std::string_view> commaItems(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    items.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

ServiceConfigChange simpleChange(const char* setting, uint32_t level, uint32_t value) {
  ServiceConfigChange change{setting, level, value, {}, {}};
  return change;
}

}  // namespace

std::optional<ScActionRecord> parseFailureAction(std::string_view item) {
  const std::size_t slash = item.find('/');
  const std::string_view word = item.substr(0, slash);
  uint32_t type = 0;
  if (word == "restart") type = kActionRestart;
  else if (word == "reboot") type = kActionReboot;
  else if (word == "none") type = kActionNone;
  else return std::nullopt;
  if (slash == std::string_view::npos) {
    if (type != kActionNone) return std::nullopt;  // restart and reboot say when
    return ScActionRecord{type, 0};
  }
  auto delay = parseDuration(item.substr(slash + 1));
  if (!delay) return std::nullopt;
  return ScActionRecord{type, *delay};
}

std::string failureActionFault(std::string_view item) {
  if (parseFailureAction(item)) return "";
  const std::string_view word = item.substr(0, item.find('/'));
  const std::string text = "\"" + std::string(item) + "\"";
  if (word != "restart" && word != "reboot" && word != "none") return text + " is not an action";
  if (item.find('/') == std::string_view::npos) return text + " has no delay";
  return text + " has no valid delay";
}

std::optional<uint32_t> parseFailureReset(std::string_view text) {
  auto milliseconds = parseDuration(text);
  if (!milliseconds || *milliseconds % 1000 != 0) return std::nullopt;
  return *milliseconds / 1000;
}

void* ServiceConfigChange::record() {
  if (level != kConfigFailureActions) return &value;
  failureActions.actionCount = static_cast<uint32_t>(actions.size());
  failureActions.actions = actions.empty() ? nullptr : actions.data();
  return &failureActions;
}

std::vector<ServiceConfigChange> serviceConfigChanges(const InstallSettings& settings, uint32_t startType,
                                                      AccountKind account) {
  std::vector<ServiceConfigChange> changes;
  if (settings.delayedStart && startType == kAutoStart)
    changes.push_back(simpleChange("service.start", kConfigDelayedAutoStart, 1));
  if (!settings.failureActions.empty()) {
    ServiceConfigChange change = simpleChange("service.failure-actions", kConfigFailureActions, 0);
    bool readable = true;
    for (std::string_view item : commaItems(settings.failureActions)) {
      auto action = parseFailureAction(item);
      readable = readable && action.has_value();
      if (action) change.actions.push_back(*action);
    }
    auto reset = parseFailureReset(settings.failureReset.empty() ? kDefaultFailureReset
                                                                 : std::string_view(settings.failureReset));
    if (!reset) change.setting = "service.failure-reset";
    if (!readable || !reset) change.level = 0;
    change.failureActions.resetPeriod = reset.value_or(0);
    changes.push_back(std::move(change));
    changes.push_back(simpleChange("service.failure-actions", kConfigFailureActionsFlag, 1));
  }
  if (!settings.preshutdownTimeout.empty()) {
    auto timeout = parseDuration(settings.preshutdownTimeout);
    changes.push_back(
        simpleChange("service.preshutdown-timeout", timeout ? kConfigPreshutdown : 0, timeout.value_or(0)));
  }
  if (account == AccountKind::Virtual)
    changes.push_back(simpleChange("service.account", kConfigServiceSid, kSidTypeUnrestricted));
  return changes;
}

std::vector<ServiceConfigFailure> applyServiceConfig(std::vector<ServiceConfigChange>& changes,
                                                     const ServiceConfigSystem& system) {
  std::vector<ServiceConfigFailure> failures;
  for (ServiceConfigChange& change : changes) {
    const uint32_t error =
        change.level == 0 ? kInvalidParameter : system.change(system.context, change.level, change.record());
    if (error != 0) failures.push_back({change.setting, error});
  }
  return failures;
}

uint32_t acceptedControls(bool preshutdown) { return preshutdown ? 0x105u : 0x5u; }

}  // namespace quorv
