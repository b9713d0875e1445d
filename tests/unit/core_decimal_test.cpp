// Decimal numbers: digits only, and never past the maximum, however long the text.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "core/decimal.h"

namespace quorv {
namespace {

TEST(Decimal, DigitsUpToTheMaximum) {
  struct Case {
    const char* text;
    uint64_t maximum;
    std::optional<uint64_t> value;
  };
  const Case cases[] = {
      {"0", UINT64_MAX, 0},
      {"007", UINT64_MAX, 7},
      {"18446744073709551615", UINT64_MAX, UINT64_MAX},
      {"18446744073709551616", UINT64_MAX, std::nullopt},   // one past 2^64 - 1 would wrap to 0
      {"36893488147419103232", UINT64_MAX, std::nullopt},   // 2^65 would wrap to 0
      {"65535", 65535, 65535},
      {"65536", 65535, std::nullopt},
      {"7", 5, std::nullopt},
      {"5", 5, 5},
      {"", UINT64_MAX, std::nullopt},
      {"1 ", UINT64_MAX, std::nullopt},
      {"+1", UINT64_MAX, std::nullopt},
      {"-1", UINT64_MAX, std::nullopt},
      {"1e3", UINT64_MAX, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseDecimal(c.text, c.maximum), c.value) << c.text << " " << c.maximum;
}

}  // namespace
}  // namespace quorv
