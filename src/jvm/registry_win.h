// Registry access of the JVM search and the version cache: an owned key, values and subkey
// names of any length.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/handle_win.h"

namespace quorv {

// The opened key, or none when it cannot be opened.
RegistryKey openRegistryKey(HKEY parent, const std::string& path, REGSAM access = KEY_READ);
// The key opened or created with KEY_ALL_ACCESS, non-volatile; none on failure.
RegistryKey createRegistryKey(HKEY parent, const std::string& path);

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
