// The readiness gate on the Win32 side: service.wait-for before the first worker, the gate of
// each worker (its condition, its event and its time), and the end of a worker whose gate did
// not open in time.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "service/readiness.h"
#include "service/supervision_settings.h"

namespace quorv {

// The readiness gate of one worker: open once its condition holds (the application's signal, or
// a target that answers), failed when its deadline passes first. No gate: open from the start.
struct Gate {
  const ReadyTarget* target = nullptr;  // polled; null for "notify"
  HANDLE event = nullptr;               // the application's signal, for "notify"
  ULONGLONG started = 0;                // where the gate's time began
  bool gated = false;
  uint32_t timeoutMs = 0;
  std::function<void(ULONGLONG waitedMs)> opened;  // told once, when it opens
};

// The gate of a worker whose application signals on `readyEvent`, its time counted from
// `started`.
Gate gateOf(const SupervisionSettings& settings, HANDLE readyEvent, ULONGLONG started,
            std::function<void(ULONGLONG)> opened);

// service.wait-for: before the first worker, each target in turn must answer, within the ready
// timeout from `started`. False when the time passed first or a stop came (stopWasRequested
// tells which).
bool waitForTargets(const ReadinessSettings& readiness, ULONGLONG started);

// The lines of a gate that did not open in time, and the end of the worker behind it (none
// before the first worker).
void endUnreadyWorker(HANDLE process, HANDLE job, uint32_t timeoutMs);

}  // namespace quorv
