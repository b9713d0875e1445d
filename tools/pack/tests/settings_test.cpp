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
                           131, 146, 149, 152, 158, 160, 2001, 2002, 2003, 10003, 10004, 10005, 20017};
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
  ASSERT_EQ(r.config.files.size(), 2u);
  EXPECT_EQ(r.config.files[1].target, "app.jar");
  EXPECT_EQ(r.config.executable.versionStrings.at("version.product"), u"app");
  EXPECT_EQ(r.config.executable.versionStrings.at("version.file-version"), u"1.0.0.0");
}

}  // namespace
