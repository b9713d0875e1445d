// The environment variables in which the service process names the worker's events.
#include <gtest/gtest.h>

#include <cstdint>

#include "launch/service_bridge.h"

namespace quorv {
namespace {

TEST(EventVariable, WhatTheServiceWritesTheWorkerReadsBack) {
  for (const EventVariable& written : {EventVariable{1234, std::nullopt}, EventVariable{1234, 10000},
                                       EventVariable{UINT64_MAX, UINT32_MAX}}) {
    const std::optional<EventVariable> read = parseEventVariable(eventVariableText(written));
    ASSERT_TRUE(read) << eventVariableText(written);
    EXPECT_EQ(read->handle, written.handle);
    EXPECT_EQ(read->intervalMs, written.intervalMs);
  }
  EXPECT_EQ(eventVariableText({0x1a4, 2000}), "420/2000");
}

TEST(EventVariable, AnyOtherTextIsNone) {
  for (const char* text : {"", "0", "0/100", "12/0", "12/", "/100", "12/100/3", " 12", "+12", "-12", "12 ", "0x1a",
                           "18446744073709551616", "12/4294967296", "12a"}) {
    EXPECT_FALSE(parseEventVariable(text)) << text;
  }
}

}  // namespace
}  // namespace quorv
