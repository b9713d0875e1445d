// What the supervising thread of the service process does besides waiting for its worker: the
// stop timeout, the restart policy, hang detection and the readiness gate, read from the
// configuration.
#pragma once
#include <cstdint>
#include <optional>

#include "service/heartbeat.h"
#include "service/readiness.h"
#include "service/restart_policy.h"

namespace quorv {

struct SupervisionSettings {
  std::optional<uint32_t> stopTimeout;  // none: the wait after a stop request has no limit
  RestartSettings restart;
  std::optional<HeartbeatSettings> heartbeat;
  std::optional<ReadinessSettings> readiness;
  // The supervising thread also waits for a stop request (and the worker runs in a job).
  bool waitsForStop() const {
    return stopTimeout || restart.mode != RestartMode::Never || heartbeat || readiness;
  }
  // The gate waits for the application's own signal (service.ready = "notify").
  bool notifies() const { return readiness && readiness->ready && readiness->ready->kind == ReadyTarget::Notify; }
};

// The settings of the configuration. The packer writes only values that read; one that does not
// (a block made by hand) leaves that part as without the setting, with a log line.
SupervisionSettings configuredSupervision();

}  // namespace quorv
