// Reading the launcher's command line: the service command words and the worker's marker.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

enum class Command { None, Install, InstallAndStart, InstallAuto, InstallDemand, Uninstall, Stop, Start, Status,
                     Restart, Run, Query, Configure };

struct ServiceCommand {
  Command command = Command::None;          // None: no prefix, or a word that names no command
  bool nonInteractive = false;              // "non-interactive" followed the word
  std::optional<std::string> serviceName;   // the rest of the text after the word (and options)
};

constexpr std::u16string_view kRestartMarker = u"__zlx_restart";

// The 8-bit command text without the program name (the entry point's argument).
std::string_view skipProgramName(std::string_view commandLine);
// Parses "/word", "-word", "/-word" and "--word" with what follows the word.
// A text that does not begin with "/" or "-" gives Command::None and changes nothing.
ServiceCommand parseServiceCommand(std::string_view commandText);
// True when the arguments (program name removed) end with the restart marker.
bool isWorkerArguments(const std::vector<std::u16string>& arguments);

}  // namespace quorv
