#include "config/keys.h"
#include "config/store.h"
#include "service/commands.h"

namespace quorv {

std::optional<std::string> dependencyListOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::string block;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) {
      block.append(text, start, comma - start);
      block.push_back('\0');
    }
    start = comma + 1;
  }
  block.push_back('\0');
  return block;
}

std::optional<std::string> buildDependencyList() {
  return dependencyListOf(getConfigString(key::Dependencies));
}

std::string serviceBinaryPath(const std::string& executablePath) {
  if (executablePath.find_first_of(" '") == std::string::npos) return executablePath;
  return "\"" + executablePath + "\"";
}

bool waitForStop(const StopWaitSystem& system) {
  constexpr uint32_t kStopPending = 3;
  constexpr uint32_t kStopped = 1;
  StopWaitStatus status{};
  if (!system.queryStatus(system.context, status)) return false;
  uint32_t start = system.tickCount(system.context);
  uint32_t lastCheckPoint = status.checkPoint;
  while (status.currentState == kStopPending) {
    system.sleep(system.context, 500);
    if (!system.queryStatus(system.context, status)) return false;
    if (status.checkPoint > lastCheckPoint) {
      start = system.tickCount(system.context);
      lastCheckPoint = status.checkPoint;
      continue;
    }
    if (system.tickCount(system.context) - start > status.waitHint) break;
  }
  return status.currentState == kStopped;
}

}  // namespace quorv
