// Host side of what the portable core asks of the system, for the fuzz targets. It keeps the
// interface of tests/unit/support/host_system.h, but a log line is only formatted (so that the
// sanitizers see every argument it reads) and then dropped: a fuzz input may make millions of
// replacements, and the unit tests' recorder would keep each line.
#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "config/store.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "files/codepage.h"
#include "support/host_system.h"

namespace quorv {
namespace {

std::size_t formattedBytes = 0;

void formatAndDrop(const char* format, va_list args) {
  const int n = std::vsnprintf(nullptr, 0, format, args);
  if (n > 0) formattedBytes += static_cast<std::size_t>(n);
}

}  // namespace

void logMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  formatAndDrop(format, args);
  va_end(args);
}

void logError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  formatAndDrop(format, args);
  va_end(args);
}

std::optional<std::string> getLogPath() { return std::nullopt; }

void showMessage(const std::string& text) { test::shownMessages().push_back(text); }

void showConfiguredMessage(int key, const char* detail) {
  showMessage(substituteDetail(getConfigString(key), detail));
}

void exitLauncher(int code) {
  const auto& shown = test::shownMessages();
  throw test::FatalExit{code, shown.empty() ? std::string() : shown.back()};
}

void fatalError(const std::string& text) {
  showMessage(text);
  exitLauncher(1);
}

void fatalConfiguredError(int key, const char* detail) {
  showConfiguredMessage(key, detail);
  exitLauncher(1);
}

void emptyDirectory(const std::string&, bool) {}

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

// Always empty: lines are not kept (see above).
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
}

bool logContains(const std::string&) { return false; }

}  // namespace test
}  // namespace quorv
