#include "launch/expand.h"

#include <array>
#include <cstring>

#include "core/ascii.h"
#include "diag/log.h"

namespace quorv {

void replaceAll(std::string& text, std::string_view pattern, std::string_view value) {
  if (pattern.empty()) return;
  std::size_t position = text.find(pattern);
  if (position == std::string::npos) return;
  if (!logIsOn()) {
    // Nobody sees the text between two replacements: one pass over the original builds the
    // same result (each search resumes behind the inserted value, that is in the original's
    // remainder), where replacing in place would move the rest of the text every time.
    std::string out;
    std::size_t from = 0;
    while (position != std::string::npos) {
      out.append(text, from, position - from).append(value);
      from = position + pattern.size();
      position = text.find(pattern, from);
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
    return;
  }
  while (position != std::string::npos) {
    text.replace(position, pattern.size(), value);
    logMessage("expanding %.*s to %.*s in %s.", static_cast<int>(pattern.size()), pattern.data(),
               static_cast<int>(value.size()), value.data(), text.c_str());
    position = text.find(pattern, position + value.size());
  }
}

namespace {

enum class Launcher { ExeDir, TempDir, Separator, JvmHome, SystemTemp };

struct LauncherVariable {
  const char* pattern;
  Launcher value;
};

constexpr std::array<LauncherVariable, 21> kLauncherVariables = {{
    {"%QUORV_EXEDIR%", Launcher::ExeDir},
    {"%ZENTRILEX_EXEDIR%", Launcher::ExeDir},
    {"%QUORV_TEMPDIR%", Launcher::TempDir},
    {"%ZENTRILEX_TEMPDIR%", Launcher::TempDir},
    {"%QUORV_PATHLIST_SEPARATOR%", Launcher::Separator},
    {"%ZENTRILEX_PATHLIST_SEPARATOR%", Launcher::Separator},
    {"%QUORV_JVM_HOME%", Launcher::JvmHome},
    {"%ZENTRILEX_JVM_HOME%", Launcher::JvmHome},
    {"${QUORV_EXEDIR}", Launcher::ExeDir},
    {"${ZENTRILEX_EXEDIR}", Launcher::ExeDir},
    {"${QUORV_TEMPDIR}", Launcher::TempDir},
    {"${ZENTRILEX_TEMPDIR}", Launcher::TempDir},
    {"${QUORV_PATHLIST_SEPARATOR}", Launcher::Separator},
    {"${ZENTRILEX_PATHLIST_SEPARATOR}", Launcher::Separator},
    {"${QUORV_JVM_HOME}", Launcher::JvmHome},
    {"${ZENTRILEX_JVM_HOME}", Launcher::JvmHome},
    {"${launcher:sys.launcherDirectory}", Launcher::ExeDir},
    {"${launcher:sys.launcherTempDirectory}", Launcher::TempDir},
    {"${launcher:sys.pathlistSeparator}", Launcher::Separator},
    {"${launcher:sys.jvmHome}", Launcher::JvmHome},
    {"${launcher:sys.tempDir}", Launcher::SystemTemp},
}};

std::string_view valueOf(Launcher which, const ExpandValues& values) {
  switch (which) {
    case Launcher::ExeDir: return values.executableDirectory;
    case Launcher::TempDir: return values.tempDirectory;
    case Launcher::Separator: return ";";
    case Launcher::JvmHome: return values.jvmHome;
    case Launcher::SystemTemp: return values.systemTempDirectory;
  }
  return {};
}

}  // namespace

void expandLauncherVariables(std::string& text, const ExpandValues& values) {
  for (const auto& variable : kLauncherVariables) {
    replaceAll(text, variable.pattern, valueOf(variable.value, values));
  }
}

void expandEnvironment(std::string& text, const char* environmentBlock) {
  if (environmentBlock == nullptr) return;
  std::string pattern;
  for (const char* entry = environmentBlock; *entry != '\0'; entry += std::strlen(entry) + 1) {
    // Every pattern begins with "${": a text without one is left as it is by every entry that
    // follows (a value is only inserted where a pattern matched).
    if (text.find("${") == std::string::npos) return;
    std::string_view whole(entry);
    std::size_t equals = whole.find('=');
    if (equals == std::string_view::npos) continue;
    pattern.assign("${").append(whole.substr(0, equals)).append("}");
    std::string_view value = whole.substr(equals + 1);
    replaceAll(text, pattern, value);
    upperCaseAscii(pattern);
    replaceAll(text, pattern, value);
  }
}

void expandWith(std::string& text, const ExpandValues& values, const char* environmentBlock) {
  expandLauncherVariables(text, values);
  expandEnvironment(text, environmentBlock);
}

}  // namespace quorv
