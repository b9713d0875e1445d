#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/app_env.h"
#include "support/host_system.h"

namespace quorv {
namespace {

std::string block(std::initializer_list<const char*> entries) { return test::environmentBlock(entries); }

std::vector<std::string> flat(const std::vector<EnvironmentSetting>& settings) {
  std::vector<std::string> out;
  for (const auto& s : settings) out.push_back(s.name + "|" + s.value);
  return out;
}

TEST(AppEnvironment, StoredLinesBecomeNameAndValue) {
  EXPECT_TRUE(parseAppEnvironment("").empty());
  EXPECT_EQ(flat(parseAppEnvironment("A=1\nB=x=y\nEMPTY=\nSPACE= a b ")),
            (std::vector<std::string>{"A|1", "B|x=y", "EMPTY|", "SPACE| a b "}));
  // A damaged text loses only its bad lines: no "=", an empty name, an empty line.
  EXPECT_EQ(flat(parseAppEnvironment("noequals\n=value\n\nOK=1\n")), (std::vector<std::string>{"OK|1"}));
}

TEST(AppEnvironment, ReferencesAreTheServicesOwnVariables) {
  test::resetHost();
  const std::string service = block({"Path=C:\\Windows", "HOME_DIR=C:\\data", "MY_NAME=svc"});
  const auto settings = workerEnvironment(
      "DATA=${HOME_DIR}\\app\nBOTH=${MY_NAME}-${MY_NAME}\nUPPER=${PATH};x\nLOWER=${path}\n"
      "MISSING=${NOPE}\nCHAIN=${DATA}\nPLAIN=no references",
      service.c_str());
  EXPECT_EQ(flat(settings), (std::vector<std::string>{
                                "DATA|C:\\data\\app",
                                "BOTH|svc-svc",
                                "UPPER|C:\\Windows;x",     // an upper-case reference matches any case
                                "LOWER|${path}",           // other cases only the exact name
                                "MISSING|${NOPE}",         // stays as written
                                "CHAIN|${DATA}",           // not a variable of the service
                                "PLAIN|no references",
                            }));
  EXPECT_TRUE(workerEnvironment("A=${X}", nullptr).front().value == "${X}");
}

}  // namespace
}  // namespace quorv
