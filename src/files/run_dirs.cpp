#include "files/run_dirs.h"

#include <charconv>

#include "core/ascii.h"

namespace quorv {
namespace {

constexpr std::string_view kRecordTag = "quorv-run ";

// One decimal field followed by a blank.
template <typename T>
bool readField(std::string_view& text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() || end == text.data() + text.size() || *end != ' ') {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
  return true;
}

}  // namespace

std::string runFileOf(const std::string& runDirectory) {
  const std::size_t at = runDirectory.rfind("_dir");
  if (at == std::string::npos || at == 0) return std::string();
  return runDirectory.substr(0, at);
}

std::string runOwnerText(const RunOwner& owner) {
  return std::string(kRecordTag) + std::to_string(owner.processId) + " " +
         std::to_string(owner.creationTime) + " " + owner.executable + "\n";
}

std::optional<RunOwner> parseRunOwner(std::string_view text) {
  if (text.substr(0, kRecordTag.size()) != kRecordTag) return std::nullopt;
  text.remove_prefix(kRecordTag.size());
  RunOwner owner;
  if (!readField(text, owner.processId) || !readField(text, owner.creationTime)) return std::nullopt;
  const std::size_t end = text.find('\n');
  if (end == std::string_view::npos || end == 0 || end + 1 != text.size()) return std::nullopt;
  owner.executable = std::string(text.substr(0, end));
  return owner;
}

bool sameExecutablePath(std::string_view a, std::string_view b) { return sameAsciiIgnoringCase(a, b); }

}  // namespace quorv
