// The JVM's side of a launch through the JNI invocation interface: create the JVM with an
// option list, call main of the entry class with the parameters, and wait in DestroyJavaVM.
// Nothing here is bound to one system; the worker and the host tests run the same code.
#pragma once
#include <jni.h>

#include <functional>
#include <string>
#include <vector>

namespace quorv {

struct JvmLaunch {
  jint(JNICALL* createJavaVM)(JavaVM**, void**, void*) = nullptr;
  // Called once, when the JVM is about to be created; the class-path option comes last.
  std::function<std::vector<std::string>()> buildOptions;
  std::string entryClass;  // in JNI form, "com/quorv/runtime/WinLauncher"
  bool firstRunHook = false;  // installer flavour: ask FirstRun.firstRun while the marker exists
  std::function<bool()> firstRunMarkerExists;
  // Called once, when the entry class and its main method have been found.
  std::function<std::vector<std::u16string>()> buildParameters;
  bool destroy = true;
  // Called once the JVM exists, on the thread that created it, before the entry class is looked
  // for (hang detection and the readiness gate start here).
  std::function<void(JavaVM*, JNIEnv*)> onCreated;
};

// The whole launch with its log lines; true when main was called and returned without an
// exception, or the first-run hook stopped the launch. Missing classes and methods end the
// process with their configured messages.
bool launchJvm(const JvmLaunch& launch);

// The steps of launchJvm, for a JVM that exists.
bool checkFirstRun(JNIEnv* env, const JvmLaunch& launch);
bool callMain(JNIEnv* env, const JvmLaunch& launch);

}  // namespace quorv
