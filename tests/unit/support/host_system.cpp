// Host side of what the portable core asks of the system. Built with QUORV_HOST_DROP_LOG (the
// fuzz targets), a log line is only formatted, so that the sanitizers see every argument it
// reads, and then dropped: a fuzz input may make millions of replacements. Built with
// QUORV_HOST_LOG_OFF (the instruction counts of bench/), the log starts off.
#include "support/host_system.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "config/store.h"
#include "core/codepage.h"
#include "diag/fatal.h"
#include "diag/log.h"

namespace quorv {
namespace {

#ifdef QUORV_HOST_LOG_OFF
constexpr bool kLogOnByDefault = false;
#else
constexpr bool kLogOnByDefault = true;
#endif
bool logOn = kLogOnByDefault;

std::string formatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

void record(std::string line) {
#ifndef QUORV_HOST_DROP_LOG
  test::loggedLines().push_back(std::move(line));
#else
  (void)line;
#endif
}

}  // namespace

// With the log off a line costs what it costs the launcher then: nothing is formatted.
void logMessage(const char* format, ...) {
  if (!logOn) return;
  va_list args;
  va_start(args, format);
  record(formatV(format, args));
  va_end(args);
}

void logError(const char* format, ...) {
  if (!logOn) return;
  va_list args;
  va_start(args, format);
  record("ERROR: " + formatV(format, args));
  va_end(args);
}

std::optional<std::string> getLogPath() { return std::nullopt; }

bool logIsOn() { return logOn; }

void showMessage(const std::string& text) { test::shownMessages().push_back(text); }

void exitLauncher(int code) {
  const auto& shown = test::shownMessages();
  throw test::FatalExit{code, shown.empty() ? std::string() : shown.back()};
}

void emptyDirectory(const std::string&, bool) {}
void removeTemporaryDirectory(const std::string&) {}

// Latin-1 stands in for the file and ANSI code pages.
std::u16string fileCpToWide(const std::string& text) {
  std::u16string out;
  for (unsigned char c : text) out.push_back(c);
  return out;
}

bool wideToFileCp(const std::u16string& text, std::string& out) {
  out.clear();
  bool lossless = true;
  for (char16_t c : text) {
    if (c > 0xFF) {
      out.push_back('?');
      lossless = false;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return lossless;
}

std::u16string ansiToWide(const std::string& text) { return fileCpToWide(text); }

namespace test {

std::vector<std::string>& loggedLines() {
  static std::vector<std::string> lines;
  return lines;
}

std::vector<std::string>& shownMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void resetHost() {
  loggedLines().clear();
  shownMessages().clear();
  configStore() = ConfigStore{};
  useMessageBox = true;
  logOn = kLogOnByDefault;
}

void setLogOn(bool on) { logOn = on; }

bool logContains(const std::string& line) {
  const auto& lines = loggedLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string environmentBlock(std::initializer_list<const char*> entries) {
  std::string out;
  for (const char* entry : entries) {
    out += entry;
    out += '\0';
  }
  out += '\0';
  return out;
}

}  // namespace test
}  // namespace quorv
