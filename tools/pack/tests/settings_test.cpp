// The settings table covers every key the launcher reads, and the committed reference is current.
#include <set>

#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"
#include "settings.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

TEST(Settings, EveryKeyTheLauncherReadsHasAName) {
  std::vector<int> keys = {101, 102, 103, 104, 105, 106, 107, 121, 122, 123, 124, 125, 126, 127, 128, 130,
                           131, 146, 149, 152, 158, 160, 2001, 2002, 2003, 10003, 10004, 10005, 20017,
                           30300, 30301, 30302, 30303};
  for (int k = 1000; k <= 1020; ++k) keys.push_back(k);
  for (int key : keys) {
    const Setting* s = settingForKey(key);
    ASSERT_NE(s, nullptr) << key;
    EXPECT_NE(s->form, Form::RawStrings) << key;
  }
  EXPECT_EQ(settingForKey(2003), findSetting("files"));
}

TEST(Settings, PathsAreUniqueAndEveryMessageHasItsTemplate) {
  std::set<std::string_view> paths;
  for (const Setting& s : settings()) {
    EXPECT_TRUE(paths.insert(s.path).second) << s.path;
    EXPECT_FALSE(s.description.empty()) << s.path;
    if (s.key >= 1000 && s.key <= 1020) {
      EXPECT_NE(s.defaultValue, nullptr) << s.path;
    }
  }
}

TEST(Settings, CommittedReferenceMatchesTheTable) {
  Bytes committed = readBytes(QUORV_REFERENCE_DOC);
  EXPECT_EQ(std::string(committed.begin(), committed.end()), referenceText())
      << "regenerate with: quorv-pack reference > docs/config-reference.md";
}

TEST(Settings, StarterConfigurationIsSound) {
  std::string text = starterConfig("dist/app.jar", "com.example.Main");
  ParseResult r = parseConfigText(text, "starter.toml", ".", ParseOptions{"", false});
  for (const auto& p : r.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_EQ(r.config.strings.at(122), "com.example.Main");
  EXPECT_EQ(r.config.strings.at(107), "4");
  EXPECT_EQ(r.config.strings.at(30300), "logs\\service.log");
  EXPECT_EQ(r.config.strings.count(30303), 0u);  // the stop waits without limit unless asked
  ASSERT_EQ(r.config.files.size(), 2u);
  EXPECT_EQ(r.config.files[1].target, "app.jar");
  EXPECT_EQ(r.config.executable.versionStrings.at("version.product"), u"app");
  EXPECT_EQ(r.config.executable.versionStrings.at("version.file-version"), u"1.0.0.0");
}

TEST(Settings, WorkerLogAndStopTimeoutValuesAreChecked) {
  struct Case {
    const char* line;
    int key;
    const char* written;  // nullptr: refused
  };
  const Case cases[] = {
      {"worker-log-size = \"10MB\"", 30301, "10MB"},  {"worker-log-size = \"4096\"", 30301, "4096"},
      {"worker-log-size = \"10 MB\"", 30301, nullptr}, {"worker-log-size = \"1.5GB\"", 30301, nullptr},
      {"worker-log-keep = 0", 30302, "0"},            {"worker-log-keep = 999", 30302, "999"},
      {"worker-log-keep = 1000", 30302, nullptr},     {"worker-log-keep = -1", 30302, nullptr},
      {"stop-timeout = \"30s\"", 30303, "30s"},       {"stop-timeout = \"500ms\"", 30303, "500ms"},
      {"stop-timeout = \"30\"", 30303, nullptr},      {"stop-timeout = \"50d\"", 30303, nullptr},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("[service]\nname = \"s\"\n") + c.line + "\n";
    ParseResult r = parseConfigText(text, "t.toml", ".", ParseOptions{"", false});
    if (c.written == nullptr) {
      EXPECT_FALSE(r.problems.empty()) << c.line;
    } else {
      for (const auto& p : r.problems) ADD_FAILURE() << c.line << ": " << formatProblem(p);
      EXPECT_EQ(r.config.strings.at(c.key), c.written) << c.line;
    }
  }
}

}  // namespace
