#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "config/keys.h"
#include "config/locale.h"
#include "config/store.h"
#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/log.h"
#include "files/paths.h"
#include "launch/jni_driver.h"
#include "launch/launch.h"
#include "launch/options.h"
#include "launch/service_bridge.h"
#include "launch/system.h"
#include "launch/vmoptions.h"

namespace quorv {
namespace {

SystemPropertyValues currentPropertyValues() {
  SystemPropertyValues values;
  values.semaphoreName = semaphoreName;
  values.flavour = launcherFlavour;
  values.executablePath = getExecutablePath();
  if (getConfigInt(key::SingleInstance) != 0) {
    values.processCommFile = getProcessCommFileName(GetCurrentProcessId());
  }
  values.tempDirectory = tempDirectory;
  values.unextractedPosition = unextractedPosition;
  values.path = environmentValue("PATH");
  values.manpathDefined = std::getenv("MANPATH") != nullptr;
  values.consoleCodePage = GetConsoleOutputCP();
  values.deadlockCheck = getConfigInt(key::DeadlockCheck) != 0;
  return values;
}

std::optional<std::string> localePart(bool (*get)(std::string&)) {
  std::string value;
  if (!get(value)) return std::nullopt;
  return value;
}

// The event that the service process gave this worker for its heartbeats and their interval,
// as "HANDLE/MILLISECONDS" in an environment variable; the variable goes, so that the application
// does not see it.
struct HeartbeatThread {
  JavaVM* vm = nullptr;
  HANDLE event = nullptr;
  uint32_t intervalMs = 0;
};

bool takeHeartbeatChannel(HeartbeatThread& channel) {
  const std::optional<std::string> value = environmentValue(kHeartbeatVariable);
  SetEnvironmentVariableA(kHeartbeatVariable, nullptr);
  const std::optional<EventVariable> parsed = value ? parseEventVariable(*value) : std::nullopt;
  if (!parsed || !parsed->intervalMs) return false;
  channel.event = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(parsed->handle));
  channel.intervalMs = *parsed->intervalMs;
  return true;
}

DWORD WINAPI heartbeatThread(LPVOID parameter) {
  const HeartbeatThread* start = static_cast<const HeartbeatThread*>(parameter);
  HANDLE event = start->event;
  runHeartbeats(start->vm, start->intervalMs,
                HeartbeatLoop{[](uint32_t intervalMs) {
                                Sleep(intervalMs);
                                return true;
                              },
                              [event] { SetEvent(event); }});
  return 0;
}

// The JVM exists, which starts the service's count; from now on a thread of its own sends the
// heartbeats. The thread lives as long as the process.
void startHeartbeats(HeartbeatThread& start, JavaVM* vm) {
  start.vm = vm;
  SetEvent(start.event);
  const UniqueHandle thread(CreateThread(nullptr, 0, heartbeatThread, &start, 0, nullptr));
  if (!thread) logError("heartbeat: could not start its thread (%d)", static_cast<int>(GetLastError()));
}

// The readiness gate's event, named by the service process in an environment variable ("HANDLE");
// the variable goes, so that the application does not see it.
HANDLE readyEvent = nullptr;

HANDLE takeReadyEvent() {
  const std::optional<std::string> value = environmentValue(kReadyVariable);
  SetEnvironmentVariableA(kReadyVariable, nullptr);
  const std::optional<EventVariable> parsed = value ? parseEventVariable(*value) : std::nullopt;
  if (!parsed || parsed->intervalMs) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(parsed->handle));
}

// Service.ready(): the service process takes the first signal; later ones change nothing.
void JNICALL notifyReady(JNIEnv*, jclass) {
  logMessage("ready: the application says it is ready");
  SetEvent(readyEvent);
}

}  // namespace

bool launchProgram(std::vector<std::u16string>& launchArguments, bool destroy,
                   jint(JNICALL* createJavaVM)(JavaVM**, void**, void*)) {
  const LaunchSystem& system = windowsLaunchSystem();
  JvmLaunch launch;
  launch.createJavaVM = createJavaVM;
  launch.buildOptions = [&] {
    std::vector<std::string> properties = systemProperties(currentPropertyValues());
    const std::vector<std::string> locale =
        localeOptions(launchArguments, localePart(getLanguage), localePart(getCountry));
    const auto openDefault = [] {
      DefaultVmOptionsFile defaultFile;
      defaultFile.file = openDefaultVmOptionsFile(&defaultFile.path);
      return defaultFile;
    };
    return collectOptions(launchArguments, std::move(properties), locale, openDefault, system);
  };
  launch.entryClass = entryClassFor(launcherFlavour);
  launch.firstRunHook = launcherFlavour == 'z';
  launch.firstRunMarkerExists = [&] { return system.fileExists(firstRunMarkerPath(system)); };
  launch.buildParameters = [&] { return mainParameters(launchArguments, system); };
  launch.destroy = destroy;
  static HeartbeatThread heartbeat;
  const bool heartbeats = takeHeartbeatChannel(heartbeat);
  readyEvent = takeReadyEvent();
  if (heartbeats || readyEvent != nullptr) {
    launch.onCreated = [heartbeats](JavaVM* vm, JNIEnv* env) {
      if (readyEvent != nullptr) registerReadyNative(env, notifyReady);
      if (heartbeats) startHeartbeats(heartbeat, vm);
    };
  }
  return launchJvm(launch);
}

}  // namespace quorv
