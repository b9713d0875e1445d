"""[app.env]: variables that the worker sets in its own environment before anything else it does,
written by quorv-pack and run under Wine. The stand-in JVM (tests/fixtures/jvm_dll) records the
variables that QUORV_STANDIN_RECORD_ENV names, as the application would see them."""
import os
import subprocess

import harness
from test_launch import Record

WORKER = "__zlx_restart"

# APP_JAVA names the Java home for the search (an E entry), APP_MARK reaches a JVM option through
# the variable expansion; both are built from the service's own variables.
CONFIG = r"""
runtime.include = false
service.start = "auto"
java.search = [{ type = "E", path = "APP_JAVA" }]
app.main-class = "com.example.Main"
app.vm-options = "-Dapp.mark=${APP_MARK}"

[app.env]
APP_JAVA = "${TEST_ROOT}\\jre"
APP_MARK = "mark-${SERVICE_WORD}"
APP_LITERAL = "${NOT_DEFINED}"
APP_GONE = ""
SERVICE_WORD = "replaced"
"""


class AppEnvironmentTest(harness.WineTestCase):

    def test_worker_search_expansion_and_application_see_the_variables(self):
        home = harness.standin_java_home(self.path("jre"))
        with open(self.path("c.toml"), "w") as f:
            f.write(CONFIG)
        exe = self.path("app.exe")
        r = subprocess.run([harness.PACK, "build", self.path("c.toml"), "-o", exe, "--launcher", harness.LAUNCHER],
                           capture_output=True, text=True, timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)

        record_path = self.path("record.txt")
        env = {
            "QUORV_LOG": "yes",
            "QUORV_STANDIN_RECORD": harness.winpath(record_path),
            "QUORV_STANDIN_RECORD_ENV": "APP_JAVA;APP_MARK;APP_LITERAL;APP_GONE;SERVICE_WORD;TEST_ROOT",
            "TEST_ROOT": harness.winpath(self.dir),
            "SERVICE_WORD": "blue",
            "APP_GONE": "set by the service",
        }
        before = self.log_files()
        result = harness.run(exe, ["svc", WORKER], env=env)
        log = self.read_new_log(before, result).replace("\r\n", "\n")
        for name in self.log_files() - before:
            os.remove(os.path.join(harness.windows_temp_dir(), name))
        self.assertEqual(result.code, 0, result)

        record = Record(record_path)
        java_home = harness.winpath(home)
        self.assertEqual([l for l in record.lines if l.startswith("env ")], [
            "env APP_JAVA=" + java_home,
            # The service's own value, not the one set here.
            "env APP_MARK=mark-blue",
            "env APP_LITERAL=${NOT_DEFINED}",
            "env APP_GONE unset",
            "env SERVICE_WORD=replaced",
            "env TEST_ROOT=" + harness.winpath(self.dir),
        ])
        self.assertEqual(record.option("-Dapp.mark="), "mark-blue")
        self.assertTrue(record.main_called)
        # Before the extraction and the search; the search found the home through APP_JAVA.
        self.assertInOrder(log, "Setting environment variable APP_GONE=\n",
                           "Setting environment variable APP_JAVA=%s\n" % java_home,
                           "Setting environment variable SERVICE_WORD=replaced\n",
                           "Included files: ", "Searching for a JVM\n", "Testing location APP_JAVA (type E)\n",
                           "checkJavaExe (%s\\bin\\java.exe, [out], , , 0)\n" % java_home,
                           "checkJavaExe returning 1\n")


if __name__ == "__main__":
    harness.main()
