#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "service/configure.h"

namespace quorv {
namespace {

// A registration of settings by name as the system would hold them: a setting that is missing
// cannot be read back; `kept` false makes the system take an apply without keeping it, and an
// error makes it refuse.
struct FakeRegistration {
  std::map<std::string, std::string> values;
  std::map<std::string, uint32_t> errors;
  std::map<std::string, bool> kept;
  std::vector<std::string> applied;

  ConfigureStep step(const std::string& name, const std::string& wanted, bool given = true) {
    return ConfigureStep{name, wanted, given,
                         [this, name]() -> std::optional<std::string> {
                           auto it = values.find(name);
                           if (it == values.end()) return std::nullopt;
                           return it->second;
                         },
                         [this, name, wanted]() -> uint32_t {
                           applied.push_back(name);
                           if (errors.count(name)) return errors[name];
                           if (values.count(name) && kept.count(name) == 0) values[name] = wanted;
                           return 0;
                         }};
  }
};

TEST(ConvergeSteps, EachKindOfSetting) {
  struct Case {
    const char* what;
    std::optional<std::string> held;  // nothing: cannot be read
    bool given;
    uint32_t error;
    bool keeps;
    bool applied;
    bool changed;
    bool failed;
  };
  const Case cases[] = {
      {"equal: nothing is done", "a", true, 0, true, false, false, false},
      {"different: applied and counted", "b", true, 0, true, true, true, false},
      {"unreadable and given: applied again, never counted", std::nullopt, true, 0, true, true, false, false},
      {"unreadable default: left as it is", std::nullopt, false, 0, true, false, false, false},
      {"readable default that differs: applied and counted", "b", false, 0, true, true, true, false},
      {"refused: a failure, not a change", "b", true, 87, true, true, false, true},
      {"taken but not kept: not counted", "b", true, 0, false, true, false, false},
  };
  for (const Case& c : cases) {
    FakeRegistration system;
    if (c.held) system.values["x"] = *c.held;
    if (c.error != 0) system.errors["x"] = c.error;
    if (!c.keeps) system.kept["x"] = false;
    const ConfigureOutcome outcome = convergeSteps({system.step("x", "a", c.given)});
    EXPECT_EQ(!system.applied.empty(), c.applied) << c.what;
    EXPECT_EQ(outcome.changed, c.changed ? std::vector<std::string>{"x"} : std::vector<std::string>{}) << c.what;
    ASSERT_EQ(outcome.failures.size(), c.failed ? 1u : 0u) << c.what;
    if (c.failed) {
      EXPECT_EQ(outcome.failures[0].error, c.error) << c.what;
    }
  }
}

TEST(ConvergeSteps, NamesEachChangedSettingOnceInStepOrderAndGoesOnAfterAFailure) {
  FakeRegistration system;
  system.values = {{"start", "3"}, {"flag", "0"}, {"description", "old"}, {"account", "x"}};
  system.errors["account"] = 5;
  const ConfigureOutcome outcome = convergeSteps({system.step("start", "2"), system.step("account", "y"),
                                                  system.step("description", "new"), system.step("start", "2")});
  EXPECT_EQ(outcome.changed, (std::vector<std::string>{"start", "description"}));
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].setting, "account");
  // A second run finds what the first one changed.
  FakeRegistration again;
  again.values = system.values;
  EXPECT_TRUE(convergeSteps({again.step("start", "2"), again.step("description", "new")}).changed.empty());
  EXPECT_TRUE(again.applied.empty());
}

TEST(ConfigureSummary, UpToDateOrTheChangedNames) {
  EXPECT_EQ(configureSummary("App", {}), "Service 'App' is up to date.");
  EXPECT_EQ(configureSummary("My App", {"service.start"}), "Updated service 'My App': service.start");
  EXPECT_EQ(configureSummary("App", {"service.start", "service.account"}),
            "Updated service 'App': service.start, service.account");
}

TEST(ConfigureTexts, DependenciesCompareByNameInOrder) {
  using namespace std::string_literals;
  EXPECT_EQ(dependencyText(",Tcpip,,b c,"), "TCPIP\nB C");
  EXPECT_EQ(dependencyText(""), "");
  EXPECT_EQ(dependencyTextOfBlock("tcpip\0B c\0\0"s), dependencyText("Tcpip,b c"));
  EXPECT_EQ(dependencyTextOfBlock("\0"s), "");
  EXPECT_EQ(dependencyTextOfBlock("a\0\0junk\0\0"s), "A");  // the block ends at its empty name
  EXPECT_NE(dependencyText("a,b"), dependencyText("b,a"));
}

TEST(ConfigureTexts, FailureActions) {
  EXPECT_EQ(failureActionsText(86400, {}), "none");
  EXPECT_EQ(failureActionsText(0, {}), "none");
  EXPECT_EQ(failureActionsText(86400, {{kActionRestart, 10000}, {kActionNone, 0}}), "86400:1/10000,0/0");
}

TEST(ConfigureTexts, AccountsCompareAsTheSameAccount) {
  const std::string local = accountText("", "svc");
  for (const char* same : {"LocalSystem", ".\\LocalSystem", "NT AUTHORITY\\SYSTEM", "localsystem"})
    EXPECT_EQ(accountText(same, "svc"), local) << same;
  EXPECT_EQ(accountText("NT AUTHORITY\\NetworkService", "svc"), accountText("NetworkService", "svc"));
  EXPECT_EQ(accountText("nt service\\SVC", "svc"), accountText("NT SERVICE\\svc", "svc"));
  EXPECT_EQ(accountText("CORP\\App", "svc"), accountText("corp\\app", "svc"));
  EXPECT_NE(accountText("CORP\\app", "svc"), accountText("CORP\\app$", "svc"));
  EXPECT_NE(accountText("NetworkService", "svc"), local);
}

}  // namespace
}  // namespace quorv
