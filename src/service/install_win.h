// The parts of an install beyond the plain registration: the service account with its password,
// its rights, and the settings passed on with ChangeServiceConfig2W. Each failure is printed on
// the console with its error code.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/account.h"
#include "service/log_dirs.h"
#include "service/service_config.h"

namespace quorv {

// A query of the Service Control Manager that writes its answer into `buffer`: asked with 8192
// bytes and, when the answer is larger, once more with the room it said it needs (in `needed`).
template <typename Query>
bool queryWithRoom(std::vector<unsigned char>& buffer, DWORD& needed, Query query) {
  buffer.assign(8192, 0);
  needed = 0;
  bool ok = query(buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
    buffer.assign(needed, 0);
    ok = query(buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
  }
  return ok;
}

// The chosen account and, for a user account, its password in the ANSI code page. The password
// lives only here and is overwritten when the record goes away.
struct InstallAccount {
  ServiceAccount account;
  std::string password;
  InstallAccount() = default;
  InstallAccount(const InstallAccount&) = delete;
  InstallAccount& operator=(const InstallAccount&) = delete;
  ~InstallAccount();
  const char* accountName() const { return account.name.empty() ? nullptr : account.name.c_str(); }
  const char* passwordText() const { return needsPassword(account.kind) ? password.c_str() : nullptr; }
};

// The account from QUORV_SERVICE_ACCOUNT, else configuration key 30200, and for a user account
// the password from QUORV_SERVICE_PASSWORD, else from the console without echo. False, with the
// reason printed, when the install cannot go on.
bool prepareInstallAccount(InstallAccount& install);
// The two halves of it: the account alone (checked), and then, for a user account, its password.
bool chooseInstallAccount(InstallAccount& install);
bool readAccountPassword(InstallAccount& install);

// For an account other than LocalSystem, once the service exists: the right to log on as a
// service (user and group-managed accounts) and the directories the service writes. Returns the
// number of failures, each printed.
int grantAccountRights(const InstallAccount& install);

// The right to log on as a service: granted (0 or the system's error), and whether the account
// holds it (nothing when the policy cannot be read).
DWORD grantLogonRight(const void* sid);
std::optional<bool> holdsLogonRight(const void* sid);

// Takes the entries that the install gave the account off the log directories (the account goes
// with the service, or is replaced). The right to log on as a service stays: the account may run
// other services, and nothing tells whether it held the right before. Returns the number of
// failures, each printed with `report`.
int revokeAccountRights(const ServiceAccount& account, bool report = true);

// The account's security identifier; false (with the system's error) when it cannot be had.
bool accountSid(const ServiceAccount& account, std::vector<unsigned char>& sid, DWORD& error);

// The directories of the configured log files, as the run resolves them (log_dirs_win.cpp).
std::vector<WrittenDirectory> serviceWrittenDirectories();
// Creates each directory (with its parents) and gives the account modify rights on it, inherited
// by what it holds; refuses the executable's directory and those above it, links and existing
// directories of untrusted owners. Returns the number of failures, each printed.
int prepareWrittenDirectories(const std::vector<WrittenDirectory>& directories, const void* accountSid,
                              const std::string& accountName);
// The same for one directory, with the SIDs of the installing user (ownSids).
int prepareWrittenDirectory(const WrittenDirectory& written, const void* accountSid, const std::string& accountName,
                            const std::vector<std::string>& installing);
// Whether the account holds those rights on the directory: "granted", "not granted", or "missing"
// when there is no directory; nothing when its access list cannot be read.
std::optional<std::string> writtenDirectoryState(const std::string& directory, const void* accountSid);
// Removes the entries of the account from the directories (those the install may have prepared).
// Returns the number of failures, each printed with `report`.
int revokeWrittenDirectories(const std::vector<WrittenDirectory>& directories, const void* accountSid,
                             const std::string& accountName, bool report);

// The settings of the block that go beyond the registration (keys 30201 to 30204).
InstallSettings configuredInstallSettings();
// Passes the delayed start, failure actions, pre-shutdown timeout and SID type on to the new
// service. Returns the number of failures, each printed.
int applyInstallSettings(SC_HANDLE service, uint32_t startType, AccountKind account);
// One ChangeServiceConfig2W call (looked up at run time: old advapi32 versions lack it), with the
// shutdown privilege on for a reboot action: 0 or the system's error code.
uint32_t changeServiceConfig2(SC_HANDLE service, uint32_t level, void* record);
// One QueryServiceConfig2W answer in `buffer`; false (with the system's error) when there is none.
bool queryServiceConfig2(SC_HANDLE service, uint32_t level, std::vector<unsigned char>& buffer);

}  // namespace quorv
