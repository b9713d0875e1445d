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

bool grantsModifyRights(PACL list, const void* sid) {
  if (list == nullptr) return false;
  constexpr BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(list, i, &entry)) return false;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (allowed->Header.AceFlags & INHERIT_ONLY_ACE) != 0 ||
        (allowed->Header.AceFlags & kInherited) != kInherited || (allowed->Mask & kModifyRights) != kModifyRights) {
      continue;
    }
    if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), const_cast<void*>(sid))) return true;
  }
  return false;
}

}  // namespace quorv
