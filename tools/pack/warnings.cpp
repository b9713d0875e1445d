#include "warnings.h"

#include "config/keys.h"
#include "launch/shared_temp.h"
#include "service/log_dirs.h"
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
  // A log that others could reach first: a link or a file of theirs where the service writes.
  for (int key : {key::ErrorLogFile, key::OutputLogFile, key::WorkerLog}) {
    auto value = config.strings.find(key);
    if (value == config.strings.end()) continue;
    const std::string location = sharedWriteLocation(value->second);
    if (location.empty()) continue;
    const Setting* setting = settingForKey(key);
    warnings.push_back(Problem{file, 0, setting != nullptr ? std::string(setting->path) : std::to_string(key),
                               location + " lets every user create files and folders, and the service writes "
                                          "its log there with its account's rights",
                               "use a directory that only administrators and the service's account can write, "
                               "such as one below the install directory"});
  }
  return warnings;
}

}  // namespace quorv::pack
