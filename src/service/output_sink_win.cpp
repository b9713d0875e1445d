#include "service/output_sink_win.h"

#include <atomic>
#include <vector>

#include "diag/log.h"
#include "service/worker_log_win.h"

namespace quorv {
namespace {

std::atomic<OutputSink> outputSink{OutputSink::Discard};
std::atomic<uint64_t> lastOutput{0};

DWORD WINAPI drainOutput(LPVOID readEnd) {
  logMessage("consuming output");
  const OutputSink sink = outputSink.load();
  HANDLE console = sink == OutputSink::Console ? GetStdHandle(STD_OUTPUT_HANDLE) : nullptr;
  {
    const UniqueHandle pipe(static_cast<HANDLE>(readEnd));
    std::vector<char> buffer(8192);
    DWORD read = 0;
    while (ReadFile(pipe.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
      lastOutput.store(GetTickCount64());
      if (sink == OutputSink::WorkerLog) {
        workerLogWrite(buffer.data(), read);
      } else if (sink == OutputSink::Console) {
        DWORD written = 0;
        for (DWORD at = 0;
             at < read && WriteFile(console, buffer.data() + at, read - at, &written, nullptr) && written > 0;) {
          at += written;
        }
      }
    }
  }
  logMessage("consuming output done");
  return 0;
}

}  // namespace

void setOutputSink(OutputSink sink) { outputSink.store(sink); }

UniqueHandle startOutputDrain(UniqueHandle readEnd) {
  UniqueHandle thread(CreateThread(nullptr, 0, drainOutput, readEnd.get(), 0, nullptr));
  if (thread) readEnd.release();
  else logMessage("CreateThread error (%d)", static_cast<int>(GetLastError()));
  return thread;
}

void awaitOutputEnd(UniqueHandle& drain) {
  if (!drain) return;
  WaitForSingleObject(drain.get(), 5000);
  drain.reset();
}

uint64_t lastOutputTick() { return lastOutput.load(); }

}  // namespace quorv
