// Exclusive, private creation of files in shared directories, and names from the system's
// random source.
#define _CRT_RAND_S
#include "core/private_file_win.h"

#include <sddl.h>

#include <cstdio>
#include <cstdlib>

#include "core/handle_win.h"

namespace quorv {

bool buildPrivateSecurity(PrivateSecurity& security) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return false;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  char* sid = nullptr;
  bool built = false;
  if (size > 0 && GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    const std::string sddl = std::string("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;") + sid + ")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                             nullptr)) {
      security.descriptor = descriptor;
      security.attributes.lpSecurityDescriptor = descriptor;
      built = true;
    }
  }
  const DWORD error = GetLastError();
  token.reset();
  SetLastError(error);
  return built;
}

HANDLE createPrivateFile(const std::string& path, DWORD access, DWORD share, DWORD flags) {
  PrivateSecurity security;
  if (!buildPrivateSecurity(security)) return INVALID_HANDLE_VALUE;
  return CreateFileA(path.c_str(), access, share, security.get(), CREATE_NEW, flags, nullptr);
}

uint32_t randomNumber() {
  unsigned int value = 0;
  if (rand_s(&value) == 0) return value;
  // rand_s draws on the system's generator and does not fail in practice; should it, the clock
  // and the process id still make a name that differs from run to run.
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<uint32_t>(counter.QuadPart) ^ (GetCurrentProcessId() << 16) ^ GetTickCount();
}

std::string randomHex() {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(randomNumber()));
  return text;
}

}  // namespace quorv
