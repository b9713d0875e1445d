#include <cstdio>

#include "core/byte_size.h"
#include "core/decimal.h"
#include "service/worker_log.h"

namespace quorv {
namespace {

constexpr const char* kStartedFormat = "[%s] worker started, process id %lu";
constexpr const char* kEndedFormat = "[%s] worker ended, exit code %lu, %s";
constexpr const char* kAfterStop = "after a stop request";
constexpr const char* kOnItsOwn = "on its own";
constexpr const char* kDroppedFormat = "[%s] %llu bytes of worker output dropped: the log could not be written";
constexpr const char* kTimedOutFormat = "[%s] worker did not end within %lu ms of the stop request: ending it";
constexpr const char* kHungFormat = "[%s] worker sent no heartbeat within %lu ms: ending it as hung";
constexpr const char* kRestartFormat = "[%s] restart %lu in %lu ms: the worker %s";
constexpr const char* kGaveUpFormat = "[%s] the worker %s; %lu restarts within %lu ms reached the restart limit: the service gives up";

std::string stamp(const LogTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string ownLine(const std::string& text, bool atLineStart) {
  return (atLineStart ? "" : "\r\n") + text + "\r\n";
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

}  // namespace

std::optional<unsigned> parseWorkerLogKeep(std::string_view text) {
  const std::optional<uint64_t> value = text.size() > 3 ? std::nullopt : parseDecimal(text);
  if (!value) return std::nullopt;
  return static_cast<unsigned>(*value);
}

std::optional<WorkerLogSettings> workerLogSettings(const std::string& path, const std::string& sizeText,
                                                   const std::string& keepText) {
  if (path.empty()) return std::nullopt;
  WorkerLogSettings settings{path, kDefaultWorkerLogSize, kDefaultWorkerLogKeep};
  if (auto size = parseByteSize(sizeText)) settings.maxSize = *size;
  if (auto keep = parseWorkerLogKeep(keepText)) settings.keep = *keep;
  return settings;
}

std::string rotatedLogName(const std::string& path, unsigned index) {
  return path + "." + std::to_string(index);
}

std::vector<std::pair<std::string, std::string>> rotationMoves(const std::string& path, unsigned keep) {
  std::vector<std::pair<std::string, std::string>> moves;
  if (keep == 0) return moves;
  for (unsigned i = keep - 1; i >= 1; --i) moves.emplace_back(rotatedLogName(path, i), rotatedLogName(path, i + 1));
  moves.emplace_back(path, rotatedLogName(path, 1));
  return moves;
}

std::vector<LogWriteStep> planLogWrite(std::string_view data, uint64_t size, uint64_t maxSize) {
  std::vector<LogWriteStep> steps;
  std::size_t offset = 0;
  bool rotate = false;
  while (offset < data.size()) {
    const std::size_t remaining = data.size() - offset;
    if (maxSize == 0 || size + remaining <= maxSize) {
      steps.push_back({rotate, offset, remaining});
      break;
    }
    const uint64_t room = size < maxSize ? maxSize - size : 0;
    std::size_t take = 0;
    if (room > 0) {
      const std::string_view fits = data.substr(offset, static_cast<std::size_t>(room));
      const std::size_t lineEnd = fits.rfind('\n');
      if (lineEnd != std::string_view::npos) take = lineEnd + 1;
      else if (size == 0) take = fits.size();  // a fresh file: a line longer than the limit is split
    }
    if (take > 0) {
      steps.push_back({rotate, offset, take});
      offset += take;
    }
    rotate = true;
    size = 0;
  }
  return steps;
}

std::string workerStartedLine(const LogTime& time, unsigned long processId, bool atLineStart) {
  return ownLine(format(kStartedFormat, stamp(time).c_str(), processId), atLineStart);
}

std::string workerEndedLine(const LogTime& time, uint32_t exitCode, bool stopRequested, bool atLineStart) {
  return ownLine(format(kEndedFormat, stamp(time).c_str(), static_cast<unsigned long>(exitCode),
                        stopRequested ? kAfterStop : kOnItsOwn),
                 atLineStart);
}

std::string outputDroppedLine(const LogTime& time, uint64_t bytes, bool atLineStart) {
  return ownLine(format(kDroppedFormat, stamp(time).c_str(), static_cast<unsigned long long>(bytes)), atLineStart);
}

std::string stopTimedOutLine(const LogTime& time, uint32_t timeoutMs, bool atLineStart) {
  return ownLine(format(kTimedOutFormat, stamp(time).c_str(), static_cast<unsigned long>(timeoutMs)), atLineStart);
}

std::string hungLine(const LogTime& time, uint32_t timeoutMs, bool atLineStart) {
  return ownLine(format(kHungFormat, stamp(time).c_str(), static_cast<unsigned long>(timeoutMs)), atLineStart);
}

std::string restartLine(const LogTime& time, uint32_t number, uint32_t delayMs, const std::string& what,
                        bool atLineStart) {
  return ownLine(format(kRestartFormat, stamp(time).c_str(), static_cast<unsigned long>(number),
                        static_cast<unsigned long>(delayMs), what.c_str()),
                 atLineStart);
}

std::string notReadyLine(const LogTime& time, const std::string& text, bool atLineStart) {
  return ownLine("[" + stamp(time) + "] " + text, atLineStart);
}

std::string gaveUpLine(const LogTime& time, uint32_t count, uint32_t windowMs, const std::string& what,
                       bool atLineStart) {
  return ownLine(format(kGaveUpFormat, stamp(time).c_str(), what.c_str(), static_cast<unsigned long>(count),
                        static_cast<unsigned long>(windowMs)),
                 atLineStart);
}

}  // namespace quorv
