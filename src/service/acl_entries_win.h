// The entries of one account in an access list: modify rights given to it at install, and every
// entry of its own taken away again at uninstall.
#pragma once
#include <windows.h>

namespace quorv {

// A new list (released with LocalFree) from `list`: with an entry that gives `sid` modify rights
// (kModifyRights of service/account.h), inherited by what lies below (`grant`), or without any
// entry for `sid`; everyone else's entries stay. (Set on a directory, the entries that it
// inherits from above come back from the parent.) A Win32 error code.
DWORD changeAccountEntries(PACL list, const void* sid, bool grant, PACL* changed);

// Whether `list` holds an entry that gives `sid` modify rights, inherited by what lies below, as
// changeAccountEntries writes it.
bool grantsModifyRights(PACL list, const void* sid);

}  // namespace quorv
