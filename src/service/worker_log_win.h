// The worker log of the service process (service/worker_log.h has its rules): opened once from
// the configuration, written by the thread that drains the worker's output and by the thread
// that supervises the worker. Every call is safe from any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace quorv {

// Reads the settings and opens the file; false when no worker log is configured. A file that
// cannot be opened now is tried again with the next write.
bool workerLogOpen();
bool workerLogIsOn();
// Worker output, as it arrives. A write that fails drops the bytes; the file then gets a line
// with their count before the next bytes that can be written.
void workerLogWrite(const char* data, std::size_t length);
void workerLogStarted(unsigned long processId);
void workerLogEnded(uint32_t exitCode, bool stopRequested);
void workerLogStopTimedOut(uint32_t timeoutMs);
void workerLogHung(uint32_t timeoutMs);
void workerLogRestart(uint32_t number, uint32_t delayMs, const std::string& what);
void workerLogNotReady(const std::string& text);
void workerLogGaveUp(uint32_t count, uint32_t windowMs, const std::string& what);

}  // namespace quorv
