#include "launch/app_env.h"

#include "launch/expand.h"

namespace quorv {

std::vector<EnvironmentSetting> parseAppEnvironment(std::string_view stored) {
  std::vector<EnvironmentSetting> out;
  while (!stored.empty()) {
    const std::size_t end = stored.find('\n');
    const std::string_view line = stored.substr(0, end);
    stored = end == std::string_view::npos ? std::string_view() : stored.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    out.push_back({std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
  }
  return out;
}

std::vector<EnvironmentSetting> workerEnvironment(std::string_view stored, const char* environmentBlock) {
  std::vector<EnvironmentSetting> settings = parseAppEnvironment(stored);
  for (EnvironmentSetting& setting : settings) expandEnvironment(setting.value, environmentBlock);
  return settings;
}

}  // namespace quorv
