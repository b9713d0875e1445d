#include "service/thread_dump.h"

namespace quorv {

uint32_t sendConsoleBreak(uint32_t workerProcessId, const ConsoleBreakSystem& system) {
  system.detach(system.context);
  if (!system.attach(system.context, workerProcessId)) return system.lastError(system.context);
  uint32_t error = 0;
  if (!system.sendBreak(system.context, workerProcessId)) error = system.lastError(system.context);
  system.detach(system.context);
  return error;
}

bool dumpWaitOver(uint64_t breakSentMs, uint64_t lastOutputMs, uint64_t nowMs) {
  if (nowMs - breakSentMs >= kDumpWaitMs) return true;
  return lastOutputMs > breakSentMs && nowMs - lastOutputMs >= kDumpQuietMs;
}

}  // namespace quorv
