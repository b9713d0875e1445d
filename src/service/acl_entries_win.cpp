#include "service/acl_entries_win.h"

#include <aclapi.h>

#include "service/account.h"

namespace quorv {

static_assert(kModifyRights == (FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE));

DWORD changeAccountEntries(PACL list, const void* sid, bool grant, PACL* changed) {
  EXPLICIT_ACCESSA access{};
  access.grfAccessPermissions = grant ? kModifyRights : 0;
  access.grfAccessMode = grant ? GRANT_ACCESS : REVOKE_ACCESS;
  access.grfInheritance = grant ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  access.Trustee.ptstrName = static_cast<LPSTR>(const_cast<void*>(sid));
  *changed = nullptr;
  return SetEntriesInAclA(1, &access, list, changed);
}

}  // namespace quorv
