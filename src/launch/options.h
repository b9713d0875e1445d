// The pieces of a launch that the JVM is given: system properties, locale options, the whole
// option list, the entry class and the parameters of its main method.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launch/system.h"

namespace quorv {

struct SystemPropertyValues {
  std::string semaphoreName;  // "" when the guard has not run
  char flavour = 0;
  std::string executablePath;
  std::optional<std::string> processCommFile;  // set in single-instance mode
  std::string tempDirectory;
  uint64_t unextractedPosition = 0;
  std::optional<std::string> path;  // PATH, when set
  bool manpathDefined = false;
  unsigned consoleCodePage = 0;
  bool deadlockCheck = false;  // service.deadlock-check: the runtime's heartbeat looks for deadlocks
};

std::vector<std::string> systemProperties(const SystemPropertyValues& values);

// "-Dsun.locale.formatasdefault=" from the last launch argument that sets it (or "true"), with
// the user's language and country unless it is exactly "true".
std::vector<std::string> localeOptions(const std::vector<std::u16string>& launchArguments,
                                       const std::optional<std::string>& language,
                                       const std::optional<std::string>& country);

struct DefaultVmOptionsFile {
  std::FILE* file = nullptr;
  std::string path;  // the name that was opened, for the include chain
};

// The whole option list in its order: the system properties, the configured and "-J" options,
// the locale options, the default VM options file and the class-path option last.
std::vector<std::string> collectOptions(const std::vector<std::u16string>& launchArguments,
                                        std::vector<std::string> properties,
                                        const std::vector<std::string>& locale,
                                        const std::function<DefaultVmOptionsFile()>& openDefault,
                                        const LaunchSystem& system);

// The string array handed to main.
std::vector<std::u16string> mainParameters(const std::vector<std::u16string>& launchArguments,
                                           const LaunchSystem& system);

const char* entryClassFor(char flavour);
// "<installation directory>\.zentrilex\firstrun".
std::string firstRunMarkerPath(const LaunchSystem& system);

}  // namespace quorv
