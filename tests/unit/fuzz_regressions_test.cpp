// Inputs that the fuzz targets (fuzz/) found to break a rule, kept as tests of their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codepage.h"
#include "core/command.h"
#include "core/split.h"
#include "service/supervision.h"
#include "support/host_system.h"

namespace quorv {
namespace {

bool holdsBothQuotes(const std::u16string& part) {
  return part.find(u'"') != std::u16string::npos && part.find(u'\'') != std::u16string::npos;
}

// fuzz_service: a part that holds both quote characters was put in double quotes, so the
// worker's splitter ended the part at its first double quote and an unclosed quote took in the
// rest of the line, the restart marker with it: the worker then took itself for the service
// process. Such a part cannot come back unchanged (an argument is a head without quotes and at
// most one quoted piece), but it must come back as one argument, and every other part and the
// marker must keep their places.
TEST(FuzzRegressions, PartWithBothQuoteKindsKeepsTheMarkerLast) {
  test::resetHost();
  struct Case {
    std::string serviceName;
    std::vector<std::string> startArguments;
  };
  const std::vector<Case> cases = {
      {"svc", {"'\"", "next"}},           // fuzz/corpus/service/both_quotes_start_argument
      {"My Serv\"c'e", {"arg"}},          // fuzz/corpus/service/both_quotes_service_name
      {"svc", {"it's \"x\"", "", "b c"}},  // as "sc start svc" can pass it
  };
  for (const auto& c : cases) {
    const std::vector<std::u16string> own = {u"C:\\Program Files\\App\\app.exe", u"-x"};
    const std::u16string line = buildWorkerCommandLine(own, c.serviceName, c.startArguments);
    std::vector<std::u16string> split;
    splitCommandLine(line, split);

    std::vector<std::u16string> expected = {own[0], ansiToWide(c.serviceName), own[1]};
    for (const auto& argument : c.startArguments) expected.push_back(ansiToWide(argument));
    expected.push_back(std::u16string(kRestartMarker));

    ASSERT_FALSE(split.empty());
    EXPECT_EQ(split.back(), kRestartMarker) << c.serviceName;
    EXPECT_EQ(split.size(), expected.size()) << c.serviceName;
    for (std::size_t i = 0; i < expected.size() && i < split.size(); ++i) {
      if (holdsBothQuotes(expected[i])) continue;
      EXPECT_EQ(split[i], expected[i]) << c.serviceName << " part " << i;
    }
    // What the worker's entry point checks.
    std::vector<std::u16string> arguments(split.begin() + 1, split.end());
    EXPECT_TRUE(isWorkerArguments(arguments)) << c.serviceName;
  }
}

}  // namespace
}  // namespace quorv
