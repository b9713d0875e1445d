// The worker log: the service process copies everything its worker prints on standard output
// and standard error into a file of its own, with a line when a worker starts and when it ends,
// and keeps the file to a size by moving it aside ("service.log" becomes "service.log.1", the
// newest old file, whose predecessor becomes "service.log.2", and so on).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorv {

constexpr uint64_t kDefaultWorkerLogSize = uint64_t{10} << 20;  // "10MB"
constexpr unsigned kDefaultWorkerLogKeep = 5;
constexpr unsigned kMaxWorkerLogKeep = 999;

struct WorkerLogSettings {
  std::string path;  // as configured; relative paths are taken from the executable's directory
  uint64_t maxSize;  // 0: the file is never moved aside
  unsigned keep;     // how many old files stay beside it
};

// The settings from the texts of the three configuration values; nothing when the path is
// empty. A size or count that does not read as one (the packer never writes such) takes the
// default.
std::optional<WorkerLogSettings> workerLogSettings(const std::string& path, const std::string& sizeText,
                                                   const std::string& keepText);
// A count of old files: 0 to 999, decimal digits only.
std::optional<unsigned> parseWorkerLogKeep(std::string_view text);

// The name of the old file with the given number (1 is the newest).
std::string rotatedLogName(const std::string& path, unsigned index);
// The moves that make room for a new file, in the order to make them, each replacing its target:
// the oldest kept file goes away as the one before it takes its place, and the current file
// becomes number 1. With keep 0 there are none (the current file is removed instead).
std::vector<std::pair<std::string, std::string>> rotationMoves(const std::string& path, unsigned keep);

// One piece of a write: `length` bytes of the data from `offset`, into a fresh file when
// `rotateBefore` is set.
struct LogWriteStep {
  bool rotateBefore;
  std::size_t offset;
  std::size_t length;
};
// How `length` bytes go into a file that holds `size` bytes now and may hold `maxSize`
// (0: no limit): as much as fits, cut after the last line feed that fits so that a line stays
// whole; then the rest into fresh files. Only a fresh file takes a cut within a line: a line
// longer than `maxSize` is split at the limit. The bytes go in unchanged and in order, none twice.
// `data` is the chunk (for its line feeds).
std::vector<LogWriteStep> planLogWrite(std::string_view data, uint64_t size, uint64_t maxSize);

// Local time of a line of the service's own.
struct LogTime {
  int year, month, day, hour, minute, second;
};

// The lines that the service writes among the worker's output; each ends in CR LF. `atLineStart`
// false puts a line break first, so that such a line never continues a line of the worker.
std::string workerStartedLine(const LogTime& time, unsigned long processId, bool atLineStart);
std::string workerEndedLine(const LogTime& time, uint32_t exitCode, bool stopRequested, bool atLineStart);
std::string outputDroppedLine(const LogTime& time, uint64_t bytes, bool atLineStart);
std::string stopTimedOutLine(const LogTime& time, uint32_t timeoutMs, bool atLineStart);
// The lines of the restart policy and the hang detection; `what` says how the worker ended
// (restart_policy.h workerEndText).
std::string hungLine(const LogTime& time, uint32_t timeoutMs, bool atLineStart);
std::string restartLine(const LogTime& time, uint32_t number, uint32_t delayMs, const std::string& what,
                        bool atLineStart);
std::string notReadyLine(const LogTime& time, const std::string& text, bool atLineStart);
std::string gaveUpLine(const LogTime& time, uint32_t count, uint32_t windowMs, const std::string& what,
                       bool atLineStart);

}  // namespace quorv
