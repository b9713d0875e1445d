// The class path handed to the JVM as "-Djava.class.path=": the extracted archives, the
// installer's runtime archive, the configured entries (key 121) and the overrides.
#pragma once
#include <string>
#include <vector>

#include "launch/system.h"
#include "launch/vmoptions.h"

namespace quorv {

std::string buildClassPath(const ClassPathOverrides& overrides, const LaunchSystem& system);
// May end the process with message key 1006 or 1008 for a missing mandatory entry.
void appendConfiguredClassPath(std::string& classPath, const LaunchSystem& system);
// False, and nothing appended, when the directory does not exist.
bool appendArchives(std::string& classPath, const std::string& directory,
                    const std::string& extension, const LaunchSystem& system);
// The FindFirstFile pattern for the archives of a directory: "<directory>\*.<extension>".
std::string archivePattern(const std::string& directory, const std::string& extension);

// System side (classpath_win.cpp): the names matching archivePattern, in enumeration order.
std::vector<std::string> listArchives(const std::string& directory, const std::string& extension);

}  // namespace quorv
