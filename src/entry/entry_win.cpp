// Entry point: start-up, then the role chosen by the command line - a service command, the
// service process inside the service dispatcher, or the worker that runs the Java application.
#include <windows.h>

#include <string>
#include <vector>

#include "config/block_win.h"
#include "config/configured_message.h"
#include "config/keys.h"
#include "config/store.h"
#include "core/command.h"
#include "core/globals.h"
#include "core/split.h"
#include "diag/event_log_win.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "files/extract.h"
#include "files/paths.h"
#include "files/run_dirs.h"
#include "instance/guard.h"
#include "jvm/load.h"
#include "launch/app_env.h"
#include "launch/launch.h"
#include "service/commands.h"
#include "service/console_run_win.h"
#include "service/control_win.h"
#include "service/runtime_win.h"
#include "service/status_win.h"

namespace quorv {
namespace {

void setServiceName(const std::string& name) {
  serviceName = name.substr(0, kServiceNameMax);
}

void initLauncher() {
  tempDirectory.clear();
  loadConfiguration(getExecutablePath());
  const std::string flavour = getConfigString(key::Flavour, 2);
  launcherFlavour = flavour.empty() ? '\0' : flavour[0];
  const std::string workingDirectory = getConfigString(key::WorkingDirectory);
  if (!workingDirectory.empty()) {
    const std::string resolved = resolveFullPath(workingDirectory, true);
    SetCurrentDirectoryA(resolved.c_str());
    logMessage("change working directory to %s", resolved.c_str());
  } else {
    logMessage("working directory unchanged");
  }
}

int runCommand(Command command) {
  const int configuredStart = getConfigInt(key::LauncherKind) == key::KindAutoInstall
                                  ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
  switch (command) {
    case Command::Install: return cmdInstall(configuredStart, interactiveFlag);
    case Command::InstallAndStart: {
      bool refused = false;
      const int installed = cmdInstall(configuredStart, interactiveFlag, &refused);
      if (refused) return installed;  // nothing registered: nothing to start
      const int started = cmdStart();
      return started == 0 && installed == kInstallIncomplete ? installed : started;
    }
    case Command::InstallAuto: return cmdInstall(SERVICE_AUTO_START, interactiveFlag);
    case Command::InstallDemand: return cmdInstall(SERVICE_DEMAND_START, interactiveFlag);
    case Command::Uninstall: return cmdUninstall(true);
    case Command::Stop: return cmdStop(true);
    case Command::Start: return cmdStart();
    case Command::Status: return cmdStatus();
    case Command::Restart: return cmdRestart();
    case Command::Run: return cmdRun();
    case Command::Query: return cmdQuery();
    case Command::Configure: return cmdConfigure(configuredStart, interactiveFlag);
    case Command::None: break;
  }
  return 0;
}

int runServiceProcess() {
  // The table keeps its own copy: the service main replaces serviceName with the SCM's name.
  static std::string dispatcherName = serviceName;
  SERVICE_TABLE_ENTRYA table[2] = {};
  table[0].lpServiceName = dispatcherName.data();
  table[0].lpServiceProc = serviceMain;
  logMessage("calling StartServiceCtrlDispatcher");
  if (!StartServiceCtrlDispatcherA(table)) {
    logMessage("StartServiceCtrlDispatcher failed with error %d", static_cast<int>(GetLastError()));
  } else {
    awaitServiceMainEnd();
  }
  logMessage("StartServiceCtrlDispatcher returned");
  return 0;
}

int runWorker(std::vector<std::u16string>& arguments) {
  setWorkerEnvironment();
  // The service process puts the service's name first.
  eventLogForWorker(arguments.empty() ? std::u16string() : arguments.front());
  if (extractIncludedFiles(true) != 0) fatalConfiguredError(key::MsgInternal, detail::ExtractionFailed);
  claimRunDirectory();
  setNativeLibraryPath();
  logMessage("registering ConsoleCtrlHandler");
  SetConsoleCtrlHandler(consoleControlHandler, TRUE);
  singleInstanceGuard();
  if (!LoadDLL(true)) exitLauncher(1);
  if (!launchProgram(arguments, true, createJavaVM)) exitLauncher(1);
  removeProcessCommFile();  // the application has ended; the next process of this id makes its own
  return 0;
}

int launcherMain(std::string_view commandText) {
  messageCaption = [] { return getConfigString(key::Caption); };
  initLauncher();
  setServiceName(getConfigString(key::ServiceName));

  const ServiceCommand parsed = parseServiceCommand(commandText);
  if (parsed.serviceName) setServiceName(*parsed.serviceName);
  if (parsed.nonInteractive) interactiveFlag = false;
  if (parsed.command != Command::None) return runCommand(parsed.command);

  const std::u16string commandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()));
  logMessage("command line %s", narrowLikePrintf(commandLine).c_str());
  std::vector<std::u16string> arguments;
  splitCommandLine(commandLine, arguments);
  if (!arguments.empty()) arguments.erase(arguments.begin());
  if (!isWorkerArguments(arguments)) return runServiceProcess();
  arguments.pop_back();
  return runWorker(arguments);
}

}  // namespace
}  // namespace quorv

int main() {
  const char* commandLine = GetCommandLineA();
  return quorv::launcherMain(quorv::skipProgramName(commandLine != nullptr ? commandLine : ""));
}
