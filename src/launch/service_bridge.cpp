#include "launch/service_bridge.h"

#include "core/decimal.h"
#include "diag/log.h"

namespace quorv {
namespace {

// Decimal digits only, neither empty nor zero, and at most `maximum`.
std::optional<uint64_t> positiveNumber(std::string_view text, uint64_t maximum) {
  const std::optional<uint64_t> value = parseDecimal(text, maximum);
  if (!value || *value == 0) return std::nullopt;
  return value;
}

}  // namespace

std::string eventVariableText(const EventVariable& variable) {
  std::string text = std::to_string(variable.handle);
  if (variable.intervalMs) text += "/" + std::to_string(*variable.intervalMs);
  return text;
}

std::optional<EventVariable> parseEventVariable(std::string_view text) {
  const std::size_t slash = text.find('/');
  EventVariable variable;
  const std::optional<uint64_t> handle = positiveNumber(text.substr(0, slash), UINT64_MAX);
  if (!handle) return std::nullopt;
  variable.handle = *handle;
  if (slash != std::string_view::npos) {
    const std::optional<uint64_t> interval = positiveNumber(text.substr(slash + 1), UINT32_MAX);
    if (!interval) return std::nullopt;
    variable.intervalMs = static_cast<uint32_t>(*interval);
  }
  return variable;
}

void runHeartbeats(JavaVM* vm, uint32_t intervalMs, const HeartbeatLoop& loop) {
  JNIEnv* env = nullptr;
  JavaVMAttachArgs args{JNI_VERSION_1_2, const_cast<char*>("quorv-heartbeat"), nullptr};
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &args) != JNI_OK || env == nullptr) {
    logError("heartbeat: could not attach a thread to the JVM");
    return;
  }
  jclass service = env->FindClass(kServiceClass);
  jmethodID method = service != nullptr ? env->GetStaticMethodID(service, kHeartbeatMethod, kHeartbeatSignature)
                                        : nullptr;
  if (method == nullptr) {
    env->ExceptionClear();
    logError("heartbeat: %s.%s%s not found on the class path; the worker sends no heartbeats", kServiceClass,
             kHeartbeatMethod, kHeartbeatSignature);
    vm->DetachCurrentThread();
    return;
  }
  logMessage("heartbeat every %lu ms", static_cast<unsigned long>(intervalMs));
  while (loop.wait(intervalMs)) {
    const jboolean alive = env->CallStaticBooleanMethod(service, method);
    if (env->ExceptionCheck()) {
      env->ExceptionClear();
      continue;
    }
    if (alive != JNI_FALSE) loop.beat();
  }
  vm->DetachCurrentThread();
}

bool registerReadyNative(JNIEnv* env, ReadyNative notify) {
  jclass service = env->FindClass(kServiceClass);
  if (service == nullptr) {
    env->ExceptionClear();
    logError("ready: %s not found on the class path; the application cannot report that it is ready", kServiceClass);
    return false;
  }
  JNINativeMethod method{const_cast<char*>("notifyReady"), const_cast<char*>("()V"), reinterpret_cast<void*>(notify)};
  if (env->RegisterNatives(service, &method, 1) != JNI_OK) {
    env->ExceptionClear();
    logError("ready: %s has no native method notifyReady()V (an older copy of the class?); the application cannot "
             "report that it is ready", kServiceClass);
    return false;
  }
  env->DeleteLocalRef(service);
  logMessage("ready: %s.ready() reaches the service", kServiceClass);
  return true;
}

}  // namespace quorv
