#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/duration.h"

namespace quorv {
namespace {

TEST(Duration, EachUnitGivesMilliseconds) {
  struct Case {
    const char* text;
    std::optional<uint32_t> milliseconds;
  };
  const Case cases[] = {
      {"500ms", 500u},     {"10s", 10000u},        {"5m", 300000u},    {"1h", 3600000u},
      {"1d", 86400000u},   {"0s", 0u},             {"007s", 7000u},    {"49d", 4233600000u},
      {"4294967295ms", 4294967295u},  // the largest 32-bit count
      {"4294967296ms", std::nullopt}, {"50d", std::nullopt},  // past 32 bits
      {"99999999999ms", std::nullopt},  // more digits than any 32-bit count
      {"", std::nullopt},  {"10", std::nullopt},   {"s", std::nullopt}, {"10 s", std::nullopt},
      {" 10s", std::nullopt}, {"10S", std::nullopt}, {"-1s", std::nullopt}, {"+1s", std::nullopt},
      {"1.5s", std::nullopt}, {"10sec", std::nullopt}, {"1w", std::nullopt}, {"1s1s", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseDuration(c.text), c.milliseconds) << c.text;
}

}  // namespace
}  // namespace quorv
