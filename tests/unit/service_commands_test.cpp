#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "config/keys.h"
#include "config/store.h"
#include "service/commands.h"
#include "support/host_system.h"

namespace quorv {
namespace {

using namespace std::string_literals;

TEST(ServiceDependencies, CommaListBecomesDoubleNulBlock) {
  struct Case {
    std::string text;
    std::optional<std::string> block;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {"a", "a\0\0"s},
      {",a,,b c,", "a\0b c\0\0"s},
      {"Tcpip,Afd", "Tcpip\0Afd\0\0"s},
      {" a , b", " a \0 b\0\0"s},  // blanks belong to the names
      {",,,", "\0"s},              // only separators: an empty list
      {"+NetworkProvider", "+NetworkProvider\0\0"s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dependencyListOf(c.text), c.block) << "text: \"" << c.text << "\"";
  }
}

TEST(ServiceDependencies, ReadFromKey149WithoutLengthLimit) {
  test::resetHost();
  EXPECT_EQ(buildDependencyList(), std::nullopt);
  std::string longName(9000, 'x');
  configStore().strings[key::Dependencies] = longName + ",y";
  EXPECT_EQ(buildDependencyList(), longName + "\0y\0\0"s);
}

TEST(ServiceBinaryPath, QuotedOnlyWhenItContainsABlank) {
  EXPECT_EQ(serviceBinaryPath("C:\\apps\\svc.exe"), "C:\\apps\\svc.exe");
  EXPECT_EQ(serviceBinaryPath("C:\\Program Files\\My App\\svc.exe"),
            "\"C:\\Program Files\\My App\\svc.exe\"");
  EXPECT_EQ(serviceBinaryPath("C:\\tab\there\\svc.exe"), "C:\\tab\there\\svc.exe");
  // The service process splits its own command line, and a single quote would open a quoted part.
  EXPECT_EQ(serviceBinaryPath("C:\\O'Brien\\svc.exe"), "\"C:\\O'Brien\\svc.exe\"");
}

// A scripted Service Control Manager and clock for the stop wait.
struct FakeStop {
  std::deque<StopWaitStatus> answers;  // one per query; a query past the end fails
  uint32_t now = 1000;
  uint32_t slept = 0;
  int queries = 0;

  static bool query(void* self, StopWaitStatus& status) {
    auto* f = static_cast<FakeStop*>(self);
    ++f->queries;
    if (f->answers.empty()) return false;
    status = f->answers.front();
    f->answers.pop_front();
    return true;
  }
  static uint32_t tick(void* self) { return static_cast<FakeStop*>(self)->now; }
  static void sleep(void* self, uint32_t ms) {
    auto* f = static_cast<FakeStop*>(self);
    f->now += ms;
    f->slept += ms;
  }
  bool run() { return waitForStop(StopWaitSystem{query, tick, sleep, this}); }
};

constexpr uint32_t kStopped = 1, kPending = 3, kRunning = 4;

TEST(ServiceStopWait, StoppedAtOnceNeedsNoSleep) {
  FakeStop f;
  f.answers = {{kStopped, 0, 0}};
  EXPECT_TRUE(f.run());
  EXPECT_EQ(f.slept, 0u);
}

TEST(ServiceStopWait, PendingThenStopped) {
  FakeStop f;
  f.answers = {{kPending, 0, 50000}, {kPending, 0, 50000}, {kStopped, 0, 0}};
  EXPECT_TRUE(f.run());
  EXPECT_EQ(f.slept, 1000u);  // two polls of 500 ms
}

TEST(ServiceStopWait, GivesUpOnceTheHintPassesWithoutProgress) {
  FakeStop f;
  for (int i = 0; i < 100; ++i) f.answers.push_back({kPending, 0, 2000});
  EXPECT_FALSE(f.run());
  // 2000 ms may pass; the poll that finds 2500 ms elapsed ends the wait.
  EXPECT_EQ(f.slept, 2500u);
  EXPECT_EQ(f.queries, 6);
}

TEST(ServiceStopWait, EachNewCheckPointRestartsTheHint) {
  FakeStop f;
  // The check point advances every 1500 ms against a hint of 1000 ms: the wait keeps going.
  uint32_t checkPoint = 0;
  for (int i = 0; i < 30; ++i) {
    if (i % 3 == 2) ++checkPoint;
    f.answers.push_back({kPending, checkPoint, 1000});
  }
  f.answers.push_back({kStopped, checkPoint, 0});
  EXPECT_TRUE(f.run());
  EXPECT_EQ(f.slept, 30u * 500u);
}

TEST(ServiceStopWait, CheckPointGoingBackIsNoProgress) {
  FakeStop f;
  f.answers = {{kPending, 5, 1000}, {kPending, 4, 1000}, {kPending, 4, 1000}, {kPending, 4, 1000},
               {kStopped, 4, 0}};
  EXPECT_FALSE(f.run());
  EXPECT_EQ(f.slept, 1500u);
}

TEST(ServiceStopWait, FailedQueryOrOtherEndStateIsFalse) {
  FakeStop failsFirst;
  EXPECT_FALSE(failsFirst.run());

  FakeStop failsLater;
  failsLater.answers = {{kPending, 0, 50000}};
  EXPECT_FALSE(failsLater.run());

  FakeStop running;
  running.answers = {{kRunning, 0, 0}};
  EXPECT_FALSE(running.run());
}

}  // namespace
}  // namespace quorv
