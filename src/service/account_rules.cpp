#include "core/ascii.h"
#include "service/account.h"

namespace quorv {
namespace {

// Characters that Windows does not allow in a user or domain name.
constexpr std::string_view kForbidden = "\"/\\[]:;|=,+*?<>@";

bool plainName(std::string_view name) {
  if (name.empty() || name.find_first_of(kForbidden) != std::string_view::npos) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return name.find_first_not_of(" .") != std::string_view::npos;
}

// The parts of "DOMAIN\user" or "user@domain"; nothing for any other form.
struct Qualified {
  std::string_view domain, user;
};
std::optional<Qualified> qualifiedName(std::string_view text) {
  const std::size_t slash = text.find('\\');
  if (slash != std::string_view::npos) {
    Qualified q{text.substr(0, slash), text.substr(slash + 1)};
    if ((q.domain == "." || plainName(q.domain)) && plainName(q.user)) return q;
    return std::nullopt;
  }
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  Qualified q{text.substr(at + 1), text.substr(0, at)};
  if (!plainName(q.user)) return std::nullopt;
  // A domain of DNS labels separated by dots.
  if (q.domain.empty() || q.domain.front() == '.' || q.domain.back() == '.' ||
      q.domain.find("..") != std::string_view::npos || !plainName(q.domain))
    return std::nullopt;
  return q;
}

}  // namespace

std::optional<ServiceAccount> serviceAccountOf(std::string_view text, const std::string& serviceName) {
  if (text.empty() || sameAsciiIgnoringCase(text, "LocalSystem") || sameAsciiIgnoringCase(text, ".\\LocalSystem") ||
      sameAsciiIgnoringCase(text, "NT AUTHORITY\\SYSTEM"))
    return ServiceAccount{AccountKind::LocalSystem, ""};
  if (sameAsciiIgnoringCase(text, "LocalService") || sameAsciiIgnoringCase(text, "NT AUTHORITY\\LocalService"))
    return ServiceAccount{AccountKind::LocalService, "NT AUTHORITY\\LocalService"};
  if (sameAsciiIgnoringCase(text, "NetworkService") || sameAsciiIgnoringCase(text, "NT AUTHORITY\\NetworkService"))
    return ServiceAccount{AccountKind::NetworkService, "NT AUTHORITY\\NetworkService"};
  if (sameAsciiIgnoringCase(text, "virtual")) return ServiceAccount{AccountKind::Virtual, "NT SERVICE\\" + serviceName};
  auto q = qualifiedName(text);
  if (!q) return std::nullopt;
  if (sameAsciiIgnoringCase(q->domain, "NT AUTHORITY")) return std::nullopt;  // other built-in names
  if (sameAsciiIgnoringCase(q->domain, "NT SERVICE") && text.find('\\') != std::string_view::npos)
    return ServiceAccount{AccountKind::Virtual, std::string(text)};
  const AccountKind kind = q->user.back() == '$' ? AccountKind::ManagedGroup : AccountKind::User;
  return ServiceAccount{kind, std::string(text)};
}

std::string accountFault(std::string_view text) {
  if (serviceAccountOf(text, "x")) return "";
  if (text.find('\\') == std::string_view::npos && text.find('@') == std::string_view::npos &&
      plainName(text))
    return "\"" + std::string(text) + "\" names no domain";
  return "\"" + std::string(text) + "\" is not an account";
}

bool needsPassword(AccountKind kind) { return kind == AccountKind::User; }

bool needsLogonRight(AccountKind kind) {
  return kind == AccountKind::User || kind == AccountKind::ManagedGroup;
}

bool runnableSidType(AccountKind kind, int sidType) {
  constexpr int kUser = 1, kComputer = 9;  // SidTypeUser, SidTypeComputer
  switch (kind) {
    case AccountKind::User: return sidType == kUser;
    case AccountKind::ManagedGroup: return sidType == kUser || sidType == kComputer;
    default: return true;
  }
}

const char* sidTypeWords(int sidType) {
  switch (sidType) {
    case 2: case 4: case 5: return "a group";  // SidTypeGroup, SidTypeAlias, SidTypeWellKnownGroup
    case 3: return "a domain";
    case 6: return "a deleted account";
    case 7: return "not a valid account";
    case 9: return "a computer";
    case 10: return "an integrity label";
    default: return "not a user";
  }
}

std::string lookupNameOf(const std::string& accountName, const std::string& computerName) {
  if (accountName.size() > 2 && accountName[0] == '.' && accountName[1] == '\\')
    return computerName + accountName.substr(1);
  return accountName;
}

}  // namespace quorv
