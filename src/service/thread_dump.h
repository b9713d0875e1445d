// The thread dump of a hung worker: HotSpot prints the stacks of all its threads to standard
// output (which the worker log keeps) when its console gets Ctrl+Break. The worker of a service
// with hang detection therefore runs on a console of its own, without a window, as the leader of
// its own process group; the service process attaches to that console for the moment it takes
// to send the break.
#pragma once
#include <cstdint>

namespace quorv {

// The system calls of a console break, so that their order can be checked without a console.
struct ConsoleBreakSystem {
  void* context;
  bool (*attach)(void* context, uint32_t processId);   // AttachConsole
  bool (*sendBreak)(void* context, uint32_t group);    // GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT)
  void (*detach)(void* context);                       // FreeConsole
  uint32_t (*lastError)(void* context);
};

// Sends Ctrl+Break to the process group that the worker leads: frees this process's console, if
// any, attaches to the worker's, sends the break to the worker's group only (so never to this
// process), and detaches again whatever happened. 0, or the error of the step that failed.
uint32_t sendConsoleBreak(uint32_t workerProcessId, const ConsoleBreakSystem& system);

// How long the service waits for the dump: until some output came after the break and then none
// for kDumpQuietMs, or kDumpWaitMs after the break at the most.
constexpr uint32_t kDumpWaitMs = 5000;
constexpr uint32_t kDumpQuietMs = 300;
bool dumpWaitOver(uint64_t breakSentMs, uint64_t lastOutputMs, uint64_t nowMs);

}  // namespace quorv
