// The few functions of user32.dll that the launcher uses, loaded when first needed: most runs
// never show a window or look for one, and loading user32 costs every process start.
#pragma once
#include <windows.h>

namespace quorv {

struct User32 {
  decltype(&MessageBoxA) messageBox;
  decltype(&GetProcessWindowStation) processWindowStation;
  decltype(&GetUserObjectInformationA) userObjectInformation;
  decltype(&EnumWindows) enumWindows;
  decltype(&IsWindowVisible) isWindowVisible;
  decltype(&GetWindowThreadProcessId) windowThreadProcessId;
  decltype(&IsIconic) isIconic;
  decltype(&ShowWindow) showWindow;
  decltype(&SetForegroundWindow) setForegroundWindow;
  decltype(&GetLastActivePopup) lastActivePopup;
};

// Null when user32.dll or one of the functions cannot be had.
const User32* user32();

}  // namespace quorv
