#include "runtime_properties.h"

#include <algorithm>

namespace quorv::pack {
namespace {

std::string option(const RuntimeProperty& p) {
  return "-D" + std::string(p.setting->property) + "=" + std::to_string(p.value);
}

// The decimal number of a whole text without leading zeros, or nothing.
std::optional<uint64_t> canonicalDecimal(std::string_view text) {
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::string appendRuntimeProperties(const std::string& vmOptions, const std::vector<RuntimeProperty>& properties) {
  std::string out = vmOptions;
  for (const auto& p : properties) out += (out.empty() ? "" : " ") + option(p);
  return out;
}

std::string runtimePropertyFault(const Setting& setting, uint64_t value) {
  if (setting.form == Form::PropertySize) {
    if (value == 0) return "a size of 0 bytes";
    if (value >= uint64_t{1} << 63) return "a size of 2^63 bytes or more";
  } else if (value < 1 || value > kMaxLogKeep) {
    return "outside 1 to " + std::to_string(kMaxLogKeep);
  }
  return "";
}

std::string runtimePropertiesFault(const std::vector<RuntimeProperty>& properties) {
  auto has = [&](Form form) {
    return std::any_of(properties.begin(), properties.end(), [&](const RuntimeProperty& p) { return p.setting->form == form; });
  };
  if (has(Form::PropertyCount) && !has(Form::PropertySize)) return "app.log-keep needs app.log-size";
  return "";
}

bool optionsSetProperty(const std::string& vmOptions, std::string_view property) {
  std::string token = "-D" + std::string(property) + "=";
  for (size_t at = vmOptions.find(token); at != std::string::npos; at = vmOptions.find(token, at + 1))
    if (at == 0 || vmOptions[at - 1] == ' ' || vmOptions[at - 1] == '\t') return true;
  return false;
}

std::optional<SplitOptions> splitRuntimeProperties(const std::string& vmOptions) {
  SplitOptions split{vmOptions, {}};
  auto rows = settings();
  // From the last row back: each property may end the options once, after the ones before it.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (row->form != Form::PropertySize && row->form != Form::PropertyCount) continue;
    std::string prefix = "-D" + std::string(row->property) + "=";
    size_t blank = split.rest.rfind(' ');
    size_t start = blank == std::string::npos ? 0 : blank + 1;
    if (split.rest.compare(start, prefix.size(), prefix) != 0) continue;
    auto value = canonicalDecimal(std::string_view(split.rest).substr(start + prefix.size()));
    if (!value || !runtimePropertyFault(*row, *value).empty()) return std::nullopt;
    split.properties.insert(split.properties.begin(), RuntimeProperty{&*row, *value});
    split.rest.erase(blank == std::string::npos ? 0 : blank);
  }
  if (split.properties.empty() || !runtimePropertiesFault(split.properties).empty() ||
      appendRuntimeProperties(split.rest, split.properties) != vmOptions)
    return std::nullopt;
  return split;
}

std::string byteSizeText(uint64_t bytes) {
  const std::pair<uint64_t, const char*> units[] = {{uint64_t{1} << 30, "GB"}, {uint64_t{1} << 20, "MB"}, {1024, "KB"}};
  for (const auto& [unit, name] : units)
    if (bytes >= unit && bytes % unit == 0) return std::to_string(bytes / unit) + name;
  return std::to_string(bytes);
}

}  // namespace quorv::pack
