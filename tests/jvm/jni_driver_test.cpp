// The launcher's JNI sequence (launch/jni_driver.cpp) against the real JVM, one process per case.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DriverRun {
  int code = -1;
  std::string out;
  std::string err;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs jni_run with the options, the test classes and the entry class, then the parameters.
DriverRun runDriver(const std::vector<std::string>& options, const std::string& entryClass,
              const std::vector<std::string>& parameters) {
  std::vector<std::string> args = {QUORV_JNI_RUN};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {QUORV_LIBJVM, QUORV_TEST_CLASSES, entryClass});
  args.insert(args.end(), parameters.begin(), parameters.end());
  char outName[] = "/tmp/quorv-jni-out-XXXXXX";
  char errName[] = "/tmp/quorv-jni-err-XXXXXX";
  const int out = mkstemp(outName);
  const int err = mkstemp(errName);
  const pid_t child = fork();
  if (child == 0) {
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(out);
  close(err);
  DriverRun run;
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = readFile(outName);
  run.err = readFile(errName);
  unlink(outName);
  unlink(errName);
  return run;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Position of a whole line in the output, or -1.
long indexOf(const std::vector<std::string>& all, const std::string& line) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == line) return static_cast<long>(i);
  }
  return -1;
}

TEST(RealJvm, ParametersArriveInOrderAndIntact) {
  const DriverRun run = runDriver({}, "com.quorv.runtime.WinLauncher",
                            {"false", "svc name", "\xc3\xa9t\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", "",
                             "-J-Xmx1g", "'quoted'"});
  ASSERT_EQ(run.code, 0) << run.out << run.err;
  const auto out = lines(run.out);
  const std::vector<std::string> expected = {
      "param count 8",
      "param 0: 66 61 6c 73 65",
      "param 1: 73 76 63 20 6e 61 6d 65",
      "param 2: e9 74 e9",
      "param 3: 4e2d",
      "param 4: d83d de00",
      "param 5:",
      "param 6: 2d 4a 2d 58 6d 78 31 67",
      "param 7: 27 71 75 6f 74 65 64 27",
  };
  const long first = indexOf(out, "param count 8");
  ASSERT_GE(first, 0) << run.out;
  EXPECT_EQ(std::vector<std::string>(out.begin() + first, out.begin() + first + 9), expected);
  EXPECT_LT(indexOf(out, "log: calling main"), first);
  EXPECT_GT(indexOf(out, "log: main returned"), first);
  EXPECT_GE(indexOf(out, "log: launch done"), 0);
}

TEST(RealJvm, OptionsReachTheJvm) {
  const DriverRun run = runDriver({"--option", "-Dquorv.test.mode=unknown-\xc3\xa9", "--option", "-Xmx64m"},
                            "com.quorv.runtime.WinLauncher", {});
  ASSERT_EQ(run.code, 0) << run.out << run.err;
  EXPECT_GE(indexOf(lines(run.out), "log: vmoption count 3"), 0);
  EXPECT_NE(run.out.find("unknown mode unknown-"), std::string::npos) << run.out;
}

TEST(RealJvm, AnExceptionEscapingMainFailsTheLaunch) {
  const DriverRun run = runDriver({"--option", "-Dquorv.test.mode=throw"}, "com.quorv.runtime.WinLauncher", {"x"});
  EXPECT_EQ(run.code, 1) << run.out << run.err;
  const auto out = lines(run.out);
  const long returned = indexOf(out, "log: main returned");
  ASSERT_GE(returned, 0) << run.out;
  EXPECT_EQ(indexOf(out, "log: ERROR: an exception occured"), returned + 1);
  EXPECT_EQ(indexOf(out, "log: ERROR: could not call main"), returned + 2);
  EXPECT_EQ(indexOf(out, "log: dest JVM"), -1);
  EXPECT_NE(run.err.find("java.lang.IllegalStateException: thrown by the test entry class"), std::string::npos)
      << run.err;
}

TEST(RealJvm, MissingEntryClassIsFatal) {
  const DriverRun run = runDriver({}, "com.quorv.runtime.Missing", {});
  EXPECT_EQ(run.code, 1);
  EXPECT_GE(indexOf(lines(run.out), "log: ERROR: could not find main class"), 0) << run.out;
  EXPECT_EQ(run.err, "fatal: Couldn't load main class.\n");
}

TEST(RealJvm, MissingMainMethodIsFatal) {
  const DriverRun run = runDriver({}, "com.quorv.runtime.NoMain", {});
  EXPECT_EQ(run.code, 1);
  EXPECT_GE(indexOf(lines(run.out), "log: ERROR: could not find main method"), 0) << run.out;
  EXPECT_EQ(run.err, "fatal: Main method not found.\n");
}

TEST(RealJvm, DestroyJavaVMWaitsForNonDaemonThreads) {
  const DriverRun run = runDriver({"--option", "-Dquorv.test.mode=thread"}, "com.quorv.runtime.WinLauncher", {});
  ASSERT_EQ(run.code, 0) << run.out << run.err;
  const auto out = lines(run.out);
  const long mainDone = indexOf(out, "main done");
  const long destroy = indexOf(out, "log: dest JVM");
  const long threadDone = indexOf(out, "thread done");
  const long launchDone = indexOf(out, "log: launch done");
  ASSERT_GE(mainDone, 0) << run.out;
  ASSERT_GE(threadDone, 0) << run.out;
  EXPECT_LT(mainDone, destroy);
  EXPECT_LT(threadDone, launchDone);
  EXPECT_EQ(launchDone, static_cast<long>(out.size()) - 1);
}

TEST(RealJvm, CreationFailure) {
  const DriverRun run = runDriver({"--option", "-Xmx1zz"}, "com.quorv.runtime.WinLauncher", {});
  EXPECT_EQ(run.code, 1);
  const auto out = lines(run.out);
  EXPECT_GE(indexOf(out, "log: ERROR: could not initialize JVM"), 0) << run.out;
  EXPECT_EQ(indexOf(out, "log: JVM created"), -1);
}

// A JVM that refuses its options says why itself, on its standard error or output; in a service
// both are the worker's pipe, so that text is what the worker's output holds. Some refusals come
// back from JNI_CreateJavaVM (the launcher then logs its own line), others end the process inside
// the JVM with its exit code 1.
TEST(RealJvm, CreationFailurePrintsTheJvmsOwnMessage) {
  struct Case {
    std::vector<std::string> options;
    bool returns;                    // JNI_CreateJavaVM returns with an error
    std::vector<std::string> texts;  // each somewhere in the output
  } cases[] = {
      {{"-Xmx1zz"}, true, {"Invalid maximum heap size: -Xmx1zz"}},
      {{"-XX:MaxHeapSize=abc"}, true, {"Invalid maximum heap size: -XX:MaxHeapSize=abc"}},
      {{"-Xmx64m", "-Xms2g"}, false,
       {"Error occurred during initialization of VM",
        "Initial heap size set to a larger value than the maximum heap size"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> options;
    for (const auto& option : c.options) options.insert(options.end(), {"--option", option});
    const DriverRun run = runDriver(options, "com.quorv.runtime.WinLauncher", {});
    const std::string output = run.out + run.err;
    EXPECT_EQ(run.code, 1) << c.options[0];
    const auto out = lines(run.out);
    EXPECT_EQ(indexOf(out, "log: ERROR: could not initialize JVM") >= 0, c.returns) << c.options[0] << output;
    EXPECT_EQ(indexOf(out, "log: JVM created"), -1) << output;
    for (const auto& text : c.texts) EXPECT_NE(output.find(text), std::string::npos) << output;
    // The launcher shows no message of its own here: the JVM's text is what there is to read.
    EXPECT_EQ(run.err.find("fatal: "), std::string::npos) << run.err;
  }
}

TEST(RealJvm, FirstRunHook) {
  struct Case {
    const char* answer;
    bool mainCalled;
  } cases[] = {{"true", true}, {"false", false}, {"throw", false}};
  for (const auto& c : cases) {
    const DriverRun run = runDriver({"--first-run", "--option", std::string("-Dquorv.test.firstRun=") + c.answer},
                              "com.quorv.runtime.WinLauncher", {"p"});
    EXPECT_EQ(run.code, 0) << c.answer << run.out << run.err;
    const auto out = lines(run.out);
    EXPECT_GE(indexOf(out, "firstRun asked"), 0) << run.out;
    EXPECT_EQ(indexOf(out, "log: calling main") >= 0, c.mainCalled) << c.answer;
    EXPECT_EQ(indexOf(out, "log: checkFirstRun stopped further execution") >= 0, !c.mainCalled) << c.answer;
    EXPECT_GE(indexOf(out, "log: launch done"), 0) << c.answer;
    if (std::string(c.answer) == "throw") {
      EXPECT_NE(run.err.find("IllegalStateException: thrown by firstRun"), std::string::npos) << run.err;
    }
  }
}

// The worker's heartbeat thread, attached as a daemon, answers while the application's threads
// are deadlocked; with the deadlock check the runtime's answer is false, which counts as none.
TEST(RealJvm, HeartbeatAnswersThroughADeadlockUnlessTheCheckIsOn) {
  for (const bool check : {false, true}) {
    std::vector<std::string> options = {"--heartbeats", "6", "--option", "-Dquorv.test.mode=deadlock"};
    if (check) options.insert(options.end(), {"--option", "-Dquorv.deadlockCheck=true"});
    const DriverRun run = runDriver(options, "com.quorv.runtime.WinLauncher", {});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    const auto out = lines(run.out);
    EXPECT_GE(indexOf(out, "deadlocked"), 0) << run.out;
    EXPECT_GE(indexOf(out, "log: heartbeat every 50 ms"), 0) << run.out;
    long beats = 0;
    for (const auto& line : out) beats += line == "heartbeat";
    EXPECT_EQ(beats, check ? 0 : 6) << run.out;
  }
}

// HotSpot's thread dump on SIGQUIT (on Windows: Ctrl+Break on the worker's console) reaches
// standard output, where the service's worker log keeps it: the deadlocked threads are named.
TEST(RealJvm, ThreadDumpReachesStandardOutput) {
  const DriverRun run = runDriver({"--heartbeats", "1", "--sigquit", "--option", "-Dquorv.test.mode=deadlock"},
                                  "com.quorv.runtime.WinLauncher", {});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Full thread dump"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"quorv-test-a\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Found one Java-level deadlock"), std::string::npos) << run.out;
}

// Service.ready() reaches the native method that the worker registers once per call, from
// whichever thread calls it; without the registration it does nothing and throws nothing.
TEST(RealJvm, ReadyCallsTheRegisteredNativeOncePerCall) {
  for (const bool registered : {true, false}) {
    std::vector<std::string> options = {"--option", "-Dquorv.test.mode=ready"};
    if (registered) options.insert(options.begin(), "--ready");
    const DriverRun run = runDriver(options, "com.quorv.runtime.WinLauncher", {});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    const auto out = lines(run.out);
    long calls = 0;
    for (const auto& line : out) calls += line == "notifyReady called";
    EXPECT_EQ(calls, registered ? 3 : 0) << run.out;
    EXPECT_GE(indexOf(out, "ready calls done"), 0) << run.out;
    EXPECT_EQ(indexOf(out, "log: ready: com/quorv/runtime/Service.ready() reaches the service") >= 0, registered)
        << run.out;
  }
}

}  // namespace
