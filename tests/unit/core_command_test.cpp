#include <gtest/gtest.h>

#include "core/command.h"

namespace quorv {
namespace {

TEST(SkipProgramName, SkipsToTheFirstUnquotedBlankAndTheBlanksAfterIt) {
  EXPECT_EQ(skipProgramName("app.exe /install"), "/install");
  EXPECT_EQ(skipProgramName("\"C:\\Program Files\\app.exe\"   /stop x"), "/stop x");
  EXPECT_EQ(skipProgramName("app.exe"), "");
  EXPECT_EQ(skipProgramName("app.exe\t\t-status"), "-status");
  EXPECT_EQ(skipProgramName("\"a b\"c d"), "d");
}

TEST(ParseServiceCommand, PrefixesAndWords) {
  struct Case {
    const char* text;
    Command command;
  } cases[] = {
      {"/stop", Command::Stop},           {"-stop", Command::Stop},
      {"--stop", Command::Stop},          {"/-stop", Command::Stop},
      {"/install", Command::Install},     {"/install-and-start", Command::InstallAndStart},
      {"/install-auto", Command::InstallAuto}, {"/install-demand", Command::InstallDemand},
      {"/uninstall", Command::Uninstall}, {"/start", Command::Start},
      {"/status", Command::Status},       {"/STOP", Command::None},
      {"//stop", Command::None},          {"/stopx", Command::None},
      {"stop", Command::None},            {"", Command::None},
      {"/", Command::None},               {"/status ", Command::Status},
      {"/restart", Command::Restart},     {"-restart name", Command::Restart},
      {"/Restart", Command::None},
      {"/run", Command::Run},             {"-run MySvc", Command::Run},
      {"/RUN", Command::None},            {"/runx", Command::None},
      {"/query", Command::Query},         {"-query MySvc", Command::Query},
      {"/Query", Command::None},
      {"/configure", Command::Configure}, {"-configure My Svc", Command::Configure},
      {"/Configure", Command::None},
  };
  for (const auto& c : cases) EXPECT_EQ(parseServiceCommand(c.text).command, c.command) << c.text;
}

TEST(ParseServiceCommand, NonInteractiveAndServiceName) {
  struct Case {
    const char* text;
    bool nonInteractive;
    const char* name;  // nullptr: no override
  } cases[] = {
      {"/install non-interactive", true, nullptr},
      {"/install My Service", false, "My Service"},
      {"/install non-interactive My Service", true, "My Service"},
      {"/install My Service non-interactive", false, "My Service non-interactive"},
      {"/install ", false, nullptr},
      {"/install non-interactive ", true, nullptr},
      {"/install non-interactive non-interactive x", true, "x"},
      {"/install non-interactiveXname", true, "name"},
      {"/install  two", false, " two"},
      {"/bogus Other", false, "Other"},
  };
  for (const auto& c : cases) {
    const ServiceCommand parsed = parseServiceCommand(c.text);
    EXPECT_EQ(parsed.nonInteractive, c.nonInteractive) << c.text;
    if (c.name == nullptr) {
      EXPECT_FALSE(parsed.serviceName.has_value()) << c.text;
    } else {
      ASSERT_TRUE(parsed.serviceName.has_value()) << c.text;
      EXPECT_EQ(*parsed.serviceName, c.name) << c.text;
    }
  }
}

TEST(IsWorkerArguments, OnlyTheExactMarkerLast) {
  EXPECT_TRUE(isWorkerArguments({u"__zlx_restart"}));
  EXPECT_TRUE(isWorkerArguments({u"svc", u"a", u"__zlx_restart"}));
  EXPECT_FALSE(isWorkerArguments({}));
  EXPECT_FALSE(isWorkerArguments({u"__ZLX_RESTART"}));
  EXPECT_FALSE(isWorkerArguments({u"__zlx_restart", u"svc"}));
}

}  // namespace
}  // namespace quorv
