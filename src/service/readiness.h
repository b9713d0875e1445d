// Started means ready: until the application says that it is ready (service.ready), or before the
// first worker until what it needs answers (service.wait-for), the service reports start-pending;
// a gate that does not open within service.ready-timeout ends the service as a failure.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

// A readiness condition: "notify" (the application calls Service.ready()), "tcp://HOST:PORT" (a
// connection succeeds) or "http://HOST:PORT/PATH" (a GET answers 2xx; PORT defaults to 80, PATH
// to "/").
struct ReadyTarget {
  enum Kind { Notify, Tcp, Http } kind = Notify;
  std::string host;
  uint16_t port = 0;
  std::string path;  // http only, beginning with "/"
  std::string text;  // as configured, for the log lines
};

// The target of `text`; nothing, with a sentence in `fault`, for a malformed one. `notify` is
// allowed where the application's own signal makes sense (service.ready), not for wait-for.
std::optional<ReadyTarget> parseReadyTarget(std::string_view text, bool allowNotify, std::string& fault);

// The gate's settings from the texts of service.ready, service.ready-timeout and
// service.wait-for (targets joined with ","). Nothing, with an empty `fault`, without a gate;
// nothing with a sentence in `fault` when a text does not read.
struct ReadinessSettings {
  std::optional<ReadyTarget> ready;
  std::vector<ReadyTarget> waitFor;
  uint32_t timeoutMs = 120000;
};
std::optional<ReadinessSettings> readinessSettingsOf(const std::string& ready, const std::string& timeout,
                                                     const std::string& waitFor, std::string& fault);

// The request of an HTTP target, and whether a response's first bytes say 2xx: "HTTP/1.x 2dd ".
std::string httpGetRequest(const ReadyTarget& target);
bool httpAnswersSuccess(std::string_view responseStart);

// Start-pending reports: a check point every kPendingInterval with a wait hint of kPendingWaitHint;
// the conditions are looked at every kPollInterval (which bounds the time from a condition coming
// true to the report).
constexpr uint32_t kPendingInterval = 2000;
constexpr uint32_t kPendingWaitHint = 10000;
constexpr uint32_t kPollInterval = 50;

// The line of the logs when the gate does not open in time.
std::string notReadyText(uint32_t timeoutMs);

}  // namespace quorv
