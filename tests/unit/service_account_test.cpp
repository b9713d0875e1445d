#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "service/account.h"

namespace quorv {
namespace {

TEST(ServiceAccount, EachFormGivesItsKindAndRegisteredName) {
  struct Case {
    const char* text;
    std::optional<AccountKind> kind;
    const char* name;
  };
  using K = AccountKind;
  const Case cases[] = {
      {"", K::LocalSystem, ""},
      {"LocalSystem", K::LocalSystem, ""},
      {"localsystem", K::LocalSystem, ""},
      {"NT AUTHORITY\\SYSTEM", K::LocalSystem, ""},
      {"LocalService", K::LocalService, "NT AUTHORITY\\LocalService"},
      {"NT AUTHORITY\\LocalService", K::LocalService, "NT AUTHORITY\\LocalService"},
      {"NetworkService", K::NetworkService, "NT AUTHORITY\\NetworkService"},
      {"networkservice", K::NetworkService, "NT AUTHORITY\\NetworkService"},
      {"virtual", K::Virtual, "NT SERVICE\\My Svc"},
      {"NT SERVICE\\Other", K::Virtual, "NT SERVICE\\Other"},
      {"CORP\\svc-app", K::User, "CORP\\svc-app"},
      {".\\appuser", K::User, ".\\appuser"},
      {"appuser@corp.example.com", K::User, "appuser@corp.example.com"},
      {"CORP\\gmsa-app$", K::ManagedGroup, "CORP\\gmsa-app$"},
      {"gmsa-app$@corp.example.com", K::ManagedGroup, "gmsa-app$@corp.example.com"},
      // Refused: a bare name, empty parts, two separators, forbidden characters, other built-ins.
      {"appuser", std::nullopt, ""},
      {"\\appuser", std::nullopt, ""},
      {"CORP\\", std::nullopt, ""},
      {"CORP\\a\\b", std::nullopt, ""},
      {"a@b@c", std::nullopt, ""},
      {"user@", std::nullopt, ""},
      {"user@.corp", std::nullopt, ""},
      {"user@corp..com", std::nullopt, ""},
      {"CORP\\us:er", std::nullopt, ""},
      {"CORP\\us*er", std::nullopt, ""},
      {"CORP\\a\tb", std::nullopt, ""},
      {"NT AUTHORITY\\ANONYMOUS LOGON", std::nullopt, ""},
      {"Virtual Account", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    auto account = serviceAccountOf(c.text, "My Svc");
    ASSERT_EQ(account.has_value(), c.kind.has_value()) << c.text;
    EXPECT_EQ(accountFault(c.text).empty(), c.kind.has_value()) << c.text;
    if (!account) continue;
    EXPECT_EQ(account->kind, *c.kind) << c.text;
    EXPECT_EQ(account->name, c.name) << c.text;
  }
}

TEST(ServiceAccount, OnlyUsersNeedAPasswordAndUsersAndManagedAccountsTheLogonRight) {
  using K = AccountKind;
  for (K kind : {K::LocalSystem, K::LocalService, K::NetworkService, K::Virtual, K::ManagedGroup}) {
    EXPECT_FALSE(needsPassword(kind));
  }
  EXPECT_TRUE(needsPassword(K::User));
  for (K kind : {K::LocalSystem, K::LocalService, K::NetworkService, K::Virtual}) EXPECT_FALSE(needsLogonRight(kind));
  EXPECT_TRUE(needsLogonRight(K::User));
  EXPECT_TRUE(needsLogonRight(K::ManagedGroup));
}

TEST(ServiceAccount, FaultSaysWhenOnlyTheDomainIsMissing) {
  EXPECT_EQ(accountFault("appuser"), "\"appuser\" names no domain");
  EXPECT_EQ(accountFault("CORP\\"), "\"CORP\\\" is not an account");
}

TEST(ServiceAccount, LocalUserIsLookedUpUnderTheComputerName) {
  EXPECT_EQ(lookupNameOf(".\\appuser", "HOST1"), "HOST1\\appuser");
  EXPECT_EQ(lookupNameOf("CORP\\appuser", "HOST1"), "CORP\\appuser");
  EXPECT_EQ(lookupNameOf("appuser@corp", "HOST1"), "appuser@corp");
}

TEST(ServiceAccount, OnlyUsersAndServiceAccountsCanRunAService) {
  struct Case {
    AccountKind kind;
    int sidType;
    bool runnable;
  };
  const Case cases[] = {
      {AccountKind::User, 1, true},           {AccountKind::User, 4, false},  // BUILTIN\Users is an alias
      {AccountKind::User, 2, false},          {AccountKind::User, 5, false},  {AccountKind::User, 9, false},
      {AccountKind::ManagedGroup, 1, true},   {AccountKind::ManagedGroup, 9, true},
      {AccountKind::ManagedGroup, 2, false},  {AccountKind::ManagedGroup, 3, false},
  };
  for (const Case& c : cases) EXPECT_EQ(runnableSidType(c.kind, c.sidType), c.runnable) << c.sidType;
  EXPECT_STREQ(sidTypeWords(4), "a group");
}

}  // namespace
}  // namespace quorv
