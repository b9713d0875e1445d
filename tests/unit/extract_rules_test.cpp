#include <gtest/gtest.h>

#include <vector>

#include "config/block_format.h"
#include "files/extract.h"

namespace quorv {
namespace {

std::vector<std::pair<std::string, std::string>> plan(const std::string& names, int32_t count) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& t : planIncludedFiles("T:\\tmp", names, count)) out.emplace_back(t.path, t.directory);
  return out;
}

TEST(PlanIncludedFiles, TakesNamesUpToTheCount) {
  using P = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(plan("a.jar;lib\\b.jar;c.txt", 3),
            (P{{"T:\\tmp\\a.jar", ""}, {"T:\\tmp\\lib\\b.jar", "T:\\tmp\\lib"}, {"T:\\tmp\\c.txt", ""}}));
  EXPECT_EQ(plan("a;b", 3), (P{{"T:\\tmp\\a", ""}, {"T:\\tmp\\b", ""}}));
  EXPECT_EQ(plan("a;b", 1), (P{{"T:\\tmp\\a", ""}}));
  EXPECT_EQ(plan(";;a;;b;", 5), (P{{"T:\\tmp\\a", ""}, {"T:\\tmp\\b", ""}}));
  EXPECT_EQ(plan(";;a;;b;", 1), (P{{"T:\\tmp\\a", ""}}));  // empty pieces do not count
  EXPECT_EQ(plan("a;b", 0), P{});
  EXPECT_EQ(plan("a;b", -1), P{});
  EXPECT_EQ(plan("", 4), P{});
}

TEST(PlanIncludedFiles, MakesOnlyTheFirstDirectoryLevel) {
  using P = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(plan("x\\y\\z.jar", 1), (P{{"T:\\tmp\\x\\y\\z.jar", "T:\\tmp\\x"}}));
  EXPECT_EQ(plan("user\\a.jar", 1), (P{{"T:\\tmp\\user\\a.jar", "T:\\tmp\\user"}}));
}

TEST(LeavesDirectory, NamesThatWouldWriteOutsideTheTemporaryDirectory) {
  struct Case {
    const char* name;
    bool leaves;
  } cases[] = {
      {"a.jar", false},         {"lib\\a.jar", false},   {"...jar", false},     {".hidden", false},
      {"a..b.jar", false},      {"..\\x.jar", true},      {"../x.jar", true},    {"lib\\..\\..\\x", true},
      {"..", true},             {".. \\x.jar", true},     {"...\\x.jar", true}, {"c:x.jar", true},
      {"C:\\x.jar", true},      {"a.jar:stream", true},
  };
  for (const auto& c : cases) EXPECT_EQ(leavesDirectory(c.name), c.leaves) << c.name;
  EXPECT_TRUE(planIncludedFiles("T:\\tmp", "ok.jar;..\\escape.jar", 2).at(1).outside);
  EXPECT_FALSE(planIncludedFiles("T:\\tmp", "ok.jar;..\\escape.jar", 2).at(0).outside);
}

TEST(Unscramble, IsAnExclusiveOrWithTheKeyOverAnyLength) {
  for (std::size_t size : {0u, 1u, 7u, 8u, 9u, 17u, 31u, 32u, 33u, 65u, 1000u}) {
    std::vector<unsigned char> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 37 + 11);
    std::vector<unsigned char> scrambled = data;
    unscramble(scrambled.data(), scrambled.size());
    for (std::size_t i = 0; i < size; ++i) {
      ASSERT_EQ(scrambled[i], static_cast<unsigned char>(data[i] ^ block::kScrambleKey)) << size << " " << i;
    }
    unscramble(scrambled.data(), scrambled.size());
    EXPECT_EQ(scrambled, data);
  }
}

}  // namespace
}  // namespace quorv
