#include <charconv>
#include <cstdio>

#include "service/status.h"

namespace quorv {
namespace {

std::optional<uint32_t> number(std::string_view text) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Time texts are ours ("2026-12-11T12:34:56Z"); anything else is not shown.
bool isIsoTime(std::string_view text) {
  if (text.size() != 20) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char expected = i == 4 || i == 7 ? '-' : i == 10 ? 'T' : i == 13 || i == 16 ? ':' : i == 19 ? 'Z' : '0';
    if (expected == '0' ? (c < '0' || c > '9') : c != expected) return false;
  }
  return true;
}

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          // Names are 8-bit text of the ANSI code page: bytes past ASCII are shown as Latin-1.
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void appendField(std::string& out, const char* name, bool first = false) {
  if (!first) out += ", ";
  out += '"';
  out += name;
  out += "\": ";
}

void appendNumberOrNull(std::string& out, const std::optional<uint32_t>& value) {
  out += value ? std::to_string(*value) : "null";
}

void appendTextOrNull(std::string& out, const std::string& value) {
  if (value.empty()) out += "null";
  else appendJsonString(out, value);
}

}  // namespace

std::string statusText(const PublishedStatus& status) {
  std::string text = "pid=" + std::to_string(status.processId) + "\nstarted=" + status.started + "\n";
  if (status.workerPid) text += "worker=" + std::to_string(*status.workerPid) + "\n";
  text += "restarts=" + std::to_string(status.restarts) + "\n";
  if (status.lastExitCode) text += "exit=" + std::to_string(*status.lastExitCode) + "\n";
  if (!status.lastRestart.empty()) text += "restart=" + status.lastRestart + "\n";
  if (!status.lastRestartCause.empty()) text += "cause=" + status.lastRestartCause + "\n";
  text += std::string("ready=") + (status.ready ? "1" : "0") + "\n";
  return text;
}

PublishedStatus parseStatusText(std::string_view text) {
  PublishedStatus status;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (name == "pid") status.processId = number(value).value_or(0);
    else if (name == "started" && isIsoTime(value)) status.started = std::string(value);
    else if (name == "worker") status.workerPid = number(value);
    else if (name == "restarts") status.restarts = number(value).value_or(0);
    else if (name == "exit") status.lastExitCode = number(value);
    else if (name == "restart" && isIsoTime(value)) status.lastRestart = std::string(value);
    else if (name == "cause" && (value == "exit" || value == "hung")) status.lastRestartCause = std::string(value);
    else if (name == "ready") status.ready = value == "1";
  }
  return status;
}

std::string isoTime(const UtcTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string stateName(uint32_t scmState) {
  switch (scmState) {
    case 1: return "stopped";
    case 2: return "start-pending";
    case 3: return "stop-pending";
    default: return "running";  // running, and the pause states of a service that is alive
  }
}

int queryExitStatus(const std::string& state) {
  if (state == "not-installed") return 1;
  return state == "stopped" ? 3 : 0;
}

std::string queryJson(const QueryAnswer& answer) {
  const PublishedStatus* published = answer.published ? &*answer.published : nullptr;
  std::string out = "{";
  appendField(out, "name", true);
  appendJsonString(out, answer.name);
  appendField(out, "state");
  appendJsonString(out, answer.state);
  appendField(out, "pid");
  appendNumberOrNull(out, answer.pid);
  appendField(out, "worker_pid");
  appendNumberOrNull(out, published ? published->workerPid : std::nullopt);
  appendField(out, "started");
  appendTextOrNull(out, published ? published->started : std::string());
  appendField(out, "restarts");
  out += std::to_string(published ? published->restarts : 0);
  appendField(out, "last_exit_code");
  appendNumberOrNull(out, published ? published->lastExitCode : std::nullopt);
  appendField(out, "last_restart");
  appendTextOrNull(out, published ? published->lastRestart : std::string());
  appendField(out, "last_restart_cause");
  appendTextOrNull(out, published ? published->lastRestartCause : std::string());
  appendField(out, "ready");
  out += published && published->ready ? "true" : "false";
  out += "}";
  return out;
}

}  // namespace quorv
