// Variable expansion with a hostile environment block. The input is the text, then the
// environment entries, all separated by NUL bytes: names with "=" at the start, no "=" at all,
// empty values, values that refer to themselves or to later entries. A byte 0x01 in an entry
// stands for 1024 copies of the entry's next byte, so that values can be very long.
//
// Besides "no crash", the result must equal a model of the documented rule: every pattern
// replaced left to right, an inserted value never searched again by the same pattern; with the
// log on (each replacement made in place and logged) and off (one pass per pattern) alike.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launch/expand.h"
#include "support/host_system.h"

namespace {

using quorv::ExpandValues;

// Outputs that would grow beyond this are not expanded: a chain of values that each refer twice
// to the next entry doubles the text with every entry (see fuzz/README.md), which is a property
// of the rule, not a fault that the fuzzer should keep finding.
constexpr std::size_t kMaxResult = 1 << 15;

std::string modelReplaceAll(const std::string& text, std::string_view pattern, std::string_view value) {
  if (pattern.empty()) return text;
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, from)) {
    out.append(text, from, at - from);
    out.append(value);
    from = at + pattern.size();
  }
  out.append(text, from, std::string::npos);
  return out;
}

const char* const kLauncherPatterns[][2] = {
    {"%QUORV_EXEDIR%", "E"},
    {"%ZENTRILEX_EXEDIR%", "E"},
    {"%QUORV_TEMPDIR%", "T"},
    {"%ZENTRILEX_TEMPDIR%", "T"},
    {"%QUORV_PATHLIST_SEPARATOR%", ";"},
    {"%ZENTRILEX_PATHLIST_SEPARATOR%", ";"},
    {"%QUORV_JVM_HOME%", "J"},
    {"%ZENTRILEX_JVM_HOME%", "J"},
    {"${QUORV_EXEDIR}", "E"},
    {"${ZENTRILEX_EXEDIR}", "E"},
    {"${QUORV_TEMPDIR}", "T"},
    {"${ZENTRILEX_TEMPDIR}", "T"},
    {"${QUORV_PATHLIST_SEPARATOR}", ";"},
    {"${ZENTRILEX_PATHLIST_SEPARATOR}", ";"},
    {"${QUORV_JVM_HOME}", "J"},
    {"${ZENTRILEX_JVM_HOME}", "J"},
    {"${launcher:sys.launcherDirectory}", "E"},
    {"${launcher:sys.launcherTempDirectory}", "T"},
    {"${launcher:sys.pathlistSeparator}", ";"},
    {"${launcher:sys.jvmHome}", "J"},
    {"${launcher:sys.tempDir}", "S"},
};

std::string_view launcherValue(const char* which, const ExpandValues& values) {
  switch (which[0]) {
    case 'E': return values.executableDirectory;
    case 'T': return values.tempDirectory;
    case 'J': return values.jvmHome;
    case 'S': return values.systemTempDirectory;
    default: return ";";
  }
}

struct Pass {
  std::string pattern;
  std::string value;
};

// The replacements expandWith makes, in order.
std::vector<Pass> passesOf(const ExpandValues& values, const std::vector<std::string>& entries) {
  std::vector<Pass> passes;
  for (const auto& launcher : kLauncherPatterns) {
    passes.push_back({launcher[0], std::string(launcherValue(launcher[1], values))});
  }
  for (const auto& entry : entries) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) continue;
    std::string pattern = "${" + entry.substr(0, equals) + "}";
    const std::string value = entry.substr(equals + 1);
    passes.push_back({pattern, value});
    for (char& c : pattern) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    passes.push_back({pattern, value});
  }
  return passes;
}

// An upper bound of the length after all passes: each occurrence of a pattern is at least as
// long as the pattern, so a pass can insert at most length / pattern-length values.
bool resultStaysSmall(std::size_t length, const std::vector<Pass>& passes) {
  for (const auto& pass : passes) {
    if (pass.value.size() > pass.pattern.size()) {
      length += length / pass.pattern.size() * (pass.value.size() - pass.pattern.size());
    }
    if (length > kMaxResult) return false;
  }
  return true;
}

std::string decodeEntry(std::string_view piece) {
  std::string out;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == '\x01' && i + 1 < piece.size()) {
      out.append(1024, piece[++i]);
    } else {
      out.push_back(piece[i]);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorv;
  test::resetHost();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t nul = input.find('\0', start);
    if (nul == std::string_view::npos) nul = input.size();
    pieces.push_back(decodeEntry(input.substr(start, nul - start)));
    start = nul + 1;
  }
  const std::string text = pieces.front();
  // The block ends at its first empty entry, as a real one does.
  std::vector<std::string> entries;
  std::string block;
  for (std::size_t i = 1; i < pieces.size() && !pieces[i].empty(); ++i) {
    entries.push_back(pieces[i]);
    block += pieces[i];
    block.push_back('\0');
  }
  block.push_back('\0');

  // The launcher's own values may hold references too; the JVM home is empty during the search.
  const ExpandValues values{"C:\\Program Files\\App\\", "C:\\Temp\\e4j12.tmp", entries.size() % 2 ? "" : "${JAVA}\\..",
                            "C:\\Temp\\"};
  const std::vector<Pass> passes = passesOf(values, entries);
  if (!resultStaysSmall(text.size(), passes)) return -1;

  std::string expanded = text;
  expandWith(expanded, values, block.c_str());
  std::string model = text;
  for (const auto& pass : passes) model = modelReplaceAll(model, pass.pattern, pass.value);
  if (expanded != model) __builtin_trap();

  // With the log off the replacements are made in one pass each: the same result.
  test::setLogOn(false);
  std::string quiet = text;
  expandWith(quiet, values, block.c_str());
  test::setLogOn(true);
  if (quiet != expanded) __builtin_trap();

  // Without a "$" or "%" nothing can match.
  if (text.find_first_of("$%") == std::string::npos && expanded != text) __builtin_trap();

  // Without an environment only the launcher variables are replaced.
  std::string plain = text;
  expandWith(plain, values, nullptr);
  std::string plainModel = text;
  for (std::size_t i = 0; i < std::size(kLauncherPatterns); ++i) {
    plainModel = modelReplaceAll(plainModel, passes[i].pattern, passes[i].value);
  }
  if (plain != plainModel) __builtin_trap();

  // replaceAll by itself, with the text's first entry as pattern and value.
  if (!entries.empty()) {
    const std::size_t equals = entries[0].find('=');
    const std::string pattern = entries[0].substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : entries[0].substr(equals + 1);
    if (pattern.empty() || text.size() / pattern.size() * value.size() <= kMaxResult) {
      std::string replaced = text;
      replaceAll(replaced, pattern, value);
      if (replaced != modelReplaceAll(text, pattern, value)) __builtin_trap();
    }
  }
  return 0;
}
