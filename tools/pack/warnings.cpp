#include "warnings.h"

#include "config/keys.h"
#include "launch/shared_temp.h"
#include "settings.h"

namespace quorv::pack {

std::vector<Problem> sharedTempWarnings(const PackConfig& config, const std::string& file) {
  std::vector<Problem> warnings;
  for (int key : {key::ClassPath, key::NativeLibDirs, key::VmOptions}) {
    auto value = config.strings.find(key);
    if (value == config.strings.end()) continue;
    const std::string_view reference = sharedTempReference(value->second);
    if (reference.empty()) continue;
    // Plain VM options may well name it (-Djava.io.tmpdir=...); only what is read from there is unsafe.
    if (key == key::VmOptions && value->second.find("-include-options") == std::string::npos &&
        value->second.find("-classpath") == std::string::npos)
      continue;
    const Setting* setting = settingForKey(key);
    warnings.push_back(Problem{file, 0, setting != nullptr ? std::string(setting->path) : std::to_string(key),
                               std::string(reference) + " names the shared temporary directory, where every user may "
                                                        "create files that the launcher would then load",
                               "use ${launcher:sys.launcherTempDirectory} or a directory that only administrators can write"});
  }
  return warnings;
}

}  // namespace quorv::pack
