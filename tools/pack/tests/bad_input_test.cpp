// Every kind of bad input, run through the packer binary: one clear line naming the file (and the
// line and setting where there is one), exit status 1, and no output file.
#include "pack_test_support.h"

using namespace packtest;

namespace {

struct BadInput {
  const char* name;
  const char* toml;        // the configuration file c.toml
  const char* expected;    // the whole line the packer prints, with DIR for the scratch directory
  int stub = 0;            // 0: a sound stub, 1: a text file, 2: a signed stub, 3: no stub file
  bool runtime = true;     // pass --runtime
};

#define SERVICE_HINT " (1 to 256 characters, without \"/\" and \"\\\")"

const BadInput kCases[] = {
    {"unknown setting", "[service]\nnmae = \"x\"\n",
     "c.toml:2: service.nmae: unknown setting (did you mean service.name?)"},
    {"unknown table", "[servce]\nname = \"x\"\n", "c.toml:1: servce: unknown setting (did you mean service?)"},
    {"wrong type", "java.allow-beta = \"yes\"\n",
     "c.toml:1: java.allow-beta: wrong type: expected true or false, found a string (see quorv-pack reference)"},
    {"wrong item type", "service.dependencies = [\"a\", 3]\n",
     "c.toml:1: service.dependencies: wrong type: expected a string, found an integer (see quorv-pack "
     "reference)"},
    {"key number out of range", "[strings]\n4294967296 = \"x\"\n",
     "c.toml:2: strings.4294967296: key number out of range (key numbers are 32-bit signed integers)"},
    {"not a key number", "[wide]\nabc = \"x\"\n",
     "c.toml:2: wide.abc: \"abc\" is not a key number (key numbers are 32-bit signed integers)"},
    {"files keys by number", "[strings]\n2003 = \"a.jar\"\n",
     "c.toml:2: strings.2003: keys 2002 and 2003 are written from [[files]] (list the file under [[files]])"},
    {"bad search type letter", "java.search = [\"Q.\\\\jre\"]\n",
     "c.toml:1: java.search: bad type letter \"Q\" (type letters: A, B, R, E, S, Y)"},
    {"lower-case search letter", "java.search = [{ type = \"r\", path = \"jre\" }]\n",
     "c.toml:1: java.search: bad type letter \"r\" (type letters: A, B, R, E, S, Y)"},
    {"bad class path type letter", "[[classpath]]\ntype = \"Z\"\npath = \"lib\"\n",
     "c.toml:1: classpath: bad type letter \"Z\" (type letters: A, D, E, S)"},
    {"separator inside an item", "app.native-lib-dirs = [\"a;b\"]\n",
     "c.toml:1: app.native-lib-dirs: item \"a;b\" contains \";\" (\";\" separates the items)"},
    {"missing source file", "[[files]]\nsource = \"nope.jar\"\n",
     "c.toml:2: files.source: source file not found: DIR/nope.jar (paths are relative to the configuration file)"},
    {"two backslashes", "[[files]]\nsource = \"a.jar\"\ntarget = \"x\\\\y\\\\a.jar\"\n",
     "c.toml:3: files.target: \"x\\y\\a.jar\": the name has two backslashes; the launcher creates only one directory "
     "level (a name such as app.jar or lib\\app.jar)"},
    {"included twice", "[[files]]\nsource = \"a.jar\"\n[[files]]\nsource = \"a.jar\"\ntarget = \"A.JAR\"\n",
     "c.toml:5: files.target: \"A.JAR\" is included twice (also line 1) (give each included file its own target name)"},
    {"main class with slashes", "app.main-class = \"com/example/Main\"\n",
     "c.toml:1: app.main-class: \"com/example/Main\" is not a dotted Java class name (such as com.example.Main, "
     "without .class or slashes)"},
    {"min above max", "[java]\nmin-version = \"9\"\nmax-version = \"17\"\n",
     "c.toml:2: java.min-version: \"9\" is above java.max-version \"17\": no Java version can pass (versions compare "
     "as text, character by character, so \"9\" is above \"17\")"},
    {"empty service name", "service.name = \"\"\n", "c.toml:1: service.name: the service name is empty" SERVICE_HINT},
    {"long service name", nullptr, "c.toml:1: service.name: the service name is longer than 256 characters" SERVICE_HINT},
    {"service name with a slash", "service.name = \"a/b\"\n",
     "c.toml:1: service.name: the service name contains \"/\" or \"\\\", which Windows rejects" SERVICE_HINT},
    {"auto start with another kind", "launcher.kind = 1\nservice.start = \"auto\"\n",
     "c.toml:2: service.start: \"auto\" needs launcher kind 4, but launcher.kind is 1 (line 1) (leave launcher.kind "
     "out or set service.start = \"demand\")"},
    {"unknown start type", "service.start = \"manual\"\n",
     "c.toml:1: service.start: \"manual\" is not a start type (\"auto\", \"delayed\" or \"demand\")"},
    {"delayed start with another kind", "launcher.kind = 5\nservice.start = \"delayed\"\n",
     "c.toml:2: service.start: \"delayed\" needs launcher kind 4, but launcher.kind is 5 (line 1) (leave "
     "launcher.kind out or set service.start = \"demand\")"},
    {"account without a domain", "service.account = \"appuser\"\n",
     "c.toml:1: service.account: \"appuser\" names no domain (LocalSystem, LocalService, NetworkService, virtual, "
     "DOMAIN\\user, .\\user, user@domain or DOMAIN\\name$)"},
    {"account of no form", "service.account = \"a\\\\b\\\\c\"\n",
     "c.toml:1: service.account: \"a\\b\\c\" is not an account (LocalSystem, LocalService, NetworkService, "
     "virtual, DOMAIN\\user, .\\user, user@domain or DOMAIN\\name$)"},
    {"password in the file", "[service]\naccount = \".\\\\app\"\npassword = \"hunter2\"\n",
     "c.toml:3: service.password: a password is never packed into the launcher (set QUORV_SERVICE_PASSWORD "
     "when you run /install, or type it when /install asks)"},
    {"password anywhere", "[app]\ndb-passwd = \"x\"\n",
     "c.toml:2: app.db-passwd: a password is never packed into the launcher (set QUORV_SERVICE_PASSWORD "
     "when you run /install, or type it when /install asks)"},
    {"action without a delay", "service.failure-actions = [\"restart/10s\", \"reboot\"]\n",
     "c.toml:1: service.failure-actions: \"reboot\" has no delay (restart/DELAY, reboot/DELAY or none, DELAY "
     "such as 10s)"},
    {"unknown action", "service.failure-actions = [\"run/1s\"]\n",
     "c.toml:1: service.failure-actions: \"run/1s\" is not an action (restart/DELAY, reboot/DELAY or none, DELAY "
     "such as 10s)"},
    {"bad duration", "service.preshutdown-timeout = \"3 min\"\n",
     "c.toml:1: service.preshutdown-timeout: \"3 min\" is not a duration (a whole number and a unit: 500ms, 10s, "
     "5m, 1h or 1d, at most 49 days)"},
    {"duration beyond 32 bits", "service.preshutdown-timeout = \"50d\"\n",
     "c.toml:1: service.preshutdown-timeout: \"50d\" is not a duration (a whole number and a unit: 500ms, 10s, "
     "5m, 1h or 1d, at most 49 days)"},
    {"reset of part of a second", "service.failure-reset = \"1500ms\"\n",
     "c.toml:1: service.failure-reset: \"1500ms\" is not a duration of whole seconds (such as 90s, 12h or 1d)"},
    {"character beyond Latin-1", "service.name = \"\xE2\x82\xAC\"\n",
     "c.toml:1: service.name: the character U+20AC cannot be stored in an 8-bit setting (8-bit settings hold "
     "Latin-1 characters only)"},
    {"flavour of two characters", "launcher.flavour = \"zz\"\n",
     "c.toml:1: launcher.flavour: must be one character (such as \"q\" or \"z\")"},
    {"key set twice", "service.name = \"a\"\n[strings]\n101 = \"b\"\n",
     "c.toml:3: strings.101: key 101 is also set by service.name (line 1) (set each key once)"},
    {"number out of range", "launcher.kind = 3000000000\n",
     "c.toml:1: launcher.kind: number out of range (32-bit signed numbers only)"},
    {"log size that is no size", "app.log-size = \"50 MB\"\n",
     "c.toml:1: app.log-size: not a size (bytes, or a number with B, KB, MB or GB, such as \"50MB\")"},
    {"restart mode", "service.restart = \"sometimes\"\n",
     "c.toml:1: service.restart: \"sometimes\" is not a restart mode (\"never\", \"on-failure\" or \"always\")"},
    {"restart delay above the maximum", "[service]\nrestart = \"always\"\nrestart-delay = \"2m\"\n",
     "c.toml:3: service.restart-delay: the restart delay is above service.restart-delay-max "
     "(service.restart-delay-max is \"1m\" when left out)"},
    {"restart limit without a window", "service.restart-limit = \"5\"\n",
     "c.toml:1: service.restart-limit: \"5\" is not a restart limit (a count and a time window, such as \"5/10m\")"},
    {"heartbeat timeout under two intervals", "[service]\nheartbeat = \"10s\"\nheartbeat-timeout = \"15s\"\n",
     "c.toml:3: service.heartbeat-timeout: shorter than two heartbeat intervals (at least twice service.heartbeat; "
     "six times when left out)"},
    {"deadlock check without a heartbeat", "service.deadlock-check = true\n",
     "c.toml:1: service.deadlock-check: the deadlock check needs service.heartbeat (set service.heartbeat too, such as "
     "\"10s\")"},
    {"exit code out of range", "service.success-exit-codes = [0, -1]\n",
     "c.toml:1: service.success-exit-codes: number out of range (whole numbers from 0 to 4294967295)"},
    {"ready target without a scheme", "service.ready = \"db:5432\"\n",
     "c.toml:1: service.ready: \"db:5432\" has no scheme of tcp:// or http:// and is not \"notify\" (\"notify\", "
     "\"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535)"},
    {"ready port out of range", "service.ready = \"tcp://db:70000\"\n",
     "c.toml:1: service.ready: \"tcp://db:70000\": the port is not a number from 1 to 65535 (\"notify\", "
     "\"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535)"},
    {"wait-for target with a path for tcp", "service.wait-for = [\"tcp://db:5432/x\"]\n",
     "c.toml:1: service.wait-for: \"tcp://db:5432/x\": a tcp target has no path (\"tcp://HOST:PORT\" or "
     "\"http://HOST:PORT/PATH\", the port 1 to 65535)"},
    {"wait-for notify", "service.wait-for = [\"notify\"]\n",
     "c.toml:1: service.wait-for: \"notify\" is the application's own signal: it cannot be waited for before the "
     "application starts (\"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535)"},
    {"wait-for bad host", "service.wait-for = [\"http://bad_host/health\"]\n",
     "c.toml:1: service.wait-for: \"http://bad_host/health\": \"bad_host\" is not a host name or IPv4 address "
     "(\"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535)"},
    {"ready timeout without a gate", "service.ready-timeout = \"1m\"\n",
     "c.toml:1: service.ready-timeout: a ready timeout needs service.ready or service.wait-for (set one of them too, "
     "or leave the timeout out)"},
    {"log size past 64 bits", "app.log-size = \"18446744073709551620\"\n",
     "c.toml:1: app.log-size: not a size (bytes, or a number with B, KB, MB or GB, such as \"50MB\")"},
    {"worker log size past 64 bits", "service.worker-log = \"w.log\"\nservice.worker-log-size = \"18446744073709551616KB\"\n",
     "c.toml:2: service.worker-log-size: \"18446744073709551616KB\" is not a size (a number of bytes, or with KB, MB or "
     "GB, such as \"10MB\")"},
    {"log size of nothing", "app.log-size = 0\n",
     "c.toml:1: app.log-size: a size of 0 bytes (bytes, or a number with B, KB, MB or GB, such as \"50MB\")"},
    {"no old log files", "app.log-size = \"1MB\"\napp.log-keep = 0\n",
     "c.toml:2: app.log-keep: outside 1 to 1000 (keep 1 to 1000 old files)"},
    {"old log files without a size", "app.log-keep = 3\n",
     "c.toml:1: app.log-keep: app.log-keep needs app.log-size (set app.log-size too, or leave app.log-keep out)"},
    {"log size also among the JVM options", "[app]\nvm-options = \"-Xmx1g -Dquorv.logSize=1024\"\nlog-size = \"2KB\"\n",
     "c.toml:3: app.log-size: the JVM options of app.vm-options (line 2) set quorv.logSize too (set it once)"},
    {"malformed upgrade code", "[installer]\nupgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C1}\"\n",
     "c.toml:2: installer.upgrade-code: \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C1}\" is not a GUID (32 hexadecimal "
     "digits as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; quorv-pack init writes a fresh one)"},
    {"installer version with a suffix", "installer.version = \"1.2.3-beta\"\n",
     "c.toml:1: installer.version: \"1.2.3-beta\": \"3-beta\" is not a number (two to four numbers such as 1.2.3; "
     "major and minor at most 255, the others at most 65535)"},
    {"installer version above 255", "installer.version = \"256.0\"\n",
     "c.toml:1: installer.version: \"256.0\": the major number is above 255 (two to four numbers such as 1.2.3; "
     "major and minor at most 255, the others at most 65535)"},
    {"installed file that is missing", "[installer]\nfiles = [ { source = \"a.jar\", target = \"lib\" },\n"
     "  { source = \"dist/jre\", target = \"jre\" } ]\n",
     "c.toml:3: installer.files.source: source not found: DIR/dist/jre (paths are relative to the configuration "
     "file)"},
    {"pattern that matches nothing", "installer.files = [ { source = \"*.war\" } ]\n",
     "c.toml:1: installer.files.source: no file matches DIR/*.war (paths are relative to the configuration file)"},
    {"installed file outside the directory", "installer.files = [ { source = \"a.jar\", target = \"..\\\\x\" } ]\n",
     "c.toml:1: installer.files.target: \"..\\x\": \".\" or \"..\" (a directory below the install directory, such as "
     "\"lib\", or \"\" for the directory itself)"},
    {"not TOML", "[service\n", "c.toml:1: Error while parsing table header: expected ']', saw '\\n' (not valid TOML)"},
    {"stub that is not a PE image", "service.name = \"a\"\n",
     "quorv-pack: DIR/stub.exe: the launcher stub is not a PE image (no MZ header)", 1},
    {"signed stub", "service.name = \"a\"\n",
     "quorv-pack: DIR/stub.exe: the launcher stub already carries a certificate table; pack the unsigned launcher "
     "and sign after packing",
     2},
    {"missing stub", "service.name = \"a\"\n", "quorv-pack: DIR/stub.exe: cannot open: No such file or directory", 3},
    {"missing runtime archive", "service.name = \"a\"\n",
     "c.toml: runtime.include: runtime archive not found: DIR/missing-runtime.jar (pass --runtime PATH or set "
     "runtime.include = false)",
     0, false},
};

class BadInputs : public ScratchTest {};

TEST_F(BadInputs, OneLineExitStatusOneAndNoOutput) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string toml = c.toml ? c.toml : "service.name = \"" + std::string(257, 's') + "\"\n";
    writeText(path("c.toml"), toml);
    writeText(path("a.jar"), "jar");
    writeText(path("rt.jar"), "runtime");
    fs::remove(path("stub.exe"));
    if (c.stub == 0) writeBytes(path("stub.exe"), makePe({}));
    if (c.stub == 1) writeText(path("stub.exe"), "not a program\n");
    if (c.stub == 2) {
      PeShape shape;
      shape.certificate = true;
      writeBytes(path("stub.exe"), makePe(shape));
    }
    std::vector<std::string> args = {"build", path("c.toml").string(), "-o", path("out.exe").string(),
                                     "--launcher", path("stub.exe").string(),
                                     "--runtime", path(c.runtime ? "rt.jar" : "missing-runtime.jar").string()};
    RunResult r = runPack(args);
    std::string expected = c.expected;
    for (size_t at; (at = expected.find("DIR")) != std::string::npos;) expected.replace(at, 3, dir.string());
    std::string configName = path("c.toml").string();
    for (size_t at = 0; (at = expected.find("c.toml", at)) != std::string::npos && at == 0;) {
      expected.replace(0, 6, configName);
      break;
    }
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.output, expected + "\n");
    EXPECT_FALSE(fs::exists(path("out.exe")));
    EXPECT_TRUE(hiddenFiles().empty());
  }
}

TEST_F(BadInputs, CheckListsEveryProblemAndWritesNothing) {
  writeText(path("c.toml"), "[service]\nname = \"\"\nnmae = 1\n[app]\nmain-class = \"1abc\"\n");
  RunResult r = runPack({"check", path("c.toml").string(), "--runtime", path("c.toml").string()});
  EXPECT_EQ(r.code, 1);
  std::string p = path("c.toml").string();
  EXPECT_EQ(r.output, p + ":2: service.name: the service name is empty" SERVICE_HINT "\n" + p +
                          ":3: service.nmae: unknown setting (did you mean service.name?)\n" + p +
                          ":5: app.main-class: \"1abc\" is not a dotted Java class name (such as com.example.Main, "
                          "without .class or slashes)\n");
  writeText(path("good.toml"), "service.name = \"ok\"\nruntime.include = false\n");
  r = runPack({"check", path("good.toml").string()});
  EXPECT_EQ(r.code, 0) << r.output;
}

TEST_F(BadInputs, EveryCommandHasHelpAndTheVersionPrints) {
  for (const char* command : {"build", "msi", "check", "dump", "extract", "reference", "init"}) {
    RunResult r = runPack({command, "--help"});
    EXPECT_EQ(r.code, 0) << command;
    EXPECT_NE(r.output.find("Usage"), std::string::npos) << command << ": " << r.output;
    EXPECT_NE(r.output.find("Exit status: 0 success; 1 error"), std::string::npos) << command << ": " << r.output;
  }
  RunResult r = runPack({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.output, "quorv-pack " QUORV_VERSION "\n");
}

TEST_F(BadInputs, AWrongCommandLineEndsWithStatusTwo) {
  writeText(path("c.toml"), "runtime.include = false\n");
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"frobnicate"},
      {"build", path("c.toml").string()},  // no -o
      {"build", path("c.toml").string(), "-o", path("out.exe").string(), "--no-such-option"},
      {"dump"},
      {"extract", path("x.exe").string(), path("d").string(), "surplus"},
  };
  for (const auto& args : lines) {
    RunResult r = runPack(args);
    EXPECT_EQ(r.code, 2) << r.output;
    EXPECT_FALSE(fs::exists(path("out.exe")));
  }
  EXPECT_EQ(runPack({"dump", path("c.toml").string()}).code, 1) << "an error, not a usage fault";
}

}  // namespace
