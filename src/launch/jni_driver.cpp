#include "launch/jni_driver.h"

#include "config/configured_message.h"
#include "config/keys.h"
#include "core/codepage.h"
#include "diag/fatal.h"
#include "diag/log.h"

namespace quorv {
namespace {

constexpr const char* kFirstRunClass = "com/zentrilex/runtime/launcher/FirstRun";

// The option strings must outlive JNI_CreateJavaVM; they are kept until the process ends.
std::vector<std::string>& jvmOptionStrings() {
  static std::vector<std::string> strings;
  return strings;
}

bool createJvm(const JvmLaunch& launch, JavaVM** vm, JNIEnv** env) {
  std::vector<std::string>& strings = jvmOptionStrings();
  strings = launch.buildOptions();
  std::vector<JavaVMOption> options(strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) {
    options[i].optionString = strings[i].data();
    options[i].extraInfo = nullptr;
  }
  JavaVMInitArgs args;
  args.version = JNI_VERSION_1_2;
  args.nOptions = static_cast<jint>(options.size());
  args.options = options.data();
  args.ignoreUnrecognized = JNI_TRUE;
  logMessage("vmoption count %d", static_cast<int>(args.nOptions));
  for (std::size_t i = 0; i < strings.size(); ++i) {
    logMessage("vmoption %d: %s", static_cast<int>(i), strings[i].c_str());
  }
  logMessage("Creating JVM");
  if (launch.createJavaVM == nullptr) return false;
  return launch.createJavaVM(vm, reinterpret_cast<void**>(env), &args) == JNI_OK;
}

// A pending exception is printed (and cleared) by the JVM; true when there was one.
bool describePendingException(JNIEnv* env) {
  if (env->ExceptionOccurred() == nullptr) return false;
  env->ExceptionDescribe();
  return true;
}

// The parameter array for main, or null (the JVM is out of memory).
jobjectArray parameterArray(JNIEnv* env, const std::vector<std::u16string>& parameters) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (stringClass == nullptr) return nullptr;
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(parameters.size()), stringClass, nullptr);
  if (array == nullptr) return nullptr;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    std::string text;
    wideToFileCp(parameters[i], text);
    logMessage("param %d: %s", static_cast<int>(i), text.c_str());
    jstring value = env->NewString(reinterpret_cast<const jchar*>(parameters[i].data()),
                                   static_cast<jsize>(parameters[i].size()));
    if (value == nullptr) return nullptr;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), value);
    // Many parameters would otherwise exhaust the local references the JVM guarantees.
    env->DeleteLocalRef(value);
  }
  return array;
}

}  // namespace

bool checkFirstRun(JNIEnv* env, const JvmLaunch& launch) {
  if (!launch.firstRunMarkerExists || !launch.firstRunMarkerExists()) return true;
  jclass firstRun = env->FindClass(kFirstRunClass);
  if (firstRun == nullptr) fatalConfiguredError(key::MsgInternal, detail::FirstRunClass);
  jmethodID method = env->GetStaticMethodID(firstRun, "firstRun", "()Z");
  if (method == nullptr) fatalConfiguredError(key::MsgInternal, detail::FirstRunMethod);
  const jboolean result = env->CallStaticBooleanMethod(firstRun, method);
  if (describePendingException(env)) return false;
  return result != JNI_FALSE;
}

bool callMain(JNIEnv* env, const JvmLaunch& launch) {
  if (launch.firstRunHook && !checkFirstRun(env, launch)) {
    logMessage("checkFirstRun stopped further execution");
    return true;
  }
  logMessage("main class: %s", launch.entryClass.c_str());
  jclass entry = env->FindClass(launch.entryClass.c_str());
  if (entry == nullptr) {
    logError("could not find main class");
    fatalConfiguredError(key::MsgNoMainClass);
  }
  jmethodID main = env->GetStaticMethodID(entry, "main", "([Ljava/lang/String;)V");
  if (main == nullptr) {
    logError("could not find main method");
    fatalConfiguredError(key::MsgNoMainMethod);
  }
  const std::vector<std::u16string> parameters = launch.buildParameters();
  logMessage("param count: %d", static_cast<int>(parameters.size()));
  jobjectArray array = parameterArray(env, parameters);
  if (array == nullptr) {
    logError("could not create the parameters of main");
    describePendingException(env);
    return false;
  }
  logMessage("calling main");
  env->CallStaticVoidMethod(entry, main, array);
  logMessage("main returned");
  if (env->ExceptionOccurred() != nullptr) {
    logError("an exception occured");
    env->ExceptionDescribe();
    return false;
  }
  return true;
}

bool launchJvm(const JvmLaunch& launch) {
  logMessage("launching program");
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (!createJvm(launch, &vm, &env)) {
    logError("could not initialize JVM");
    return false;
  }
  logMessage("JVM created");
  if (launch.onCreated) launch.onCreated(vm, env);
  if (!callMain(env, launch)) {
    logError("could not call main");
    return false;
  }
  if (launch.destroy) {
    logMessage("dest JVM");
    vm->DestroyJavaVM();
  }
  logMessage("launch done");
  return true;
}

}  // namespace quorv
