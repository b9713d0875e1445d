// The settings that /install gives a service beyond CreateServiceA: delayed start, failure
// actions and their flag, pre-shutdown timeout and service SID type. The records are built here,
// in the layout ChangeServiceConfig2W takes them; the system side only passes them on.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/account.h"

namespace quorv {

// Information levels of ChangeServiceConfig2W.
constexpr uint32_t kConfigFailureActions = 2;
constexpr uint32_t kConfigDelayedAutoStart = 3;
constexpr uint32_t kConfigFailureActionsFlag = 4;
constexpr uint32_t kConfigServiceSid = 5;
constexpr uint32_t kConfigPreshutdown = 7;

// Action types of SC_ACTION.
constexpr uint32_t kActionNone = 0;
constexpr uint32_t kActionRestart = 1;
constexpr uint32_t kActionReboot = 2;

constexpr uint32_t kSidTypeUnrestricted = 1;

// SC_ACTION.
struct ScActionRecord {
  uint32_t type;
  uint32_t delay;  // milliseconds
  bool operator==(const ScActionRecord&) const = default;
};

// SERVICE_FAILURE_ACTIONSW.
struct FailureActionsRecord {
  uint32_t resetPeriod;  // seconds
  char16_t* rebootMessage;
  char16_t* command;
  uint32_t actionCount;
  ScActionRecord* actions;
};

// One action of service.failure-actions: "restart/10s", "reboot/5m", "none" or "none/1s".
std::optional<ScActionRecord> parseFailureAction(std::string_view item);
// What is wrong with an action, as a sentence; empty when it is accepted.
std::string failureActionFault(std::string_view item);
// The reset period in whole seconds; nothing when the text is not a duration or not whole seconds.
std::optional<uint32_t> parseFailureReset(std::string_view text);

constexpr std::string_view kDefaultFailureReset = "1d";

// The install settings as the block holds them (keys 30200 to 30204).
struct InstallSettings {
  std::string failureActions;      // comma-separated actions; empty: none
  std::string failureReset;        // a duration; empty: kDefaultFailureReset
  std::string preshutdownTimeout;  // a duration; empty: not registered
  bool delayedStart = false;
};

// One ChangeServiceConfig2W call: the level and its record. `setting` names the setting for the
// message when the call fails.
struct ServiceConfigChange {
  const char* setting;
  uint32_t level;
  uint32_t value = 0;                         // the one 32-bit field of the other records
  FailureActionsRecord failureActions{};      // kConfigFailureActions
  std::vector<ScActionRecord> actions;
  // The record to pass on; for failure actions it points into `actions`.
  void* record();
};

// The calls for the settings, in the order they are made: delayed start (automatic start type
// only), failure actions with their flag, pre-shutdown timeout, and the unrestricted service SID
// of a virtual account. A setting that cannot be read gives a change whose level is 0, which
// fails with ERROR_INVALID_PARAMETER when passed on.
std::vector<ServiceConfigChange> serviceConfigChanges(const InstallSettings& settings, uint32_t startType,
                                                      AccountKind account);

// What passes the records on to the Service Control Manager: returns 0 on success, otherwise the
// system's error code.
struct ServiceConfigSystem {
  uint32_t (*change)(void* context, uint32_t level, void* record);
  void* context;
};
struct ServiceConfigFailure {
  const char* setting;
  uint32_t error;
};
std::vector<ServiceConfigFailure> applyServiceConfig(std::vector<ServiceConfigChange>& changes,
                                                     const ServiceConfigSystem& system);

// The controls a service accepts: stop and shutdown, and pre-shutdown when a pre-shutdown timeout
// is configured.
uint32_t acceptedControls(bool preshutdown);

}  // namespace quorv
