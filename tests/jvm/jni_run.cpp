// Runs the launcher's JNI sequence against a JVM library of this machine:
//   jni_run [--option <jvm option>]... [--first-run] [--heartbeats N] [--sigquit] [--ready]
//           <libjvm.so> <class path> <entry class> [params...]
// With --ready, the worker's native method notifyReady is registered on the runtime's Service
// class before main; each call prints "notifyReady called".
// With --heartbeats, the JVM is not destroyed once main has returned: the worker's heartbeat loop
// runs N intervals of 50 ms on a thread of its own (each heartbeat is the line "heartbeat"), and
// the process ends after it; --sigquit first asks the JVM for its thread dump, as a console
// break does on Windows.
// The options come first, then "-Djava.class.path=<class path>" as the launcher puts it last.
// Log lines go to standard output as "log: <line>", a fatal message to standard error as
// "fatal: <message>"; the exit code is 0 when the launch succeeded and 1 otherwise.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/codepage.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "launch/jni_driver.h"
#include "launch/service_bridge.h"

namespace quorv {
namespace {

void writeLine(const char* prefix, const char* format, va_list args) {
  std::fputs(prefix, stdout);
  std::vfprintf(stdout, format, args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// The message templates that the JNI sequence's fatal ends show.
void storeMessageTemplates() {
  auto& strings = configStore().strings;
  strings[key::MsgInternal] = "An internal error occurred (error code: {0})";
  strings[key::MsgNoMainClass] = "Couldn't load main class.";
  strings[key::MsgNoMainMethod] = "Main method not found.";
}

std::u16string fromUtf8(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t code;
    std::size_t length;
    if (c < 0x80) {
      code = c, length = 1;
    } else if ((c & 0xE0) == 0xC0) {
      code = c & 0x1F, length = 2;
    } else if ((c & 0xF0) == 0xE0) {
      code = c & 0x0F, length = 3;
    } else {
      code = c & 0x07, length = 4;
    }
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

}  // namespace

// What the JNI sequence asks of the launcher's diagnostics, for this program.
void logMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLine("log: ", format, args);
  va_end(args);
}

void logError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLine("log: ERROR: ", format, args);
  va_end(args);
}

// The fatal ends of the launcher's diagnostics (diag/fatal.h) built on these two.
void showMessage(const std::string& text) { std::fprintf(stderr, "fatal: %s\n", text.c_str()); }

void exitLauncher(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

void emptyDirectory(const std::string&, bool) {}

// Parameters are logged in UTF-8 here.
bool wideToFileCp(const std::u16string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size()) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return true;
}

}  // namespace quorv

namespace {

// The worker's notifyReady, here: one line per call, from whichever thread calls it.
void JNICALL notifyReady(JNIEnv*, jclass) {
  std::printf("notifyReady called\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  quorv::storeMessageTemplates();
  std::vector<std::string> options;
  bool firstRun = false;
  int heartbeats = 0;
  bool sigquit = false;
  bool ready = false;
  int i = 1;
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], "--option") == 0 && i + 1 < argc) {
      options.emplace_back(argv[++i]);
    } else if (std::strcmp(argv[i], "--first-run") == 0) {
      firstRun = true;
    } else if (std::strcmp(argv[i], "--heartbeats") == 0 && i + 1 < argc) {
      heartbeats = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--sigquit") == 0) {
      sigquit = true;
    } else if (std::strcmp(argv[i], "--ready") == 0) {
      ready = true;
    } else {
      break;
    }
  }
  if (argc - i < 3) {
    std::fprintf(stderr,
                 "usage: jni_run [--option <jvm option>]... [--first-run] <libjvm.so> <class path> "
                 "<entry class> [params...]\n");
    return 2;
  }
  void* library = dlopen(argv[i], RTLD_NOW);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[i], dlerror());
    return 2;
  }
  quorv::JvmLaunch launch;
  launch.createJavaVM = reinterpret_cast<decltype(launch.createJavaVM)>(dlsym(library, "JNI_CreateJavaVM"));
  if (launch.createJavaVM == nullptr) {
    std::fprintf(stderr, "no JNI_CreateJavaVM in %s\n", argv[i]);
    return 2;
  }
  options.push_back(std::string("-Djava.class.path=") + argv[i + 1]);
  launch.buildOptions = [&] { return options; };
  launch.entryClass = argv[i + 2];
  for (char& c : launch.entryClass) {
    if (c == '.') c = '/';
  }
  std::vector<std::u16string> parameters;
  for (int k = i + 3; k < argc; ++k) parameters.push_back(quorv::fromUtf8(argv[k]));
  launch.buildParameters = [&] { return parameters; };
  launch.firstRunHook = firstRun;
  launch.firstRunMarkerExists = [] { return true; };
  launch.destroy = heartbeats == 0;
  JavaVM* vm = nullptr;
  launch.onCreated = [&](JavaVM* created, JNIEnv* env) {
    vm = created;
    if (ready) quorv::registerReadyNative(env, notifyReady);
  };
  const bool ok = quorv::launchJvm(launch);
  if (heartbeats > 0 && ok && vm != nullptr) {
    if (sigquit) {
      kill(getpid(), SIGQUIT);
      usleep(500000);  // the JVM's signal thread prints the dump meanwhile
    }
    int waits = 0;
    std::thread beating([&] {
      quorv::runHeartbeats(vm, 50,
                           quorv::HeartbeatLoop{[&](uint32_t ms) {
                                                  usleep(ms * 1000);
                                                  return ++waits <= heartbeats;
                                                },
                                                [] { std::printf("heartbeat\n"); }});
    });
    beating.join();
    std::fflush(stdout);
    std::_Exit(0);  // the application's threads may never end
  }
  std::fflush(stdout);
  return ok ? 0 : 1;
}
