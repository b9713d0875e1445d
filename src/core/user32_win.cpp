#include "core/user32_win.h"

namespace quorv {
namespace {

template <typename Function>
bool lookUp(HMODULE module, const char* name, Function& out) {
  out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

}  // namespace

const User32* user32() {
  static User32 functions{};
  static const bool loaded = [] {
    HMODULE module = LoadLibraryA("user32.dll");
    if (module == nullptr) return false;
    return lookUp(module, "MessageBoxA", functions.messageBox) &&
           lookUp(module, "GetProcessWindowStation", functions.processWindowStation) &&
           lookUp(module, "GetUserObjectInformationA", functions.userObjectInformation) &&
           lookUp(module, "EnumWindows", functions.enumWindows) &&
           lookUp(module, "IsWindowVisible", functions.isWindowVisible) &&
           lookUp(module, "GetWindowThreadProcessId", functions.windowThreadProcessId) &&
           lookUp(module, "IsIconic", functions.isIconic) &&
           lookUp(module, "ShowWindow", functions.showWindow) &&
           lookUp(module, "SetForegroundWindow", functions.setForegroundWindow) &&
           lookUp(module, "GetLastActivePopup", functions.lastActivePopup);
  }();
  return loaded ? &functions : nullptr;
}

}  // namespace quorv
