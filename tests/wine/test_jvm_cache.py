"""The check of one Java executable: the version probe, the per-user JVM version cache under
HKCU\\SOFTWARE\\kelvara\\quorv\\jvms, the beta rule and the javaw.exe switch of launcher kind 1.

The java.exe stand-in counts its runs in java.count, so a test sees whether the cache spared a
probe.
"""
import os
import struct

import harness
import test_jvm_search as common


def cache_value(java_exe, name):
    """(type, data) of a value of the executable's cache entry, or None."""
    key = common.CACHE_KEY + "\\" + common.win(java_exe).replace("\\", "/")
    proc = harness.wine_tool(["reg", "query", key, "/v", name])
    if proc.returncode != 0:
        return None
    for line in proc.stdout.decode("latin-1").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0] == name:
            return parts[1], parts[2] if len(parts) == 3 else ""
    return None


def filetime_hex(path):
    """The file's last-write time as the 8 bytes of a FILETIME, in reg's hexadecimal form."""
    ticks = os.stat(path).st_mtime_ns // 100 + 116444736000000000
    return struct.pack("<Q", ticks).hex().upper()


class VersionCacheTest(common.JvmCase):

    def test_second_start_takes_the_version_from_the_cache(self):
        home = self.java_home("jre", version="1.7.0_80")
        exe = os.path.join(home, "bin", "java.exe")
        result, log = self.start({128: "R.\\jre"})
        self.assertIn("got version from execution 1.7.0_80\n", log)
        self.assertEqual(cache_value(exe, "Version"), ("REG_SZ", "1.7.0_80"))
        self.assertEqual(cache_value(exe, "LastWriteTime"), ("REG_BINARY", filetime_hex(exe)))
        self.assertEqual(len(self.runs(home)), 1)
        # The probe quotes the executable's path.
        self.assertRegex(self.runs(home)[0], r'^"[^"]+java\.exe" -version$')

        result, log = self.start({128: "R.\\jre"})
        self.assertIn("got version from registry 1.7.0_80\n", log)
        self.assertNotIn("got version from execution", log)
        self.assertEqual(len(self.runs(home)), 1, "the cache spared the probe")
        self.assertIn(common.LOADED, log)

    def test_touching_the_executable_probes_again(self):
        home = self.java_home("jre", version="1.7.0_80")
        exe = os.path.join(home, "bin", "java.exe")
        self.start({128: "R.\\jre"})
        stat = os.stat(exe)
        os.utime(exe, ns=(stat.st_atime_ns, stat.st_mtime_ns + 10 ** 9))
        self.configure_java(home, "bin", common.java_line("1.7.0_99"))
        result, log = self.start({128: "R.\\jre"})
        self.assertIn("got version from execution 1.7.0_99\n", log)
        self.assertEqual(len(self.runs(home)), 2)
        self.assertEqual(cache_value(exe, "Version"), ("REG_SZ", "1.7.0_99"))
        self.assertEqual(cache_value(exe, "LastWriteTime"), ("REG_BINARY", filetime_hex(exe)))

    def test_paths_differing_in_case_share_one_entry(self):
        home = self.java_home("jre")
        self.start({128: "R.\\jre"})
        result, log = self.start({128: "R.\\JRE"})
        self.assertIn("got version from registry 1.8.0_202\n", log)
        self.assertEqual(len(self.runs(home)), 1)

    def test_failing_executable_is_cached_as_1_0_0(self):
        home = self.java_home("jre", exit_code=2)
        exe = os.path.join(home, "bin", "java.exe")
        # An absolute A entry: the fallback pass does not take the runtime whatever its version.
        strings = {128: "A" + harness.winpath(home), 126: "1.6"}
        result, log = self.start(strings)
        self.assertInOrder(log, "Exit Code 2\n", "couldn't get version\n", "ERROR: No JVM found\n")
        self.assertEqual(cache_value(exe, "Version"), ("REG_SZ", "1.0.0"))

        result, log = self.start(strings)
        self.assertInOrder(log, "got version from registry 1.0.0\n", "checkJavaExe returning 0\n")
        self.assertEqual(len(self.runs(home)), 1)

        strings[126] = ""
        result, log = self.start(strings)
        self.assertIn("got version from registry 1.0.0\n", log)
        self.assertIn(common.LOADED, log)
        self.assertEqual(len(self.runs(home)), 1)

    def test_unreadable_first_line_fails_the_probe_and_caches_nothing(self):
        lines = ('java version "',      # fewer than two characters follow the prefix
                 "Error: could not open `jvm.cfg'",
                 "<none>")               # nothing printed
        for index, line in enumerate(lines):
            with self.subTest(line=line):
                home = self.java_home("jre%d" % index, line=line)
                exe = os.path.join(home, "bin", "java.exe")
                strings = {128: "A" + harness.winpath(home)}
                result, log = self.start(strings)
                self.assertInOrder(log, "Exit Code 0\n", "couldn't get version\n")
                self.assertNotIn("Java version:", log)
                self.assertIsNone(cache_value(exe, "Version"))
                if index == 0:
                    # Nothing cached: the next start probes again (one line stands for all).
                    self.start(strings)
                    self.assertEqual(len(self.runs(home)), 2, "probed again on the next start")

    def test_probe_that_outlives_the_limit_is_terminated_and_not_cached(self):
        home = self.java_home("jre", sleep=90)
        exe = os.path.join(home, "bin", "java.exe")
        result, log = self.start({128: "A" + harness.winpath(home)}, timeout=200)
        self.assertInOrder(log, "Exit Code 259\n", "Terminating process\n", "couldn't get version\n")
        self.assertIsNone(cache_value(exe, "Version"))


class CheckRulesTest(common.JvmCase):

    def test_beta_versions_only_for_directory_locations(self):
        home = self.java_home("jre", version="1.8.0-ea")
        result, log = self.start({128: "EMY_JAVA;A" + harness.winpath(home)},
                                 env={"MY_JAVA": harness.winpath(home)})
        self.assertInOrder(log, "Testing location MY_JAVA (type E)\n", "beta vm not allowed\n",
                           "checkJavaExe returning 0\n", "Testing location %s (type A)\n" % harness.winpath(home),
                           "got version from registry 1.8.0-ea\n", "checkJavaExe returning 1\n")
        self.assertIn(common.LOADED, log)

        # Configuration key 130 allows beta versions for every kind.
        result, log = self.start({128: "EMY_JAVA", 130: "1"}, env={"MY_JAVA": harness.winpath(home)})
        self.assertNotIn("beta vm not allowed", log)
        self.assertIn(common.LOADED, log)

    def test_launcher_kind_1_switches_to_javaw_exe(self):
        home = self.java_home("jre", javaw=True)
        result, log = self.start({128: "A" + harness.winpath(home), 107: "1"})
        self.assertLoadedFrom(log, os.path.join(home, "bin", "javaw.exe"))
        self.assertIn("Trying %s\\bin\\server\\jvm.dll (exists 1)\n" % common.win(home), log)

    def test_launcher_kind_1_without_javaw_exe_rejects_the_runtime(self):
        home = self.java_home("jre")
        exe = os.path.join(home, "bin", "java.exe")
        result, log = self.start({128: "A" + harness.winpath(home), 107: "1"})
        self.assertInOrder(log, "got version from execution 1.8.0_202\n", "checkJavaExe returning 0\n",
                           "ERROR: No JVM found\n")
        self.assertEqual(cache_value(exe, "Version"), ("REG_SZ", "1.8.0_202"))


if __name__ == "__main__":
    harness.main()
