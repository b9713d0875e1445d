// build, then dump, then build again from the dump: the same configuration.
#include <initializer_list>
#include <sstream>

#include "block_reader.h"
#include "dump_config.h"
#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

const char* kFullConfig = R"toml(
classpath = [
  { type = "A", path = "lib\\app.jar", mandatory = true },
  { type = "S", path = "plugins" },
  "E0EXTRA_CP",
]

[runtime]
include = true

[service]
name = "Quorv Demo"
description = { default = "Demo service", de = "Dienst", de_CH = "Dienst (CH)", "" = "any" }
dependencies = ["Tcpip", "Afd"]
start = "auto"

[java]
min-version = "1.8"
max-version = "21"
search = ["R.\\jre", { type = "E", path = "MY_JAVA" }, "S", "Y", "B"]
allow-beta = true
jdk-required = false
vm-type = "server"

[app]
main-class = "com.example.demo.Main$Inner"
arguments = "--port 8080 \"two words\""
vm-options = "-Xmx512m -Dx=\"a b\""
allow-j-options = true
error-log = "logs\\error.log"
output-log = "$TEMP\\out.log"
flag = true
working-directory = "."
installation-dir = ".."
native-lib-dirs = ["bin", "native\\x64"]
single-instance = true
global-semaphore = false
installations-value = "demo"

[launcher]
flavour = "z"

[messages]
caption = "Quorv Démo"
internal-error = "Interner Fehler {0}\n"
no-jvm = ""

[strings]
108 = "unnamed"
-3 = "negative"
10110 = ""

[wide]
20018 = "wide ✓"
20019 = { de = "nur deutsch" }

[[files]]
source = "app.jar"
target = "lib\\app.jar"

[[files]]
source = "tool.dll"
)toml";

class RoundTrip : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    writeBytes(path("stub.exe"), makePe({}));
    writeText(path("rt.jar"), "runtime archive");
    writeText(path("app.jar"), "application archive");
    writeText(path("tool.dll"), std::string("\x00\x01\x02", 3));
  }
  PackConfig parse(const fs::path& file) {
    ParseResult parsed = parseConfigFile(file, {path("rt.jar"), true});
    for (const auto& p : parsed.problems) ADD_FAILURE() << formatProblem(p);
    return parsed.config;
  }
  void pack(const PackConfig& config, const std::string& out) {
    std::ostringstream notes;
    writePackedLauncher(path("stub.exe"), config, path(out), notes);
  }
  // Packs `config`, dumps it, finds each of `lines` in the dump under its setting's name (no
  // numbered key left), and reads the dump back into the same values.
  void expectSettingsComeBackByName(const PackConfig& config, std::initializer_list<const char*> lines) {
    pack(config, "first.exe");
    const std::string dumped = dumpConfig(readBlock(path("first.exe")), "first.exe");
    for (const char* line : lines) EXPECT_NE(dumped.find(line), std::string::npos) << line << dumped;
    EXPECT_EQ(dumped.find("[strings]"), std::string::npos) << dumped;
    writeText(path("again.toml"), dumped);
    EXPECT_EQ(parse(path("again.toml")).strings, config.strings);
  }
};

TEST_F(RoundTrip, DumpThenBuildGivesTheSameLauncher) {
  writeText(path("c.toml"), kFullConfig);
  PackConfig config = parse(path("c.toml"));
  EXPECT_EQ(config.strings.at(107), "4");
  EXPECT_EQ(config.strings.count(1001), 0u) << "\"\" leaves a defaulted key out";
  EXPECT_EQ(config.strings.at(121), "A1lib\\app.jar;S0plugins;E0EXTRA_CP");
  EXPECT_EQ(config.strings.at(128), "R.\\jre;EMY_JAVA;S;Y;B");
  EXPECT_EQ(config.strings.at(149), "Tcpip,Afd");
  EXPECT_EQ(config.strings.at(1000), "Quorv D\xE9mo");
  EXPECT_EQ(config.strings.at(102), "1");
  EXPECT_EQ(config.strings.at(2003), "quorv-runtime.jar;lib\\app.jar;tool.dll");
  pack(config, "first.exe");

  // The dump, with the extracted files beside it, is a configuration file of its own.
  fs::create_directories(path("again"));
  std::ostringstream report;
  extractIncludedFiles(path("first.exe"), path("again"), report);
  std::string dumped = dumpConfig(readBlock(path("first.exe")), "first.exe");
  writeText(path("again/c.toml"), dumped);
  EXPECT_NE(dumped.find("#   2. lib\\app.jar, 19 bytes"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("no-jvm = \"\""), std::string::npos) << dumped;
  EXPECT_EQ(dumped.find("[strings]\n-3 = \"negative\"\n108 = \"unnamed\"\n10110 = \"\"\n") == std::string::npos, false)
      << dumped;
  EXPECT_EQ(dumped.find("1009"), std::string::npos) << "named keys appear by name: " << dumped;

  PackConfig again = parse(path("again/c.toml"));
  EXPECT_EQ(again.strings, config.strings);
  EXPECT_EQ(again.wide, config.wide);
  EXPECT_EQ(again.groups, config.groups);
  pack(again, "second.exe");
  EXPECT_EQ(readBytes(path("second.exe")), readBytes(path("first.exe")));
}

TEST_F(RoundTrip, ValuesNoSettingWouldWriteFallBackToNumberedKeys) {
  // A block that a setting could not have written: such keys go to [strings] and [wide].
  PackConfig odd;
  odd.strings = {{102, "5"},          {107, "07"},  {121, "X1abc"}, {122, "not a class"},
                 {1000, ""},          {149, "a,,b"}, {2001, "qq"},  {104, "1"},
                 {101, std::string(300, 'n')}};
  odd.wide = {{20017, u"base"}};
  odd.groups = {LocaleGroup{"de_CH", {{20017, u"ch"}}}, LocaleGroup{"de", {{20017, u"de"}, {20018, u"x"}}}};
  pack(odd, "odd.exe");
  std::string dumped = dumpConfig(readBlock(path("odd.exe")), "odd.exe");
  EXPECT_NE(dumped.find("102 = \"5\""), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("107 = \"07\""), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("# Note: the block applies locale group \"de\" after \"de_CH\""), std::string::npos) << dumped;
  writeText(path("odd.toml"), dumped);

  ParseResult parsed = parseConfigText(dumped, "odd.toml", dir, {path("rt.jar"), true});
  ASSERT_TRUE(parsed.problems.empty()) << formatProblem(parsed.problems[0]);
  PackConfig expected = odd;
  // Every message key that the block lacks is printed as "" and so stays out.
  EXPECT_EQ(parsed.config.strings, expected.strings);
  EXPECT_EQ(parsed.config.wide, expected.wide);
  // The packer orders groups shorter prefix first: the same texts, now the specific one wins.
  ASSERT_EQ(parsed.config.groups.size(), 2u);
  EXPECT_EQ(parsed.config.groups[0], (LocaleGroup{"de", {{20017, u"de"}, {20018, u"x"}}}));
  EXPECT_EQ(parsed.config.groups[1], (LocaleGroup{"de_CH", {{20017, u"ch"}}}));
  EXPECT_TRUE(parsed.config.files.empty());
}

TEST_F(RoundTrip, AccountAndRecoverySettingsComeBackByName) {
  writeText(path("c.toml"),
            "runtime.include = false\n[service]\nstart = \"delayed\"\naccount = \"CORP\\\\svc-app\"\n"
            "failure-actions = [\"restart/10s\", \"reboot/5m\", \"none\"]\nfailure-reset = \"1d\"\n"
            "preshutdown-timeout = \"3m\"\n");
  PackConfig config = parse(path("c.toml"));
  EXPECT_EQ(config.strings.at(107), "4");
  EXPECT_EQ(config.strings.at(30200), "CORP\\svc-app");
  EXPECT_EQ(config.strings.at(30201), "1");
  EXPECT_EQ(config.strings.at(30202), "restart/10s,reboot/5m,none");
  EXPECT_EQ(config.strings.at(30203), "1d");
  EXPECT_EQ(config.strings.at(30204), "3m");
  expectSettingsComeBackByName(config, {"start = \"delayed\"\n", "account = \"CORP\\\\svc-app\"\n",
                                        "failure-actions = [\"restart/10s\", \"reboot/5m\", \"none\"]\n",
                                        "failure-reset = \"1d\"\n", "preshutdown-timeout = \"3m\"\n"});

  // Values the settings would refuse stay under their numbers.
  PackConfig odd;
  odd.strings = {{30200, "appuser"}, {30201, "1"}, {30202, "restart"}, {30203, "1500ms"}, {30204, "soon"}};
  pack(odd, "odd.exe");
  const std::string dumped = dumpConfig(readBlock(path("odd.exe")), "odd.exe");
  EXPECT_NE(dumped.find("[strings]\n30200 = \"appuser\"\n30201 = \"1\"\n30202 = \"restart\"\n30203 = \"1500ms\"\n"
                        "30204 = \"soon\"\n"),
            std::string::npos)
      << dumped;
}

TEST_F(RoundTrip, RestartHeartbeatAndReadinessSettingsComeBackByName) {
  writeText(path("c.toml"),
            "runtime.include = false\n[service]\nrestart = \"on-failure\"\nsuccess-exit-codes = [0, 143]\n"
            "restart-delay = \"500ms\"\nrestart-delay-max = \"30s\"\nrestart-reset = \"5m\"\n"
            "restart-limit = \"10/1h\"\nheartbeat = \"10s\"\nheartbeat-timeout = \"45s\"\ndeadlock-check = true\n"
            "ready = \"http://localhost:8080/health\"\nready-timeout = \"90s\"\n"
            "wait-for = [\"tcp://db.example:5432\", \"http://config.example/health\"]\n");
  PackConfig config = parse(path("c.toml"));
  EXPECT_EQ(config.strings.at(30310), "on-failure");
  EXPECT_EQ(config.strings.at(30311), "0,143");
  EXPECT_EQ(config.strings.at(30315), "10/1h");
  EXPECT_EQ(config.strings.at(30318), "1");
  expectSettingsComeBackByName(
      config, {"restart = \"on-failure\"\n", "success-exit-codes = [0, 143]\n", "restart-limit = \"10/1h\"\n",
               "heartbeat-timeout = \"45s\"\n", "deadlock-check = true\n", "ready = \"http://localhost:8080/health\"\n",
               "wait-for = [\"tcp://db.example:5432\", \"http://config.example/health\"]\n"});
}

TEST_F(RoundTrip, DumpOfALauncherWithoutABlockIsAClearError) {
  try {
    readBlock(path("stub.exe"));
    FAIL();
  } catch (const PackError& e) {
    EXPECT_EQ(std::string(e.what()),
              path("stub.exe").string() + ": no appended data block (nothing follows the last section)");
  }
  Bytes withJunk = makePe({});
  withJunk.resize(withJunk.size() + 600, 0x33);
  writeBytes(path("junk.exe"), withJunk);
  EXPECT_THROW(readBlock(path("junk.exe")), PackError);
}

}  // namespace
