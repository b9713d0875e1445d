// The worker's side of what the service process learns from inside the JVM: hang detection (a
// thread of its own, attached to the JVM as a daemon so that it never keeps the JVM from ending,
// calls the runtime's heartbeat method at every interval and passes each answer of "alive" on)
// and the readiness gate (the native method that the runtime's Service.ready() calls). Nothing
// here is bound to one system; the worker and the tests on this machine's JVM run the same code.
#pragma once
#include <jni.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorv {

// The runtime's class that the worker calls and registers on, the Java method of the heartbeat,
// and the system property that turns its check for deadlocked threads on.
constexpr const char* kServiceClass = "com/quorv/runtime/Service";
constexpr const char* kHeartbeatMethod = "heartbeat";
constexpr const char* kHeartbeatSignature = "()Z";
constexpr const char* kDeadlockCheckProperty = "-Dquorv.deadlockCheck=true";
// The environment variables in which the service process names the worker's events: the
// heartbeat's with the interval, "HANDLE/MILLISECONDS", and the readiness gate's, "HANDLE", all
// decimal.
constexpr const char* kHeartbeatVariable = "QUORV_HEARTBEAT_EVENT";
constexpr const char* kReadyVariable = "QUORV_READY_EVENT";

// The value of such a variable, and its reading: nothing for any other text (anything but
// decimal digits around the "/", a zero, a number past its range).
struct EventVariable {
  uint64_t handle = 0;
  std::optional<uint32_t> intervalMs;  // the heartbeat's
};
std::string eventVariableText(const EventVariable& variable);
std::optional<EventVariable> parseEventVariable(std::string_view text);

struct HeartbeatLoop {
  // Waits one interval; false when the loop is to end (the process is ending).
  std::function<bool(uint32_t intervalMs)> wait;
  // One heartbeat: the method answered true.
  std::function<void()> beat;
};

// Runs on the calling thread until `loop.wait` says to end. The method is looked up on the class
// path as it stands (through the system class loader, which FindClass uses on an attached
// thread): the included runtime archive, or the application's own copy. Without the class or the
// method there are no heartbeats, and a log line says why. A call that throws counts as no
// heartbeat.
void runHeartbeats(JavaVM* vm, uint32_t intervalMs, const HeartbeatLoop& loop);

// Registers `notify` as the native method notifyReady()V of the runtime's Service class (looked
// up on the class path as it stands), so that Service.ready() reaches it. False, with a log line
// that says why, when the class or the method is missing: the application can then never report
// that it is ready.
using ReadyNative = void(JNICALL*)(JNIEnv*, jclass);
bool registerReadyNative(JNIEnv* env, ReadyNative notify);

}  // namespace quorv
