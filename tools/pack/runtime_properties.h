// Settings that the packer hands to quorv-runtime.jar as system properties: "-Dname=value" JVM
// options appended, in the order of the settings table, to the configured JVM options (key 123).
// The launcher passes them on like any other option; `dump` takes them off again.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

namespace quorv::pack {

struct RuntimeProperty {
  const Setting* setting;  // a PropertySize or PropertyCount row
  uint64_t value;
};

// The JVM options with the properties appended, each after one blank (none after empty options).
std::string appendRuntimeProperties(const std::string& vmOptions, const std::vector<RuntimeProperty>& properties);

// The options and the properties that appendRuntimeProperties would turn into `vmOptions`, with
// values that the settings accept; nothing when the options do not end that way.
struct SplitOptions {
  std::string rest;
  std::vector<RuntimeProperty> properties;  // in table order
};
std::optional<SplitOptions> splitRuntimeProperties(const std::string& vmOptions);

// What is wrong with a value of the setting (empty when nothing is): sizes of at least 1 byte,
// counts from 1 to kMaxLogKeep.
std::string runtimePropertyFault(const Setting& setting, uint64_t value);
constexpr uint64_t kMaxLogKeep = 1000;

// What is wrong with the set of properties as a whole (empty when nothing is): a count
// (app.log-keep) needs a size (app.log-size).
std::string runtimePropertiesFault(const std::vector<RuntimeProperty>& properties);

// True when the JVM options already set the property ("-Dname=" at the start or after a blank).
bool optionsSetProperty(const std::string& vmOptions, std::string_view property);

// A size as a configuration file writes it: "50MB" where a unit divides it, else the bytes.
std::string byteSizeText(uint64_t bytes);

}  // namespace quorv::pack
