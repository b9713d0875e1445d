// What `app.exe /query` tells monitoring: the service's state from the Service Control Manager,
// and what the service process publishes about its workers (one text, written in one step, in a
// registry key that only the service's account and administrators may change).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorv {

// What the service process publishes.
struct PublishedStatus {
  uint32_t processId = 0;             // the service process
  std::string started;                // when it started, ISO 8601 UTC
  std::optional<uint32_t> workerPid;  // the worker that runs now
  uint32_t restarts = 0;              // since the service process started
  std::optional<uint32_t> lastExitCode;
  std::string lastRestart;            // ISO 8601 UTC, or empty
  std::string lastRestartCause;       // "exit", "hung", or empty
  bool ready = false;                 // a worker runs and has passed its readiness gate
};

// The published text: "name=value" lines; and its reading back (a value that does not read is
// left out, so that /query shows it as null).
std::string statusText(const PublishedStatus& status);
PublishedStatus parseStatusText(std::string_view text);

// A moment in UTC as ISO 8601: "2026-12-11T12:34:56Z".
struct UtcTime {
  int year, month, day, hour, minute, second;
};
std::string isoTime(const UtcTime& time);

// /query's answer: the state name of a SERVICE_STATUS state ("running", "stopped",
// "start-pending", "stop-pending"; a paused service is alive and counts as running), its exit
// status (0 while the service process is alive, 3 when stopped, 1 when not installed), and the
// JSON line.
std::string stateName(uint32_t scmState);
int queryExitStatus(const std::string& state);

struct QueryAnswer {
  std::string name;
  std::string state;               // stateName, or "not-installed"
  std::optional<uint32_t> pid;     // the service process, while it lives
  std::optional<PublishedStatus> published;  // what that process published, when it is its own
};
std::string queryJson(const QueryAnswer& answer);

}  // namespace quorv
