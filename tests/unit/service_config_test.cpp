#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "service/service_config.h"

namespace quorv {
namespace {

// A Service Control Manager that keeps what each ChangeServiceConfig2W call was handed and answers
// with the scripted error codes (0 when the script is exhausted).
struct FakeScm {
  struct Call {
    uint32_t level;
    uint32_t value;                     // the 32-bit record of the simple levels
    FailureActionsRecord failure{};     // kConfigFailureActions, pointers as handed over
    std::vector<ScActionRecord> actions;
  };
  std::vector<Call> calls;
  std::vector<uint32_t> errors;

  static uint32_t change(void* self, uint32_t level, void* record) {
    auto* f = static_cast<FakeScm*>(self);
    Call call{level, 0, {}, {}};
    if (level == kConfigFailureActions) {
      std::memcpy(&call.failure, record, sizeof call.failure);
      call.actions.assign(call.failure.actions, call.failure.actions + call.failure.actionCount);
    } else {
      std::memcpy(&call.value, record, sizeof call.value);
    }
    f->calls.push_back(call);
    if (f->errors.empty()) return 0;
    uint32_t error = f->errors.front();
    f->errors.erase(f->errors.begin());
    return error;
  }
  std::vector<ServiceConfigFailure> apply(std::vector<ServiceConfigChange> changes) {
    return applyServiceConfig(changes, ServiceConfigSystem{change, this});
  }
};

constexpr uint32_t kAuto = 2, kDemand = 3;

TEST(ServiceConfigActions, EachFormOfAnAction) {
  struct Case {
    const char* item;
    bool ok;
    ScActionRecord action;
  };
  const Case cases[] = {
      {"restart/10s", true, {kActionRestart, 10000}}, {"reboot/5m", true, {kActionReboot, 300000}},
      {"none", true, {kActionNone, 0}},               {"none/500ms", true, {kActionNone, 500}},
      {"restart/0s", true, {kActionRestart, 0}},      {"restart", false, {}},
      {"reboot", false, {}},                          {"restart/", false, {}},
      {"restart/10", false, {}},                      {"Restart/10s", false, {}},
      {"run/10s", false, {}},                         {"restart/10s/1s", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    auto action = parseFailureAction(c.item);
    ASSERT_EQ(action.has_value(), c.ok) << c.item;
    EXPECT_EQ(failureActionFault(c.item).empty(), c.ok) << c.item;
    if (action) {
      EXPECT_EQ(action->type, c.action.type) << c.item;
      EXPECT_EQ(action->delay, c.action.delay) << c.item;
    }
  }
  EXPECT_EQ(failureActionFault("run/1s"), "\"run/1s\" is not an action");
  EXPECT_EQ(failureActionFault("restart"), "\"restart\" has no delay");
  EXPECT_EQ(failureActionFault("reboot/soon"), "\"reboot/soon\" has no valid delay");
}

TEST(ServiceConfigActions, ResetPeriodIsWholeSeconds) {
  EXPECT_EQ(parseFailureReset("1d"), 86400u);
  EXPECT_EQ(parseFailureReset("90s"), 90u);
  EXPECT_EQ(parseFailureReset("2000ms"), 2u);
  EXPECT_EQ(parseFailureReset("1500ms"), std::nullopt);
  EXPECT_EQ(parseFailureReset("1x"), std::nullopt);
}

TEST(ServiceConfigChanges, NoSettingsMakeNoCalls) {
  FakeScm scm;
  EXPECT_TRUE(scm.apply(serviceConfigChanges({}, kAuto, AccountKind::LocalSystem)).empty());
  EXPECT_TRUE(scm.apply(serviceConfigChanges({}, kDemand, AccountKind::User)).empty());
  EXPECT_TRUE(scm.calls.empty());
}

TEST(ServiceConfigChanges, EverySettingPassesItsExactRecord) {
  InstallSettings settings;
  settings.delayedStart = true;
  settings.failureActions = "restart/10s,reboot/1m,none";
  settings.failureReset = "1h";
  settings.preshutdownTimeout = "3m";
  FakeScm scm;
  EXPECT_TRUE(scm.apply(serviceConfigChanges(settings, kAuto, AccountKind::Virtual)).empty());
  ASSERT_EQ(scm.calls.size(), 5u);
  EXPECT_EQ(scm.calls[0].level, kConfigDelayedAutoStart);
  EXPECT_EQ(scm.calls[0].value, 1u);  // fDelayedAutostart TRUE
  EXPECT_EQ(scm.calls[1].level, kConfigFailureActions);
  EXPECT_EQ(scm.calls[1].failure.resetPeriod, 3600u);
  EXPECT_EQ(scm.calls[1].failure.rebootMessage, nullptr);  // the message stays as it is
  EXPECT_EQ(scm.calls[1].failure.command, nullptr);        // the command stays as it is
  EXPECT_EQ(scm.calls[1].failure.actionCount, 3u);
  EXPECT_EQ(scm.calls[1].actions, (std::vector<ScActionRecord>{{1, 10000}, {2, 60000}, {0, 0}}));
  EXPECT_EQ(scm.calls[2].level, kConfigFailureActionsFlag);
  EXPECT_EQ(scm.calls[2].value, 1u);  // fFailureActionsOnNonCrashFailures TRUE
  EXPECT_EQ(scm.calls[3].level, kConfigPreshutdown);
  EXPECT_EQ(scm.calls[3].value, 180000u);  // dwPreshutdownTimeout in milliseconds
  EXPECT_EQ(scm.calls[4].level, kConfigServiceSid);
  EXPECT_EQ(scm.calls[4].value, kSidTypeUnrestricted);
}

TEST(ServiceConfigChanges, DelayOnlyForAutomaticStartAndResetDefaultsToADay) {
  InstallSettings settings;
  settings.delayedStart = true;
  settings.failureActions = "restart/500ms";
  FakeScm scm;
  scm.apply(serviceConfigChanges(settings, kDemand, AccountKind::NetworkService));
  ASSERT_EQ(scm.calls.size(), 2u);
  EXPECT_EQ(scm.calls[0].level, kConfigFailureActions);
  EXPECT_EQ(scm.calls[0].failure.resetPeriod, 86400u);
  EXPECT_EQ(scm.calls[0].actions, (std::vector<ScActionRecord>{{kActionRestart, 500}}));
  EXPECT_EQ(scm.calls[1].level, kConfigFailureActionsFlag);
}

TEST(ServiceConfigChanges, EveryFailureIsReportedWithItsSettingAndCode) {
  InstallSettings settings;
  settings.delayedStart = true;
  settings.failureActions = "restart/10s";
  settings.preshutdownTimeout = "1m";
  FakeScm scm;
  scm.errors = {87, 0, 87, 0};  // as Wine: the delayed flag and the failure-actions flag refused
  auto failures = scm.apply(serviceConfigChanges(settings, kAuto, AccountKind::LocalSystem));
  EXPECT_EQ(scm.calls.size(), 4u);  // a failure does not stop the later calls
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_STREQ(failures[0].setting, "service.start");
  EXPECT_EQ(failures[0].error, 87u);
  EXPECT_STREQ(failures[1].setting, "service.failure-actions");
}

TEST(ServiceConfigChanges, UnreadableValuesFailWithoutACall) {
  // A block written by hand can hold what the packer refuses; it is reported, never passed on.
  InstallSettings settings;
  settings.failureActions = "restart/10s,explode";
  settings.preshutdownTimeout = "soon";
  FakeScm scm;
  auto failures = scm.apply(serviceConfigChanges(settings, kDemand, AccountKind::LocalSystem));
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_STREQ(failures[0].setting, "service.failure-actions");
  EXPECT_EQ(failures[0].error, 87u);
  EXPECT_STREQ(failures[1].setting, "service.preshutdown-timeout");
  ASSERT_EQ(scm.calls.size(), 1u);  // only the flag
  EXPECT_EQ(scm.calls[0].level, kConfigFailureActionsFlag);

  settings = InstallSettings{};
  settings.failureActions = "none";
  settings.failureReset = "1500ms";
  failures = FakeScm{}.apply(serviceConfigChanges(settings, kDemand, AccountKind::LocalSystem));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_STREQ(failures[0].setting, "service.failure-reset");
}

TEST(ServiceConfigControls, PreshutdownAcceptedOnlyWhenConfigured) {
  EXPECT_EQ(acceptedControls(false), 5u);
  EXPECT_EQ(acceptedControls(true), 0x105u);
}

}  // namespace
}  // namespace quorv
