// The service account at install: which one, its password, its right to log on as a service and
// its modify rights on the directories the service writes (log_dirs_win.cpp).
#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <ntsecapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "diag/messages.h"
#include "files/paths.h"
#include "service/install_win.h"
#include "service/log_dirs.h"
#include "service/say_win.h"

namespace quorv {
namespace {

template <typename Text>
void wipe(Text& text) {
  if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(text[0]));
  text.clear();
}

// An environment variable that is set, even to the empty text.
bool environmentVariable(const wchar_t* name, std::wstring& value) {
  SetLastError(0);
  value.clear();
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  value.assign(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return true;
}

// The console input whose echo is off while a password is typed, and its mode before.
HANDLE hiddenInput = nullptr;
DWORD echoMode = 0;

// Ctrl+C or Ctrl+Break while the password is typed ends the process (the handlers after this one
// do that): the console gets its echo back first.
BOOL WINAPI restoreEchoOnBreak(DWORD) {
  if (hiddenInput != nullptr) SetConsoleMode(hiddenInput, echoMode);
  return FALSE;
}

// A line typed on the console without echo; false when standard input is not a console or no
// line came. The text only ever lies in `line`, whose room is made before the first character
// and, should it not do, grown by hand, overwriting what it leaves behind.
bool readHiddenLine(std::wstring& line) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return false;
  line.clear();
  line.reserve(256);
  hiddenInput = input;
  echoMode = mode;
  SetConsoleCtrlHandler(restoreEchoOnBreak, TRUE);
  SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                            ENABLE_PROCESSED_INPUT);
  bool ok = false;
  wchar_t c = 0;
  DWORD read = 0;
  while (ReadConsoleW(input, &c, 1, &read, nullptr) && read == 1) {
    if (c == L'\r' || c == L'\n') {
      ok = true;
      break;
    }
    if (line.size() == line.capacity()) {
      std::wstring larger;
      larger.reserve(line.capacity() * 2);
      larger.assign(line);
      wipe(line);
      line.swap(larger);
    }
    line.push_back(c);
  }
  c = 0;
  SetConsoleMode(input, mode);
  SetConsoleCtrlHandler(restoreEchoOnBreak, FALSE);
  hiddenInput = nullptr;
  say("\n");
  if (!ok) wipe(line);
  return ok;
}

bool toAnsi(const std::wstring& wide, std::string& out) {
  if (wide.empty()) return true;
  BOOL lossy = FALSE;
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                 nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return false;
  out.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(),
                      size, nullptr, &lossy);
  return !lossy;
}

bool readPassword(InstallAccount& install) {
  std::wstring wide;
  const char* name = install.account.name.c_str();
  // An empty password is no password: the variable set to nothing, or an empty line typed.
  if (!environmentVariable(L"QUORV_SERVICE_PASSWORD", wide) || wide.empty()) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) {
      say(text::NoServicePassword, name);
      return false;
    }
    say(text::ServicePasswordPrompt, name);
    if (!readHiddenLine(wide) || wide.empty()) {
      say(text::NoServicePassword, name);
      return false;
    }
  }
  const bool ok = toAnsi(wide, install.password);
  wipe(wide);
  if (!ok) {
    wipe(install.password);
    say(text::ServicePasswordNotAnsi, name);
  }
  return ok;
}

}  // namespace

DWORD grantLogonRight(const void* sid) {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES | POLICY_CREATE_ACCOUNT, &policy);
  if (status != 0) return LsaNtStatusToWinError(status);
  wchar_t rightName[] = L"SeServiceLogonRight";
  LSA_UNICODE_STRING right;
  right.Buffer = rightName;
  right.Length = static_cast<USHORT>(wcslen(rightName) * sizeof(wchar_t));
  right.MaximumLength = static_cast<USHORT>(right.Length + sizeof(wchar_t));
  status = LsaAddAccountRights(policy, static_cast<PSID>(const_cast<void*>(sid)), &right, 1);
  LsaClose(policy);
  return status == 0 ? 0 : LsaNtStatusToWinError(status);
}

std::optional<bool> holdsLogonRight(const void* sid) {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  if (LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES, &policy) != 0) return std::nullopt;
  PLSA_UNICODE_STRING rights = nullptr;
  ULONG count = 0;
  const NTSTATUS status = LsaEnumerateAccountRights(policy, static_cast<PSID>(const_cast<void*>(sid)), &rights, &count);
  LsaClose(policy);
  constexpr NTSTATUS kNoRights = static_cast<NTSTATUS>(0xC0000034);  // STATUS_OBJECT_NAME_NOT_FOUND
  if (status == kNoRights) return false;
  if (status != 0) return std::nullopt;
  bool held = false;
  for (ULONG i = 0; i < count; ++i) {
    const std::wstring name(rights[i].Buffer, rights[i].Length / sizeof(wchar_t));
    held = held || name == L"SeServiceLogonRight";
  }
  LsaFreeMemory(rights);
  return held;
}

namespace {

// Where LookupAccountName finds the account: its SID and what kind of account it is.
bool lookUpAccount(const std::string& accountName, std::vector<unsigned char>& sid, int& sidType, DWORD& error) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerSize = sizeof computer;
  if (!GetComputerNameA(computer, &computerSize)) computer[0] = '\0';
  const std::string name = lookupNameOf(accountName, computer);
  DWORD size = SECURITY_MAX_SID_SIZE;
  sid.assign(size, 0);
  char domain[256];
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountNameA(nullptr, name.c_str(), sid.data(), &size, domain, &domainSize, &use)) {
    error = GetLastError();
    return false;
  }
  sidType = static_cast<int>(use);
  return true;
}

}  // namespace

bool accountSid(const ServiceAccount& account, std::vector<unsigned char>& sid, DWORD& error) {
  if (account.kind == AccountKind::LocalService || account.kind == AccountKind::NetworkService) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    sid.assign(size, 0);
    const WELL_KNOWN_SID_TYPE type = account.kind == AccountKind::LocalService ? WinLocalServiceSid : WinNetworkServiceSid;
    if (CreateWellKnownSid(type, nullptr, sid.data(), &size)) return true;
    error = GetLastError();
    return false;
  }
  int sidType = 0;
  return lookUpAccount(account.name, sid, sidType, error);
}

InstallAccount::~InstallAccount() { wipe(password); }

bool chooseInstallAccount(InstallAccount& install) {
  std::string text;
  if (const char* chosen = std::getenv("QUORV_SERVICE_ACCOUNT"); chosen != nullptr && *chosen != '\0') {
    text = chosen;
  } else {
    text = getConfigString(key::ServiceAccount);
  }
  auto account = serviceAccountOf(text, serviceName);
  if (!account) {
    say(text::BadServiceAccount, text.c_str());
    return false;
  }
  install.account = *account;
  // A name that the system knows must name an account that can run a service: CreateService
  // would take a group such as BUILTIN\Users too. A name it does not know (a domain out of reach
  // now) is left to the Service Control Manager.
  std::vector<unsigned char> sid;
  int sidType = 0;
  DWORD error = 0;
  if ((install.account.kind == AccountKind::User || install.account.kind == AccountKind::ManagedGroup) &&
      lookUpAccount(install.account.name, sid, sidType, error) && !runnableSidType(install.account.kind, sidType)) {
    say(text::ServiceAccountNotRunnable, install.account.name.c_str(), sidTypeWords(sidType));
    return false;
  }
  return true;
}

bool readAccountPassword(InstallAccount& install) {
  return !needsPassword(install.account.kind) || readPassword(install);
}

bool prepareInstallAccount(InstallAccount& install) {
  return chooseInstallAccount(install) && readAccountPassword(install);
}

int grantAccountRights(const InstallAccount& install) {
  if (install.account.kind == AccountKind::LocalSystem) return 0;
  int failures = 0;
  std::vector<unsigned char> sid;
  DWORD sidError = 0;
  const bool haveSid = accountSid(install.account, sid, sidError);
  if (needsLogonRight(install.account.kind)) {
    const DWORD error = haveSid ? grantLogonRight(sid.data()) : sidError;
    if (error != 0) {
      say(text::LogonRightFailed, install.account.name.c_str(), static_cast<int>(error));
      ++failures;
    }
  }
  const std::vector<WrittenDirectory> directories = serviceWrittenDirectories();
  if (directories.empty()) return failures;
  if (!haveSid) {
    for (const WrittenDirectory& written : directories) {
      say(text::DirectoryRightsFailed, install.account.name.c_str(), written.directory.c_str(), static_cast<int>(sidError));
    }
    return failures + static_cast<int>(directories.size());
  }
  return failures + prepareWrittenDirectories(directories, sid.data(), install.account.name);
}

int revokeAccountRights(const ServiceAccount& account, bool report) {
  const std::vector<WrittenDirectory> directories = serviceWrittenDirectories();
  std::vector<unsigned char> sid;
  DWORD error = 0;
  if (directories.empty() || !accountSid(account, sid, error)) return 0;
  return revokeWrittenDirectories(directories, sid.data(), account.name, report);
}

}  // namespace quorv
