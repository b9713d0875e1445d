// Settings that are valid but unsafe: reported by `check` and `build` as warnings, without
// failing.
#pragma once
#include <string>
#include <vector>

#include "pack_config.h"

namespace quorv::pack {

// A class-path entry, a native-library folder, or an included options file or class-path
// directive of the VM options, that names the system's shared temporary directory; a log file
// (app.output-log, app.error-log, service.worker-log) in a place where every user may create
// files and folders (service/log_dirs.h sharedWriteLocation).
std::vector<Problem> sharedTempWarnings(const PackConfig& config, const std::string& file);

}  // namespace quorv::pack
