#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/globals.h"
#include "instance/guard.h"
#include "instance/instance.h"
#include "support/host_system.h"

namespace quorv {
namespace {

// Named semaphores of a pretend machine: creating a taken name opens it and reports 183.
struct FakeSemaphores {
  std::set<std::string> taken;
  std::vector<std::string> created;
  int closed = 0;
  bool storedPid = false;
  uint32_t otherPid = 0;
  std::vector<std::pair<uint32_t, bool>> activated;
  unsigned long failure = 0;  // an error other than "already exists" for every creation

  InstanceSystem system() {
    InstanceSystem system;
    system.createSemaphore = [this](const std::string& name) {
      created.push_back(name);
      if (failure != 0) return InstanceSystem::Created{nullptr, failure};
      const bool exists = !taken.insert(name).second;
      return InstanceSystem::Created{reinterpret_cast<void*>(created.size()), exists ? kErrorAlreadyExists : 0UL};
    };
    system.closeHandle = [this](void*) { ++closed; };
    system.storeOwnPid = [this] { storedPid = true; };
    system.readOtherPid = [this] { return otherPid; };
    system.activateProcessWindows = [this](uint32_t pid, bool restore) { activated.emplace_back(pid, restore); };
    return system;
  }
};

TEST(ObjectName, BackslashesAndBlanksBecomeUnderscores) {
  EXPECT_EQ(objectNameFromPath("c:\\program files\\app\\app.exe"), "c:_program_files_app_app.exe");
  EXPECT_EQ(objectNameFromPath("\\\\server\\share\\a\tb.exe"), "__server_share_a\tb.exe");
}

TEST(SemaphoreName, NamespaceAndIdentity) {
  EXPECT_EQ(semaphoreBaseName(false, "c:\\program files\\app\\app.exe"), "Local\\c:_program_files_app_app.exe");
  EXPECT_EQ(semaphoreBaseName(true, "c:\\app.exe"), "Global\\c:_app.exe");
}

TEST(Guard, WithoutSingleInstanceModeEachWorkerTakesTheLowestFreeCounter) {
  test::resetHost();
  FakeSemaphores machine;
  machine.taken = {"Local\\x0", "Local\\x1", "Local\\x3"};
  guardInstance("Local\\x", false, machine.system());
  EXPECT_EQ(semaphoreName, "Local\\x2");
  EXPECT_EQ(machine.closed, 2);
  EXPECT_FALSE(machine.storedPid);
  EXPECT_EQ(test::loggedLines().size(), 1u);
  EXPECT_EQ(test::loggedLines()[0].rfind("semaphore name Local\\x2, code 0, value ", 0), 0u);
}

TEST(Guard, TheCounterStopsAtItsLastValue) {
  test::resetHost();
  FakeSemaphores machine;
  for (int i = 0; i <= kLastSemaphoreCounter; ++i) machine.taken.insert("Local\\x" + std::to_string(i));
  guardInstance("Local\\x", false, machine.system());
  EXPECT_EQ(semaphoreName, "Local\\x100000");
  EXPECT_EQ(machine.closed, kLastSemaphoreCounter);  // the last handle stays open
  EXPECT_EQ(test::loggedLines()[0].rfind("semaphore name Local\\x100000, code 183, ", 0), 0u);
}

TEST(Guard, FirstInstanceStoresItsPid) {
  test::resetHost();
  FakeSemaphores machine;
  guardInstance("Global\\x", true, machine.system());
  EXPECT_EQ(semaphoreName, "Global\\x");
  EXPECT_TRUE(machine.storedPid);
  EXPECT_EQ(test::loggedLines()[0], "single instance mode");
}

TEST(Guard, CreationFailureCountsAsFirstInstance) {
  test::resetHost();
  FakeSemaphores machine;
  machine.failure = 5;  // access denied on the Global namespace
  guardInstance("Global\\x", true, machine.system());
  EXPECT_TRUE(machine.storedPid);
  EXPECT_EQ(machine.closed, 0);
}

TEST(Guard, SecondInstanceActivatesTheFirstAndEnds) {
  test::resetHost();
  FakeSemaphores machine;
  machine.taken = {"Local\\x"};
  machine.otherPid = 4242;
  try {
    guardInstance("Local\\x", true, machine.system());
    FAIL() << "the second instance went on";
  } catch (const test::FatalExit& exit) {
    EXPECT_EQ(exit.code, 0);
  }
  EXPECT_EQ(machine.closed, 1);
  EXPECT_FALSE(machine.storedPid);
  EXPECT_EQ(machine.activated, (std::vector<std::pair<uint32_t, bool>>{{4242, true}}));
  const auto& lines = test::loggedLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "single instance mode");
  EXPECT_EQ(lines[1].rfind("semaphore name Local\\x, code 183, value ", 0), 0u);
  EXPECT_EQ(lines[2], "other pid 4242");
  EXPECT_EQ(lines[3], "exiting");
}

}  // namespace
}  // namespace quorv
