"""The worker's search for a Java runtime: the search sequence (key 128) with its entry types,
the location files, the fixed environment variables and the registry check (type Y).

Each test lays out Java homes made of the java.exe stand-in (tests/fixtures/java_exe, whose
behaviour java.cfg beside it sets) and a minimal jvm.dll, and starts the real launcher in the
worker role. A worker whose LoadDLL succeeds logs "Loading of JVM-DLL successful"; the minimal
jvm.dll then refuses to create a JVM, so every worker here ends with exit code 1.
"""
import os
import shutil

import harness

# Message templates of the block; each begins with its own tag so that a test can count them.
MESSAGES = {
    1005: "MSG1005 The JVM could not be started.",
    1009: "MSG1009 An internal error occurred (error code: {0})",
    1016: "MSG1016 No JVM could be found on your system. Please install a {0}-bit JVM.",
    1018: "MSG1018 The {0} environment variable does not point to a working 64-bit JDK or JRE.",
    1020: "MSG1020 The JVM found at {0} is damaged. Please reinstall or define a 64-bit JVM.",
}
LOADED = "Loading of JVM-DLL successful"
WORKER = "__zlx_restart"
JAVASOFT = r"HKLM\SOFTWARE\JavaSoft"
JRE_KEY = JAVASOFT + r"\Java Runtime Environment"
JDK_KEY = JAVASOFT + r"\Java Development Kit"
LOCATED_USER = r"HKCU\SOFTWARE\kelvara\quorv\locatedjvms"
LOCATED_MACHINE = r"HKLM\SOFTWARE\kelvara\quorv\locatedjvms"
CACHE_KEY = r"HKCU\SOFTWARE\kelvara\quorv\jvms"


def java_line(version):
    return 'java version "%s"' % version


def reg_add(key, value=None, data=None, kind="REG_SZ"):
    args = ["reg", "add", key, "/f"]
    if value is not None:
        args += ["/v", value, "/t", kind, "/d", data]
    proc = harness.wine_tool(args)
    if proc.returncode != 0:
        raise RuntimeError("reg add %s failed: %r" % (key, proc.stderr))


def win(path):
    """The Windows form of a host path as the launcher logs it after resolving: lower case."""
    return harness.winpath(path).lower()


class JvmCase(harness.WineTestCase):
    """Java-home layouts and worker starts for the JVM discovery tests."""

    def java_home(self, rel, version="1.8.0_202", line=None, exit_code=0, sleep=0,
                  exe_dir="bin", dll="minimal", dll_dir="bin/server", tools_jar=False, javaw=False):
        """A Java home at rel: exe_dir/java.exe printing `line` (default: the java version line of
        `version`) and exiting with exit_code; dll_dir/jvm.dll of the given fixture variant (None:
        no library, "text": a file that is not a library)."""
        home = self.path(rel)
        bin_dir = os.path.join(home, exe_dir)
        os.makedirs(bin_dir, exist_ok=True)
        shutil.copy(os.path.join(harness.FIXTURES, "java_exe", "java.exe"), bin_dir)
        if javaw:
            shutil.copy(os.path.join(harness.FIXTURES, "java_exe", "javaw.exe"), bin_dir)
        self.configure_java(home, exe_dir, java_line(version) if line is None else line, exit_code, sleep)
        if dll is not None:
            self.put_dll(os.path.join(home, dll_dir), dll)
        if tools_jar:
            os.makedirs(os.path.join(home, "lib"), exist_ok=True)
            open(os.path.join(home, "lib", "tools.jar"), "w").close()
        return home

    def configure_java(self, home, exe_dir, line, exit_code=0, sleep=0):
        with open(os.path.join(home, exe_dir, "java.cfg"), "w") as f:
            f.write("%s\n%d\n%d\n" % (line, exit_code, sleep))

    def put_dll(self, directory, variant):
        os.makedirs(directory, exist_ok=True)
        target = os.path.join(directory, "jvm.dll")
        if variant == "text":
            with open(target, "w") as f:
                f.write("this is not a library\n")
        else:
            shutil.copy(os.path.join(harness.FIXTURES, "jvmdll_" + variant, "jvm.dll"), target)

    def runs(self, home, exe_dir="bin"):
        """How often the java.exe of a home ran, with the command lines it got."""
        count = os.path.join(home, exe_dir, "java.count")
        if not os.path.exists(count):
            return []
        with open(count) as f:
            return [line.rstrip("\n") for line in f]

    def start(self, strings, env=None, log=True, timeout=120):
        """Starts the worker with the given block entries; returns the result and the log text."""
        block = dict(harness.STDERR_KIND)
        block.update(MESSAGES)
        block.update(strings)
        exe = self.launcher(strings=block)
        before = self.log_files()
        env = dict(env or {})
        if log:
            env["QUORV_LOG"] = "yes"
        result = harness.run(exe, [WORKER], env=env, timeout=timeout)
        text = ""
        if log:
            text = self.read_new_log(before, result).replace("\r\n", "\n")
            for name in self.log_files() - before:
                os.remove(os.path.join(harness.windows_temp_dir(), name))
        return result, text

    def messages(self, result):
        return [line for line in result.err.splitlines() if line.startswith("MSG")]

    def assertLoadedFrom(self, log, java_exe):
        self.assertIn("Trying to load JVM-DLL from %s\n" % win(java_exe), log)
        self.assertIn(LOADED, log)



class SearchSequenceTest(JvmCase):

    def test_r_entry_with_an_acceptable_runtime_is_found_in_the_first_pass(self):
        home = self.java_home("jre", version="1.7.0_80")
        result, log = self.start({128: "R.\\.\\jre;", 126: "1.6"})
        self.assertIn("Testing location .\\.\\jre (type R)\n", log)
        self.assertIn("checkJavaExe returning 1\n", log)
        self.assertNotIn("Testing relative location", log)
        self.assertLoadedFrom(log, os.path.join(home, "bin", "java.exe"))
        self.assertEqual(result.code, 1)

    def test_runtime_below_the_minimum_is_taken_by_the_fallback_pass(self):
        home = self.java_home("jre", version="1.5.0_22")
        exe = win(os.path.join(home, "bin", "java.exe"))
        result, log = self.start({128: "R.\\.\\jre;", 126: "1.6"})
        self.assertInOrder(log, "Testing location .\\.\\jre (type R)\n", "got version from execution 1.5.0_22\n",
                           "checkJavaExe returning 0\n", "Testing relative location .\\.\\jre\n",
                           "%s exists\n" % exe, "Trying to load JVM-DLL from %s\n" % exe, LOADED)
        self.assertEqual(len(self.runs(home)), 1, "the fallback pass does not check the version again")

    def test_fallback_pass_skips_absolute_a_and_r_entries_but_tries_b(self):
        home = self.java_home("jre", version="1.5.0_22")
        location = harness.winpath(home)
        for letter, found in (("R", False), ("A", False), ("B", True)):
            with self.subTest(letter=letter):
                result, log = self.start({128: letter + location, 126: "1.6"})
                self.assertEqual("Testing relative location %s\n" % location in log, found)
                if found:
                    self.assertIn(LOADED, log)
                else:
                    self.assertIn("ERROR: No JVM found\n", log)
                    self.assertEqual(self.messages(result), [MESSAGES[1016].replace("{0}", "64")])

    def test_expanded_location_and_other_letters(self):
        home = self.java_home("jre")
        result, log = self.start({128: "x.\\nothing;7;r.\\jre;A${QUORV_EXEDIR}jre"})
        self.assertInOrder(log, "Testing location .\\nothing (type x)\n", "Testing location  (type 7)\n",
                           "Testing location .\\jre (type r)\n",
                           "Testing location %s\\jre (type A)\n" % harness.winpath(self.dir))
        self.assertEqual(log.count("checkJavaExe ("), 1, "only the A entry is checked")
        self.assertLoadedFrom(log, os.path.join(home, "bin", "java.exe"))

    def test_preferred_location_wins_over_every_entry(self):
        self.java_home("jre")
        preferred = self.java_home("preferred")
        os.makedirs(self.path("inst", ".zentrilex"))
        with open(self.path("inst", ".zentrilex", "pref_jre.cfg"), "w") as f:
            f.write(".\\preferred\r\n\r\nignored second line\n")
        result, log = self.start({128: "R.\\jre", 10003: "inst"})
        self.assertInOrder(log, "Has preferred location .\\preferred\n", "Using preferred location\n")
        self.assertNotIn("Testing location", log)
        self.assertLoadedFrom(log, os.path.join(preferred, "bin", "java.exe"))

    def test_installer_location_follows_the_first_pass(self):
        self.java_home("old", version="1.5.0_22")
        installed = self.java_home("installed")
        os.makedirs(self.path("inst", ".zentrilex"))
        with open(self.path("inst", ".zentrilex", "inst_jre.cfg"), "w") as f:
            f.write(".\\installed\n")
        result, log = self.start({128: "R.\\old", 126: "1.6", 10003: "inst"})
        self.assertInOrder(log, "Testing location .\\old (type R)\n", "Has installer location .\\installed\n",
                           "Using installer location\n")
        self.assertNotIn("Testing relative location", log)
        self.assertLoadedFrom(log, os.path.join(installed, "bin", "java.exe"))

    def test_e_entry_reads_the_variable_with_forward_slashes(self):
        home = self.java_home("jre")
        value = harness.winpath(home).replace("\\", "/")
        result, log = self.start({128: "EMY_JAVA"}, env={"MY_JAVA": value})
        self.assertIn("Testing location MY_JAVA (type E)\n", log)
        self.assertIn("checkJavaExe (%s\\bin\\java.exe, [out], , , 0)\n" % harness.winpath(home), log)
        self.assertLoadedFrom(log, os.path.join(home, "bin", "java.exe"))

    def test_e_entry_with_a_broken_runtime_names_the_variable(self):
        self.java_home("jre", dll=None)
        result, log = self.start({128: "EMY_JAVA"}, env={"MY_JAVA": harness.winpath(self.path("jre"))})
        self.assertEqual(self.messages(result), [MESSAGES[1018].replace("{0}", "MY_JAVA")])
        self.assertEqual(result.code, 1)

    def test_s_entry_searches_for_java_exe_and_keeps_its_text(self):
        # The application directory comes first in SearchPathA's order.
        self.java_home(".", exe_dir=".", dll=None)
        result, log = self.start({128: "S${QUORV_EXEDIR}ignored"})
        self.assertIn("Testing location %s\\ignored (type S)\n" % harness.winpath(self.dir), log)
        self.assertIn("Trying to load JVM-DLL from %s\n" % win(self.path("java.exe")), log)
        # Loading fails: the message of the search-path kind, 1016 with "64".
        self.assertEqual(self.messages(result), [MESSAGES[1016].replace("{0}", "64")])

    def test_fixed_variables_come_last_and_in_order(self):
        quorv = self.java_home("q")
        zentrilex = self.java_home("z")
        env = {"QUORV_JAVA_HOME": harness.winpath(quorv), "ZENTRILEX_JAVA_HOME": harness.winpath(zentrilex)}
        result, log = self.start({128: "R.\\missing"}, env=env)
        self.assertInOrder(log, "Testing location .\\missing (type R)\n", "Testing relative location .\\missing\n",
                           "Search sequence finished\n")
        self.assertLoadedFrom(log, os.path.join(quorv, "bin", "java.exe"))

        result, log = self.start({128: ""}, env={"ZENTRILEX_JAVA_HOME": harness.winpath(zentrilex)})
        self.assertLoadedFrom(log, os.path.join(zentrilex, "bin", "java.exe"))

    def test_fixed_variable_with_a_broken_runtime_names_it(self):
        self.java_home("q", dll=None)
        self.java_home("z")
        env = {"QUORV_JAVA_HOME": harness.winpath(self.path("q")),
               "ZENTRILEX_JAVA_HOME": harness.winpath(self.path("z"))}
        result, log = self.start({}, env=env)
        self.assertEqual(self.messages(result), [MESSAGES[1018].replace("{0}", "QUORV_JAVA_HOME")])

    def test_previous_installations_before_the_fixed_variables(self):
        self.java_home(os.path.join("install1", "jre"), version="1.5.0_22")
        installed = self.java_home(os.path.join("install2", "jre"))
        key = r"HKCU\SOFTWARE\kelvara\zentrilex\installations"
        self.addCleanup(harness.reg_delete, key)
        reg_add(key, "myapp", "%s;;%s;" % (harness.winpath(self.path("install1")),
                                            harness.winpath(self.path("install2"))))
        env = {"QUORV_JAVA_HOME": harness.winpath(self.java_home("q"))}
        result, log = self.start({126: "1.6", 160: "myapp"}, env=env)
        exe = os.path.join(installed, "bin", "java.exe")
        self.assertInOrder(log, "found installations: ", "found JRE from previous installation (user) %s\n" % win(exe))
        self.assertNotIn("Search sequence finished", log)
        self.assertLoadedFrom(log, exe)

        # Without key 160 the step is skipped.
        result, log = self.start({126: "1.6"}, env=env)
        self.assertNotIn("found installations", log)
        self.assertLoadedFrom(log, os.path.join(self.path("q"), "bin", "java.exe"))

    def test_jdk_required_takes_only_homes_with_tools_jar(self):
        self.java_home("jre")
        jdk = self.java_home("jdk", exe_dir="jre/bin", dll_dir="jre/bin/server", tools_jar=True)
        result, log = self.start({128: "R.\\jre;R.\\jdk", 131: "1"})
        self.assertNotIn("checkJavaExe (%s" % harness.winpath(self.path("jre")), log)
        self.assertLoadedFrom(log, os.path.join(jdk, "jre", "bin", "java.exe"))

    def test_nothing_found(self):
        result, log = self.start({128: "R.\\missing;Y;S;Emissing"})
        self.assertInOrder(log, "Search sequence finished\n", "ERROR: No JVM found\n")
        self.assertEqual(self.messages(result), [MESSAGES[1016].replace("{0}", "64")])
        self.assertEqual(result.code, 1)


class RegistryTest(JvmCase):

    def setUp(self):
        super().setUp()
        for key in (JAVASOFT, LOCATED_USER, LOCATED_MACHINE):
            harness.reg_delete(key)
            self.addCleanup(harness.reg_delete, key)

    def vendor(self, key, version, home):
        reg_add(key + "\\" + version, "JavaHome", harness.winpath(home))

    def test_vendor_version_subkeys_are_tried_from_the_greatest(self):
        for version in ("1.6", "1.6.0_45", "1.7", "1.5.0_22"):
            self.vendor(JRE_KEY, version, self.path("missing" + version))
        result, log = self.start({128: "Y", 126: "1.6"})
        tried = [line for line in log.splitlines() if line.startswith("checkJavaExe (")]
        expected = ["checkJavaExe (%s\\bin\\java.exe, [out], 1.6, , 0)" % harness.winpath(self.path("missing" + v))
                    for v in ("1.7", "1.6.0_45", "1.6")]
        self.assertEqual(tried, expected)
        self.assertIn("ERROR: No JVM found", log)

    def test_vendor_runtime_found_and_broken_shows_only_1005(self):
        home = self.java_home("jre6", version="1.6.0_45", dll=None)
        self.vendor(JRE_KEY, "1.6", home)
        result, log = self.start({128: "Y", 126: "1.6"})
        self.assertIn("found sun %s 1.6.0_45\n" % win(os.path.join(home, "bin", "java.exe")), log)
        self.assertEqual(self.messages(result), [MESSAGES[1005]])

    def test_current_version_is_preferred_to_the_subkeys(self):
        older = self.java_home("jre6", version="1.6.0_45")
        newer = self.java_home("jre7", version="1.7.0_80")
        self.vendor(JRE_KEY, "1.6", older)
        self.vendor(JRE_KEY, "1.7", newer)
        reg_add(JRE_KEY, "CurrentVersion", "1.6")
        result, log = self.start({128: "Y"})
        self.assertLoadedFrom(log, os.path.join(older, "bin", "java.exe"))

    def test_jdk_required_consults_no_runtime_key(self):
        jre = self.java_home("jre7", version="1.7.0_80")
        jdk = self.java_home("jdk6", version="1.6.0_45", exe_dir="jre/bin", dll_dir="jre/bin/server",
                             tools_jar=True)
        self.vendor(JRE_KEY, "1.7", jre)
        reg_add(JRE_KEY, "CurrentVersion", "1.7")
        self.vendor(JDK_KEY, "1.6", jdk)
        result, log = self.start({128: "Y", 131: "1"})
        self.assertNotIn(harness.winpath(jre), log)
        self.assertLoadedFrom(log, os.path.join(jdk, "jre", "bin", "java.exe"))

    def located(self, hive_key, home):
        exe = harness.winpath(os.path.join(home, "bin", "java.exe")).replace("\\", "/")
        reg_add(hive_key + "\\" + exe)

    def test_y_entry_tie_goes_to_the_located_jvm(self):
        cases = (("1.6.0_45", "1.6.0_45", "located"), ("1.7.0_80", "1.6.0_45", "vendor"),
                 ("1.6.0_20", "1.6.0_45", "located"))
        for vendor_version, located_version, winner in cases:
            with self.subTest(vendor=vendor_version, located=located_version):
                harness.reg_delete(JAVASOFT)
                harness.reg_delete(LOCATED_USER)
                vendor = self.java_home("vendor" + vendor_version, version=vendor_version)
                located = self.java_home("located" + located_version, version=located_version)
                self.vendor(JRE_KEY, "1.6", vendor)
                self.located(LOCATED_USER, located)
                result, log = self.start({128: "Y"})
                self.assertInOrder(log, "found sun ", "found located ")
                chosen = vendor if winner == "vendor" else located
                self.assertLoadedFrom(log, os.path.join(chosen, "bin", "java.exe"))

    def test_located_jvms_first_enumerated_wins_and_user_only_when_greater(self):
        a = self.java_home("a", version="1.6.0_45")
        b = self.java_home("b", version="1.6.0_45")
        machine = self.java_home("m", version="1.6.0_45")
        self.located(LOCATED_USER, a)
        self.located(LOCATED_USER, b)
        self.located(LOCATED_MACHINE, machine)
        result, log = self.start({128: "Y"})
        self.assertLoadedFrom(log, os.path.join(machine, "bin", "java.exe"))

        harness.reg_delete(LOCATED_MACHINE)
        result, log = self.start({128: "Y"})
        self.assertLoadedFrom(log, os.path.join(a, "bin", "java.exe"))

        newer = self.java_home("n", version="1.7.0_80")
        self.located(LOCATED_USER, newer)
        self.located(LOCATED_MACHINE, machine)
        result, log = self.start({128: "Y"})
        self.assertLoadedFrom(log, os.path.join(newer, "bin", "java.exe"))

    def test_located_jvms_allow_beta_versions(self):
        beta = self.java_home("beta", version="1.8.0-ea")
        self.located(LOCATED_USER, beta)
        result, log = self.start({128: "Y"})
        self.assertNotIn("beta vm not allowed", log)
        self.assertLoadedFrom(log, os.path.join(beta, "bin", "java.exe"))


if __name__ == "__main__":
    harness.main()
