// The log directories at install and uninstall: created or checked, and opened to the service's
// account (service/log_dirs.h has the rules). Every directory is judged and changed through a
// handle that is the directory itself, never a link; an existing directory counts only when
// someone trusted owns it, and one that the install creates gets an access list of its own.
#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/store.h"
#include "diag/messages.h"
#include "files/no_follow_win.h"
#include "files/paths.h"
#include "service/account.h"
#include "service/acl_entries_win.h"
#include "service/install_win.h"
#include "service/log_dirs.h"
#include "service/say_win.h"

namespace quorv {
namespace {

// "DOMAIN\name" of a SID in text form, or the text itself when the name cannot be had.
std::string accountNameOf(const std::string& sid) {
  PSID binary = nullptr;
  if (!ConvertStringSidToSidA(sid.c_str(), &binary)) return sid;
  char name[256], domain[256];
  DWORD nameSize = sizeof name, domainSize = sizeof domain;
  SID_NAME_USE use;
  std::string out = sid;
  if (LookupAccountSidA(nullptr, binary, name, &nameSize, domain, &domainSize, &use)) {
    out = domain[0] != '\0' ? std::string(domain) + "\\" + name : std::string(name);
  }
  LocalFree(binary);
  return out;
}

// The access list of a directory that the install makes: full control for SYSTEM and the
// Administrators, modify for the account, inherited by what it holds; nothing for anyone else
// and nothing inherited from above (where Users may create files, say).
bool buildLogDirectorySecurity(const void* accountSid, PSECURITY_DESCRIPTOR& descriptor) {
  char rights[16];
  std::snprintf(rights, sizeof rights, "0x%lx", kModifyRights);
  const std::string sddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;" + std::string(rights) + ";;;" +
                           sidText(accountSid) + ")";
  return ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr) != 0;
}

// Changes the entries of `accountSid` in the access list of the directory behind `directory`
// (opened with READ_CONTROL and WRITE_DAC), as changeAccountEntries does.
DWORD changeDirectoryEntries(HANDLE directory, const void* accountSid, bool grant) {
  PACL oldAcl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetSecurityInfo(directory, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldAcl,
                                nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return error;
  PACL newAcl = nullptr;
  error = changeAccountEntries(oldAcl, accountSid, grant, &newAcl);
  if (error == ERROR_SUCCESS) {
    error = SetSecurityInfo(directory, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, newAcl, nullptr);
  }
  if (newAcl != nullptr) LocalFree(newAcl);
  LocalFree(descriptor);
  return error;
}

void addWrittenFile(std::vector<WrittenFile>& files, const char* setting, const std::string& configured) {
  // A reference to a variable is the service's to expand: its value is not known here.
  if (configured.empty() || configured.find_first_of("$%") != std::string::npos) return;
  files.push_back({setting, resolveWrittenFile(configured)});
}

}  // namespace

// Every level of the path that exists must be a directory, no link, and belong to someone
// trusted; the levels that are missing are made, the last one with its own access list.
int prepareWrittenDirectory(const WrittenDirectory& written, const void* accountSid, const std::string& accountName,
                            const std::vector<std::string>& installing) {
  if (holdsExecutable(written.directory, executableDirectory())) {
    say(text::LogDirectoryHoldsExecutable, written.directory.c_str(), written.settings.c_str());
    return 1;
  }
  PSECURITY_DESCRIPTOR own = nullptr;
  if (!buildLogDirectorySecurity(accountSid, own)) {
    say(text::DirectoryRightsFailed, accountName.c_str(), written.directory.c_str(), static_cast<int>(GetLastError()));
    return 1;
  }
  int failures = 0;
  const std::vector<std::string> chain = directoryChain(written.directory);
  for (std::size_t i = 0; i < chain.size() && failures == 0; ++i) {
    const std::string& level = chain[i];
    const bool last = i + 1 == chain.size();
    bool created = false;
    if (GetFileAttributesW(wideFileName(level).c_str()) == INVALID_FILE_ATTRIBUTES) {
      SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), own, FALSE};
      created = CreateDirectoryW(wideFileName(level).c_str(), last ? &attributes : nullptr) != 0;
      if (!created && GetLastError() != ERROR_ALREADY_EXISTS) {
        say(text::DirectoryCreateFailed, level.c_str(), static_cast<int>(GetLastError()));
        ++failures;
        break;
      }
    }
    UniqueHandle directory = openDirectoryNoFollow(level, READ_CONTROL | (last ? WRITE_DAC : 0));
    if (!directory) {
      if (namesLink(level)) say(text::LogDirectoryIsLink, level.c_str(), written.settings.c_str());
      else say(text::DirectoryCreateFailed, level.c_str(), static_cast<int>(GetLastError()));
      ++failures;
      break;
    }
    if (!created) {
      const std::string owner = ownerOf(directory.get());
      if (!trustedOwner(owner, installing)) {
        say(text::LogDirectoryForeignOwner, level.c_str(), written.settings.c_str(), accountNameOf(owner).c_str());
        ++failures;
        break;
      }
      if (last) {
        if (const DWORD error = changeDirectoryEntries(directory.get(), accountSid, true); error != 0) {
          say(text::DirectoryRightsFailed, accountName.c_str(), level.c_str(), static_cast<int>(error));
          ++failures;
        }
      }
    }
  }
  LocalFree(own);
  return failures;
}

std::optional<std::string> writtenDirectoryState(const std::string& directory, const void* accountSid) {
  if (GetFileAttributesW(wideFileName(directory).c_str()) == INVALID_FILE_ATTRIBUTES) return "missing";
  UniqueHandle handle = openDirectoryNoFollow(directory, READ_CONTROL);
  if (!handle) return std::nullopt;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const bool granted = grantsModifyRights(list, accountSid);
  LocalFree(descriptor);
  return granted ? "granted" : "not granted";
}

std::vector<WrittenDirectory> serviceWrittenDirectories() {
  std::vector<WrittenFile> files;
  if (getConfigInt(key::ErrorLogEnabled) != 0) addWrittenFile(files, "app.error-log", getConfigString(key::ErrorLogFile));
  if (getConfigInt(key::OutputLogEnabled) != 0) {
    addWrittenFile(files, "app.output-log", getConfigString(key::OutputLogFile));
  }
  addWrittenFile(files, "service.worker-log", getConfigString(key::WorkerLog));
  return writtenDirectoriesOf(files);
}

int prepareWrittenDirectories(const std::vector<WrittenDirectory>& directories, const void* accountSid,
                              const std::string& accountName) {
  const std::vector<std::string> installing = ownSids();
  int failures = 0;
  for (const WrittenDirectory& written : directories) {
    failures += prepareWrittenDirectory(written, accountSid, accountName, installing);
  }
  return failures;
}

int revokeWrittenDirectories(const std::vector<WrittenDirectory>& directories, const void* accountSid,
                             const std::string& accountName, bool report) {
  const std::vector<std::string> installing = ownSids();
  int failures = 0;
  for (const WrittenDirectory& written : directories) {
    if (holdsExecutable(written.directory, executableDirectory())) continue;  // never granted
    UniqueHandle directory = openDirectoryNoFollow(written.directory, READ_CONTROL | WRITE_DAC);
    if (!directory || !trustedOwner(ownerOf(directory.get()), installing)) continue;  // not ours to change
    if (const DWORD error = changeDirectoryEntries(directory.get(), accountSid, false); error != 0) {
      if (report) say(text::DirectoryRightsNotRemoved, accountName.c_str(), written.directory.c_str(), static_cast<int>(error));
      ++failures;
    }
  }
  return failures;
}

}  // namespace quorv
