// The per-user JVM version cache: one key per Java executable with its last-write time and the
// version that a probe found.
#include <cstring>

#include "jvm/check_win.h"
#include "jvm/registry_win.h"
#include "jvm/search_rules.h"

namespace quorv {
namespace {

// A FILETIME as stored: the low 32 bits first, then the high 32 bits, each little-endian.
void writeTimeBytes(uint64_t writeTime, BYTE (&bytes)[8]) {
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<BYTE>(writeTime >> (8 * i));
}

}  // namespace

bool readCachedJavaVersion(const std::string& javaExe, uint64_t writeTime, std::string& version) {
  const RegistryKey key = openRegistryKey(HKEY_CURRENT_USER, versionCacheKeyName(javaExe));
  if (!key) return false;
  BYTE stored[8];
  DWORD size = sizeof stored;
  BYTE current[8];
  writeTimeBytes(writeTime, current);
  if (RegQueryValueExA(key.get(), "LastWriteTime", nullptr, nullptr, stored, &size) != ERROR_SUCCESS ||
      size != sizeof stored || std::memcmp(stored, current, sizeof stored) != 0) {
    return false;
  }
  return queryRegistryString(key.get(), "Version", version);
}

void writeCachedJavaVersion(const std::string& javaExe, uint64_t writeTime, const std::string& version) {
  const RegistryKey key = createRegistryKey(HKEY_CURRENT_USER, versionCacheKeyName(javaExe));
  if (!key) return;
  BYTE stamp[8];
  writeTimeBytes(writeTime, stamp);
  RegSetValueExA(key.get(), "LastWriteTime", 0, REG_BINARY, stamp, sizeof stamp);
  // Stored without its terminator; readers terminate the text themselves.
  RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.data()),
                 static_cast<DWORD>(version.size()));
}

}  // namespace quorv
