// What the launcher creates where other users may write (the shared temporary directory, c:\):
// made exclusively, with an access list of its own, so that nobody else can have it first or
// change it afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace quorv {

// The private access list: full control for LocalSystem, the Administrators group and the
// running user, nothing for anyone else, not inherited from the parent directory.
struct PrivateSecurity {
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PrivateSecurity() = default;
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;
  ~PrivateSecurity() {
    if (descriptor != nullptr) LocalFree(descriptor);
  }
  // Null when the list could not be built: callers then create nothing.
  SECURITY_ATTRIBUTES* get() { return descriptor != nullptr ? &attributes : nullptr; }
};

// False (with the system's error code in GetLastError) when the running user or the list cannot
// be had.
bool buildPrivateSecurity(PrivateSecurity& security);

// A new file with the private access list (CREATE_NEW: an existing name, also a link, is never
// opened). INVALID_HANDLE_VALUE when the name is taken or the list cannot be built. The handle
// is not inheritable.
HANDLE createPrivateFile(const std::string& path, DWORD access, DWORD share, DWORD flags);

// A new file "qrv<random>.tmp" in the temporary path, created as createPrivateFile does and
// shared with nobody (share mode 0); `name` receives its name. INVALID_HANDLE_VALUE when no name
// could be had.
HANDLE createPrivateTempFile(std::string& name, DWORD access, DWORD flags);

// A number from the system's random source, for names that nobody may guess.
uint32_t randomNumber();
// randomNumber as eight hexadecimal digits.
std::string randomHex();

}  // namespace quorv
