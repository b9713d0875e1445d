#include <gtest/gtest.h>

#include "diag/fatal.h"

namespace quorv {
namespace {

TEST(SubstituteDetail, OnlyTheFirstPlaceholderAndOnlyWithADetail) {
  struct Case {
    const char* templ;
    const char* detail;
    const char* shown;
  } cases[] = {
      {"An internal error occurred (error code: {0})", "16", "An internal error occurred (error code: 16)"},
      {"Couldn't load main class.", "16", "Couldn't load main class."},
      {"{0} and {0}", "x", "x and {0}"},
      {"The environment variable {0} has to be defined", nullptr,
       "The environment variable {0} has to be defined"},
      {"{0}", "", ""},
      {"", "7", ""},
      {"a{0", "7", "a{0"},
      {"File or directory {0} not found or empty\n", "C:\\x", "File or directory C:\\x not found or empty\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(substituteDetail(c.templ, c.detail), c.shown) << c.templ;
}

TEST(ComposeMessage, LogPathFollowsAfterAnEmptyLine) {
  const std::string path = "C:\\Users\\me\\Temp\\zlx_nlog_42";
  EXPECT_EQ(composeMessage("Failed", &path), "Failed\n\nLog: C:\\Users\\me\\Temp\\zlx_nlog_42");
  EXPECT_EQ(composeMessage("Failed", nullptr), "Failed");
}

}  // namespace
}  // namespace quorv
