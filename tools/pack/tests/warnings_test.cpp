// Settings that load code from the shared temporary directory: `check` warns and still passes.
#include "pack_test_support.h"

using namespace packtest;

namespace {

class SharedTempWarnings : public ScratchTest {};

TEST_F(SharedTempWarnings, CheckWarnsOfEachSettingAndStillPasses) {
  const std::string base = "service.name = \"ok\"\nruntime.include = false\n";
  writeText(path("c.toml"), base +
                                "classpath = [\"A0${launcher:sys.tempDir}\\\\x.jar\", \"A1lib\\\\a.jar\"]\n"
                                "[app]\nnative-lib-dirs = [\"bin\", \"%TEMP%\\\\dlls\"]\n"
                                "vm-options = \"-include-options ${TMP}\\\\more.vmoptions\"\n");
  RunResult r = runPack({"check", path("c.toml").string()});
  EXPECT_EQ(r.code, 0) << r.output;
  const std::string p = path("c.toml").string();
  const std::string tail = " names the shared temporary directory, where every user may create files that the "
                           "launcher would then load (use ${launcher:sys.launcherTempDirectory} or a directory "
                           "that only administrators can write)\n";
  EXPECT_EQ(r.output, "warning: " + p + ": classpath: ${launcher:sys.tempDir}" + tail + "warning: " + p +
                          ": app.native-lib-dirs: %TEMP%" + tail + "warning: " + p + ": app.vm-options: ${TMP}" +
                          tail + p + ": ok\n");

  // The per-run directory is private, and a plain option may name the shared one.
  writeText(path("safe.toml"), base +
                                   "classpath = [\"A0${launcher:sys.launcherTempDirectory}\\\\x.jar\"]\n"
                                   "[app]\nvm-options = \"-Djava.io.tmpdir=${TEMP}\"\n");
  r = runPack({"check", path("safe.toml").string()});
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_EQ(r.output, path("safe.toml").string() + ": ok\n");
}

TEST_F(SharedTempWarnings, CheckWarnsOfLogsWhereEveryUserMayCreateFiles) {
  writeText(path("c.toml"), "service.name = \"ok\"\nruntime.include = false\n"
                            "service.worker-log = \"C:\\\\ProgramData\\\\Vendor\\\\service.log\"\n"
                            "[app]\noutput-log = \"%TEMP%\\\\out.log\"\nerror-log = \"D:\\\\logs\\\\err.log\"\n");
  RunResult r = runPack({"check", path("c.toml").string()});
  EXPECT_EQ(r.code, 0) << r.output;
  const std::string p = path("c.toml").string();
  const std::string tail = " lets every user create files and folders, and the service writes its log there with "
                           "its account's rights (use a directory that only administrators and the service's "
                           "account can write, such as one below the install directory)\n";
  EXPECT_EQ(r.output, "warning: " + p + ": app.error-log: a folder directly in the drive root (D:\\logs)" + tail +
                          "warning: " + p + ": app.output-log: the shared temporary directory (%TEMP%)" + tail +
                          "warning: " + p + ": service.worker-log: C:\\ProgramData" + tail + p + ": ok\n");

  writeText(path("safe.toml"), "service.name = \"ok\"\nruntime.include = false\nservice.worker-log = \"logs\\\\w.log\"\n"
                               "[app]\noutput-log = \"C:\\\\Program Files\\\\Vendor\\\\logs\\\\out.log\"\n");
  r = runPack({"check", path("safe.toml").string()});
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_EQ(r.output, path("safe.toml").string() + ": ok\n");
}

}  // namespace
