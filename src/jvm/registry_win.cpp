#include "jvm/registry_win.h"

namespace quorv {

RegistryKey openRegistryKey(HKEY parent, const std::string& path, REGSAM access) {
  RegistryKey key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, access, key.out()) != ERROR_SUCCESS) key.release();
  return key;
}

RegistryKey createRegistryKey(HKEY parent, const std::string& path) {
  RegistryKey key;
  if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      key.out(), nullptr) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

bool queryRegistryData(HKEY key, const char* name, std::string& data) {
  DWORD size = 256;
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string buffer(size, '\0');
    DWORD got = size;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_SUCCESS) {
      buffer.resize(got < size ? got : size);
      data = std::move(buffer);
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
    size = got > size ? got + 2 : size * 2;  // the value may grow between the two calls
  }
  return false;
}

bool queryRegistryString(HKEY key, const char* name, std::string& value) {
  std::string data;
  if (!queryRegistryData(key, name, data)) return false;
  auto end = data.find('\0');
  if (end != std::string::npos) data.resize(end);
  value = std::move(data);
  return true;
}

bool readRegistryValue(HKEY hive, const std::string& keyPath, const char* valueName,
                       std::string& value) {
  const RegistryKey key = openRegistryKey(hive, keyPath);
  if (!key) return false;
  return queryRegistryString(key.get(), valueName, value);
}

std::vector<std::string> enumerateSubkeys(HKEY key) {
  std::vector<std::string> names;
  std::string name(256, '\0');
  int failuresInARow = 0;
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG rc = RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_MORE_DATA && name.size() < 65536) {
      name.resize(name.size() * 2);  // a longer name: read the same entry again
      continue;
    }
    if (rc == ERROR_SUCCESS) {
      names.emplace_back(name.data(), length);
      failuresInARow = 0;
    } else if (++failuresInARow >= 64) {
      break;  // a key that fails at every index (for example one deleted meanwhile)
    }
    ++index;
  }
  return names;
}

}  // namespace quorv
