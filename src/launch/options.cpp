#include "launch/options.h"

#include <string_view>

#include "config/keys.h"
#include "config/store.h"
#include "core/codepage.h"
#include "core/split.h"
#include "diag/log.h"
#include "launch/classpath.h"
#include "launch/service_bridge.h"
#include "launch/vmoptions.h"

namespace quorv {
namespace {

constexpr std::u16string_view kFormatAsDefault = u"-Dsun.locale.formatasdefault=";

bool startsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::u16string widenBytes(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char c : text) out.push_back(c);
  return out;
}

// Parameters 3 and 4: a log file named by the configuration when its switch is on.
std::u16string logFileParameter(int enabledKey, int fileKey, const LaunchSystem& system) {
  if (getConfigInt(enabledKey) == 0) return {};
  std::string file = getConfigString(fileKey);
  system.expand(file);
  // A reference that matched nothing is passed on as written.
  if (file.empty() || file.front() != '$') file = system.resolveFullPath(file, true);
  return fileCpToWide(file);
}

}  // namespace

std::vector<std::string> systemProperties(const SystemPropertyValues& values) {
  std::vector<std::string> properties;
  if (!values.semaphoreName.empty()) {
    properties.push_back("-Dquorv.semaphoreName=" + values.semaphoreName);
  }
  if (values.flavour == 'z') properties.push_back("-Dquorv.isZentrilex=true");
  properties.push_back("-Dquorv.isService=true");
  properties.push_back("-Dquorv.moduleName=" + values.executablePath);
  properties.push_back("-Dsun.java.command=" + values.executablePath);
  if (values.processCommFile) {
    properties.push_back("-Dquorv.processCommFile=" + *values.processCommFile);
  }
  properties.push_back("-Dquorv.tempDir=" + values.tempDirectory);
  properties.push_back("-Dquorv.unextractedPosition=" + std::to_string(values.unextractedPosition));
  properties.push_back("-Djava.library.path=" + values.path.value_or(std::string()));
  if (!values.manpathDefined) {
    properties.push_back("-Dquorv.consoleCodepage=cp" + std::to_string(values.consoleCodePage));
  }
  if (values.deadlockCheck) properties.push_back(kDeadlockCheckProperty);
  return properties;
}

std::vector<std::string> localeOptions(const std::vector<std::u16string>& launchArguments,
                                       const std::optional<std::string>& language,
                                       const std::optional<std::string>& country) {
  const std::u16string* last = nullptr;
  for (const auto& argument : launchArguments) {
    if (startsWith(argument, kFormatAsDefault)) last = &argument;
  }
  const std::string formatAsDefault = "-Dsun.locale.formatasdefault=true";
  if (last == nullptr) return {formatAsDefault};
  std::vector<std::string> options{narrowLikePrintf(*last)};
  if (options.front() != formatAsDefault) {
    if (language) options.push_back("-Duser.language=" + *language);
    if (country) options.push_back("-Duser.country=" + *country);
  }
  return options;
}

std::vector<std::string> collectOptions(const std::vector<std::u16string>& launchArguments,
                                        std::vector<std::string> properties,
                                        const std::vector<std::string>& locale,
                                        const std::function<DefaultVmOptionsFile()>& openDefault,
                                        const LaunchSystem& system) {
  VmOptions vm;
  vm.options = std::move(properties);
  addConfiguredOptions(launchArguments, vm, system);
  for (const auto& option : locale) applyOptionLine(option, nullptr, vm, system);
  const DefaultVmOptionsFile defaultFile = openDefault();
  logMessage("default vmoptions file: %p", static_cast<void*>(defaultFile.file));
  readVmOptionsFile(defaultFile.file, nullptr, vm, system,
                    defaultFile.path.empty() ? nullptr : &defaultFile.path);
  vm.options.push_back(buildClassPath(vm.overrides, system));
  return std::move(vm.options);
}

std::vector<std::u16string> mainParameters(const std::vector<std::u16string>& launchArguments,
                                           const LaunchSystem& system) {
  std::vector<std::u16string> parameters;
  parameters.push_back(getConfigInt(key::LauncherKind) == key::KindGuiJavaw ? u"true" : u"false");
  parameters.push_back(widenBytes(getConfigString(key::MainClass)));
  parameters.push_back(logFileParameter(key::ErrorLogEnabled, key::ErrorLogFile, system));
  parameters.push_back(logFileParameter(key::OutputLogEnabled, key::OutputLogFile, system));
  parameters.push_back(getConfigInt(key::EntryFlag) != 0 ? u"true" : u"false");
  if (!launchArguments.empty()) parameters.push_back(launchArguments.front());
  std::string configured = getConfigString(key::Arguments);
  system.expand(configured);
  splitCommandLine(ansiToWide(configured), parameters);
  const bool jOptions = getConfigInt(key::AllowJArguments) != 0;
  for (std::size_t i = 1; i < launchArguments.size(); ++i) {
    const std::u16string& argument = launchArguments[i];
    if (jOptions && startsWith(argument, u"-J")) continue;
    if (startsWith(argument, kFormatAsDefault)) continue;
    parameters.push_back(argument);
  }
  return parameters;
}

const char* entryClassFor(char flavour) {
  return flavour == 'z' ? "com/zentrilex/runtime/launcher/WinLauncher" : "com/quorv/runtime/WinLauncher";
}

std::string firstRunMarkerPath(const LaunchSystem& system) {
  return system.resolveFullPath(getConfigString(key::InstallationDir), true) + "\\.zentrilex\\firstrun";
}

}  // namespace quorv
