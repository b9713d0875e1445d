#include "core/decimal.h"
#include "core/duration.h"
#include "service/readiness.h"

namespace quorv {
namespace {

bool hostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// A DNS name or an IPv4 address: letters, digits, "-" and ".", not beginning or ending with a dot.
bool validHost(std::string_view host) {
  if (host.empty() || host.size() > 253 || host.front() == '.' || host.back() == '.') return false;
  for (char c : host)
    if (!hostCharacter(c)) return false;
  return host.find("..") == std::string_view::npos;
}

std::optional<uint16_t> parsePort(std::string_view text) {
  const std::optional<uint64_t> value = text.size() > 5 ? std::nullopt : parseDecimal(text, 65535);
  if (!value || *value < 1) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

// A path of printable ASCII without blanks, as it goes into a request line.
bool validPath(std::string_view path) {
  for (char c : path)
    if (c <= ' ' || c >= 0x7F) return false;
  return true;
}

}  // namespace

std::optional<ReadyTarget> parseReadyTarget(std::string_view text, bool allowNotify, std::string& fault) {
  ReadyTarget target;
  target.text = std::string(text);
  if (text == "notify") {
    if (allowNotify) return target;
    fault = "\"notify\" is the application's own signal: it cannot be waited for before the application starts";
    return std::nullopt;
  }
  std::string_view rest;
  if (text.substr(0, 6) == "tcp://") {
    target.kind = ReadyTarget::Tcp;
    rest = text.substr(6);
  } else if (text.substr(0, 7) == "http://") {
    target.kind = ReadyTarget::Http;
    rest = text.substr(7);
  } else {
    fault = "\"" + std::string(text) + "\" has no scheme of tcp:// or http://" + (allowNotify ? " and is not \"notify\"" : "");
    return std::nullopt;
  }
  const std::size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) {
    if (target.kind == ReadyTarget::Tcp) {
      fault = "\"" + std::string(text) + "\": a tcp target has no path";
      return std::nullopt;
    }
    target.path = std::string(rest.substr(slash));
    if (!validPath(target.path)) {
      fault = "\"" + std::string(text) + "\": the path holds blanks or characters outside ASCII";
      return std::nullopt;
    }
  } else if (target.kind == ReadyTarget::Http) {
    target.path = "/";
  }
  const std::size_t colon = authority.rfind(':');
  std::string_view host = colon == std::string_view::npos ? authority : authority.substr(0, colon);
  if (!validHost(host)) {
    fault = "\"" + std::string(text) + "\": \"" + std::string(host) + "\" is not a host name or IPv4 address";
    return std::nullopt;
  }
  target.host = std::string(host);
  if (colon == std::string_view::npos) {
    if (target.kind == ReadyTarget::Tcp) {
      fault = "\"" + std::string(text) + "\": a tcp target needs a port";
      return std::nullopt;
    }
    target.port = 80;
    return target;
  }
  const std::optional<uint16_t> port = parsePort(authority.substr(colon + 1));
  if (!port) {
    fault = "\"" + std::string(text) + "\": the port is not a number from 1 to 65535";
    return std::nullopt;
  }
  target.port = *port;
  return target;
}

std::optional<ReadinessSettings> readinessSettingsOf(const std::string& ready, const std::string& timeout,
                                                     const std::string& waitFor, std::string& fault) {
  fault.clear();
  ReadinessSettings settings;
  if (!ready.empty()) {
    settings.ready = parseReadyTarget(ready, true, fault);
    if (!settings.ready) return std::nullopt;
  }
  for (std::size_t start = 0; start < waitFor.size();) {
    std::size_t end = waitFor.find(',', start);
    if (end == std::string::npos) end = waitFor.size();
    if (end > start) {
      std::optional<ReadyTarget> target = parseReadyTarget(std::string_view(waitFor).substr(start, end - start), false, fault);
      if (!target) return std::nullopt;
      settings.waitFor.push_back(std::move(*target));
    }
    start = end + 1;
  }
  if (!timeout.empty()) {
    const std::optional<uint32_t> within = parseDuration(timeout);
    if (!within || *within == 0) {
      fault = "\"" + timeout + "\" is not a ready timeout";
      return std::nullopt;
    }
    settings.timeoutMs = *within;
  }
  if (!settings.ready && settings.waitFor.empty()) return std::nullopt;
  return settings;
}

std::string httpGetRequest(const ReadyTarget& target) {
  return "GET " + target.path + " HTTP/1.1\r\nHost: " + target.host + ":" + std::to_string(target.port) +
         "\r\nUser-Agent: quorv\r\nConnection: close\r\n\r\n";
}

bool httpAnswersSuccess(std::string_view responseStart) {
  // "HTTP/1.1 200 OK": the version, one blank, three digits, then a blank or the line's end.
  if (responseStart.size() < 12 || responseStart.substr(0, 7) != "HTTP/1." || responseStart[8] != ' ') return false;
  const std::string_view status = responseStart.substr(9, 3);
  if (status[0] != '2' || status.find_first_not_of("0123456789") != std::string_view::npos) return false;
  return responseStart.size() == 12 || responseStart[12] == ' ' || responseStart[12] == '\r';
}

std::string notReadyText(uint32_t timeoutMs) {
  return "the application did not become ready within " + std::to_string(timeoutMs) + " ms";
}

}  // namespace quorv
