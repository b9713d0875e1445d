// Passes the records of the install settings on to the Service Control Manager.
#include <windows.h>

#include <cstddef>
#include <cstdio>

#include "config/keys.h"
#include "config/store.h"
#include "core/handle_win.h"
#include "diag/messages.h"
#include "service/install_win.h"
#include "service/service_config.h"

namespace quorv {
namespace {

// The records are built in the system's layout.
static_assert(sizeof(ScActionRecord) == sizeof(SC_ACTION));
static_assert(offsetof(ScActionRecord, delay) == offsetof(SC_ACTION, Delay));
static_assert(sizeof(FailureActionsRecord) == sizeof(SERVICE_FAILURE_ACTIONSW));
static_assert(offsetof(FailureActionsRecord, resetPeriod) == offsetof(SERVICE_FAILURE_ACTIONSW, dwResetPeriod));
static_assert(offsetof(FailureActionsRecord, rebootMessage) == offsetof(SERVICE_FAILURE_ACTIONSW, lpRebootMsg));
static_assert(offsetof(FailureActionsRecord, command) == offsetof(SERVICE_FAILURE_ACTIONSW, lpCommand));
static_assert(offsetof(FailureActionsRecord, actionCount) == offsetof(SERVICE_FAILURE_ACTIONSW, cActions));
static_assert(offsetof(FailureActionsRecord, actions) == offsetof(SERVICE_FAILURE_ACTIONSW, lpsaActions));
static_assert(sizeof(SERVICE_DELAYED_AUTO_START_INFO) == sizeof(uint32_t));
static_assert(sizeof(SERVICE_FAILURE_ACTIONS_FLAG) == sizeof(uint32_t));
static_assert(sizeof(SERVICE_PRESHUTDOWN_INFO) == sizeof(uint32_t));
static_assert(sizeof(SERVICE_SID_INFO) == sizeof(uint32_t));
static_assert(kConfigFailureActions == SERVICE_CONFIG_FAILURE_ACTIONS);
static_assert(kConfigDelayedAutoStart == SERVICE_CONFIG_DELAYED_AUTO_START_INFO);
static_assert(kConfigFailureActionsFlag == SERVICE_CONFIG_FAILURE_ACTIONS_FLAG);
static_assert(kConfigServiceSid == SERVICE_CONFIG_SERVICE_SID_INFO);
static_assert(kConfigPreshutdown == SERVICE_CONFIG_PRESHUTDOWN_INFO);
static_assert(kActionRestart == SC_ACTION_RESTART && kActionReboot == SC_ACTION_REBOOT);

// A reboot action is accepted only from a caller whose shutdown privilege is on.
void enableShutdownPrivilege() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.out())) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// The advapi32 functions of the information levels, looked up at run time: old versions of the
// library lack them.
template <typename Function>
Function advapiFunction(const char* name) {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  if (advapi == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(advapi, name)));
}

uint32_t changeThrough(void* context, uint32_t level, void* record) {
  return changeServiceConfig2(static_cast<SC_HANDLE>(context), level, record);
}

}  // namespace

uint32_t changeServiceConfig2(SC_HANDLE service, uint32_t level, void* record) {
  using ChangeConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPVOID);
  static const auto change = advapiFunction<ChangeConfig2>("ChangeServiceConfig2W");
  if (change == nullptr) return ERROR_PROC_NOT_FOUND;
  if (level == kConfigFailureActions) {
    const auto* actions = static_cast<const FailureActionsRecord*>(record);
    for (uint32_t i = 0; i < actions->actionCount && actions->actions != nullptr; ++i)
      if (actions->actions[i].type == kActionReboot) enableShutdownPrivilege();
  }
  return change(service, level, record) ? 0 : GetLastError();
}

bool queryServiceConfig2(SC_HANDLE service, uint32_t level, std::vector<unsigned char>& buffer) {
  using QueryConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
  static const auto query = advapiFunction<QueryConfig2>("QueryServiceConfig2W");
  if (query == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  DWORD needed = 0;
  return queryWithRoom(buffer, needed, [service, level](unsigned char* data, DWORD size, DWORD* wanted) {
    return query(service, level, data, size, wanted) != 0;
  });
}

InstallSettings configuredInstallSettings() {
  InstallSettings settings;
  settings.delayedStart = getConfigString(key::ServiceDelayedStart) == "1";
  settings.failureActions = getConfigString(key::ServiceFailureActions);
  settings.failureReset = getConfigString(key::ServiceFailureReset);
  settings.preshutdownTimeout = getConfigString(key::ServicePreshutdownTimeout);
  return settings;
}

int applyInstallSettings(SC_HANDLE service, uint32_t startType, AccountKind account) {
  std::vector<ServiceConfigChange> changes = serviceConfigChanges(configuredInstallSettings(), startType, account);
  if (changes.empty()) return 0;
  const auto failures = applyServiceConfig(changes, ServiceConfigSystem{changeThrough, service});
  for (const ServiceConfigFailure& failure : failures) {
    std::printf(text::ServiceSettingFailed, failure.setting, static_cast<int>(failure.error));
    std::fflush(stdout);
  }
  return static_cast<int>(failures.size());
}

}  // namespace quorv
