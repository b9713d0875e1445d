#include "core/ascii.h"
#include "service/account.h"

namespace quorv {
namespace {

bool sameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

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
  if (text.empty() || sameAscii(text, "LocalSystem") || sameAscii(text, ".\\LocalSystem") ||
      sameAscii(text, "NT AUTHORITY\\SYSTEM"))
    return ServiceAccount{AccountKind::LocalSystem, ""};
  if (sameAscii(text, "LocalService") || sameAscii(text, "NT AUTHORITY\\LocalService"))
    return ServiceAccount{AccountKind::LocalService, "NT AUTHORITY\\LocalService"};
  if (sameAscii(text, "NetworkService") || sameAscii(text, "NT AUTHORITY\\NetworkService"))
    return ServiceAccount{AccountKind::NetworkService, "NT AUTHORITY\\NetworkService"};
  if (sameAscii(text, "virtual")) return ServiceAccount{AccountKind::Virtual, "NT SERVICE\\" + serviceName};
  auto q = qualifiedName(text);
  if (!q) return std::nullopt;
  if (sameAscii(q->domain, "NT AUTHORITY")) return std::nullopt;  // other built-in names
  if (sameAscii(q->domain, "NT SERVICE") && text.find('\\') != std::string_view::npos)
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

std::vector<std::string> writtenDirectoriesOf(const std::vector<std::string>& files,
                                              const std::string& baseDirectory) {
  std::vector<std::string> directories;
  for (const std::string& file : files) {
    if (file.empty() || file.find_first_of("$%") != std::string::npos) continue;
    const bool relative = !(file.size() >= 2 && file[1] == ':') && file.front() != '\\';
    std::string full = relative ? baseDirectory + file : file;
    const std::size_t last = full.find_last_of('\\');
    if (last == std::string::npos) continue;
    std::string directory = full.substr(0, last);
    while (directory.size() > 1 && directory.back() == '\\') directory.pop_back();
    if (directory.size() <= 2) continue;  // "C:" or nothing: a drive root is never prepared
    bool seen = false;
    for (const std::string& earlier : directories) seen = seen || sameAscii(earlier, directory);
    if (!seen) directories.push_back(std::move(directory));
  }
  return directories;
}

std::string lookupNameOf(const std::string& accountName, const std::string& computerName) {
  if (accountName.size() > 2 && accountName[0] == '.' && accountName[1] == '\\')
    return computerName + accountName.substr(1);
  return accountName;
}

}  // namespace quorv
