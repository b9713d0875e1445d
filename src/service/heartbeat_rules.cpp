#include "core/duration.h"
#include "service/heartbeat.h"

namespace quorv {

std::optional<HeartbeatSettings> heartbeatSettingsOf(const std::string& interval, const std::string& timeout,
                                                     std::string& fault) {
  fault.clear();
  if (interval.empty()) {
    if (!timeout.empty()) fault = "a heartbeat timeout needs a heartbeat interval";
    return std::nullopt;
  }
  const std::optional<uint32_t> every = parseDuration(interval);
  if (!every || *every == 0) {
    fault = "\"" + interval + "\" is not a heartbeat interval";
    return std::nullopt;
  }
  HeartbeatSettings settings{*every, *every > UINT32_MAX / 6 ? UINT32_MAX : *every * 6};
  if (!timeout.empty()) {
    const std::optional<uint32_t> within = parseDuration(timeout);
    if (!within) {
      fault = "\"" + timeout + "\" is not a duration";
      return std::nullopt;
    }
    if (*within / 2 < *every) {
      fault = "the heartbeat timeout is shorter than two heartbeat intervals";
      return std::nullopt;
    }
    settings.timeoutMs = *within;
  }
  return settings;
}

}  // namespace quorv
