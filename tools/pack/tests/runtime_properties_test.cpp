// Settings that reach quorv-runtime.jar as system properties at the end of the JVM options: what
// build writes into key 123, and that dump shows them under their own names again.
#include "block_reader.h"
#include "dump_config.h"
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

ParseResult parseText(const std::string& toml) { return parseConfigText(toml, "c.toml", ".", ParseOptions{"", false}); }

std::string dumpOf(const PackConfig& config) {
  BlockContents block;
  block.config = config;
  return dumpConfig(block, "svc.exe");
}

TEST(RuntimeProperties, BuildAppendsThemAndDumpShowsThemByName) {
  struct Case {
    const char* toml;
    const char* options;      // key 123 as build writes it
    const char* dumpedLines;  // what dump prints for them, in the [app] table
  };
  const Case cases[] = {
      {"[app]\nvm-options = \"-Xmx1g\"\nlog-size = \"50MB\"\nlog-keep = 10\n",
       "-Xmx1g -Dquorv.logSize=52428800 -Dquorv.logKeep=10",
       "vm-options = \"-Xmx1g\"\nlog-size = \"50MB\"\nlog-keep = 10\n"},
      {"app.log-size = 300000\n", "-Dquorv.logSize=300000", "log-size = \"300000\"\n"},
      {"app.log-keep = 1\napp.log-size = \"10240B\"\n", "-Dquorv.logSize=10240 -Dquorv.logKeep=1",
       "log-size = \"10KB\"\nlog-keep = 1\n"},
      {"app.vm-options = \"\"\napp.log-size = \"2GB\"\n", "-Dquorv.logSize=2147483648", "log-size = \"2GB\"\n"},
      {"app.vm-options = \"-Da=\\\"x y\\\" \"\napp.log-size = \"3KB\"\n", "-Da=\"x y\"  -Dquorv.logSize=3072",
       "vm-options = \"-Da=\\\"x y\\\" \"\nlog-size = \"3KB\"\n"},
      {"[strings]\n123 = \"-Xss1m\"\n[app]\nlog-size = \"1MB\"\n", "-Xss1m -Dquorv.logSize=1048576",
       "vm-options = \"-Xss1m\"\nlog-size = \"1MB\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    ParseResult parsed = parseText("runtime.include = false\n" + std::string(c.toml));
    for (const auto& p : parsed.problems) ADD_FAILURE() << formatProblem(p);
    EXPECT_EQ(parsed.config.strings.at(123), c.options);

    std::string dumped = dumpOf(parsed.config);
    EXPECT_NE(dumped.find("[app]\n" + std::string(c.dumpedLines)), std::string::npos) << dumped;
    EXPECT_EQ(dumped.find("quorv.log"), std::string::npos) << dumped;
    ParseResult again = parseText(dumped);
    for (const auto& p : again.problems) ADD_FAILURE() << formatProblem(p) << "\n" << dumped;
    EXPECT_EQ(again.config.strings, parsed.config.strings);
  }
}

TEST(RuntimeProperties, OptionsThatBuildWouldNotWriteStayJvmOptions) {
  for (const char* options : {
           "-Dquorv.logKeep=5",                           // a count without a size
           "-Dquorv.logSize=050",                         // not the packer's decimal
           "-Dquorv.logSize=0",                           // no size
           "-Dquorv.logSize=1024 -Xmx1g",                 // not at the end
           " -Dquorv.logSize=1024",                       // a blank that build would not write
           "-Dquorv.logSize=1024 -Dquorv.logKeep=1001",   // more old files than allowed
       }) {
    SCOPED_TRACE(options);
    PackConfig config;
    config.strings[123] = options;
    std::string dumped = dumpOf(config);
    EXPECT_EQ(dumped.find("log-size"), std::string::npos) << dumped;
    EXPECT_EQ(dumped.find("log-keep"), std::string::npos) << dumped;
    ParseResult again = parseText(dumped);
    for (const auto& p : again.problems) ADD_FAILURE() << formatProblem(p) << "\n" << dumped;
    EXPECT_EQ(again.config.strings.at(123), options);
  }
}

}  // namespace
