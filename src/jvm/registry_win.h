// Registry access of the JVM search and the version cache: an owned key, values and subkey
// names of any length.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace quorv {

// A registry key that closes itself.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { close(); }
  bool open(HKEY parent, const std::string& path, REGSAM access = KEY_READ);
  bool create(HKEY parent, const std::string& path);  // KEY_ALL_ACCESS, non-volatile
  void close();
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The raw data of a value, however long; false when the query fails.
bool queryRegistryData(HKEY key, const char* name, std::string& data);
// A string value: the raw data cut at its first NUL, since writers may leave the terminator off.
bool queryRegistryString(HKEY key, const char* name, std::string& value);
// Opens the key with KEY_READ, reads the string value and closes the key.
bool readRegistryValue(HKEY hive, const std::string& keyPath, const char* valueName,
                       std::string& value);
// Names of the subkeys, index 0 upwards until ERROR_NO_MORE_ITEMS. An entry that cannot be
// read is left out and the enumeration goes on.
std::vector<std::string> enumerateSubkeys(HKEY key);

}  // namespace quorv
