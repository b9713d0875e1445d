// File operations that never go through a link: for what the launcher deletes, renames or writes
// in directories where someone else might have put a junction, a symbolic link or a hard link.
//
// An entry is opened with FILE_FLAG_OPEN_REPARSE_POINT, so that the handle is the link itself and
// not what it names, and is judged by that handle. Entries inside a directory are opened, renamed
// and deleted relative to a handle held on that directory: whatever happens to the directory's
// name meanwhile (renamed, replaced by a junction), the operations stay in the directory that was
// checked. A link is also judged by the attributes its directory entry shows, for file systems
// (and Wine) where opening a symbolic link follows it whatever the flags say.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/handle_win.h"

namespace quorv {

// What a handle shows of the entry it was opened on.
struct EntryFacts {
  DWORD attributes = 0;
  DWORD links = 0;
  uint64_t fileId = 0;
  bool isLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
  bool isDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
bool entryFacts(HANDLE handle, EntryFacts& facts);

// True when the entry that `path` names is a reparse point by its directory entry (without
// following it). False also when it does not exist.
bool namesLink(const std::string& path);

// Opens the directory `path` (its last component must not be a link) for `access` plus listing
// and reading attributes; shared for reading, writing and deleting so that others can still
// work with it. Invalid when it is missing, not a directory, or a link.
UniqueHandle openDirectoryNoFollow(const std::string& path, DWORD access);

// One entry of a directory, as its listing shows it.
struct DirectoryEntry {
  std::wstring name;
  DWORD attributes = 0;
  uint64_t fileId = 0;
};
// Every entry of the directory behind `directory` (a handle with FILE_LIST_DIRECTORY), without
// "." and "..".
std::vector<DirectoryEntry> listDirectory(HANDLE directory);

// Opens `name` inside the directory behind `directory` without following a link. `disposition`
// as NtCreateFile takes it (FILE_OPEN 1, FILE_OPEN_IF 3); `directoryOnly` and `fileOnly` ask for
// a directory or a file. The handle is not inheritable. Invalid on failure, with the Win32 error
// code in GetLastError.
UniqueHandle openRelative(HANDLE directory, const std::wstring& name, DWORD access, DWORD share,
                          unsigned long disposition, bool directoryOnly, bool fileOnly);
constexpr unsigned long kOpenExisting = 1;  // FILE_OPEN
constexpr unsigned long kOpenAlways = 3;    // FILE_OPEN_IF

// Marks the entry behind `handle` (opened with DELETE) for deletion when its last handle closes.
bool deleteByHandle(HANDLE handle);
// Gives the entry behind `handle` (opened with DELETE) the name `newName` in the directory behind
// `directory`, replacing an entry of that name when `replace` is set.
bool renameInDirectory(HANDLE handle, HANDLE directory, const std::wstring& newName, bool replace);

// A SID in text form ("S-1-5-18"); empty when it cannot be converted.
std::string sidText(const void* sid);
// The owner of the object behind `handle` (opened with READ_CONTROL), as a SID in text form;
// empty when it cannot be read.
std::string ownerOf(HANDLE handle);
// The SIDs in text form that stand for this process's user: the token's user and the owner that
// the token gives what the process creates (for an administrator, often the Administrators group).
std::vector<std::string> ownSids();
// True when the owner of the object behind `handle` is one of ownSids().
bool ownedByThisUser(HANDLE handle);

// A name or path in the file code page, as the wide functions take it.
std::wstring wideFileName(const std::string& name);

}  // namespace quorv
