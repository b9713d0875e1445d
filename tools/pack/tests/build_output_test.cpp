// What `build` prints and writes beside the launcher: the progress line of large included files
// and the dependency file for make and ninja.
#include <sstream>

#include "block_writer.h"
#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

class BuildOutput : public ScratchTest {};

TEST_F(BuildOutput, ProgressLineOnlyForFilesAboveTheLimit) {
  writeText(path("small.bin"), std::string(1000, 's'));
  writeText(path("big.bin"), std::string(1001, 'b'));
  writeText(path("large.bin"), std::string(3 << 20, 'l'));
  PackConfig config;
  for (const char* name : {"small.bin", "big.bin", "large.bin"}) config.files.push_back({path(name), name});
  File out = createNew(path("out.bin"));
  std::ostringstream progress;
  writeBlock(out, 0, config, Progress{&progress, 1000});
  closeChecked(out);
  EXPECT_EQ(progress.str(),
            "quorv-pack: packing big.bin: 0 MiB ... done\n"
            "quorv-pack: packing large.bin: 3 MiB ... done\n");
}

TEST_F(BuildOutput, BuildIsQuietUnlessAFileIsLarge) {
  writeBytes(path("stub.exe"), makePe({}));
  writeText(path("c.toml"), "runtime.include = false\n[[files]]\nsource = \"app.jar\"\n");
  writeText(path("app.jar"), "jar");
  RunResult r = runPack({"build", path("c.toml").string(), "-o", path("a.exe").string(), "--launcher",
                         path("stub.exe").string()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.output, "");

  // Just above 64 MiB: one line on standard error. The file is sparse, so it costs no disk.
  {
    std::ofstream big(path("app.jar"), std::ios::binary | std::ios::trunc);
    big.seekp((64 << 20));
    big.put('\0');
  }
  r = runPack({"build", path("c.toml").string(), "-o", path("a.exe").string(), "--launcher",
               path("stub.exe").string()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.output, "quorv-pack: packing app.jar: 64 MiB ... done\n");
}

TEST_F(BuildOutput, DependencyFileNamesEveryInput) {
  fs::create_directories(path("my dir"));
  writeBytes(path("my dir/stub.exe"), makePe({}));
  writeText(path("my dir/c.toml"), "[[files]]\nsource = \"a#1.jar\"\n[[files]]\nsource = \"$x.dll\"\n");
  writeText(path("my dir/a#1.jar"), "a");
  writeText(path("my dir/$x.dll"), "x");
  writeText(path("rt.jar"), "runtime");
  RunResult r = runPack({"build", path("my dir/c.toml").string(), "-o", path("out.exe").string(), "--launcher",
                         path("my dir/stub.exe").string(), "--runtime", path("rt.jar").string(), "--depfile",
                         path("out.d").string()});
  ASSERT_EQ(r.code, 0) << r.output;
  std::string d = dir.string();
  std::string sub = d + "/my\\ dir/";
  Bytes text = readBytes(path("out.d"));
  EXPECT_EQ(std::string(text.begin(), text.end()),
            d + "/out.exe: \\\n  " + sub + "c.toml \\\n  " + sub + "stub.exe \\\n  " + d + "/rt.jar \\\n  " + sub +
                "a\\#1.jar \\\n  " + sub + "$$x.dll\n");
}

}  // namespace
