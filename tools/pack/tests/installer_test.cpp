// The [installer] table and quorv-pack msi: the rules of its values, the package it describes,
// its WiX source, and the package that wixl builds (where wixl is installed).
#include "block_reader.h"
#include "dump_config.h"
#include "installer.h"
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

TEST(InstallerRules, UpgradeCodes) {
  EXPECT_EQ(canonicalGuid("{6f1c3e2a-8b4d-4c7e-9a51-2d0b7f3e8c11}"), "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}");
  EXPECT_EQ(canonicalGuid("6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11"), "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}");
  for (const char* bad : {"", "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C1}", "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11",
                          "6F1C3E2A8B4D4C7E9A512D0B7F3E8C11", "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C1G}",
                          "{6F1C3E2A-8B4D-4C7E-9A51_2D0B7F3E8C11}"})
    EXPECT_FALSE(canonicalGuid(bad)) << bad;
  const std::string fresh = newGuid();
  EXPECT_EQ(canonicalGuid(fresh), fresh);
  EXPECT_EQ(fresh[15], '4');  // a random GUID
  EXPECT_NE(newGuid(), fresh);
}

TEST(InstallerRules, VersionsNamesAndDirectories) {
  struct Case {
    std::string (*rule)(std::string_view);
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {installerVersionFault, "1.0", true},        {installerVersionFault, "255.255.65535.65535", true},
      {installerVersionFault, "2.4.0", true},      {installerVersionFault, "1", false},
      {installerVersionFault, "1.2.3.4.5", false}, {installerVersionFault, "256.0", false},
      {installerVersionFault, "1.256", false},     {installerVersionFault, "1.0.65536", false},
      {installerVersionFault, "1..2", false},      {installerVersionFault, "1.2.3-beta", false},
      {installerVersionFault, "+1.2", false},      {installerVersionFault, "1.2.", false},
      {exeNameFault, "app.exe", true},             {exeNameFault, "My App.EXE", true},
      {exeNameFault, "app", false},                {exeNameFault, ".exe", false},
      {exeNameFault, "bin\\app.exe", false},       {exeNameFault, "a:b.exe", false},
      {installDirectoryFault, "Acme\\Billing", true}, {installDirectoryFault, "Acme/Billing", true},
      {installDirectoryFault, "", false},          {installDirectoryFault, "C:\\Apps", false},
      {installDirectoryFault, "\\Apps", false},    {installDirectoryFault, "Acme\\..\\x", false},
      {installDirectoryFault, "Acme\\\\x", false}, {installDirectoryFault, "Acme.", false},
      {installTargetFault, "", true},              {installTargetFault, "lib\\ext", true},
      {installTargetFault, "lib?", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.rule(c.text).empty(), c.ok) << c.text;
}

class InstallerFiles : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    fs::create_directories(path("jre/bin/server"));
    writeText(path("jre/bin/java.exe"), "java");
    writeText(path("jre/bin/server/jvm.dll"), "jvm");
    fs::create_directories(path("lib"));
    writeText(path("lib/a.jar"), "a");
    writeText(path("lib/B.JAR"), "b");
    writeText(path("lib/notes.txt"), "n");
    writeText(path("svc.exe"), "exe");
  }
  ParseResult parse(const std::string& text) {
    return parseConfigText(text, "c.toml", dir, ParseOptions{"", true});
  }
  std::vector<std::string> targets(const std::vector<PackageFile>& files) {
    std::vector<std::string> out;
    for (const PackageFile& f : files) out.push_back(f.target);
    return out;
  }
};

TEST_F(InstallerFiles, DirectoriesWholePatternsAndSingleFiles) {
  std::string fault;
  EXPECT_EQ(targets(expandInstallerEntry({"jre", "jre"}, dir, fault)),
            (std::vector<std::string>{"jre\\bin\\java.exe", "jre\\bin\\server\\jvm.dll"}));
  EXPECT_EQ(targets(expandInstallerEntry({"lib/*.jar", "lib"}, dir, fault)),
            (std::vector<std::string>{"lib\\B.JAR", "lib\\a.jar"}));  // as Windows matches names
  EXPECT_EQ(targets(expandInstallerEntry({"lib/?.jar", ""}, dir, fault)), (std::vector<std::string>{"B.JAR", "a.jar"}));
  EXPECT_EQ(targets(expandInstallerEntry({(dir / "lib/notes.txt").string(), "conf/"}, dir, fault)),
            (std::vector<std::string>{"conf\\notes.txt"}));
  EXPECT_EQ(fault, "");
  EXPECT_TRUE(expandInstallerEntry({"lib/*.war", "lib"}, dir, fault).empty());
  EXPECT_EQ(fault, "no file matches " + (dir / "lib/*.war").string());
}

TEST_F(InstallerFiles, TheTableIsWrittenIntoTheBlockAndPrintedBack) {
  ParseResult r = parse(R"toml(runtime.include = false
service.name = "Billing"
[installer]
upgrade-code = "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}"
version = "2.4.0"
manufacturer = "Acme"
directory = "Acme\\Billing"
exe-name = "billing.exe"
files = [ { source = "jre", target = "jre" }, { source = "lib/*.jar", target = "lib" }, { source = "svc.exe" } ]
)toml");
  for (const Problem& p : r.problems) ADD_FAILURE() << formatProblem(p);
  BlockContents block;
  block.config = r.config;
  const std::string dumped = dumpConfig(block, "x.exe");
  EXPECT_NE(dumped.find("[installer]\nupgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\nmanufacturer = "
                        "\"Acme\"\nversion = \"2.4.0\"\ndirectory = \"Acme\\\\Billing\"\nexe-name = \"billing.exe\"\n"
                        "files = [\n  { source = \"jre\", target = \"jre\" },\n  { source = \"lib/*.jar\", target = "
                        "\"lib\" },\n  { source = \"svc.exe\", target = \"\" },\n]\n"),
            std::string::npos)
      << dumped;
  ParseResult again = parseConfigText(dumped, "d.toml", dir, ParseOptions{"", true});
  for (const Problem& p : again.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_EQ(again.config.strings, r.config.strings);
}

TEST_F(InstallerFiles, TheDefaultsOfThePackage) {
  struct Case {
    const char* toml;
    const char* manufacturer;
    const char* version;
    const char* directory;
    const char* exe;
  };
  const Case cases[] = {
      {"[version]\nproduct-version = \"3.1\"\ncompany = \"Acme\"\n", "Acme", "3.1", "Billing", "Billing.exe"},
      {"[version]\nfile-version = \"1.2.3.4\"\n", "Billing", "1.2.3.4", "Billing", "Billing.exe"},
      {"installer.version = \"2.0\"\ninstaller.manufacturer = \"M\"\ninstaller.directory = \"A/B\"\n"
       "[version]\nproduct-version = \"9.9-rc\"\ncompany = \"Acme\"\n",
       "M", "2.0", "A|B", "Billing.exe"},
  };
  for (const Case& c : cases) {
    ParseResult r = parse(std::string("runtime.include = false\nservice.name = \"Billing\"\n"
                                      "installer.upgrade-code = \"6f1c3e2a-8b4d-4c7e-9a51-2d0b7f3e8c11\"\n") +
                          c.toml);
    for (const Problem& p : r.problems) ADD_FAILURE() << formatProblem(p);
    std::vector<Problem> problems;
    PackageSpec spec = packageSpec(r.config, dir, path("out.exe"), "c.toml", problems);
    EXPECT_TRUE(problems.empty()) << c.toml << (problems.empty() ? "" : formatProblem(problems[0]));
    std::string directory;
    for (const std::string& part : spec.directory) directory += (directory.empty() ? "" : "|") + part;
    EXPECT_EQ(spec.manufacturer, c.manufacturer) << c.toml;
    EXPECT_EQ(spec.version, c.version) << c.toml;
    EXPECT_EQ(directory, c.directory) << c.toml;
    EXPECT_EQ(spec.exeName, c.exe) << c.toml;
    EXPECT_EQ(spec.upgradeCode, "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}");
  }
}

TEST_F(InstallerFiles, WhatKeepsMsiFromBuildingAPackage) {
  struct Case {
    const char* toml;
    const char* expected;  // the start of the one problem
  };
  const Case cases[] = {
      {"service.name = \"S\"\n[version]\nproduct-version = \"1.0\"\n",
       "c.toml: installer.upgrade-code: the package needs an upgrade code (a GUID that stays the same"},
      {"service.name = \"S\"\ninstaller.upgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\n",
       "c.toml: installer.version: the package needs a version (set installer.version or version.product-version)"},
      {"service.name = \"S\"\ninstaller.upgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\n"
       "[version]\nproduct-version = \"1.2.3-beta\"\n",
       "c.toml: version.product-version: \"1.2.3-beta\" is no installer version: \"3-beta\" is not a number"},
      {"service.name = \"a:b\"\ninstaller.upgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\n"
       "installer.version = \"1.0\"\ninstaller.directory = \"x\"\n",
       "c.toml: installer.exe-name: \"a:b.exe\": the character ':', which a Windows name cannot hold"},
      {"service.name = \"S\"\ninstaller.upgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\n"
       "installer.version = \"1.0\"\ninstaller.files = [ { source = \"lib/a.jar\" }, { source = \"lib/*.jar\", "
       "target = \"\" } ]\n",
       "c.toml: installer.files: \"a.jar\" is installed twice (from lib/a.jar and lib/*.jar)"},
      {"service.name = \"S\"\ninstaller.upgrade-code = \"{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}\"\n"
       "installer.version = \"1.0\"\ninstaller.exe-name = \"svc.exe\"\ninstaller.files = [ { source = \"svc.exe\" } ]\n",
       "c.toml: installer.files: \"svc.exe\" is installed twice (from the service executable and svc.exe)"},
  };
  for (const Case& c : cases) {
    ParseResult r = parse(std::string("runtime.include = false\n") + c.toml);
    for (const Problem& p : r.problems) ADD_FAILURE() << formatProblem(p);
    std::vector<Problem> problems;
    packageSpec(r.config, dir, path("out.exe"), "c.toml", problems);
    ASSERT_EQ(problems.size(), 1u) << c.toml;
    EXPECT_EQ(formatProblem(problems[0]).rfind(c.expected, 0), 0u) << formatProblem(problems[0]);
  }
}

TEST(InstallerSource, TheServiceAndItsPasswordAsTheAccountNeedsThem) {
  struct Case {
    const char* account;
    bool password;
    const char* expected;  // in the ServiceInstall element
  };
  const Case cases[] = {
      {"", false, "Type=\"ownProcess\" Interactive=\"yes\" Start=\"auto\" ErrorControl=\"normal\" Vital"},
      {"NT AUTHORITY\\NetworkService", false,
       "Start=\"auto\" ErrorControl=\"normal\" Account=\"NT AUTHORITY\\NetworkService\" Vital"},
      {"CORP\\svc[1]", true,
       "Account=\"CORP\\svc[\\[]1[\\]]\" Password=\"[SERVICE_PASSWORD]\" Vital"},
  };
  for (const Case& c : cases) {
    PackageSpec spec;
    spec.productName = spec.serviceName = "Bill & Co";
    spec.version = "1.0";
    spec.upgradeCode = "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}";
    spec.directory = {"Acme", "Bill"};
    spec.exeName = "bill.exe";
    spec.exeSource = "/build/bill.exe";
    spec.autoStart = true;
    spec.interactive = std::string(c.account).empty();
    spec.account = c.account;
    spec.password = c.password;
    spec.dependencies = {"Tcpip"};
    spec.files = {{"/build/jre/bin/java.exe", "jre\\bin\\java.exe"}};
    const std::string text = wxsText(spec);
    EXPECT_NE(text.find(c.expected), std::string::npos) << text;
    EXPECT_EQ(text.find("<Condition") != std::string::npos, c.password) << text;
    EXPECT_NE(text.find("<Property Id=\"MsiHiddenProperties\" Value=\"SERVICE_PASSWORD\" />"), std::string::npos);
    EXPECT_NE(text.find("Name=\"Bill &amp; Co\""), std::string::npos);
    EXPECT_NE(text.find("<ServiceDependency Id=\"Tcpip\" />"), std::string::npos);
    EXPECT_NE(text.find("Start=\"install\" Stop=\"both\" Remove=\"uninstall\""), std::string::npos);
    EXPECT_NE(text.find("<Directory Id=\"INSTALLDIR\" Name=\"Bill\">"), std::string::npos);
    EXPECT_NE(text.find("ExeCommand=\"/configure\" Execute=\"deferred\" Impersonate=\"no\""), std::string::npos);
  }
}

// The packer binary with a stand-in stub: the package that wixl builds, as msiinfo reads it.
class MsiCommand : public InstallerFiles {
 protected:
  RunResult msi(const std::string& toml, const std::vector<std::string>& extra = {}) {
    writeText(path("c.toml"), toml);
    PeShape shape;
    shape.sections = 3;
    shape.resources = true;  // for the version resource
    writeBytes(path("stub.exe"), makePe(shape));
    std::vector<std::string> args = {"msi", path("c.toml").string(), "-o", path("out.msi").string(),
                                     "--launcher", path("stub.exe").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return runPack(args);
  }
  std::string table(const std::string& name) {
    return runCommand("msiinfo export '" + path("out.msi").string() + "' " + name).output;
  }
};

constexpr const char* kPackaged = R"toml(runtime.include = false
[service]
name = "Billing"
account = ".\\billing"
[version]
product-version = "2.4.0"
[installer]
upgrade-code = "{6F1C3E2A-8B4D-4C7E-9A51-2D0B7F3E8C11}"
files = [ { source = "jre", target = "jre" } ]
)toml";

TEST_F(MsiCommand, ThePackageHoldsTheServiceAndNoPassword) {
  if (runCommand("command -v wixl && command -v msibuild").code != 0)
    GTEST_SKIP() << "wixl or msitools is not installed (scripts/setup installs them)";
  RunResult r = msi(kPackaged, {"--wxs", path("wix/billing.wxs").string()});
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_TRUE(hiddenFiles().empty());
  EXPECT_TRUE(fs::is_regular_file(path("wix/Billing.exe")));
  EXPECT_EQ(readBlock(path("wix/Billing.exe")).config.strings.at(101), "Billing");
  const std::string properties = table("Property");
  EXPECT_NE(properties.find("MsiHiddenProperties\tSERVICE_PASSWORD"), std::string::npos) << properties;
  EXPECT_NE(properties.find("SecureCustomProperties\tWIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICE_PASSWORD"),
            std::string::npos)
      << properties;
  EXPECT_NE(properties.find("ProductVersion\t2.4.0"), std::string::npos) << properties;
  const std::string services = table("ServiceInstall");
  EXPECT_NE(services.find("\tBilling\tBilling\t16\t3\t1\t\t\t.\\billing\t[SERVICE_PASSWORD]\t"), std::string::npos)
      << services;
  EXPECT_NE(table("File").find("jvm.dll"), std::string::npos);
  EXPECT_NE(table("CustomAction").find("fService\t/configure"), std::string::npos);
}

TEST_F(MsiCommand, InitWritesAFreshUpgradeCode) {
  std::string codes[2];
  for (std::string& code : codes) {
    RunResult r = runPack({"init", "--jar", "app.jar", "--main-class", "com.example.Main"});
    ASSERT_EQ(r.code, 0) << r.output;
    const std::size_t at = r.output.find("[installer]\nupgrade-code = \"");
    ASSERT_NE(at, std::string::npos) << r.output;
    code = r.output.substr(at + std::string("[installer]\nupgrade-code = \"").size(), 38);
    EXPECT_EQ(canonicalGuid(code), code) << r.output;
  }
  EXPECT_NE(codes[0], codes[1]);
}

TEST_F(MsiCommand, WithoutTheToolItSaysWhichToInstall) {
  writeText(path("c.toml"), kPackaged);
  writeBytes(path("stub.exe"), makePe({}));
  RunResult r = runCommand("PATH=/nonexistent '" + std::string(QUORV_PACK_BINARY) + "' msi '" + path("c.toml").string() +
                 "' -o '" + path("out.msi").string() + "' --launcher '" + path("stub.exe").string() + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.output, "quorv-pack: quorv-pack msi needs wixl on the PATH (Debian package wixl; msitools too)\n");
  EXPECT_FALSE(fs::exists(path("out.msi")));
  EXPECT_TRUE(hiddenFiles().empty());
}

}  // namespace
