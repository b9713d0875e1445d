// Service commands run from a console: install, uninstall, start, stop, status.
#pragma once

namespace quorv {

int cmdInstall(int startType, bool interactive);  // 2 automatic, 3 on demand
int cmdUninstall(bool report);
int cmdStart();
int cmdStop(bool report);
int cmdStatus();

}  // namespace quorv
