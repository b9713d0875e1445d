#include "service/supervision.h"

#include "core/command.h"
#include "core/codepage.h"

namespace quorv {
namespace {

// A part goes into the worker's command line so that the worker's splitter gives it back whole:
// in quotes when it holds a blank or a quote character, or is empty. Double quotes unless the
// part holds one; then single quotes, inside which a double quote is an ordinary character.
// Tabs and other characters need no quotes (the splitter separates at blanks only).
// A part with both quote characters has no form that the splitter gives back unchanged; it goes
// in double quotes without its own double quotes, so that it still comes back as one argument
// and the parts after it, the restart marker last, keep their places.
std::u16string quotedPart(const std::u16string& part) {
  const bool needsQuotes = part.empty() || part.find_first_of(u" \"'") != std::u16string::npos;
  if (!needsQuotes) return part;
  const bool hasDouble = part.find(u'"') != std::u16string::npos;
  const bool hasSingle = part.find(u'\'') != std::u16string::npos;
  if (hasDouble && !hasSingle) return u'\'' + part + u'\'';
  std::u16string inner = part;
  if (hasDouble) std::erase(inner, u'"');
  return u'"' + inner + u'"';
}

void appendPart(std::u16string& line, const std::u16string& part) {
  line.push_back(u' ');
  line += quotedPart(part);
}

// The stop line goes out once, and only into an open pipe.
bool takeStopLine(Supervision& state) {
  if (!state.stopRequested || !state.pipeReady || state.stopLineSent) return false;
  state.stopLineSent = true;
  return true;
}

}  // namespace

std::u16string buildWorkerCommandLine(const std::vector<std::u16string>& ownArguments,
                                      const std::string& serviceName,
                                      const std::vector<std::string>& startArguments) {
  std::u16string line;
  if (!ownArguments.empty()) line = quotedPart(ownArguments.front());
  appendPart(line, ansiToWide(serviceName));
  for (std::size_t i = 1; i < ownArguments.size(); ++i) appendPart(line, ownArguments[i]);
  for (const std::string& argument : startArguments) appendPart(line, ansiToWide(argument));
  line.push_back(u' ');
  line += kRestartMarker;
  return line;
}

std::string serviceNameFromDispatcher(const char* element0, bool present) {
  if (present && element0 != nullptr) {
    std::string name(element0);
    if (!name.empty() && name.size() <= 8191) return name;
  }
  return "unknown";
}

std::string stopLineText(unsigned code) { return std::to_string(code) + "\n"; }

ControlOutcome applyControl(Supervision& state, uint32_t control) {
  ServiceStatusFields& status = state.status;
  if (status.currentState == kStateStopped) return {false, "SetServiceStatus 3 failed %d", false};
  switch (control) {
    case kControlStop:
      status.currentState = kStateStopPending;
      state.stopRequested = true;
      return {takeStopLine(state), "SetServiceStatus 2 failed %d"};
    case kControlPreshutdown:
      // Accepted only with a pre-shutdown timeout; then it is the shutdown, only earlier.
      if ((status.controlsAccepted & kAcceptPreshutdown) == 0) return {false, "SetServiceStatus 3 failed %d"};
      [[fallthrough]];
    case kControlShutdown:
      status.checkPoint += 1;
      status.currentState = kStateStopPending;
      state.stopRequested = true;
      return {takeStopLine(state), "SetServiceStatus 1 failed %d"};
    default:
      return {false, "SetServiceStatus 3 failed %d"};
  }
}

bool applyWorkerStarted(Supervision& state) {
  state.pipeReady = true;
  if (!state.stopRequested && state.status.currentState != kStateStartPending) state.status.currentState = kStateRunning;
  return takeStopLine(state);
}

void applyGatedStart(Supervision& state, uint32_t waitHint) {
  state.status.currentState = kStateStartPending;
  state.status.waitHint = waitHint;
}

bool applyReady(Supervision& state) {
  if (state.status.currentState != kStateStartPending) return false;
  const ServiceStatusFields fresh;
  state.status.currentState = kStateRunning;
  state.status.checkPoint = 0;
  state.status.waitHint = fresh.waitHint;
  return true;
}

bool applyStartProgress(Supervision& state) {
  if (state.status.currentState != kStateStartPending) return false;
  state.status.checkPoint += 1;
  return true;
}

void applyStartFailure(ServiceStatusFields& status) {
  status.currentState = kStateStopped;
  status.win32ExitCode = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR
  status.serviceSpecificExitCode = 5000;
}

void applyStopped(ServiceStatusFields& status) { status.currentState = kStateStopped; }

bool applyStopProgress(Supervision& state, uint32_t waitHint) {
  if (state.status.currentState != kStateStopPending) return false;
  state.status.checkPoint += 1;
  state.status.waitHint = waitHint;
  return true;
}

uint32_t nextStopWait(uint64_t elapsedMs, uint32_t timeoutMs, uint32_t interval) {
  if (elapsedMs >= timeoutMs) return 0;
  const uint64_t left = timeoutMs - elapsedMs;
  return left < interval ? static_cast<uint32_t>(left) : interval;
}

bool consoleEventStops(uint32_t event) {
  return event == 0 || event == 1 || event == 2;  // CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT
}

bool isPriorityClass(uint32_t value) {
  switch (value) {
    case 0x40: case 0x4000: case 0x20: case 0x8000: case 0x80: case 0x100: return true;
    default: return false;
  }
}

}  // namespace quorv
