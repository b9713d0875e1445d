// The service commands against the Service Control Manager. Each prints its outcome on standard
// output and returns the exit status of the process.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/messages.h"
#include "files/paths.h"
#include "service/commands.h"
#include "service/event_source_win.h"
#include "service/install_win.h"
#include "service/say_win.h"
#include "service/status_win.h"

namespace quorv {
namespace {

ServiceHandle openManager(DWORD access) { return ServiceHandle(OpenSCManagerA(nullptr, nullptr, access)); }

void setDescription(SC_HANDLE service) {
  std::u16string description = getConfigWString(key::ServiceDescription);
  if (description.empty()) return;
  SERVICE_DESCRIPTIONW record;
  record.lpDescription = reinterpret_cast<LPWSTR>(description.data());
  changeServiceConfig2(service, SERVICE_CONFIG_DESCRIPTION, &record);
}

bool queryStopStatus(void* context, StopWaitStatus& out) {
  SERVICE_STATUS status;
  if (!QueryServiceStatus(static_cast<SC_HANDLE>(context), &status)) return false;
  out = {status.dwCurrentState, status.dwCheckPoint, status.dwWaitHint};
  return true;
}

uint32_t tickCount(void*) { return GetTickCount(); }

void sleepFor(void*, uint32_t milliseconds) { Sleep(milliseconds); }

// The registration's configuration in `buffer`, which grows to what the call says it needs;
// null when it cannot be had (GetLastError and `needed` tell why).
QUERY_SERVICE_CONFIGA* queryConfig(SC_HANDLE service, std::vector<unsigned char>& buffer, DWORD& needed) {
  const bool ok = queryWithRoom(buffer, needed, [service](unsigned char* data, DWORD size, DWORD* wanted) {
    return QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(data), size, wanted) != 0;
  });
  return ok ? reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()) : nullptr;
}

// Whether this executable's service starts behind a readiness gate (service.ready, service.wait-for).
bool hasReadinessGate() { return !getConfigString(key::Ready).empty() || !getConfigString(key::WaitFor).empty(); }

// The account the service is registered with, when it is one the install gave rights to.
std::optional<ServiceAccount> registeredAccount(SC_HANDLE manager) {
  ServiceHandle service(OpenServiceA(manager, serviceName.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return std::nullopt;
  std::vector<unsigned char> buffer;
  DWORD needed = 0;
  const QUERY_SERVICE_CONFIGA* config = queryConfig(service.get(), buffer, needed);
  if (config == nullptr || config->lpServiceStartName == nullptr) return std::nullopt;
  std::optional<ServiceAccount> account = serviceAccountOf(config->lpServiceStartName, serviceName);
  if (!account || account->kind == AccountKind::LocalSystem) return std::nullopt;
  return account;
}

}  // namespace

bool waitForServiceStop(void* service) {
  return waitForStop(StopWaitSystem{queryStopStatus, tickCount, sleepFor, service});
}

int cmdInstall(int startType, bool interactive, bool* refused) {
  // The account comes first: without its password nothing is changed, not even an old
  // registration of the same name.
  InstallAccount install;
  if (!prepareInstallAccount(install)) {
    if (refused != nullptr) *refused = true;
    return 1;
  }
  const bool localSystem = install.account.kind == AccountKind::LocalSystem;
  cmdUninstall(false);
  ServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    say("Could not open SCManager.\n");
    return 1;
  }
  std::string binaryPath = serviceBinaryPath(getExecutablePath());
  std::optional<std::string> dependencies = buildDependencyList();
  // Only LocalSystem may interact with the desktop; the manager refuses the flag for any other.
  DWORD type = SERVICE_WIN32_OWN_PROCESS | (interactive && localSystem ? SERVICE_INTERACTIVE_PROCESS : 0);
  ServiceHandle service(CreateServiceA(manager.get(), serviceName.c_str(), serviceName.c_str(),
                                  SERVICE_ALL_ACCESS, type, static_cast<DWORD>(startType),
                                  SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr,
                                  dependencies ? dependencies->c_str() : nullptr,
                                  install.accountName(), install.passwordText()));
  dependencies.reset();
  if (!service) {
    say("Could not create service.\n");
    return 1;
  }
  setDescription(service.get());
  int failures = 0;
  std::string otherFile;
  if (registerEventSource(serviceName, getExecutablePath(), otherFile) == EventSourceResult::Foreign) {
    say(text::EventSourceForeign, serviceName.c_str(), otherFile.c_str());
    ++failures;
  }
  failures += applyInstallSettings(service.get(), static_cast<uint32_t>(startType), install.account.kind);
  failures += grantAccountRights(install);
  prepareStatusKey(serviceName, install.account);
  say("Installed service '%s'.\n", serviceName.c_str());
  return failures == 0 ? 0 : kInstallIncomplete;
}

int cmdUninstall(bool report) {
  cmdStop(false);
  ServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    if (report) say("Could not open SCManager.\n");
    return 1;
  }
  const std::optional<ServiceAccount> account = registeredAccount(manager.get());
  ServiceHandle service(OpenServiceA(manager.get(), serviceName.c_str(), DELETE));
  if (service && DeleteService(service.get())) {
    removeEventSource(serviceName, getExecutablePath());
    const int failures = account ? revokeAccountRights(*account, report) : 0;
    if (report) say("Uninstalled service '%s'.\n", serviceName.c_str());
    return report && failures > 0 ? kInstallIncomplete : 0;
  }
  if (report) say("Could not delete service.\n");
  return 1;
}

namespace {

// cmdStop, and whether the service is stopped afterwards (it stopped, or it was not running).
int stopService(bool report, bool& stopped) {
  stopped = false;
  ServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    if (report) say("Could not open SCManager.\n");
    return 1;
  }
  ServiceHandle service(
      OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) {
    if (report) say("Could not stop service.\n");
    return 1;
  }
  SERVICE_STATUS status;
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    say("Stopping service '%s'.\n", serviceName.c_str());
    if (waitForServiceStop(service.get())) {
      say("Service stopped\n");
      stopped = true;
    } else {
      say("Error while stopping service\n");
    }
    return 0;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_SERVICE_NOT_ACTIVE) {
    say("Service is already stopped.\n");
    stopped = true;
    return 0;
  }
  // Windows may refuse controls to a service that is start-pending, as a service behind a
  // readiness gate is while it waits.
  if (error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL && hasReadinessGate()) {
    if (report) say(text::StopWhileStarting, serviceName.c_str());
    return 1;
  }
  if (report) say("Could not stop service.\n");
  return 1;
}

}  // namespace

int cmdStop(bool report) {
  bool stopped = false;
  return stopService(report, stopped);
}

// A service that did not reach the stopped state within the stop's wait is not started again:
// the start would only find it still running. The stop's texts have said so; the status is 1.
int cmdRestart() {
  bool stopped = false;
  const int status = stopService(true, stopped);
  if (status != 0) return status;
  if (!stopped) return 1;
  return cmdStart();
}

int cmdStart() {
  ServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    say("Could not open SCManager.\n");
    return 1;
  }
  ServiceHandle service(OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_START));
  if (service && StartServiceA(service.get(), 0, nullptr)) {
    say("Starting service '%s'.\n", serviceName.c_str());
    return 0;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SERVICE_ALREADY_RUNNING) {
    say("Service is already running.\n");
    return 0;
  }
  say("Could not start service. Error code: %d\n", static_cast<int>(error));
  return 1;
}

int cmdStatus() {
  ServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    say("Could not open SCManager.\n");
    return 1;
  }
  ServiceHandle service(OpenServiceA(manager.get(), serviceName.c_str(),
                                SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
  SERVICE_STATUS status;
  if (!service || !QueryServiceStatus(service.get(), &status)) {
    say("Could not get status.\n");
    return 1;
  }
  int result = 3;
  if (status.dwCurrentState == SERVICE_RUNNING) {
    say("Running.\n");
    result = 0;
  } else {
    say("Not running.\n");
  }
  // The configuration may be larger than the first guess: the call tells how much it needs.
  std::vector<unsigned char> buffer;
  DWORD needed = 0;
  const QUERY_SERVICE_CONFIGA* config = queryConfig(service.get(), buffer, needed);
  if (config == nullptr) {
    say("Could not get config (%d, %d).\n", static_cast<int>(GetLastError()),
        static_cast<int>(needed));
    return 1;
  }
  if (config->dwStartType == SERVICE_AUTO_START) say("%s.\n", "Auto-start");
  return result;
}

}  // namespace quorv
