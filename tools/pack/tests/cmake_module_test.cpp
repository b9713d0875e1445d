// cmake/quorv.cmake: a sample project (tests/cmake_sample) configured and built with the packer
// of this build and a stand-in stub, then built again after its inputs change.
#include <chrono>

#include "block_reader.h"
#include "pack_test_support.h"
#include "pe_image.h"
#include "version_resource.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

RunResult run(const std::string& command) { return runCommand(command); }

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// Moves a file's time past the output's, as an edit after the last build would.
void touchAfter(const fs::path& file, const fs::path& output) {
  fs::last_write_time(file, fs::last_write_time(output) + std::chrono::seconds(5));
}

std::vector<std::string> generators() {
  std::vector<std::string> out = {"Unix Makefiles"};
  if (std::string(QUORV_NINJA).size() > 0) out.push_back("Ninja");
  return out;
}

// A fresh copy of the sample with a stand-in stub and runtime, configured for `generator`; the
// command that builds it.
std::string configureSample(const fs::path& root, const std::string& generator, const std::string& extra = "") {
  fs::remove_all(root);
  fs::path source = root / "source", build = root / "build";
  fs::create_directories(root);
  fs::copy(QUORV_PACK_SAMPLE_SOURCE, source, fs::copy_options::recursive);
  PeShape shape;
  shape.sections = 3;
  shape.resources = true;
  writeBytes(root / "stub.exe", makePe(shape));
  writeText(root / "runtime.jar", "runtime");
  writeText(source / "echo.jar", "echo v1");
  std::string configure = std::string("'") + QUORV_CMAKE_COMMAND + "' -S " + quoted(source) + " -B " + quoted(build) +
                          " -G '" + generator + "' -DCMAKE_MODULE_PATH=" + quoted(QUORV_CMAKE_MODULE_DIR) +
                          " -DQUORV_PACK=" + quoted(QUORV_PACK_BINARY) + " -DSAMPLE_STUB=" + quoted(root / "stub.exe") +
                          " -DSAMPLE_RUNTIME=" + quoted(root / "runtime.jar") + extra;
  if (generator == "Ninja") configure += " -DCMAKE_MAKE_PROGRAM=" + quoted(QUORV_NINJA);
  RunResult r = run(configure);
  EXPECT_EQ(r.code, 0) << r.output;
  return std::string("'") + QUORV_CMAKE_COMMAND + "' --build " + quoted(build);
}

TEST(CMakeModule, QuorvAddServiceBuildsAndRebuildsTheExecutable) {
  const fs::path root = QUORV_PACK_SAMPLE_DIR;
  for (const std::string& generator : generators()) {
    SCOPED_TRACE(generator);
    fs::path source = root / "source", build = root / "build";
    std::string buildCommand = configureSample(root, generator);
    RunResult r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;

    fs::path exe = build / "echo-service.exe";
    BlockContents block = readBlock(exe);
    ASSERT_EQ(block.records.size(), 2u);
    EXPECT_EQ(block.records[0].name, "quorv-runtime.jar");
    EXPECT_EQ(block.records[1].name, "echo.jar");
    EXPECT_EQ(block.records[1].size, 7);
    EXPECT_EQ(block.config.strings.at(101), "echo");
    auto version = findVersionInfo(readFileResources(exe), "echo-service.exe");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->text("OriginalFilename"), u"echo-service.exe");

    // Nothing changed: nothing is packed.
    auto written = fs::last_write_time(exe);
    r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(fs::last_write_time(exe), written) << r.output;

    // An included file changes.
    writeText(source / "echo.jar", "echo v2 longer");
    touchAfter(source / "echo.jar", exe);
    r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(readBlock(exe).records[1].size, 14) << r.output;

    // The configuration names a new file; then that file changes.
    writeText(source / "extra.txt", "extra");
    std::ofstream(source / "service.toml", std::ios::app) << "\n[[files]]\nsource = \"extra.txt\"\n";
    touchAfter(source / "service.toml", exe);
    r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;
    ASSERT_EQ(readBlock(exe).records.size(), 3u) << r.output;
    writeText(source / "extra.txt", "extra, edited");
    touchAfter(source / "extra.txt", exe);
    r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(readBlock(exe).records[2].size, 13) << r.output;

    // The stub changes.
    written = fs::last_write_time(exe);
    touchAfter(root / "stub.exe", exe);
    r = run(buildCommand);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(fs::last_write_time(exe), written) << r.output;
  }
}

TEST(CMakeModule, MsiAlsoBuildsThePackageAgainWhenAnInstalledFileChanges) {
  if (runCommand("command -v wixl").code != 0) GTEST_SKIP() << "wixl is not installed (scripts/setup installs it)";
  const fs::path root = fs::path(QUORV_PACK_SAMPLE_DIR).concat("-msi");
  const std::string buildCommand = configureSample(root, "Unix Makefiles", " -DSAMPLE_MSI=MSI");
  RunResult r = run(buildCommand);
  ASSERT_EQ(r.code, 0) << r.output;
  const fs::path msi = root / "build" / "echo-service.msi";
  ASSERT_TRUE(fs::is_regular_file(msi)) << r.output;
  EXPECT_TRUE(fs::is_regular_file(root / "build" / "echo-service.exe"));
  const auto written = fs::last_write_time(msi);
  const fs::path installed = root / "source" / "conf" / "echo.properties";
  writeText(installed, "greeting=hi");
  touchAfter(installed, msi);
  r = run(buildCommand);
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_NE(fs::last_write_time(msi), written) << r.output;
}

}  // namespace
