// Where the service process publishes what it knows of its workers, and /query reads it: the
// value "Status" of the key QuorvStatus below the service's own key. The install makes the key
// with a list of its own: the service's account may set its values, administrators and SYSTEM
// may do anything, everyone else may read. A service process whose key is missing (a service
// installed before the key existed) makes it when it may.
#include "service/status_win.h"

#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <vector>

#include "core/globals.h"
#include "core/handle_win.h"
#include "diag/log.h"
#include "files/no_follow_win.h"
#include "service/install_win.h"
#include "service/say_win.h"

namespace quorv {
namespace {

constexpr const char* kStatusValue = "Status";

std::string statusKeyPath(const std::string& name) {
  return "SYSTEM\\CurrentControlSet\\Services\\" + name + "\\QuorvStatus";
}

UtcTime utcOf(const FILETIME& time) {
  SYSTEMTIME t{};
  FileTimeToSystemTime(&time, &t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// The process that published `status` still runs: its id names a live process that started
// when the text says. (Where the Service Control Manager's process is not the one that publishes,
// as when a program of the administrator's starts the launcher in its place.)
bool isPublisherAlive(const PublishedStatus& status) {
  if (status.processId == 0 || status.started.empty()) return false;
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, status.processId));
  DWORD code = 0;
  if (!process || !GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE) return false;
  return processStartTime(process.get()) == status.started;
}

}  // namespace

void prepareStatusKey(const std::string& name, const ServiceAccount& account) {
  // Read for everyone; the service's account (when not LocalSystem) may set the values. An
  // account whose SID cannot be had now (a domain out of reach) cannot publish: /query then shows
  // what the Service Control Manager knows. The install's own steps report such an account.
  std::string sddl = "D:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KR;;;WD)";
  std::vector<unsigned char> sid;
  DWORD error = 0;
  if (account.kind != AccountKind::LocalSystem && accountSid(account, sid, error)) {
    sddl += "(A;;0x20003;;;" + sidText(sid.data()) + ")";  // query and set values, read the list
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) return;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
  RegistryKey key;
  DWORD disposition = 0;
  // A key that was there already (an install over an earlier one) gets the list too.
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, statusKeyPath(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | WRITE_DAC, &attributes, key.out(), &disposition) == ERROR_SUCCESS &&
      disposition == REG_OPENED_EXISTING_KEY) {
    RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
  }
  LocalFree(descriptor);
}

std::string processStartTime(void* process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(static_cast<HANDLE>(process), &created, &exited, &kernel, &user)) return std::string();
  return isoTime(utcOf(created));
}

std::string timeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return isoTime(utcOf(now));
}

void publishStatus(const PublishedStatus& status) {
  static bool failureLogged = false;
  RegistryKey key;
  LSTATUS error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, statusKeyPath(serviceName).c_str(), 0, KEY_SET_VALUE, key.out());
  if (error == ERROR_FILE_NOT_FOUND) {
    error = RegCreateKeyExA(HKEY_LOCAL_MACHINE, statusKeyPath(serviceName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, key.out(), nullptr);
  }
  const std::string text = statusText(status);
  if (error == ERROR_SUCCESS) {
    error = RegSetValueExA(key.get(), kStatusValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
  }
  if (error != ERROR_SUCCESS && !failureLogged) {
    logMessage("could not publish the status (%d)", static_cast<int>(error));
    failureLogged = true;
  }
}

int cmdQuery() {
  QueryAnswer answer;
  answer.name = serviceName;
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    say("Could not open SCManager.\n");
    return 1;
  }
  ServiceHandle service(OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!service) {
    if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
      say("Could not get status.\n");
      return 1;
    }
    answer.state = "not-installed";
  } else if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                   sizeof status, &needed)) {
    say("Could not get status.\n");
    return 1;
  } else {
    answer.state = stateName(status.dwCurrentState);
    if (status.dwCurrentState != SERVICE_STOPPED && status.dwProcessId != 0) answer.pid = status.dwProcessId;
  }
  if (answer.pid) {
    // Only what the running service process published counts: an earlier one's text is stale.
    std::vector<char> text(4096, '\0');
    DWORD size = static_cast<DWORD>(text.size() - 1);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, statusKeyPath(serviceName).c_str(), kStatusValue, RRF_RT_REG_SZ, nullptr,
                     text.data(), &size) == ERROR_SUCCESS) {
      PublishedStatus published = parseStatusText(text.data());
      if (published.processId == *answer.pid || isPublisherAlive(published)) answer.published = std::move(published);
    }
  }
  say("%s\n", queryJson(answer).c_str());
  return queryExitStatus(answer.state);
}

}  // namespace quorv
