#include "service/restart_policy.h"

#include <algorithm>
#include <charconv>

#include "core/decimal.h"
#include "core/duration.h"

namespace quorv {
namespace {

bool parseCount(std::string_view text, uint32_t& value) {
  const std::optional<uint64_t> number = text.size() > 10 ? std::nullopt : parseDecimal(text, UINT32_MAX);
  if (!number) return false;
  value = static_cast<uint32_t>(*number);
  return true;
}

// A duration text, or the default when it is not set; false (with the fault) when it does not read.
bool durationOr(const std::string& text, const char* name, uint32_t& value, std::string& fault) {
  if (text.empty()) return true;
  const std::optional<uint32_t> parsed = parseDuration(text);
  if (!parsed) {
    fault = std::string(name) + " \"" + text + "\" is not a duration";
    return false;
  }
  value = *parsed;
  return true;
}

}  // namespace

std::optional<RestartMode> parseRestartMode(std::string_view text) {
  if (text == "never") return RestartMode::Never;
  if (text == "on-failure") return RestartMode::OnFailure;
  if (text == "always") return RestartMode::Always;
  return std::nullopt;
}

std::optional<std::pair<uint32_t, uint32_t>> parseRestartLimit(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  uint32_t count = 0;
  if (!parseCount(std::string_view(text).substr(0, slash), count) || count == 0) return std::nullopt;
  const std::optional<uint32_t> window = parseDuration(std::string_view(text).substr(slash + 1));
  if (!window || *window == 0) return std::nullopt;
  return std::pair{count, *window};
}

std::optional<std::vector<uint32_t>> parseExitCodes(const std::string& text) {
  std::vector<uint32_t> codes;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    uint32_t code = 0;
    if (!parseCount(std::string_view(text).substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                    code)) {
      return std::nullopt;
    }
    codes.push_back(code);
    if (comma == std::string::npos) return codes;
    start = comma + 1;
  }
}

std::optional<RestartSettings> restartSettingsOf(const RestartTexts& texts, std::string& fault) {
  RestartSettings settings;
  if (!texts.mode.empty()) {
    const std::optional<RestartMode> mode = parseRestartMode(texts.mode);
    if (!mode) {
      fault = "\"" + texts.mode + "\" is not a restart mode";
      return std::nullopt;
    }
    settings.mode = *mode;
  }
  if (!texts.successCodes.empty()) {
    std::optional<std::vector<uint32_t>> codes = parseExitCodes(texts.successCodes);
    if (!codes) {
      fault = "\"" + texts.successCodes + "\" is not a list of exit codes";
      return std::nullopt;
    }
    settings.successCodes = std::move(*codes);
  }
  if (!durationOr(texts.delay, "the restart delay", settings.delayMs, fault) ||
      !durationOr(texts.delayMax, "the longest restart delay", settings.delayMaxMs, fault) ||
      !durationOr(texts.reset, "the restart reset", settings.resetMs, fault)) {
    return std::nullopt;
  }
  if (settings.delayMs > settings.delayMaxMs) {
    fault = "the restart delay is above the longest restart delay";
    return std::nullopt;
  }
  if (!texts.limit.empty()) {
    const auto limit = parseRestartLimit(texts.limit);
    if (!limit) {
      fault = "\"" + texts.limit + "\" is not a restart limit";
      return std::nullopt;
    }
    settings.limitCount = limit->first;
    settings.limitWindowMs = limit->second;
  }
  return settings;
}

std::string workerEndText(WorkerEnd end, uint32_t exitCode) {
  return end == WorkerEnd::Hung ? "hung" : "ended with exit code " + std::to_string(exitCode);
}

RestartDecision decideRestart(const RestartSettings& settings, RestartHistory& history, WorkerEnd end,
                              uint32_t exitCode, uint64_t startedMs, uint64_t nowMs, double jitter) {
  const bool success = end == WorkerEnd::Exited &&
                       std::find(settings.successCodes.begin(), settings.successCodes.end(), exitCode) !=
                           settings.successCodes.end();
  switch (settings.mode) {
    case RestartMode::Never:
      return {end == WorkerEnd::Exited && exitCode == 0 ? RestartDecision::Stop : RestartDecision::Fail};
    case RestartMode::OnFailure:
      if (success) return {RestartDecision::Stop};
      break;
    case RestartMode::Always:
      break;
  }
  // A worker that stayed up long enough ends the row of restarts: the next delay is the first.
  if (nowMs >= startedMs && nowMs - startedMs >= settings.resetMs) history.inRow = 0;
  while (!history.times.empty() && nowMs - history.times.front() >= settings.limitWindowMs) history.times.pop_front();
  if (history.times.size() + 1 > settings.limitCount) return {RestartDecision::Fail, 0, 0, true};

  history.inRow += 1;
  history.total += 1;
  history.times.push_back(nowMs);
  uint64_t delay = settings.delayMs;
  for (uint32_t i = 1; i < history.inRow && delay < settings.delayMaxMs; ++i) delay *= 2;
  delay = std::min<uint64_t>(delay, settings.delayMaxMs);
  const double share = std::clamp(jitter, 0.0, 0.999999) * 0.1;
  delay += static_cast<uint64_t>(static_cast<double>(delay) * share);
  return {RestartDecision::Restart, static_cast<uint32_t>(std::min<uint64_t>(delay, UINT32_MAX)), history.total};
}

}  // namespace quorv
