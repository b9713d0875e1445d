// What the service process does when its worker ends without a stop request: end as it always
// did, or start a new worker after a delay that grows with each restart in a row, up to a limit
// of restarts within a time window (past it, the service gives up and Windows' recovery actions
// take over). The settings come from the configuration as text; the decision is made here, from
// the times and exit codes the service process passes in.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

enum class RestartMode {
  Never,      // as without the setting: exit code 0 ends the service, anything else is a failure
  OnFailure,  // a new worker after an exit code that is not a success code, or a hang
  Always,     // a new worker whenever the worker ends without a stop request
};

struct RestartSettings {
  RestartMode mode = RestartMode::Never;
  std::vector<uint32_t> successCodes = {0};
  uint32_t delayMs = 2000;       // before the first restart in a row
  uint32_t delayMaxMs = 60000;   // the longest delay
  uint32_t resetMs = 600000;     // a worker that ran this long ends the row
  uint32_t limitCount = 5;       // at most this many restarts...
  uint32_t limitWindowMs = 600000;  // ...within this time
};

// The settings from the texts of their configuration values ("" where a value is not set).
// Nothing, with a sentence in `fault`, when a text does not read or the values do not fit
// together (a delay above the maximum, a limit without a window).
struct RestartTexts {
  std::string mode, successCodes, delay, delayMax, reset, limit;
};
std::optional<RestartSettings> restartSettingsOf(const RestartTexts& texts, std::string& fault);

// "never", "on-failure" or "always". Nothing for any other text.
std::optional<RestartMode> parseRestartMode(std::string_view text);
// "5/10m": a count of 1 or more, "/", a duration. Nothing for any other text.
std::optional<std::pair<uint32_t, uint32_t>> parseRestartLimit(const std::string& text);
// "0,143": decimal exit codes separated by commas. Nothing for any other text.
std::optional<std::vector<uint32_t>> parseExitCodes(const std::string& text);

// How the worker ended.
enum class WorkerEnd { Exited, Hung };

// The restarts of one service process so far.
struct RestartHistory {
  uint32_t inRow = 0;          // restarts since a worker last ran for resetMs
  uint32_t total = 0;          // restarts since the service started
  std::deque<uint64_t> times;  // when the restarts within the limit's window happened
};

struct RestartDecision {
  enum Kind {
    Stop,     // report the service stopped, as after a worker that ends with 0
    Fail,     // end the service process without reporting it stopped: Windows counts a failure
    Restart,  // wait delayMs, then start a new worker
  } kind;
  uint32_t delayMs = 0;
  uint32_t number = 0;  // the restart's number since the service started
  bool limitReached = false;  // Fail because one more restart would pass the limit
};

// The decision for a worker that ended without a stop request, at `nowMs`, having started at
// `startedMs` (both on one monotonic clock). `jitter` in [0, 1) lengthens the delay by up to 10 %.
// How the worker ended, for the log lines: "ended with exit code 3", "hung".
std::string workerEndText(WorkerEnd end, uint32_t exitCode);

RestartDecision decideRestart(const RestartSettings& settings, RestartHistory& history, WorkerEnd end,
                              uint32_t exitCode, uint64_t startedMs, uint64_t nowMs, double jitter);

}  // namespace quorv
