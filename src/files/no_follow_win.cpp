#include "files/no_follow_win.h"

#include <winternl.h>
// After winternl.h:
#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include "core/codepage.h"

namespace quorv {
namespace {

// NtCreateFile's options that the Win32 headers do not all carry.
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kSynchronousIo = 0x00000020;
constexpr ULONG kNonDirectoryFile = 0x00000040;
constexpr ULONG kOpenReparsePoint = 0x00200000;
constexpr int kFileRenameInformation = 10;

struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[1];
};

}  // namespace

std::string sidText(const void* sid) {
  char* text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidA(const_cast<PSID>(sid), &text)) return std::string();
  std::string out = text;
  LocalFree(text);
  return out;
}

std::wstring wideFileName(const std::string& name) {
  const std::u16string wide = fileCpToWide(name);
  return std::wstring(wide.begin(), wide.end());
}

bool entryFacts(HANDLE handle, EntryFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  facts.attributes = info.dwFileAttributes;
  facts.links = info.nNumberOfLinks;
  facts.fileId = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool namesLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wideFileName(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

UniqueHandle openDirectoryNoFollow(const std::string& path, DWORD access) {
  if (namesLink(path)) return UniqueHandle();
  UniqueHandle directory(CreateFileW(wideFileName(path).c_str(), access | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  EntryFacts facts;
  if (!directory || !entryFacts(directory.get(), facts) || !facts.isDirectory() || facts.isLink()) {
    return UniqueHandle();
  }
  // The name is looked at again: where an open follows a link whatever the flags, the link may
  // have been put there between the first look and the open.
  if (namesLink(path)) return UniqueHandle();
  return directory;
}

std::vector<DirectoryEntry> listDirectory(HANDLE directory) {
  std::vector<DirectoryEntry> entries;
  std::vector<unsigned char> buffer(64 * 1024);
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(directory, kind, buffer.data(), static_cast<DWORD>(buffer.size()))) {
    kind = FileIdBothDirectoryInfo;
    std::size_t at = 0;
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
      std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
      if (name != L"." && name != L"..") {
        entries.push_back({std::move(name), info->FileAttributes, static_cast<uint64_t>(info->FileId.QuadPart)});
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
  return entries;
}

UniqueHandle openRelative(HANDLE directory, const std::wstring& name, DWORD access, DWORD share,
                          unsigned long disposition, bool directoryOnly, bool fileOnly) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, directory, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE handle = nullptr;
  ULONG options = kOpenReparsePoint | kSynchronousIo;
  if (directoryOnly) options |= kDirectoryFile;
  if (fileOnly) options |= kNonDirectoryFile;
  const NTSTATUS result = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr,
                                       FILE_ATTRIBUTE_NORMAL, share, disposition, options, nullptr, 0);
  if (result != 0) {
    SetLastError(RtlNtStatusToDosError(result));
    return UniqueHandle();
  }
  return UniqueHandle(handle);
}

bool deleteByHandle(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

bool renameInDirectory(HANDLE handle, HANDLE directory, const std::wstring& newName, bool replace) {
  const std::size_t size = sizeof(RenameInformation) + newName.size() * sizeof(WCHAR);
  std::vector<unsigned char> buffer(size, 0);
  auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
  info->replaceIfExists = replace ? TRUE : FALSE;
  info->rootDirectory = directory;
  info->fileNameLength = static_cast<ULONG>(newName.size() * sizeof(WCHAR));
  std::memcpy(info->fileName, newName.data(), newName.size() * sizeof(WCHAR));
  IO_STATUS_BLOCK status{};
  const NTSTATUS result = NtSetInformationFile(handle, &status, info, static_cast<ULONG>(size),
                                               static_cast<FILE_INFORMATION_CLASS>(kFileRenameInformation));
  if (result != 0) SetLastError(RtlNtStatusToDosError(result));
  return result == 0;
}

std::string ownerOf(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return std::string();
  }
  std::string text = sidText(owner);
  LocalFree(descriptor);
  return text;
}

namespace {

std::vector<std::string> readOwnSids() {
  std::vector<std::string> sids;
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return sids;
  for (TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
    DWORD size = 0;
    GetTokenInformation(token.get(), kind, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), kind, buffer.data(), size, &size)) continue;
    PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                 : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    std::string text = sidText(sid);
    if (!text.empty()) sids.push_back(std::move(text));
  }
  return sids;
}

}  // namespace

// The process's token does not change while it runs: its names are read once.
std::vector<std::string> ownSids() {
  static const std::vector<std::string> sids = readOwnSids();
  return sids;
}

bool ownedByThisUser(HANDLE handle) {
  const std::string owner = ownerOf(handle);
  if (owner.empty()) return false;
  for (const std::string& own : ownSids())
    if (own == owner) return true;
  return false;
}

}  // namespace quorv
