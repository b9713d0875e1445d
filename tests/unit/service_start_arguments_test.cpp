// Start arguments from the Service Control Manager: "-J" arguments never become JVM options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/start_arguments.h"

namespace quorv {
namespace {

TEST(StartArguments, JArgumentsAreKeptBackOnlyWhenTheyWouldBeOptions) {
  struct Case {
    bool jAreOptions;
    std::vector<std::string> start, passed, refused;
  };
  const Case cases[] = {
      {true, {"a", "-J-javaagent:C:\\x.jar", "b c", "-J", "-j-lower", "x-Jy"},
       {"a", "b c", "-j-lower", "x-Jy"}, {"-J-javaagent:C:\\x.jar", "-J"}},
      {false, {"a", "-J-Xmx1g"}, {"a", "-J-Xmx1g"}, {}},
      {true, {}, {}, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> refused;
    EXPECT_EQ(startArgumentsForWorker(c.start, c.jAreOptions, refused), c.passed);
    EXPECT_EQ(refused, c.refused);
  }
}

}  // namespace
}  // namespace quorv
