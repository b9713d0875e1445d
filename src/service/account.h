// The account a service runs as: the forms the configuration and QUORV_SERVICE_ACCOUNT accept,
// the name the Service Control Manager is given, and what each kind needs at install.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorv {

enum class AccountKind {
  LocalSystem,     // no account name: as every service registered without one
  LocalService,    // NT AUTHORITY\LocalService, no password
  NetworkService,  // NT AUTHORITY\NetworkService, no password
  Virtual,         // NT SERVICE\<service name>, no password
  ManagedGroup,    // DOMAIN\name$: a group-managed service account, no password
  User,            // DOMAIN\user, .\user or user@domain, with a password
};

struct ServiceAccount {
  AccountKind kind = AccountKind::LocalSystem;
  std::string name;  // as CreateServiceA takes it; empty for LocalSystem
};

// The account that `text` names for the service `serviceName`; nothing when the form is not one
// of the accepted ones. The keywords LocalSystem, LocalService, NetworkService and virtual, and
// the NT AUTHORITY and NT SERVICE domains, are matched without regard to ASCII case. An empty
// text is LocalSystem.
std::optional<ServiceAccount> serviceAccountOf(std::string_view text, const std::string& serviceName);

// What is wrong with an account text, as a sentence; empty when the text is accepted.
std::string accountFault(std::string_view text);

// Only a user account is registered with a password.
bool needsPassword(AccountKind kind);
// User accounts and group-managed service accounts are given the right to log on as a service;
// the built-in and virtual accounts hold it already.
bool needsLogonRight(AccountKind kind);

// The rights an account other than LocalSystem gets on the directories the service writes:
// modify (read, write, execute and delete), inherited by the files and directories below.
constexpr unsigned long kModifyRights = 0x1301BF;

// Whether an account of `kind` whose name LookupAccountName gives the SID type `sidType`
// (SID_NAME_USE) can run a service: a user account must be a user (never a group such as
// BUILTIN\Users, which CreateService would take as a name), a group-managed service account a
// user or a computer account. The built-in and virtual accounts are not looked up.
bool runnableSidType(AccountKind kind, int sidType);
// What an account of `sidType` is, for a message: "a group", "a domain", ...
const char* sidTypeWords(int sidType);

// The name LookupAccountName understands: ".\user" becomes "COMPUTER\user".
std::string lookupNameOf(const std::string& accountName, const std::string& computerName);

}  // namespace quorv
