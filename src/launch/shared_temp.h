// References that name the system's shared temporary directory (where every user may create
// files: C:\Windows\Temp for LocalSystem). A class-path entry, an included options file or a
// native-library folder there lets any user put code into the JVM. The per-run directory
// (${launcher:sys.launcherTempDirectory}, %QUORV_TEMPDIR%) is private and not among them.
// Used by the packer's check and by the launcher's log; header-only so that both share it.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace quorv {

constexpr std::array<std::string_view, 5> kSharedTempReferences = {
    "${launcher:sys.tempDir}", "${TEMP}", "${TMP}", "%TEMP%", "%TMP%"};

// The first reference of kSharedTempReferences in the text (names compared ignoring ASCII
// case), or an empty view.
inline std::string_view sharedTempReference(std::string_view text) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::string_view reference : kSharedTempReferences) {
    for (std::size_t at = 0; at + reference.size() <= text.size(); ++at) {
      std::size_t k = 0;
      while (k < reference.size() && lower(text[at + k]) == lower(reference[k])) ++k;
      if (k == reference.size()) return reference;
    }
  }
  return {};
}

// Logs "warning: <what> <text> names the shared temporary directory (<reference>)" when the
// text holds such a reference (launcher side, shared_temp.cpp).
void warnOfSharedTempReference(const char* what, const std::string& text);

}  // namespace quorv
