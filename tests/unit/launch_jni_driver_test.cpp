// The JNI sequence against a pretend JVM whose function tables record what the launcher asks.
#include <gtest/gtest.h>

#include <cstdarg>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "launch/jni_driver.h"
#include "support/host_system.h"

namespace quorv {
namespace {

struct FakeJvm {
  // Settings.
  jint createResult = JNI_OK;
  std::set<std::string> missingClasses;
  std::set<std::string> missingMethods;
  bool mainThrows = false;
  bool firstRunResult = true;
  bool firstRunThrows = false;
  bool arrayFails = false;
  bool stringFails = false;
  // What happened.
  std::vector<std::string> calls;
  std::vector<std::string> options;
  jint version = 0;
  jboolean ignoreUnrecognized = JNI_FALSE;
  std::vector<std::u16string> array;
  std::vector<std::u16string> mainArguments;
  bool pendingException = false;
  int liveLocalStrings = 0;
};

FakeJvm* fake = nullptr;
JNINativeInterface_ envTable;
JNIInvokeInterface_ vmTable;
JNIEnv_ env;
JavaVM_ vm;
// Distinct addresses that stand for classes, methods and strings.
char handles[64];

jclass JNICALL findClass(JNIEnv*, const char* name) {
  fake->calls.push_back(std::string("FindClass ") + name);
  if (fake->missingClasses.count(name)) {
    fake->pendingException = true;
    return nullptr;
  }
  return reinterpret_cast<jclass>(&handles[std::strcmp(name, "java/lang/String") == 0 ? 1 : 2]);
}

jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass, const char* name, const char* signature) {
  fake->calls.push_back(std::string("GetStaticMethodID ") + name + " " + signature);
  if (fake->missingMethods.count(name)) return nullptr;
  return reinterpret_cast<jmethodID>(&handles[std::strcmp(name, "main") == 0 ? 3 : 4]);
}

jboolean JNICALL callStaticBooleanMethodV(JNIEnv*, jclass, jmethodID, va_list) {
  fake->calls.push_back("CallStaticBooleanMethod");
  if (fake->firstRunThrows) fake->pendingException = true;
  return fake->firstRunResult ? JNI_TRUE : JNI_FALSE;
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID, va_list args) {
  fake->calls.push_back("CallStaticVoidMethod");
  jobjectArray array = va_arg(args, jobjectArray);
  EXPECT_EQ(array, reinterpret_cast<jobjectArray>(&handles[5]));
  fake->mainArguments = fake->array;
  if (fake->mainThrows) fake->pendingException = true;
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  fake->calls.push_back("ExceptionOccurred");
  return fake->pendingException ? reinterpret_cast<jthrowable>(&handles[6]) : nullptr;
}

void JNICALL exceptionDescribe(JNIEnv*) {
  fake->calls.push_back("ExceptionDescribe");
  fake->pendingException = false;
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  fake->calls.push_back("NewObjectArray " + std::to_string(length));
  EXPECT_EQ(elementClass, reinterpret_cast<jclass>(&handles[1]));
  EXPECT_EQ(initial, nullptr);
  if (fake->arrayFails) {
    fake->pendingException = true;
    return nullptr;
  }
  fake->array.assign(static_cast<std::size_t>(length), u"<null>");
  return reinterpret_cast<jobjectArray>(&handles[5]);
}

jstring JNICALL newString(JNIEnv*, const jchar* text, jsize length) {
  if (fake->stringFails) return nullptr;
  ++fake->liveLocalStrings;
  auto* copy = new std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
  return reinterpret_cast<jstring>(copy);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray, jsize index, jobject value) {
  fake->array.at(static_cast<std::size_t>(index)) = *reinterpret_cast<std::u16string*>(value);
}

void JNICALL deleteLocalRef(JNIEnv*, jobject value) {
  --fake->liveLocalStrings;
  delete reinterpret_cast<std::u16string*>(value);
}

jint JNICALL destroyJavaVM(JavaVM*) {
  fake->calls.push_back("DestroyJavaVM");
  return JNI_OK;
}

jint JNICALL createJavaVM(JavaVM** outVm, void** outEnv, void* initArgs) {
  fake->calls.push_back("JNI_CreateJavaVM");
  const auto* args = static_cast<JavaVMInitArgs*>(initArgs);
  fake->version = args->version;
  fake->ignoreUnrecognized = args->ignoreUnrecognized;
  for (jint i = 0; i < args->nOptions; ++i) {
    fake->options.emplace_back(args->options[i].optionString);
    EXPECT_EQ(args->options[i].extraInfo, nullptr);
  }
  if (fake->createResult != JNI_OK) return fake->createResult;
  std::memset(&envTable, 0, sizeof envTable);
  envTable.FindClass = findClass;
  envTable.GetStaticMethodID = getStaticMethodID;
  envTable.CallStaticBooleanMethodV = callStaticBooleanMethodV;
  envTable.CallStaticVoidMethodV = callStaticVoidMethodV;
  envTable.ExceptionOccurred = exceptionOccurred;
  envTable.ExceptionDescribe = exceptionDescribe;
  envTable.NewObjectArray = newObjectArray;
  envTable.NewString = newString;
  envTable.SetObjectArrayElement = setObjectArrayElement;
  envTable.DeleteLocalRef = deleteLocalRef;
  std::memset(&vmTable, 0, sizeof vmTable);
  vmTable.DestroyJavaVM = destroyJavaVM;
  env.functions = &envTable;
  vm.functions = &vmTable;
  *outVm = &vm;
  *outEnv = &env;
  return JNI_OK;
}

class JniDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetHost();
    configStore().strings[key::MsgInternal] = "An internal error occurred (error code: {0})";
    configStore().strings[key::MsgNoMainClass] = "Couldn't load main class.";
    configStore().strings[key::MsgNoMainMethod] = "Main method not found.";
    fake = &jvm;
    launch.createJavaVM = createJavaVM;
    launch.buildOptions = [] { return std::vector<std::string>{"-Da=1", "-Djava.class.path=C:\\x.jar;"}; };
    launch.entryClass = "com/quorv/runtime/WinLauncher";
    launch.buildParameters = [] { return std::vector<std::u16string>{u"false", u"svc", u"\u4e2d\u00e9"}; };
  }
  void TearDown() override { fake = nullptr; }

  // Runs the launch; the code of a fatal exit, or -1 when it returned.
  int run(bool* result = nullptr) {
    try {
      const bool ok = launchJvm(launch);
      if (result) *result = ok;
      return -1;
    } catch (const test::FatalExit& exit) {
      return exit.code;
    }
  }

  FakeJvm jvm;
  JvmLaunch launch;
};

TEST_F(JniDriver, CreatesTheJvmAndCallsMain) {
  bool ok = false;
  EXPECT_EQ(run(&ok), -1);
  EXPECT_TRUE(ok);
  EXPECT_EQ(jvm.version, JNI_VERSION_1_2);
  EXPECT_EQ(jvm.ignoreUnrecognized, JNI_TRUE);
  EXPECT_EQ(jvm.options, (std::vector<std::string>{"-Da=1", "-Djava.class.path=C:\\x.jar;"}));
  EXPECT_EQ(jvm.mainArguments, (std::vector<std::u16string>{u"false", u"svc", u"\u4e2d\u00e9"}));
  EXPECT_EQ(jvm.liveLocalStrings, 0);
  const std::vector<std::string> calls = {
      "JNI_CreateJavaVM",
      "FindClass com/quorv/runtime/WinLauncher",
      "GetStaticMethodID main ([Ljava/lang/String;)V",
      "FindClass java/lang/String",
      "NewObjectArray 3",
      "CallStaticVoidMethod",
      "ExceptionOccurred",
      "DestroyJavaVM",
  };
  EXPECT_EQ(jvm.calls, calls);
  const std::vector<std::string> lines = {
      "launching program",
      "vmoption count 2",
      "vmoption 0: -Da=1",
      "vmoption 1: -Djava.class.path=C:\\x.jar;",
      "Creating JVM",
      "JVM created",
      "main class: com/quorv/runtime/WinLauncher",
      "param count: 3",
      "param 0: false",
      "param 1: svc",
      "param 2: ?\xe9",
      "calling main",
      "main returned",
      "dest JVM",
      "launch done",
  };
  EXPECT_EQ(test::loggedLines(), lines);
}

TEST_F(JniDriver, WithoutTheDestroyFlagTheJvmStays) {
  launch.destroy = false;
  EXPECT_EQ(run(), -1);
  EXPECT_EQ(jvm.calls.back(), "ExceptionOccurred");
  EXPECT_EQ(test::loggedLines().back(), "launch done");
}

TEST_F(JniDriver, CreationFailure) {
  jvm.createResult = JNI_EINVAL;
  bool ok = true;
  EXPECT_EQ(run(&ok), -1);
  EXPECT_FALSE(ok);
  EXPECT_EQ(test::loggedLines().back(), "ERROR: could not initialize JVM");
  EXPECT_EQ(jvm.calls, (std::vector<std::string>{"JNI_CreateJavaVM"}));
}

TEST_F(JniDriver, MissingEntryClassOrMainAreFatal) {
  jvm.missingClasses = {"com/quorv/runtime/WinLauncher"};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(test::shownMessages(), (std::vector<std::string>{"Couldn't load main class."}));
  EXPECT_EQ(test::loggedLines().back(), "ERROR: could not find main class");

  test::shownMessages().clear();
  jvm = FakeJvm();
  jvm.missingMethods = {"main"};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(test::shownMessages(), (std::vector<std::string>{"Main method not found."}));
  EXPECT_EQ(test::loggedLines().back(), "ERROR: could not find main method");
}

TEST_F(JniDriver, AnExceptionEscapingMainFailsTheLaunch) {
  jvm.mainThrows = true;
  bool ok = true;
  EXPECT_EQ(run(&ok), -1);
  EXPECT_FALSE(ok);
  const std::vector<std::string> tail(jvm.calls.end() - 3, jvm.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"CallStaticVoidMethod", "ExceptionOccurred", "ExceptionDescribe"}));
  const auto& lines = test::loggedLines();
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"main returned", "ERROR: an exception occured", "ERROR: could not call main"}));
}

TEST_F(JniDriver, OutOfMemoryForTheParametersSkipsMain) {
  for (int which = 0; which < 2; ++which) {
    test::resetHost();
    jvm = FakeJvm();
    (which == 0 ? jvm.arrayFails : jvm.stringFails) = true;
    bool ok = true;
    EXPECT_EQ(run(&ok), -1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(std::count(jvm.calls.begin(), jvm.calls.end(), "CallStaticVoidMethod"), 0);
    EXPECT_EQ(test::loggedLines().back(), "ERROR: could not call main");
  }
}

TEST_F(JniDriver, FirstRunHook) {
  launch.firstRunHook = true;
  struct Case {
    bool marker, result, throws, missingClass, missingMethod;
    int exitCode;      // -1: the launch returned true
    bool mainCalled;
    const char* message;
  } cases[] = {
      {false, false, false, false, false, -1, true, nullptr},
      {true, true, false, false, false, -1, true, nullptr},
      {true, false, false, false, false, -1, false, nullptr},
      {true, true, true, false, false, -1, false, nullptr},
      {true, true, false, true, false, 1, false, "An internal error occurred (error code: 14)"},
      {true, true, false, false, true, 1, false, "An internal error occurred (error code: 15)"},
  };
  for (const auto& c : cases) {
    test::resetHost();
    configStore().strings[key::MsgInternal] = "An internal error occurred (error code: {0})";
    jvm = FakeJvm();
    jvm.firstRunResult = c.result;
    jvm.firstRunThrows = c.throws;
    if (c.missingClass) jvm.missingClasses = {"com/zentrilex/runtime/launcher/FirstRun"};
    if (c.missingMethod) jvm.missingMethods = {"firstRun"};
    launch.firstRunMarkerExists = [&] { return c.marker; };
    bool ok = false;
    EXPECT_EQ(run(&ok), c.exitCode);
    if (c.exitCode == -1) {
      EXPECT_TRUE(ok);
    }
    const bool mainCalled =
        std::count(jvm.calls.begin(), jvm.calls.end(), "CallStaticVoidMethod") == 1;
    EXPECT_EQ(mainCalled, c.mainCalled);
    const bool asked = std::count(jvm.calls.begin(), jvm.calls.end(),
                                  "FindClass com/zentrilex/runtime/launcher/FirstRun") == 1;
    EXPECT_EQ(asked, c.marker);
    if (c.message) {
      EXPECT_EQ(test::shownMessages(), (std::vector<std::string>{c.message}));
    }
    if (c.exitCode == -1 && !c.mainCalled) {
      EXPECT_TRUE(test::logContains("checkFirstRun stopped further execution"));
      EXPECT_EQ(jvm.calls.back(), "DestroyJavaVM");
      EXPECT_EQ(test::loggedLines().back(), "launch done");
    }
    if (c.throws) {
      EXPECT_EQ(std::count(jvm.calls.begin(), jvm.calls.end(), "ExceptionDescribe"), 1);
    }
  }
}

}  // namespace
}  // namespace quorv
