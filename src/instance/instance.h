// The single-instance guard's rules over what the system gives it: the semaphore names and the
// decision which worker is the first.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace quorv {

struct InstanceSystem {
  struct Created {
    void* handle;
    unsigned long lastError;  // GetLastError right after the creation
  };
  std::function<Created(const std::string& name)> createSemaphore;
  std::function<void(void* handle)> closeHandle;
  std::function<void()> storeOwnPid;
  std::function<uint32_t()> readOtherPid;
  std::function<void(uint32_t processId, bool restore)> activateProcessWindows;
};

constexpr unsigned long kErrorAlreadyExists = 183;
constexpr int kLastSemaphoreCounter = 100000;

// "Global\" or "Local\" followed by the identity of the executable's lower-cased full path.
std::string semaphoreBaseName(bool global, const std::string& lowerCasedExecutablePath);
// Fills semaphoreName and keeps its semaphore open; a second instance in single-instance mode
// activates the first one's windows and ends through exitLauncher(0).
void guardInstance(const std::string& baseName, bool singleInstance, const InstanceSystem& system);

// System side (guard_win.cpp).
void storeOwnPid();
uint32_t readOtherPid();
int activateProcessWindows(uint32_t processId, bool restore);

}  // namespace quorv
