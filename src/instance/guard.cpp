#include "core/globals.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "instance/guard.h"
#include "instance/instance.h"

namespace quorv {

std::string objectNameFromPath(const std::string& path) {
  std::string name = path;
  for (char& c : name) {
    if (c == '\\' || c == ' ') c = '_';
  }
  return name;
}

std::string semaphoreBaseName(bool global, const std::string& lowerCasedExecutablePath) {
  return (global ? "Global\\" : "Local\\") + objectNameFromPath(lowerCasedExecutablePath);
}

void guardInstance(const std::string& baseName, bool singleInstance, const InstanceSystem& system) {
  if (!singleInstance) {
    int counter = 0;
    semaphoreName = baseName + std::to_string(counter);
    InstanceSystem::Created created = system.createSemaphore(semaphoreName);
    while (created.lastError == kErrorAlreadyExists && counter < kLastSemaphoreCounter) {
      system.closeHandle(created.handle);
      ++counter;
      semaphoreName = baseName + std::to_string(counter);
      created = system.createSemaphore(semaphoreName);
    }
    logMessage("semaphore name %s, code %d, value %p", semaphoreName.c_str(),
               static_cast<int>(created.lastError), created.handle);
    return;
  }
  logMessage("single instance mode");
  semaphoreName = baseName;
  const InstanceSystem::Created created = system.createSemaphore(semaphoreName);
  logMessage("semaphore name %s, code %d, value %p", semaphoreName.c_str(),
             static_cast<int>(created.lastError), created.handle);
  if (created.lastError != kErrorAlreadyExists) {
    system.storeOwnPid();
    return;
  }
  system.closeHandle(created.handle);
  const uint32_t other = system.readOtherPid();
  logMessage("other pid %d", static_cast<int>(other));
  system.activateProcessWindows(other, true);
  logMessage("exiting");
  exitLauncher(0);
}

}  // namespace quorv
