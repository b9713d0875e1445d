#include "service/console_run_win.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/split.h"
#include "diag/log.h"
#include "service/control_win.h"
#include "service/output_sink_win.h"
#include "service/readiness_win.h"
#include "service/supervision.h"
#include "service/supervision_settings.h"
#include "service/watch_win.h"
#include "service/worker_process_win.h"

namespace quorv {
namespace {

constexpr const char* RunStartFailed = "Could not start the worker process. Error code: %lu\n";
constexpr const char* RunReady = "The application is ready.\n";
constexpr const char* RunNotReady = "The application did not become ready within %lu ms.\n";

}  // namespace

int cmdRun() {
  logMessage("console run of '%s'", serviceName.c_str());
  resetSupervision();
  // The worker's command line as the service process builds it: the service process is started
  // with its program alone, and no start arguments.
  std::vector<std::u16string> ownArguments;
  splitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), ownArguments);
  ownArguments.resize(ownArguments.empty() ? 0 : 1);
  std::u16string commandLine = buildWorkerCommandLine(ownArguments, serviceName, {});

  // A console where the service was just installed may still hold the account's password; the
  // application has no business with it.
  SetEnvironmentVariableW(L"QUORV_SERVICE_PASSWORD", nullptr);
  // As the service does, with its stop timeout and its readiness gate; one worker, no restarts
  // and no hang detection.
  SupervisionSettings settings;
  {
    const SupervisionSettings configured = configuredSupervision();
    settings.stopTimeout = configured.stopTimeout;
    settings.readiness = configured.readiness;
  }
  if (settings.waitsForStop()) createStopEvent();
  setOutputSink(OutputSink::Console);
  SetConsoleCtrlHandler(runConsoleHandler, TRUE);
  const ULONGLONG started = GetTickCount64();
  if (settings.readiness && !waitForTargets(*settings.readiness, started)) {
    if (stopWasRequested()) return 0;
    std::printf(RunNotReady, static_cast<unsigned long>(settings.readiness->timeoutMs));
    std::fflush(stdout);
    return 1;
  }
  WorkerRun run;
  if (!startWorker(commandLine, true, settings, run)) {
    std::fprintf(stderr, RunStartFailed, static_cast<unsigned long>(run.startError));
    std::fflush(stderr);
    return 1;
  }
  // The console shows when the gate opens, among the application's own output.
  const Gate gate = gateOf(settings, run.ready.get(), started, [](ULONGLONG) {
    std::printf("%s", RunReady);
    std::fflush(stdout);
  });
  const WorkerOutcome outcome = awaitWorker(run, gate, settings);
  if (outcome.end == WatchEnd::NotReady) {
    std::printf(RunNotReady, static_cast<unsigned long>(settings.readiness->timeoutMs));
  }
  std::fflush(stdout);
  return static_cast<int>(outcome.exitCode);
}

}  // namespace quorv
