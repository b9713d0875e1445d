// Rules of the service commands and the service process over text from outside: the dependency
// list of key 149, the registered executable path, the worker's command line and the filter of
// start arguments, the name from the dispatcher, the wait for a stopping service and the control
// handler's state.
//
// The input's pieces are separated by NUL bytes: the dependency text, the service name, then
// arguments whose first byte says what they are ('o' the service process's own arguments, the
// first of them the program; 's' start arguments; anything else a control or status byte
// sequence). Inside an own argument, byte 0x01 and the next byte b stand for U+2000 + b, so
// that the wide arguments hold characters beyond Latin-1.
//
// The worker's command line must split back into its parts, with the restart marker last.
// fuzz/corpus/service/both_quotes_* hold inputs that broke that rule (tests/unit/
// fuzz_regressions_test.cpp has them as tests).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/codepage.h"
#include "core/command.h"
#include "core/split.h"
#include "service/commands.h"
#include "service/start_arguments.h"
#include "service/supervision.h"
#include "support/host_system.h"

namespace {

using namespace quorv;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::u16string decodeWide(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0x01 && i + 1 < text.size()) {
      out.push_back(static_cast<char16_t>(0x2000 + static_cast<unsigned char>(text[++i])));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool holdsBothQuotes(const std::u16string& part) {
  return part.find(u'"') != std::u16string::npos && part.find(u'\'') != std::u16string::npos;
}

void checkDependencies(const std::string& text) {
  configStore().strings[key::Dependencies] = text;
  const std::optional<std::string> block = buildDependencyList();
  check(block == dependencyListOf(text));
  if (text.empty()) {
    check(!block.has_value());
    return;
  }
  check(block.has_value() && !block->empty() && block->back() == '\0');
  std::vector<std::string> expected;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) expected.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  // Names up to the empty one, and nothing after it.
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < block->size() && (*block)[at] != '\0') {
    const std::size_t nul = block->find('\0', at);
    check(nul != std::string::npos);
    names.push_back(block->substr(at, nul - at));
    at = nul + 1;
  }
  check(at == block->size() - 1);
  check(names == expected);
}

void checkBinaryPath(const std::string& path) {
  const std::string registered = serviceBinaryPath(path);
  if (path.empty() || path.find('"') != std::string::npos) return;
  std::vector<std::u16string> split;
  splitCommandLine(ansiToWide(registered), split);
  check(split.size() == 1 && split[0] == ansiToWide(path));
}

void checkWorkerCommandLine(const std::vector<std::u16string>& own, const std::string& name,
                            const std::vector<std::string>& start) {
  const std::u16string line = buildWorkerCommandLine(own, name, start);
  std::vector<std::u16string> split;
  splitCommandLine(line, split);
  std::vector<std::u16string> expected;
  if (!own.empty()) expected.push_back(own[0]);
  expected.push_back(ansiToWide(name));
  for (std::size_t i = 1; i < own.size(); ++i) expected.push_back(own[i]);
  for (const auto& argument : start) expected.push_back(ansiToWide(argument));
  expected.push_back(std::u16string(kRestartMarker));

  // The worker must know itself as the worker whatever the arguments hold, and get every part
  // back whole. A part with both quote characters cannot pass through the splitter unchanged
  // (an argument is a head without quotes and at most one quoted piece); it must still come back
  // as one argument, so that the parts after it keep their places.
  check(!split.empty() && split.back() == kRestartMarker);
  check(split.size() == expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (!holdsBothQuotes(expected[i])) check(split[i] == expected[i]);
  }
}

// With -J arguments as JVM options, no start argument that is passed on reaches the worker
// beginning with "-J", and every one reaches it unchanged.
void checkStartArgumentFilter(const std::vector<std::u16string>& own, const std::string& name,
                              const std::vector<std::string>& start) {
  std::vector<std::string> refused;
  const std::vector<std::string> passed = startArgumentsForWorker(own, name, start, true, refused);
  check(passed.size() + refused.size() == start.size());
  std::vector<std::u16string> split;
  splitCommandLine(buildWorkerCommandLine(own, name, passed), split);
  const std::size_t first = own.size() + 1;
  if (split.size() != first + passed.size() + 1) {
    check(passed.empty());  // the parts before them did not come back one each
    return;
  }
  for (std::size_t i = 0; i < passed.size(); ++i) {
    check(split[first + i] == ansiToWide(passed[i]));
    check(split[first + i].compare(0, 2, u"-J") != 0);
  }
}

// The wait for a stopping service, with the statuses and clock readings of the input.
struct WaitScript {
  std::string_view bytes;
  std::size_t next = 0;
  uint32_t clock = 0;
  int sleeps = 0;
};

void checkWaitForStop(std::string_view bytes) {
  WaitScript script{bytes};
  StopWaitSystem system{
      [](void* context, StopWaitStatus& status) {
        auto* s = static_cast<WaitScript*>(context);
        if (s->next + 3 > s->bytes.size()) return false;
        status.currentState = static_cast<unsigned char>(s->bytes[s->next]) % 5;
        status.checkPoint = static_cast<unsigned char>(s->bytes[s->next + 1]);
        status.waitHint = static_cast<unsigned char>(s->bytes[s->next + 2]) * 100u;
        s->next += 3;
        return true;
      },
      [](void* context) { return static_cast<WaitScript*>(context)->clock; },
      [](void* context, uint32_t milliseconds) {
        auto* s = static_cast<WaitScript*>(context);
        s->clock += milliseconds;
        s->sleeps += 1;
      },
      &script};
  waitForStop(system);
  check(static_cast<std::size_t>(script.sleeps) <= bytes.size() / 3);  // one poll per status
}

// Controls and worker events in any order: the stop line goes out at most once, and only into
// an open pipe after a stop was asked for.
void checkSupervision(std::string_view events) {
  Supervision state;
  int linesSent = 0;
  for (const char event : events) {
    bool sent = false;
    switch (static_cast<unsigned char>(event) % 4) {
      case 0: sent = applyControl(state, kControlStop).sendStopLine; break;
      case 1: sent = applyControl(state, kControlShutdown).sendStopLine; break;
      case 2: sent = applyControl(state, static_cast<unsigned char>(event) >> 2).sendStopLine; break;
      default: sent = applyWorkerStarted(state); break;
    }
    if (sent) {
      check(state.stopRequested && state.pipeReady);
      linesSent += 1;
    }
    if (state.stopRequested) check(state.status.currentState == kStateStopPending);
  }
  check(linesSent <= 1);
  check(linesSent == (state.stopRequested && state.pipeReady ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::resetHost();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t nul = input.find('\0', start);
    if (nul == std::string_view::npos) nul = input.size();
    pieces.push_back(input.substr(start, nul - start));
    start = nul + 1;
  }
  pieces.resize(std::max<std::size_t>(pieces.size(), 2));
  checkDependencies(std::string(pieces[0]));
  const std::string name(pieces[1]);
  checkBinaryPath(name);
  check(serviceNameFromDispatcher(name.c_str(), true) == (!name.empty() && name.size() <= 8191 ? name : "unknown"));
  check(serviceNameFromDispatcher(name.c_str(), false) == "unknown");

  std::vector<std::u16string> own;
  std::vector<std::string> startArguments;
  std::string script;
  for (std::size_t i = 2; i < pieces.size(); ++i) {
    const std::string_view piece = pieces[i];
    if (piece.empty()) continue;
    if (piece[0] == 'o') own.push_back(decodeWide(piece.substr(1)));
    else if (piece[0] == 's') startArguments.emplace_back(piece.substr(1));
    else script.append(piece.substr(1));
  }
  if (own.empty()) own.push_back(u"C:\\Program Files\\App\\app.exe");
  checkWorkerCommandLine(own, name, startArguments);
  checkStartArgumentFilter(own, name, startArguments);
  checkWaitForStop(script);
  checkSupervision(script);
  return 0;
}
