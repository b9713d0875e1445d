#include <windows.h>

#include "config/keys.h"
#include "config/store.h"
#include "core/handle_win.h"
#include "core/user32_win.h"
#include "diag/log.h"
#include "files/paths.h"
#include "instance/guard.h"
#include "instance/instance.h"

namespace quorv {
namespace {

constexpr const char* kPidsKey = "SOFTWARE\\kelvara\\quorv\\pids\\";

// The window search's target process, read by the enumeration callback.
DWORD windowSearchTarget = 0;

// The lower-cased full path of the executable: the registry value's name.
std::string lowerCasedExecutablePath() { return resolveFullPath(getExecutablePath(), false); }

BOOL CALLBACK activateWindow(HWND window, LPARAM restore) {
  const User32& u = *user32();
  DWORD processId = 0;
  if (!u.isWindowVisible(window)) return TRUE;
  u.windowThreadProcessId(window, &processId);
  if (processId != windowSearchTarget) return TRUE;
  logMessage("found window %p", static_cast<void*>(window));
  if (restore != 0 && u.isIconic(window)) {
    logMessage("restore");
    u.showWindow(window, SW_RESTORE);
  }
  logMessage("foreground");
  u.setForegroundWindow(window);
  logMessage("popup");
  u.setForegroundWindow(u.lastActivePopup(window));
  logMessage("done");
  return TRUE;
}

InstanceSystem windowsInstanceSystem() {
  InstanceSystem system;
  system.createSemaphore = [](const std::string& name) {
    HANDLE handle = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    const DWORD lastError = GetLastError();
    return InstanceSystem::Created{handle, lastError};
  };
  system.closeHandle = [](void* handle) { CloseHandle(handle); };
  system.storeOwnPid = storeOwnPid;
  system.readOtherPid = readOtherPid;
  system.activateProcessWindows = [](uint32_t processId, bool restore) {
    activateProcessWindows(processId, restore);
  };
  return system;
}

}  // namespace

void singleInstanceGuard() {
  const std::string base =
      semaphoreBaseName(getConfigInt(key::GlobalSemaphore) != 0, lowerCasedExecutablePath());
  guardInstance(base, getConfigInt(key::SingleInstance) != 0, windowsInstanceSystem());
}

void storeOwnPid() {
  const std::string name = lowerCasedExecutablePath();
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kPidsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD processId = GetCurrentProcessId();
  RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&processId),
                 sizeof processId);
}

uint32_t readOtherPid() {
  const std::string name = lowerCasedExecutablePath();
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPidsKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      size != sizeof value) {
    return 0;
  }
  return value;
}

int activateProcessWindows(uint32_t processId, bool restore) {
  windowSearchTarget = processId;
  const User32* u = user32();
  if (u == nullptr) return FALSE;
  return u->enumWindows(activateWindow, restore ? 1 : 0);
}

}  // namespace quorv
