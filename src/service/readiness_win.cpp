#include "service/readiness_win.h"

#include <algorithm>
#include <string>
#include <utility>

#include "diag/event_log_win.h"
#include "diag/log.h"
#include "service/control_win.h"
#include "service/net_probe_win.h"
#include "service/worker_log_win.h"
#include "service/worker_process_win.h"

namespace quorv {
namespace {

constexpr const char* WaitingForLog = "waiting for %s";
constexpr const char* AnsweredLog = "%s answered after %lu ms";

// Polls a network target until it answers, `until` passes, or a stop comes. True when it answered.
bool pollTarget(const ReadyTarget& target, ULONGLONG until, ULONGLONG& nextProgress) {
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    if (targetAnswers(target, static_cast<uint32_t>(std::min<ULONGLONG>(until - now, 1000)))) return true;
    if (GetTickCount64() >= nextProgress) {
      reportStartProgress();
      nextProgress = GetTickCount64() + kPendingInterval;
    }
    HANDLE stop = stopRequestEvent();
    if (stop != nullptr && WaitForSingleObject(stop, kPollInterval) == WAIT_OBJECT_0) return false;
  }
}

}  // namespace

Gate gateOf(const SupervisionSettings& settings, HANDLE readyEvent, ULONGLONG started,
            std::function<void(ULONGLONG)> opened) {
  Gate gate;
  gate.started = started;
  if (!settings.readiness || !settings.readiness->ready) return gate;
  gate.gated = true;
  gate.target = settings.notifies() ? nullptr : &*settings.readiness->ready;
  gate.event = readyEvent;
  gate.timeoutMs = settings.readiness->timeoutMs;
  gate.opened = std::move(opened);
  return gate;
}

bool waitForTargets(const ReadinessSettings& readiness, ULONGLONG started) {
  const ULONGLONG deadline = started + readiness.timeoutMs;
  ULONGLONG nextProgress = started + kPendingInterval;
  for (const ReadyTarget& target : readiness.waitFor) {
    logMessage(WaitingForLog, target.text.c_str());
    if (!pollTarget(target, deadline, nextProgress)) return false;
    logMessage(AnsweredLog, target.text.c_str(), static_cast<unsigned long>(GetTickCount64() - started));
  }
  return true;
}

void endUnreadyWorker(HANDLE process, HANDLE job, uint32_t timeoutMs) {
  const std::string text = notReadyText(timeoutMs);
  logMessage("%s", text.c_str());
  workerLogNotReady(text);
  reportEvent(EventType::Error, "The service was stopped: " + text + ".");
  if (process != nullptr) endWorkerProcess(process, job);
}

}  // namespace quorv
