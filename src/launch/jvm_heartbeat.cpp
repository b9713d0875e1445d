#include "launch/jvm_heartbeat.h"

#include "diag/log.h"

namespace quorv {

void runHeartbeats(JavaVM* vm, uint32_t intervalMs, const HeartbeatLoop& loop) {
  JNIEnv* env = nullptr;
  JavaVMAttachArgs args{JNI_VERSION_1_2, const_cast<char*>("quorv-heartbeat"), nullptr};
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &args) != JNI_OK || env == nullptr) {
    logError("heartbeat: could not attach a thread to the JVM");
    return;
  }
  jclass service = env->FindClass(kHeartbeatClass);
  jmethodID method = service != nullptr ? env->GetStaticMethodID(service, kHeartbeatMethod, kHeartbeatSignature)
                                        : nullptr;
  if (method == nullptr) {
    env->ExceptionClear();
    logError("heartbeat: %s.%s%s not found on the class path; the worker sends no heartbeats", kHeartbeatClass,
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

}  // namespace quorv
