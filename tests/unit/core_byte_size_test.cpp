#include <gtest/gtest.h>

#include <optional>

#include "core/byte_size.h"

namespace quorv {
namespace {

TEST(ByteSize, EachUnitGivesBytes) {
  struct Case {
    const char* text;
    std::optional<uint64_t> bytes;
  };
  const Case cases[] = {
      {"0", 0u},          {"512", 512u},          {"512B", 512u},     {"64KB", 65536u},
      {"10MB", 10485760u}, {"2GB", 2147483648u},  {"007KB", 7168u},
      {"8589934591GB", 9223372035781033984u},  // the largest count of GB below 2^63
      {"8589934592GB", std::nullopt},           // 2^63 bytes
      {"9223372036854775807", 9223372036854775807u},
      {"9223372036854775808", std::nullopt},
      {"99999999999999999999999", std::nullopt},  // more digits than 64 bits hold
      {"18446744073709551620", std::nullopt},     // 2^64 + 4: a wrapping step would give 4
      {"18446744073709551616KB", std::nullopt},   // 2^64 KB: a wrapping step would give 0
      {"92233720368547758070", std::nullopt},     // ten times the largest value
      {"", std::nullopt},   {"MB", std::nullopt},   {"10 MB", std::nullopt}, {" 10MB", std::nullopt},
      {"10mb", std::nullopt}, {"10M", std::nullopt}, {"10MiB", std::nullopt}, {"-1MB", std::nullopt},
      {"+1MB", std::nullopt}, {"1.5MB", std::nullopt}, {"10TB", std::nullopt}, {"1MB1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseByteSize(c.text), c.bytes) << c.text;
}

}  // namespace
}  // namespace quorv
