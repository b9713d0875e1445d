// Start arguments from the Service Control Manager: "-J" arguments never become JVM options,
// whatever quoting they try.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/split.h"
#include "service/start_arguments.h"
#include "service/supervision.h"

namespace quorv {
namespace {

const std::vector<std::u16string> kOwn = {u"C:\\svc\\app.exe", u"-J-Xmx1g"};

TEST(StartArguments, JArgumentsAreKeptBackInTheFormTheWorkerSeesThem) {
  struct Case {
    bool jAreOptions;
    std::vector<std::string> start, passed, refused;
  };
  const Case cases[] = {
      {true, {"a", "-J-javaagent:C:\\x.jar", "b c", "-J", "-j-lower", "x-Jy"},
       {"a", "b c", "-j-lower", "x-Jy"}, {"-J-javaagent:C:\\x.jar", "-J"}},
      // Both quote characters: no quoting gives it back whole, and without its double quotes it
      // would reach the worker as -J-javaagent:...='.
      {true, {"a", "\"-J-javaagent:C:\\Users\\Public\\x.jar='", "b"}, {"a", "b"},
       {"\"-J-javaagent:C:\\Users\\Public\\x.jar='"}},
      {true, {"'-J-x\"'", "\"a'b\""}, {}, {"'-J-x\"'", "\"a'b\""}},
      // Quotes that come back unchanged are fine, also around a -J that is not at the start.
      {true, {"\"-J\"x", "say \"hi\"", "it's", "", "a -J"}, {"\"-J\"x", "say \"hi\"", "it's", "", "a -J"}, {}},
      {false, {"a", "-J-Xmx1g", "\"-J-x='"}, {"a", "-J-Xmx1g", "\"-J-x='"}, {}},
      {true, {}, {}, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> refused;
    const std::vector<std::string> passed = startArgumentsForWorker(kOwn, "svc", c.start, c.jAreOptions, refused);
    EXPECT_EQ(passed, c.passed);
    EXPECT_EQ(refused, c.refused);
    if (!c.jAreOptions) continue;
    // What the worker then sees after the own arguments: the passed ones, unchanged, none with -J.
    std::vector<std::u16string> seen;
    splitCommandLine(buildWorkerCommandLine(kOwn, "svc", passed), seen);
    ASSERT_EQ(seen.size(), kOwn.size() + 1 + passed.size() + 1);
    for (std::size_t i = 0; i < passed.size(); ++i) {
      EXPECT_EQ(seen[kOwn.size() + 1 + i], std::u16string(passed[i].begin(), passed[i].end()));
      EXPECT_NE(seen[kOwn.size() + 1 + i].compare(0, 2, u"-J"), 0);
    }
  }
}

}  // namespace
}  // namespace quorv
