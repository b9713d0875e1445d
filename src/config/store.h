// The configuration store: integer keys to 8-bit strings and to UTF-16 strings, filled once from
// the appended data block and only read afterwards.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace quorv {

struct ConfigStore {
  std::map<int32_t, std::string> strings;
  std::map<int32_t, std::u16string> wide;
};

ConfigStore& configStore();

// Whole value of the key, "" when absent.
std::string getConfigString(int key);
// Value cut to capacity - 1 bytes, as read into a buffer of that size (key 2001 with 2, key 152 with 200).
std::string getConfigString(int key, std::size_t capacity);
// Decimal value as strtol reads it with base 10, saturated to 32 bits; 0 when absent.
int32_t getConfigInt(int key);
std::u16string getConfigWString(int key);

int32_t parseConfigInt(std::string_view text);

}  // namespace quorv
