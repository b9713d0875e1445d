// Hang detection: the worker calls the application's runtime every interval from a thread of its
// own, and passes each answer that says "alive" to the service process; a worker from which no
// heartbeat has come within the timeout (counted from the JVM's creation, then from each
// heartbeat) is hung.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace quorv {

struct HeartbeatSettings {
  uint32_t intervalMs;
  uint32_t timeoutMs;  // six intervals unless set; at least two
};

// The settings from the texts of service.heartbeat and service.heartbeat-timeout. Nothing, with
// an empty `fault`, when the interval is not set (no hang detection); nothing with a sentence in
// `fault` when a text does not read or the timeout is shorter than two intervals.
std::optional<HeartbeatSettings> heartbeatSettingsOf(const std::string& interval, const std::string& timeout,
                                                     std::string& fault);

// The worker's side: launch/service_bridge.h.

}  // namespace quorv
