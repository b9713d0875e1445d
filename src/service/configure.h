// The converging install (/configure): an existing registration is brought in line with the
// executable's configuration one setting at a time, without stopping the service. Each step reads
// what the system holds, compares it with what the configuration wants, applies it where they
// differ and reads it again; only a change that can be seen afterwards is reported as one.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/service_config.h"

namespace quorv {

// An apply that printed its own line about the failure (a log directory, the event source).
constexpr uint32_t kFailurePrinted = 0xFFFFFFFFu;

struct ConfigureStep {
  std::string setting;  // the name printed when it changed, such as "service.start"
  std::string wanted;   // as `read` gives it
  // The configuration names this value. A value that the system cannot read back is applied
  // again when it is given, and left as it is when it is only the default of a missing setting.
  bool given = true;
  std::function<std::optional<std::string>()> read;  // nothing: the system cannot read it back
  std::function<uint32_t()> apply;                   // 0, a Win32 error code, or kFailurePrinted
};

struct ConfigureFailure {
  std::string setting;
  uint32_t error;  // kFailurePrinted: already printed
};

struct ConfigureOutcome {
  std::vector<std::string> changed;  // each name once, in the order of the steps
  std::vector<ConfigureFailure> failures;
};

// Runs the steps in order. A step counts as changed when it could be read before, differed, and
// reads as wanted after the apply; one that cannot be read back is never counted, nor one that
// the system does not keep (it still differs after an apply that succeeded).
ConfigureOutcome convergeSteps(const std::vector<ConfigureStep>& steps);

// "Service 'NAME' is up to date." or "Updated service 'NAME': a, b", without a line feed.
std::string configureSummary(const std::string& serviceName, const std::vector<std::string>& changed);

// How the values of the registration are compared: each is reduced to one text.

// A list of service names as the registration holds it (NUL after each name, one more at the
// end) or as key 149 gives it (comma-separated): the names in order, upper-cased in a to z,
// joined with a line feed.
std::string dependencyText(std::string_view commaList);
std::string dependencyTextOfBlock(std::string_view nulSeparated);

// The failure actions as SERVICE_FAILURE_ACTIONSW holds them: "none" without actions (the reset
// period then means nothing), else "RESET:TYPE/DELAY,...".
std::string failureActionsText(uint32_t resetPeriod, const std::vector<ScActionRecord>& actions);

// An account as the registration names it, in the form its kind is compared in: the kind's
// number and the name upper-cased in a to z ("LocalSystem", ".\LocalSystem" and
// "NT AUTHORITY\SYSTEM" are one account). The text itself when it is no account form.
std::string accountText(std::string_view registered, const std::string& serviceName);

}  // namespace quorv
