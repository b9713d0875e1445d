#include "service/supervision_settings.h"

#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "core/duration.h"
#include "diag/log.h"

namespace quorv {

SupervisionSettings configuredSupervision() {
  SupervisionSettings settings;
  const std::string stopTimeout = getConfigString(key::StopTimeout);
  if (!stopTimeout.empty()) settings.stopTimeout = parseDuration(stopTimeout);
  std::string fault;
  const RestartTexts texts{getConfigString(key::Restart),         getConfigString(key::SuccessExitCodes),
                           getConfigString(key::RestartDelay),    getConfigString(key::RestartDelayMax),
                           getConfigString(key::RestartReset),    getConfigString(key::RestartLimit)};
  if (std::optional<RestartSettings> restart = restartSettingsOf(texts, fault)) settings.restart = *restart;
  else logMessage("restart settings ignored: %s", fault.c_str());
  settings.heartbeat =
      heartbeatSettingsOf(getConfigString(key::Heartbeat), getConfigString(key::HeartbeatTimeout), fault);
  if (!fault.empty()) logMessage("heartbeat settings ignored: %s", fault.c_str());
  settings.readiness = readinessSettingsOf(getConfigString(key::Ready), getConfigString(key::ReadyTimeout),
                                           getConfigString(key::WaitFor), fault);
  if (!fault.empty()) logMessage("readiness settings ignored: %s", fault.c_str());
  return settings;
}

}  // namespace quorv
