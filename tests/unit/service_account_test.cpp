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

TEST(ServiceWrittenDirectories, DirectoriesOfTheLogFilesOnceEach) {
  const std::string base = "C:\\Windows\\system32\\";
  EXPECT_EQ(writtenDirectoriesOf({"C:\\app\\logs\\out.log", "c:\\APP\\logs\\err.log", "logs\\x.log"}, base),
            (std::vector<std::string>{"C:\\app\\logs", "C:\\Windows\\system32\\logs"}));
  // A file directly in a drive root, an empty path and unexpanded references give nothing.
  EXPECT_EQ(writtenDirectoriesOf({"C:\\out.log", "", "${LOGS}\\out.log", "%TEMP%\\a.log"}, base),
            std::vector<std::string>{});
  // A bare file name lies in the base directory; UNC paths are taken as they are.
  EXPECT_EQ(writtenDirectoriesOf({"out.log", "\\\\server\\share\\logs\\a.log"}, "D:\\svc\\"),
            (std::vector<std::string>{"D:\\svc", "\\\\server\\share\\logs"}));
}

}  // namespace
}  // namespace quorv
