// /configure: a missing service is installed as /install installs it; an existing registration is
// brought in line with the configuration setting by setting (service/configure.h has the rule),
// and the running service is never stopped: what changed takes effect at its next start.
#include <windows.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/ascii.h"
#include "core/codepage.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/messages.h"
#include "files/no_follow_win.h"
#include "files/paths.h"
#include "service/commands.h"
#include "service/configure.h"
#include "service/event_source_win.h"
#include "service/install_win.h"
#include "service/say_win.h"
#include "service/status_win.h"

namespace quorv {
namespace {

using Read = std::function<std::optional<std::string>()>;

std::wstring wideOf(const std::string& ansi) {
  const std::u16string wide = ansiToWide(ansi);
  return std::wstring(wide.begin(), wide.end());
}

std::u16string wideText(const wchar_t* text) {
  return text == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t*>(text));
}

// UTF-8, so that every text compares byte by byte.
std::string utf8Of(const wchar_t* text) { return wideToUtf8(wideText(text)); }

// The program of a registered command line, in the ANSI code page as the event source names it:
// the path without the quotes that the registration may have put around it.
std::string programOf(const wchar_t* commandLine) {
  std::u16string path = wideText(commandLine);
  if (path.size() >= 2 && path.front() == u'"') path = path.substr(1, path.find(u'"', 1) - 1);
  return wideToAnsi(path);
}

std::string upperText(std::string text) {
  upperCaseAscii(text);
  return text;
}

// The registration's configuration, read again for every step (a step may have changed it).
const QUERY_SERVICE_CONFIGW* queryConfig(SC_HANDLE service, std::vector<unsigned char>& buffer) {
  DWORD needed = 0;
  const bool ok = queryWithRoom(buffer, needed, [service](unsigned char* data, DWORD size, DWORD* wanted) {
    return QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(data), size, wanted) != 0;
  });
  return ok ? reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data()) : nullptr;
}

template <typename Pick>
Read configField(SC_HANDLE service, Pick pick) {
  return [service, pick]() -> std::optional<std::string> {
    std::vector<unsigned char> buffer;
    const QUERY_SERVICE_CONFIGW* config = queryConfig(service, buffer);
    if (config == nullptr) return std::nullopt;
    return pick(*config);
  };
}

// A dependency block as the registration holds it, read up to its closing empty name.
std::string dependenciesOf(const wchar_t* block) {
  std::string names;
  for (const wchar_t* name = block; name != nullptr && *name != L'\0'; name += wcslen(name) + 1) {
    names += utf8Of(name);
    names.push_back('\0');
  }
  names.push_back('\0');
  return dependencyTextOfBlock(names);
}

// The value of one information level of QueryServiceConfig2W, in the form `wanted` has.
Read levelField(SC_HANDLE service, uint32_t level) {
  return [service, level]() -> std::optional<std::string> {
    std::vector<unsigned char> buffer;
    if (!queryServiceConfig2(service, level, buffer)) return std::nullopt;
    if (level == kConfigFailureActions) {
      const auto* record = reinterpret_cast<const FailureActionsRecord*>(buffer.data());
      std::vector<ScActionRecord> actions;
      if (record->actions != nullptr) actions.assign(record->actions, record->actions + record->actionCount);
      return failureActionsText(record->resetPeriod, actions);
    }
    uint32_t value = 0;
    std::memcpy(&value, buffer.data(), sizeof value);
    return std::to_string(value);
  };
}

std::string levelText(ServiceConfigChange& change) {
  if (change.level != kConfigFailureActions) return std::to_string(change.value);
  return failureActionsText(change.failureActions.resetPeriod, change.actions);
}

uint32_t changeConfig(SC_HANDLE service, DWORD type, DWORD start, const wchar_t* path, const wchar_t* dependencies) {
  return ChangeServiceConfigW(service, type, start, SERVICE_NO_CHANGE, path, nullptr, nullptr, dependencies, nullptr,
                              nullptr, nullptr)
             ? 0
             : GetLastError();
}

// The settings of ChangeServiceConfig2W: those the configuration gives, and in their absence what
// a fresh registration has (no delayed start, no failure actions), which counts only where it
// can be read.
void addLevelSteps(std::vector<ConfigureStep>& steps, std::vector<ServiceConfigChange>& changes, SC_HANDLE service,
                   uint32_t startType) {
  auto given = [&](uint32_t level) {
    for (const ServiceConfigChange& change : changes)
      if (change.level == level) return true;
    return false;
  };
  std::vector<ServiceConfigChange> defaults;
  if (startType == SERVICE_AUTO_START && !given(kConfigDelayedAutoStart)) {
    defaults.push_back({"service.start", kConfigDelayedAutoStart, 0, {}, {}});
  }
  if (!given(kConfigFailureActions)) {
    defaults.push_back({"service.failure-actions", kConfigFailureActions, 0, {}, {}});
    defaults.push_back({"service.failure-actions", kConfigFailureActionsFlag, 0, {}, {}});
  }
  const std::size_t givenCount = changes.size();
  changes.insert(changes.end(), defaults.begin(), defaults.end());
  // Steps point into `changes`, which does not grow from here on.
  for (std::size_t i = 0; i < changes.size(); ++i) {
    ServiceConfigChange* change = &changes[i];
    ConfigureStep step{change->setting, levelText(*change), i < givenCount, nullptr, nullptr};
    // A setting that does not read (level 0) is reported as /install reports it.
    step.read = change->level == 0 ? Read([] { return std::nullopt; }) : levelField(service, change->level);
    step.apply = [service, change]() -> uint32_t {
      if (change->level == 0) return ERROR_INVALID_PARAMETER;
      void* record = change->record();
      // Without actions the pointer must still be set: a null one leaves the actions as they are.
      ScActionRecord none{};
      if (change->level == kConfigFailureActions && change->actions.empty()) change->failureActions.actions = &none;
      return changeServiceConfig2(service, change->level, record);
    };
    steps.push_back(std::move(step));
  }
}

// The account's rights: to log on as a service, and on the log directories.
void addRightsSteps(std::vector<ConfigureStep>& steps, const InstallAccount& install,
                    const std::vector<unsigned char>& sid, const std::vector<std::string>& installing) {
  const void* account = sid.data();
  if (needsLogonRight(install.account.kind)) {
    const std::string name = install.account.name;
    steps.push_back({"service.account", "1", true,
                     [account]() -> std::optional<std::string> {
                       const std::optional<bool> held = holdsLogonRight(account);
                       if (!held) return std::nullopt;
                       return *held ? "1" : "0";
                     },
                     [account, name]() -> uint32_t {
                       const DWORD error = grantLogonRight(account);
                       if (error == 0) return 0;
                       say(text::LogonRightFailed, name.c_str(), static_cast<int>(error));
                       return kFailurePrinted;
                     }});
  }
  for (const WrittenDirectory& written : serviceWrittenDirectories()) {
    const std::string name = install.account.name;
    steps.push_back({written.settings, "granted", true,
                     [account, directory = written.directory] { return writtenDirectoryState(directory, account); },
                     [account, name, written, &installing]() -> uint32_t {
                       return prepareWrittenDirectory(written, account, name, installing) == 0 ? 0 : kFailurePrinted;
                     }});
  }
}

}  // namespace

int cmdConfigure(int startType, bool interactive) {
  InstallAccount install;
  if (!chooseInstallAccount(install)) return 1;
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    say("Could not open SCManager.\n");
    return 1;
  }
  ServiceHandle opened(OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG));
  if (!opened && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
    manager.reset();
    return cmdInstall(startType, interactive);
  }
  std::vector<unsigned char> buffer;
  const QUERY_SERVICE_CONFIGW* current = opened ? queryConfig(opened.get(), buffer) : nullptr;
  if (current == nullptr) {
    say(text::ConfigureOpenFailed, serviceName.c_str(), static_cast<int>(GetLastError()));
    return 1;
  }
  SC_HANDLE service = opened.get();
  const bool localSystem = install.account.kind == AccountKind::LocalSystem;
  const std::string wantedAccount = accountText(install.account.name, serviceName);
  const std::string registeredName = utf8Of(current->lpServiceStartName);
  const bool accountChanges = accountText(registeredName, serviceName) != wantedAccount;
  // The password is asked for only when the account changes, and before anything is changed.
  if (accountChanges && !readAccountPassword(install)) return 1;
  const std::optional<ServiceAccount> previous = serviceAccountOf(registeredName, serviceName);
  int failures = 0;

  std::vector<ConfigureStep> steps;
  const std::wstring path = wideOf(serviceBinaryPath(getExecutablePath()));
  steps.push_back({"program", upperText(utf8Of(path.c_str())), true,
                   configField(service,
                               [](const QUERY_SERVICE_CONFIGW& c) { return upperText(utf8Of(c.lpBinaryPathName)); }),
                   [service, path] {
                     return changeConfig(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, path.c_str(), nullptr);
                   }});
  steps.push_back({"service.start", std::to_string(startType), true,
                   configField(service, [](const QUERY_SERVICE_CONFIGW& c) { return std::to_string(c.dwStartType); }),
                   [service, startType] {
                     return changeConfig(service, SERVICE_NO_CHANGE, static_cast<DWORD>(startType), nullptr, nullptr);
                   }});
  // Only LocalSystem may interact with the desktop: another account takes the flag away, and so
  // does "non-interactive"; /configure never turns it on.
  const DWORD ownType = current->dwServiceType & ~static_cast<DWORD>(SERVICE_INTERACTIVE_PROCESS);
  steps.push_back({"service.account", wantedAccount, true,
                   configField(service, [](const QUERY_SERVICE_CONFIGW& c) {
                     return accountText(utf8Of(c.lpServiceStartName), serviceName);
                   }),
                   [&, service]() -> uint32_t {
                     // In the ANSI code page, as /install registers them: the password is never copied.
                     const uint32_t error =
                         ChangeServiceConfigA(service, localSystem ? SERVICE_NO_CHANGE : ownType, SERVICE_NO_CHANGE,
                                              SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                              localSystem ? "LocalSystem" : install.account.name.c_str(),
                                              needsPassword(install.account.kind) ? install.password.c_str() : "",
                                              nullptr)
                             ? 0
                             : GetLastError();
                     // The entries that the install gave the account before go with it (before the
                     // steps below give the new one its own, which may be the same account).
                     if (error == 0 && previous && previous->kind != AccountKind::LocalSystem) {
                       failures += revokeAccountRights(*previous);
                     }
                     return error;
                   }});
  if (!interactive || !localSystem) {
    steps.push_back({"non-interactive", std::to_string(ownType), true,
                     configField(service, [](const QUERY_SERVICE_CONFIGW& c) { return std::to_string(c.dwServiceType); }),
                     [service, ownType] { return changeConfig(service, ownType, SERVICE_NO_CHANGE, nullptr, nullptr); }});
  }
  const std::u16string description = getConfigWString(key::ServiceDescription);
  const std::wstring wideDescription(description.begin(), description.end());
  steps.push_back({"service.description", wideToUtf8(description), true,
                   [service]() -> std::optional<std::string> {
                     std::vector<unsigned char> record;
                     if (!queryServiceConfig2(service, SERVICE_CONFIG_DESCRIPTION, record)) return std::nullopt;
                     return utf8Of(reinterpret_cast<const SERVICE_DESCRIPTIONW*>(record.data())->lpDescription);
                   },
                   [service, text = wideDescription]() mutable {
                     SERVICE_DESCRIPTIONW record{text.data()};
                     return changeServiceConfig2(service, SERVICE_CONFIG_DESCRIPTION, &record);
                   }});
  const std::string dependencyList = getConfigString(key::Dependencies);
  std::wstring dependencyBlock;
  if (const std::optional<std::string> block = dependencyListOf(dependencyList)) dependencyBlock = wideOf(*block);
  dependencyBlock.append(2, L'\0');  // none: an empty list, which clears what is registered
  steps.push_back({"service.dependencies", dependencyText(dependencyList), true,
                   configField(service, [](const QUERY_SERVICE_CONFIGW& c) { return dependenciesOf(c.lpDependencies); }),
                   [service, dependencyBlock] {
                     return changeConfig(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr, dependencyBlock.c_str());
                   }});
  std::vector<ServiceConfigChange> changes =
      serviceConfigChanges(configuredInstallSettings(), static_cast<uint32_t>(startType), install.account.kind);
  addLevelSteps(steps, changes, service, static_cast<uint32_t>(startType));
  const std::string executable = getExecutablePath();
  const std::string previousProgram = programOf(current->lpBinaryPathName);
  steps.push_back({"event source", "1", true,
                   [executable]() -> std::optional<std::string> {
                     return eventSourceCurrent(serviceName, executable) ? "1" : "0";
                   },
                   [executable, previousProgram]() -> uint32_t {
                     std::string otherFile;
                     switch (registerEventSource(serviceName, executable, otherFile, previousProgram)) {
                       case EventSourceResult::Registered: return 0;
                       case EventSourceResult::Foreign:
                         say(text::EventSourceForeign, serviceName.c_str(), otherFile.c_str());
                         return kFailurePrinted;
                       case EventSourceResult::Failed: break;
                     }
                     return ERROR_ACCESS_DENIED;
                   }});
  std::vector<unsigned char> sid;
  DWORD sidError = 0;
  const std::vector<std::string> installing = ownSids();
  if (!localSystem) {
    if (accountSid(install.account, sid, sidError)) {
      addRightsSteps(steps, install, sid, installing);
    } else {
      for (const WrittenDirectory& written : serviceWrittenDirectories()) {
        say(text::DirectoryRightsFailed, install.account.name.c_str(), written.directory.c_str(),
            static_cast<int>(sidError));
        ++failures;
      }
    }
  }

  const ConfigureOutcome outcome = convergeSteps(steps);
  // Where the service publishes its status for /query, open to its account (quiet, as at install).
  prepareStatusKey(serviceName, install.account);
  failures += static_cast<int>(outcome.failures.size());
  for (const ConfigureFailure& failure : outcome.failures) {
    if (failure.error == kFailurePrinted) continue;
    say(text::ServiceSettingFailed, failure.setting.c_str(), static_cast<int>(failure.error));
  }
  say("%s\n", configureSummary(serviceName, outcome.changed).c_str());
  return failures == 0 ? 0 : kInstallIncomplete;
}

}  // namespace quorv
