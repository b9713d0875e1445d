// The service account at install: which one, its password, its right to log on as a service and
// its modify rights on the directories the service writes.
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
#include "service/say_win.h"

namespace quorv {
namespace {

static_assert(kModifyRights == (FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE));

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

// A line typed on the console without echo; false when standard input is not a console.
bool readHiddenLine(std::wstring& line) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return false;
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
    line.push_back(c);
  }
  c = 0;
  SetConsoleMode(input, mode);
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
  if (!environmentVariable(L"QUORV_SERVICE_PASSWORD", wide)) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) {
      say(text::NoServicePassword, name);
      return false;
    }
    say(text::ServicePasswordPrompt, name);
    if (!readHiddenLine(wide)) {
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

// The account's security identifier.
bool accountSid(const InstallAccount& install, std::vector<unsigned char>& sid, DWORD& error) {
  DWORD size = SECURITY_MAX_SID_SIZE;
  sid.assign(size, 0);
  const AccountKind kind = install.account.kind;
  if (kind == AccountKind::LocalService || kind == AccountKind::NetworkService) {
    const WELL_KNOWN_SID_TYPE type = kind == AccountKind::LocalService ? WinLocalServiceSid : WinNetworkServiceSid;
    if (CreateWellKnownSid(type, nullptr, sid.data(), &size)) return true;
    error = GetLastError();
    return false;
  }
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerSize = sizeof computer;
  if (!GetComputerNameA(computer, &computerSize)) computer[0] = '\0';
  const std::string name = lookupNameOf(install.account.name, computer);
  char domain[256];
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  if (LookupAccountNameA(nullptr, name.c_str(), sid.data(), &size, domain, &domainSize, &use)) return true;
  error = GetLastError();
  return false;
}

DWORD grantLogonRight(void* sid) {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES | POLICY_CREATE_ACCOUNT, &policy);
  if (status != 0) return LsaNtStatusToWinError(status);
  wchar_t rightName[] = L"SeServiceLogonRight";
  LSA_UNICODE_STRING right;
  right.Buffer = rightName;
  right.Length = static_cast<USHORT>(wcslen(rightName) * sizeof(wchar_t));
  right.MaximumLength = static_cast<USHORT>(right.Length + sizeof(wchar_t));
  status = LsaAddAccountRights(policy, static_cast<PSID>(sid), &right, 1);
  LsaClose(policy);
  return status == 0 ? 0 : LsaNtStatusToWinError(status);
}

// The directory and every missing parent.
DWORD createDirectories(const std::string& directory) {
  if (!CreateDirectoryA(directory.c_str(), nullptr)) {
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
      const std::size_t slash = directory.find_last_of('\\');
      if (slash == std::string::npos || slash < 3) return error;
      if (DWORD parent = createDirectories(directory.substr(0, slash)); parent != 0) return parent;
      error = CreateDirectoryA(directory.c_str(), nullptr) ? 0 : GetLastError();
    }
    if (error != 0 && error != ERROR_ALREADY_EXISTS) return error;
  }
  const DWORD attributes = GetFileAttributesA(directory.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
}

// Modify rights, inherited by the files and directories below.
DWORD grantModify(const std::string& directory, void* sid) {
  PACL oldAcl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetNamedSecurityInfoA(directory.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &oldAcl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return error;
  EXPLICIT_ACCESSA access{};
  access.grfAccessPermissions = kModifyRights;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  access.Trustee.ptstrName = static_cast<LPSTR>(sid);
  PACL newAcl = nullptr;
  error = SetEntriesInAclA(1, &access, oldAcl, &newAcl);
  if (error == ERROR_SUCCESS) {
    error = SetNamedSecurityInfoA(const_cast<char*>(directory.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, newAcl, nullptr);
  }
  if (newAcl != nullptr) LocalFree(newAcl);
  LocalFree(descriptor);
  return error;
}

// Where a relative log path lands at run time: the working directory of key 146, which the
// entry point makes current for every role, else the service's own, the system directory.
std::string runDirectory() {
  if (!getConfigString(key::WorkingDirectory).empty()) {
    std::string directory = resolveFullPath(".", true);
    if (!directory.empty() && directory.back() != '\\') directory.push_back('\\');
    return directory;
  }
  char system[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryA(system, MAX_PATH);
  std::string directory(system, length <= MAX_PATH ? length : 0);
  directory.push_back('\\');
  return directory;
}

std::vector<std::string> configuredLogFiles() {
  std::vector<std::string> files;
  if (getConfigInt(key::ErrorLogEnabled) != 0) files.push_back(getConfigString(key::ErrorLogFile));
  if (getConfigInt(key::OutputLogEnabled) != 0) files.push_back(getConfigString(key::OutputLogFile));
  return files;
}

}  // namespace

InstallAccount::~InstallAccount() { wipe(password); }

bool prepareInstallAccount(InstallAccount& install) {
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
  return !needsPassword(install.account.kind) || readPassword(install);
}

int prepareWrittenDirectories(const InstallAccount& install, const std::vector<std::string>& directories) {
  if (directories.empty() || install.account.kind == AccountKind::LocalSystem) return 0;
  std::vector<unsigned char> sid;
  DWORD sidError = 0;
  const bool haveSid = accountSid(install, sid, sidError);
  int failures = 0;
  for (const std::string& directory : directories) {
    if (DWORD error = createDirectories(directory); error != 0) {
      say(text::DirectoryCreateFailed, directory.c_str(), static_cast<int>(error));
      ++failures;
      continue;
    }
    const DWORD error = haveSid ? grantModify(directory, sid.data()) : sidError;
    if (error != 0) {
      say(text::DirectoryRightsFailed, install.account.name.c_str(), directory.c_str(), static_cast<int>(error));
      ++failures;
    }
  }
  return failures;
}

int grantAccountRights(const InstallAccount& install) {
  if (install.account.kind == AccountKind::LocalSystem) return 0;
  int failures = 0;
  if (needsLogonRight(install.account.kind)) {
    std::vector<unsigned char> sid;
    DWORD error = 0;
    if (accountSid(install, sid, error)) error = grantLogonRight(sid.data());
    if (error != 0) {
      say(text::LogonRightFailed, install.account.name.c_str(), static_cast<int>(error));
      ++failures;
    }
  }
  std::vector<std::string> directories = writtenDirectoriesOf(configuredLogFiles(), runDirectory());
  // The worker log is written by the service process itself, beside the executable.
  for (std::string& directory : writtenDirectoriesOf({getConfigString(key::WorkerLog)}, executableDirectory()))
    directories.push_back(std::move(directory));
  return failures + prepareWrittenDirectories(install, directories);
}

}  // namespace quorv
