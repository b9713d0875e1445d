// VERSION is the one source of the release's version: the packer prints it (bad_input_test), and
// every reference to the Maven plugin in the tree names the same one.
#include <regex>

#include "pack_test_support.h"

using namespace packtest;

namespace {

TEST(ReleaseVersion, EveryReferenceToTheMavenPluginNamesTheVersionOfTheTree) {
  const std::regex plugin(R"(<artifactId>quorv-maven-plugin</artifactId>\s*<version>([^<]*)</version>)");
  for (const char* file : {"maven/quorv-maven-plugin/pom.xml", "examples/maven-service/pom.xml",
                           "tests/maven/inline-settings/pom.xml", "docs/maven.md"}) {
    const Bytes bytes = readBytes(fs::path(QUORV_SOURCE_DIR) / file);
    const std::string text(bytes.begin(), bytes.end());
    int found = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), plugin), end; it != end; ++it, ++found)
      EXPECT_EQ((*it)[1].str(), QUORV_VERSION) << file << ": update it together with VERSION";
    EXPECT_GT(found, 0) << file;
  }
}

}  // namespace
