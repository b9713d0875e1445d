#include <windows.h>

#include <cstdlib>

#include "config/keys.h"
#include "config/locale.h"
#include "config/store.h"
#include "core/globals.h"
#include "files/paths.h"
#include "jvm/load.h"
#include "launch/jni_driver.h"
#include "launch/launch.h"
#include "launch/options.h"
#include "launch/vmoptions.h"

namespace quorv {
namespace {

SystemPropertyValues currentPropertyValues() {
  SystemPropertyValues values;
  values.semaphoreName = semaphoreName;
  values.flavour = launcherFlavour;
  values.executablePath = getExecutablePath();
  if (getConfigInt(key::SingleInstance) != 0) {
    values.processCommFile = getProcessCommFileName(GetCurrentProcessId());
  }
  values.tempDirectory = tempDirectory;
  values.unextractedPosition = unextractedPosition;
  values.path = environmentValue("PATH");
  values.manpathDefined = std::getenv("MANPATH") != nullptr;
  values.consoleCodePage = GetConsoleOutputCP();
  return values;
}

std::optional<std::string> localePart(bool (*get)(std::string&)) {
  std::string value;
  if (!get(value)) return std::nullopt;
  return value;
}

}  // namespace

bool launchProgram(std::vector<std::u16string>& launchArguments, bool destroy) {
  const LaunchSystem& system = windowsLaunchSystem();
  JvmLaunch launch;
  launch.createJavaVM = createJavaVM;
  launch.buildOptions = [&] {
    std::vector<std::string> properties = systemProperties(currentPropertyValues());
    const std::vector<std::string> locale =
        localeOptions(launchArguments, localePart(getLanguage), localePart(getCountry));
    const auto openDefault = [] {
      DefaultVmOptionsFile defaultFile;
      defaultFile.file = openDefaultVmOptionsFile(&defaultFile.path);
      return defaultFile;
    };
    return collectOptions(launchArguments, std::move(properties), locale, openDefault, system);
  };
  launch.entryClass = entryClassFor(launcherFlavour);
  launch.firstRunHook = launcherFlavour == 'z';
  launch.firstRunMarkerExists = [&] { return system.fileExists(firstRunMarkerPath(system)); };
  launch.buildParameters = [&] { return mainParameters(launchArguments, system); };
  launch.destroy = destroy;
  return launchJvm(launch);
}

}  // namespace quorv
