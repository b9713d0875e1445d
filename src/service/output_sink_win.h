// Where the worker's output goes: nowhere (as the service always did), into the worker log, or
// onto the console of a console run. A thread drains the worker's output pipe into the sink.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/handle_win.h"

namespace quorv {

enum class OutputSink { Discard, WorkerLog, Console };
// Chosen before the first worker starts.
void setOutputSink(OutputSink sink);

// Starts the thread that drains `readEnd` into the sink until every writer has closed the pipe;
// the thread owns the read end from then on. Without a thread (none could be started) the read
// end is closed, so that the worker's writes fail at once instead of blocking on a full pipe.
UniqueHandle startOutputDrain(UniqueHandle readEnd);
// After the worker ended: what it still wrote reaches the sink before the line that it ended, and
// the draining thread has logged its end before the service ends. A process that the worker
// started may hold the pipe open for longer; the wait is bounded.
void awaitOutputEnd(UniqueHandle& drain);

// When the worker's output last arrived (GetTickCount64), for the wait for a thread dump.
uint64_t lastOutputTick();

}  // namespace quorv
