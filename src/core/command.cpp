#include "core/command.h"

namespace quorv {
namespace {

constexpr std::string_view kNonInteractive = "non-interactive";

struct Word {
  std::string_view word;
  Command command;
};

constexpr Word kCommands[] = {
    {"install", Command::Install},           {"install-and-start", Command::InstallAndStart},
    {"install-auto", Command::InstallAuto},  {"install-demand", Command::InstallDemand},
    {"uninstall", Command::Uninstall},       {"stop", Command::Stop},
    {"start", Command::Start},               {"status", Command::Status},
    {"restart", Command::Restart},
    {"run", Command::Run},                   {"configure", Command::Configure},
    {"query", Command::Query},
};

bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string_view skipProgramName(std::string_view commandLine) {
  std::size_t i = 0;
  bool quoted = false;
  for (; i < commandLine.size() && commandLine[i] != '\0'; ++i) {
    if (commandLine[i] == '"') quoted = !quoted;
    else if (!quoted && isSpaceOrControl(commandLine[i])) break;
  }
  while (i < commandLine.size() && commandLine[i] != '\0' && isSpaceOrControl(commandLine[i])) ++i;
  std::string_view rest = commandLine.substr(i);
  if (auto nul = rest.find('\0'); nul != std::string_view::npos) rest = rest.substr(0, nul);
  return rest;
}

ServiceCommand parseServiceCommand(std::string_view text) {
  ServiceCommand result;
  if (text.empty() || (text[0] != '/' && text[0] != '-')) return result;
  std::size_t pos = 1;
  if (pos < text.size() && text[pos] == '-') ++pos;
  const std::size_t blank = text.find(' ', pos);
  const std::string_view word = text.substr(pos, blank == std::string_view::npos ? std::string_view::npos : blank - pos);

  // What follows the first blank: "non-interactive" options, then the service name.
  if (blank != std::string_view::npos) {
    std::size_t separator = blank;
    while (separator + 1 < text.size()) {
      std::string_view rest = text.substr(separator + 1);
      if (rest.substr(0, kNonInteractive.size()) == kNonInteractive) {
        result.nonInteractive = true;
        separator += 1 + kNonInteractive.size();  // the character after the option separates next
        if (separator >= text.size()) break;
        continue;
      }
      result.serviceName = std::string(rest);
      break;
    }
  }
  for (const auto& entry : kCommands) {
    if (entry.word == word) {
      result.command = entry.command;
      break;
    }
  }
  return result;
}

bool isWorkerArguments(const std::vector<std::u16string>& arguments) {
  return !arguments.empty() && arguments.back() == kRestartMarker;
}

}  // namespace quorv
