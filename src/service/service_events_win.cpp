#include "service/service_events_win.h"

#include <cstdio>

namespace quorv {

void reportWorkerStartFailure(const std::string& commandLine, unsigned long error) {
  const int n = std::snprintf(nullptr, 0, text::WorkerStartFailedEvent, error, commandLine.c_str());
  if (n < 0) return;
  std::string event(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(event.data(), event.size(), text::WorkerStartFailedEvent, error, commandLine.c_str());
  event.resize(static_cast<std::size_t>(n));
  reportEvent(EventType::Error, event);
}

}  // namespace quorv
