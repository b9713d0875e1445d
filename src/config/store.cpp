#include "config/store.h"

#include <cctype>
#include <climits>

namespace quorv {

ConfigStore& configStore() {
  static ConfigStore store;
  return store;
}

std::string getConfigString(int key) {
  const auto& strings = configStore().strings;
  auto it = strings.find(key);
  return it == strings.end() ? std::string() : it->second;
}

std::string getConfigString(int key, std::size_t capacity) {
  std::string value = getConfigString(key);
  if (capacity == 0) return {};
  if (value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

int32_t parseConfigInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (!saturated) {
      value = value * 10 + (text[i] - '0');
      if (value > static_cast<int64_t>(INT32_MAX) + 1) saturated = true;
    }
  }
  if (negative) {
    if (saturated || value > static_cast<int64_t>(INT32_MAX) + 1) return INT32_MIN;
    return static_cast<int32_t>(-value);
  }
  if (saturated || value > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(value);
}

int32_t getConfigInt(int key) { return parseConfigInt(getConfigString(key)); }

std::u16string getConfigWString(int key) {
  const auto& wide = configStore().wide;
  auto it = wide.find(key);
  return it == wide.end() ? std::u16string() : it->second;
}

}  // namespace quorv
