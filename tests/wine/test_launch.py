"""The worker's launch: the option list handed to the JVM (system properties, configured and
"-J" options, locale options, VM options files, class path), the parameters of main, the fatal
messages of the launch and the run of the entry class.

Every test lays out a Java home with the java.exe stand-in (tests/fixtures/java_exe) and the
stand-in JVM (tests/fixtures/jvm_dll), which writes every option and every JNI call into a
record file; environment variables choose how the stand-in behaves (see standin_jvm.cpp).
"""
import os
import re
import subprocess

import harness

WORKER = "__zlx_restart"
MESSAGES = {
    1006: "MSG1006 File or directory {0} not found or empty\n",
    1008: "MSG1008 The environment variable {0} has to be defined",
    1009: "MSG1009 An internal error occurred (error code: {0})",
    1010: "MSG1010 Couldn't load main class.",
    1011: "MSG1011 Main method not found.",
    1016: "MSG1016 No JVM could be found on your system. Please install a {0}-bit JVM.",
    1020: "MSG1020 The JVM found at {0} is damaged. Please reinstall or define a 64-bit JVM.",
}
ENTRY = "com/quorv/runtime/WinLauncher"
ENTRY_Z = "com/zentrilex/runtime/launcher/WinLauncher"
FIRST_RUN = "com/zentrilex/runtime/launcher/FirstRun"


class Record:
    """What the stand-in JVM wrote: its lines, the options and the parameters of main."""

    def __init__(self, path):
        self.lines = []
        if os.path.exists(path):
            with open(path, encoding="utf-8", newline="\n") as f:
                self.lines = f.read().split("\n")[:-1]
        self.options = [l.split(": ", 1)[1] for l in self.lines if re.match(r"option \d+: ", l)]
        self.params = [l.split(": ", 1)[1] for l in self.lines if re.match(r"main param \d+: ", l)]
        self.created = any(l.startswith("JNI_CreateJavaVM version") for l in self.lines)
        self.main_called = any(l.startswith("main called: ") for l in self.lines)

    def option(self, prefix):
        found = [o for o in self.options if o.startswith(prefix)]
        return found[0][len(prefix):] if found else None

    def pid(self):
        for line in self.lines:
            m = re.search(r", pid (\d+)$", line)
            if m:
                return int(m.group(1))
        return None


def temp_dirs():
    """The per-run temporary directories in the prefix's temporary directory."""
    return {n for n in os.listdir(harness.windows_temp_dir()) if re.match(r"qrv.*_dir\d+$", n)}


def host_path(windows_path):
    """The host path of a C:\\ or Z:\\ path of the prefix."""
    drive, rest = windows_path[0].upper(), windows_path[3:].replace("\\", "/")
    if drive == "Z":
        return "/" + rest
    # Wine lower-cases nothing, but C:\users\<name> is a real directory of drive_c.
    return os.path.join(harness.drive_c(), rest)


class LaunchCase(harness.WineTestCase):
    """A launcher beside a Java home "jre" whose bin\\server\\jvm.dll is the stand-in."""

    def setUp(self):
        super().setUp()
        self.home = harness.standin_java_home(self.path("jre"))
        self.record_path = self.path("record.txt")

    def exe_dir(self):
        return harness.winpath(self.dir) + "\\"

    def block(self, strings):
        block = dict(harness.STDERR_KIND)
        block.update(MESSAGES)
        block[128] = "R.\\jre"
        block.update(strings)
        return block

    def env(self, env=None, log=True):
        out = {"QUORV_STANDIN_RECORD": harness.winpath(self.record_path)}
        if log:
            out["QUORV_LOG"] = "yes"
        out.update(env or {})
        return out

    def start(self, strings, args=("svc",), env=None, files=(), log=True, name="app.exe"):
        """Runs a worker to its end; returns the result, the record and the log text."""
        exe = self.launcher(name=name, strings=self.block(strings), files=files)
        if os.path.exists(self.record_path):
            os.remove(self.record_path)
        before = self.log_files()
        result = harness.run(exe, list(args) + [WORKER], env=self.env(env, log))
        text = ""
        if log:
            text = self.read_new_log(before, result)
            for n in self.log_files() - before:
                os.remove(os.path.join(harness.windows_temp_dir(), n))
        return result, Record(self.record_path), text

    def write(self, rel, text, mode="w"):
        path = self.path(*rel.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, mode, newline="") as f:
            f.write(text)
        return path

    def messages(self, result):
        return [l for l in result.err.splitlines() if l.startswith("MSG")]



class OptionListTest(LaunchCase):

    def test_complete_option_list(self):
        files = [b"PK\x03\x04 runtime jar", b"PK\x03\x04 user jar", b"not an archive"]
        names = "rt.jar;user\\u.jar;notes.txt"
        self.write("app.vmoptions",
                   "  -Xss2m  \r\n"
                   "   # a comment\r\n"
                   "\r\n"
                   "-Ddefault=1 #kept\r\n"
                   "\t-Dtab=1\r\n"
                   "-include-options other\\sub.vmoptions\r\n"
                   "-classpath/a ${QUORV_EXEDIR}appended\r\n")
        self.write("app.exe.vmoptions", "-Dsecond.candidate=1\n")
        self.write("other/sub.vmoptions",
                   "-Dsub=${launcher:sys.pathlistSeparator}\n"
                   "-include-options nested.vmoptions\n"
                   "-Dsub.after=1\n")
        self.write("other/nested.vmoptions", "-Dnested=1\n-include-options ..\\app.vmoptions\n")
        self.write("nested.vmoptions", "-Dwrong.directory=1\n")
        self.write("inc/first.vmoptions", "-Dfirst=1\n")
        self.write("lib/a.jar", "jar")
        os.makedirs(self.path("classes"))
        self.write("scan/b.jar", "jar")
        strings = {
            123: '-Dconfigured=1 -include-options inc\\first.vmoptions "-classpath/p ${QUORV_EXEDIR}pre"',
            125: "1",
            121: "A1lib\\a.jar;D0classes;;D0missing;E0EXTRA_CP;S1scan;E0UNSET_CP",
            10004: "native;${QUORV_EXEDIR}lib64",
            2002: "3",
            2003: names,
        }
        args = ["svc", "-J-Dfrom.j=${launcher:sys.tempDir}", "-Dsun.locale.formatasdefault=false", "tail"]
        before = temp_dirs()
        result, record, log = self.start(strings, args, files=files,
                                         env={"EXTRA_CP": '"C:\\x.jar;C:\\y.jar"', "LC_ALL": "de_CH.UTF-8"})
        self.assertEqual(result.code, 0, result)
        exe = harness.winpath(self.path("app.exe"))
        exe_dir = self.exe_dir()
        identity = exe.lower().replace("\\", "_").replace(" ", "_")
        temp = record.option("-Dquorv.tempDir=")
        self.assertRegex(temp, r"^C:\\users\\[^\\]+\\(AppData\\Local\\)?Temp\\qrv.*_dir\d+$")
        with open(self.path("app.exe"), "rb") as f:
            data = f.read()
        block = self.block(strings)
        unextracted = (harness.appended_offset(data) + 20 + len(harness.config_bytes(block))
                       + len(harness.file_records(files)))
        library_path = record.option("-Djava.library.path=")
        self.assertTrue(library_path.startswith(exe_dir + "native;" + exe_dir + "lib64;"), library_path)
        self.assertTrue(library_path.endswith(";" + (exe_dir + "jre\\bin").lower()), library_path)
        codepage = record.option("-Dquorv.consoleCodepage=")
        self.assertRegex(codepage, r"^cp\d+$")
        expected = [
            "-Dquorv.semaphoreName=Local\\" + identity + "0",
            "-Dquorv.isService=true",
            "-Dquorv.moduleName=" + exe,
            "-Dsun.java.command=" + exe,
            "-Dquorv.tempDir=" + temp,
            "-Dquorv.unextractedPosition=%d" % unextracted,
            "-Djava.library.path=" + library_path,
            "-Dquorv.consoleCodepage=" + codepage,
            "-Dconfigured=1",
            "-Dfirst=1",
            "-Dfrom.j=${launcher:sys.tempDir}",
            "-Dsun.locale.formatasdefault=false",
            "-Duser.language=de",
            "-Duser.country=CH",
            "-Xss2m",
            "-Ddefault=1 #kept",
            "\t-Dtab=1",
            "-Dsub=;",
            "-Dnested=1",
            "-Dsub.after=1",
            "-Djava.class.path=" + ";".join([
                exe_dir + "pre",
                temp + "\\rt.jar",
                temp + "\\user\\u.jar",
                exe_dir + "lib\\a.jar",
                exe_dir + "classes",
                exe_dir + "missing",
                "C:\\x.jar",
                "C:\\y.jar",
                exe_dir + "scan\\b.jar",
                exe_dir + "appended"]),
        ]
        self.assertEqual(record.options, expected)
        self.assertIn("JNI_CreateJavaVM version 0x10002, %d options, ignoreUnrecognized 1" % len(expected),
                      record.lines[0])
        # The include cycle back to the default file stops there.
        self.assertIn("vmoptions file <%sother\\..\\app.vmoptions> is already being read, "
                      "not reading it again" % exe_dir, log)
        self.assertIn("adding vmoptions from <%sinc\\first.vmoptions> (inc\\first.vmoptions) (" % exe_dir, log)
        self.assertIn("vmoption count %d\r\n" % len(expected), log)
        for i, option in enumerate(expected):
            self.assertIn("vmoption %d: %s\r\n" % (i, option), log)
        self.assertInOrder(log, "launching program", "Creating JVM", "JVM created", "calling main",
                           "main returned", "dest JVM", "launch done")
        # The worker ended normally; the parameters skip what became options.
        self.assertEqual(record.params, ["false", "", "", "", "false", "svc", "tail"])
        self.assertEqual(temp_dirs() - before, {temp.rsplit("\\", 1)[1]})

    def test_replace_override_and_the_last_directive_wins(self):
        self.write("app.vmoptions", "-classpath/p ${QUORV_EXEDIR}pre\n")
        strings = {
            123: '"-classpath ${QUORV_EXEDIR}first" "-classpath/a ${QUORV_EXEDIR}app1"',
            125: "1",
            121: "A1missing.jar",  # not read at all
        }
        args = ["svc", "-J-classpath Z:\\second.jar", "-J-classpath/a Z:\\app2"]
        result, record, log = self.start(strings, args)
        self.assertEqual(result.code, 0, result)
        self.assertEqual(record.options[-1],
                         "-Djava.class.path=" + self.exe_dir() + "pre;Z:\\second.jar;Z:\\app2")
        self.assertNotIn("classpath entry", log)
        self.assertEqual(record.options[-2], "-Dsun.locale.formatasdefault=true")
        self.assertEqual(record.params, ["false", "", "", "", "false", "svc"])

    def test_j_arguments_without_key_125_go_to_main(self):
        result, record, _ = self.start({}, ["svc", "-J-Xmx1g", "-Dsun.locale.formatasdefault=true", "x"], log=False)
        self.assertEqual(result.code, 0, result)
        self.assertNotIn("-Xmx1g", record.options)
        self.assertEqual([o for o in record.options if "formatasdefault" in o], ["-Dsun.locale.formatasdefault=true"])
        self.assertNotIn("-Duser.language=", " ".join(record.options))
        self.assertEqual(record.params[5:], ["svc", "-J-Xmx1g", "x"])

    def test_second_default_candidate_only_without_the_first(self):
        self.write("app.exe.vmoptions", "-Dsecond=1\n")
        _, record, log = self.start({})
        self.assertIn("-Dsecond=1", record.options)
        self.assertIn("vmoptions: opts2: %sapp.exe.vmoptions, file: " % self.exe_dir(), log)
        self.write("app.vmoptions", "-Dfirst=1\n")
        _, record, log = self.start({})
        self.assertIn("-Dfirst=1", record.options)
        self.assertNotIn("-Dsecond=1", record.options)
        self.assertNotIn("vmoptions: opts2", log)

    def test_installer_flavour_properties_and_class_path(self):
        strings = {2001: "z", 10003: "inst", 121: "A0app.jar", 10005: "1"}
        result, record, log = self.start(strings, env={"MANPATH": "/usr/man"})
        self.assertEqual(result.code, 0, result)
        exe = harness.winpath(self.path("app.exe"))
        identity = exe.lower().replace("\\", "_")
        self.assertEqual(record.options[:2], ["-Dquorv.semaphoreName=Local\\" + identity, "-Dquorv.isZentrilex=true"])
        comm = record.option("-Dquorv.processCommFile=")
        self.assertRegex(comm, r"^C:\\users\\.*\\qrv_p%d\.tmp$" % record.pid())
        self.assertIsNone(record.option("-Dquorv.consoleCodepage="))
        self.assertEqual(record.options[-1], "-Djava.class.path=%sinst\\.zentrilex\\zlxruntime.jar;%sapp.jar;"
                         % (self.exe_dir(), self.exe_dir()))
        self.assertIn("FindClass " + ENTRY_Z, record.lines)
        self.assertNotIn("FindClass " + FIRST_RUN, record.lines)  # no marker file

    def test_library_path_and_native_directories_of_any_length(self):
        names = ["native-directory-number-%04d" % i for i in range(300)]
        result, record, log = self.start({10004: ";".join(names) + ";"})
        self.assertEqual(result.code, 0, result)
        library_path = record.option("-Djava.library.path=")
        native = ";".join(self.exe_dir() + n for n in names) + ";"
        self.assertGreater(len(native), 8192)
        self.assertTrue(library_path.startswith(native), library_path[:200])
        self.assertIn("native lib dir is %s;\r\n" % ";".join(names), log)
        self.assertIn("Setting PATH (native libs) " + native, log)


class PackedLogRotationTest(LaunchCase):

    def test_log_rotation_settings_reach_the_jvm_after_the_configured_options(self):
        # Built by the packer from the settings; an administrator's .vmoptions file comes later
        # among the options, so that its value of the property wins in the JVM.
        self.write("c.toml", 'runtime.include = false\njava.search = ["R.\\\\jre"]\nlauncher.kind = 0\n'
                   '[app]\nmain-class = "a.B"\nvm-options = "-Xmx64m"\noutput-log = "logs\\\\out.log"\n'
                   'log-size = "50MB"\nlog-keep = 10\n')
        exe = self.path("app.exe")
        r = subprocess.run([harness.PACK, "build", self.path("c.toml"), "-o", exe, "--launcher", harness.LAUNCHER],
                           capture_output=True, text=True, timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.write("app.vmoptions", "-Dquorv.logKeep=3\n")
        result = harness.run(exe, ["svc", WORKER], env=self.env(log=False))
        self.assertEqual(result.code, 0, result)
        options = Record(self.record_path).options
        self.assertIn("-Xmx64m", options)
        at = options.index("-Xmx64m")
        self.assertEqual(options[at:at + 3], ["-Xmx64m", "-Dquorv.logSize=52428800", "-Dquorv.logKeep=10"], options)
        self.assertGreater(options.index("-Dquorv.logKeep=3"), at + 2, options)


class MainParametersTest(LaunchCase):

    def test_parameters_in_order(self):
        os.makedirs(self.path("logs"))
        strings = {
            122: "com.example.Main",
            102: "1", 103: "${QUORV_EXEDIR}logs\\.\\err.log",
            104: "1", 105: "${UNDEFINED_QUORV_VARIABLE}\\out.log",
            106: "1",
            124: "one 'two words' \"${QUORV_EXEDIR}x\"",
            125: "1",
        }
        args = ["first", "-J-Xmx1g", "-Dsun.locale.formatasdefault=false", "\u00e9\u4e2d\U0001F600",
                "-Dsun.locale.formatasdefault=true", "", "last"]
        result, record, log = self.start(strings, args, env={"LC_ALL": "C.UTF-8"})
        self.assertEqual(result.code, 0, result)
        expected = ["false", "com.example.Main", self.exe_dir() + "logs\\err.log",
                    "${UNDEFINED_QUORV_VARIABLE}\\out.log", "true", "first", "one", "two words",
                    self.exe_dir() + "x", "\u00e9\u4e2d\U0001F600", "", "last"]
        self.assertEqual(record.params, expected)
        self.assertIn("-Xmx1g", record.options)
        # The last formatasdefault argument decides; it is exactly "true", so no language.
        self.assertEqual([o for o in record.options if "formatasdefault" in o or "user." in o],
                         ["-Dsun.locale.formatasdefault=true"])
        self.assertIn("param count: %d\r\n" % len(expected), log)
        # The log holds the file code page: "?" for what it lacks (a surrogate pair gives two).
        self.assertIn("param 9: \u00e9???\r\n", log)
        self.assertIn("param 0: false\r\n", log)

    def test_first_argument_always_reaches_main(self):
        args = ["-J-Dfirst=1", "-J-Dsecond=2"]
        result, record, _ = self.start({125: "1"}, args, log=False)
        self.assertEqual(result.code, 0, result)
        self.assertEqual(record.params[5:], ["-J-Dfirst=1"])
        self.assertIn("-Dfirst=1", record.options)
        self.assertIn("-Dsecond=2", record.options)
        result, record, _ = self.start({}, ["-Dsun.locale.formatasdefault=no"], log=False, env={"LC_ALL": "de_CH.UTF-8"})
        self.assertEqual(record.params[5:], ["-Dsun.locale.formatasdefault=no"])
        self.assertIn("-Dsun.locale.formatasdefault=no", record.options)
        self.assertIn("-Duser.language=de", record.options)

    def test_no_launch_arguments(self):
        result, record, _ = self.start({}, args=(), log=False)
        self.assertEqual(result.code, 0, result)
        self.assertEqual(record.params, ["false", "", "", "", "false"])


class FailureTest(LaunchCase):

    def assertFatal(self, result, record, message):
        self.assertEqual(result.code, 1, result)
        self.assertEqual(self.messages(result), [message])
        self.assertFalse(record.main_called)

    def test_fatal_messages(self):
        self.write("inst/.zentrilex/firstrun", "")
        cases = [
            ({121: "A0lib.jar;A1${QUORV_EXEDIR}gone.jar;E1UNSET_CP"}, {},
             "MSG1006 File or directory %sgone.jar not found or empty" % self.exe_dir(), None),
            ({121: "S1nowhere"}, {}, "MSG1006 File or directory nowhere not found or empty", None),
            # An entry is looked for as a search pattern: app*.exe finds the launcher itself.
            ({121: "A1${QUORV_EXEDIR}app*.exe;A1${QUORV_EXEDIR}no*.jar"}, {},
             "MSG1006 File or directory %sno*.jar not found or empty" % self.exe_dir(), None),
            ({121: "E1UNSET_QUORV_CP;A1gone.jar"}, {}, "MSG1008 The environment variable UNSET_QUORV_CP has to be defined",
             None),
            ({}, {"QUORV_STANDIN_MISSING_CLASS": ENTRY}, "MSG1010 Couldn't load main class.",
             "ERROR: could not find main class\r\n"),
            ({}, {"QUORV_STANDIN_MISSING_METHOD": "main"}, "MSG1011 Main method not found.",
             "ERROR: could not find main method\r\n"),
            ({2001: "z", 10003: "inst"}, {"QUORV_STANDIN_MISSING_CLASS": FIRST_RUN},
             "MSG1009 An internal error occurred (error code: 14)", None),
            ({2001: "z", 10003: "inst"}, {"QUORV_STANDIN_MISSING_METHOD": "firstRun"},
             "MSG1009 An internal error occurred (error code: 15)", None),
        ]
        for strings, env, message, error_line in cases:
            with self.subTest(message=message):
                strings = dict(strings)
                strings.update({2002: "1", 2003: "rt.jar"})
                before = temp_dirs()
                result, record, log = self.start(strings, env=env, files=[b"jar"])
                self.assertFatal(result, record, message)
                # The exit path removed the temporary directory of the run.
                self.assertEqual(temp_dirs(), before)
                if error_line is not None:
                    self.assertIn(error_line, log)

    def test_exception_escaping_main(self):
        result, record, log = self.start({}, env={"QUORV_STANDIN_MAIN": "throw"})
        self.assertEqual(result.code, 1, result)
        self.assertEqual(self.messages(result), [])
        self.assertTrue(record.main_called)
        self.assertInOrder("\n".join(record.lines), "main returns", "ExceptionOccurred yes",
                           "ExceptionDescribe throwable java/lang/RuntimeException")
        self.assertNotIn("DestroyJavaVM", record.lines)
        self.assertInOrder(log, "main returned", "ERROR: an exception occured", "ERROR: could not call main")
        self.assertNotIn("launch done", log)

    def test_jvm_creation_failure(self):
        result, record, log = self.start({}, env={"QUORV_STANDIN_CREATE_RESULT": "-6"})
        self.assertEqual(result.code, 1, result)
        self.assertEqual(self.messages(result), [])
        self.assertTrue(record.created)
        self.assertEqual(record.lines[-1], "JNI_CreateJavaVM fails with -6")
        self.assertIn("ERROR: could not initialize JVM", log)
        self.assertNotIn("JVM created", log)

    def test_first_run_hook(self):
        self.write("inst/.zentrilex/firstrun", "")
        for answer, main_called in (("true", True), ("false", False), ("throw", False)):
            with self.subTest(answer=answer):
                result, record, log = self.start({2001: "z", 10003: "inst"}, env={"QUORV_STANDIN_FIRSTRUN": answer})
                self.assertEqual(result.code, 0, result)
                self.assertIn("GetStaticMethodID %s firstRun ()Z" % FIRST_RUN, record.lines)
                self.assertEqual(record.main_called, main_called)
                self.assertEqual("checkFirstRun stopped further execution" in log, not main_called)
                self.assertEqual(record.lines[-1], "DestroyJavaVM")
                if answer == "throw":
                    self.assertIn("ExceptionDescribe throwable java/lang/IllegalStateException", record.lines)


class RunningApplicationTest(LaunchCase):

    def test_included_files_stay_while_the_application_runs_and_the_stop_line_ends_it(self):
        contents = [bytes(range(256)) * 40, b"", b"\x00\x5a\xa5" * 1000, b"user"]
        names = "rt.jar;empty.bin;data.bin;user\\u.jar"
        exe = self.launcher(strings=self.block({2002: "4", 2003: names}), files=contents)
        proc = subprocess.Popen([harness.WINE, exe, "svc", WORKER], env=harness.wine_env(
            self.env({"QUORV_STANDIN_MAIN": "service"}, log=False)),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            record = self.wait_for_line("main serving", proc)
            temp = host_path(record.option("-Dquorv.tempDir="))
            for name, data in zip(names.split(";"), contents):
                path = os.path.join(temp, *name.split("\\"))
                if data:
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), data, name)
                else:
                    self.assertFalse(os.path.exists(path), name)
            proc.stdin.write(b"ignored\n0\n")
            proc.stdin.close()
            # Only the exit is awaited: a wineserver started by the worker may hold its pipes.
            self.assertEqual(proc.wait(timeout=120), 0)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            for pipe in (proc.stdin, proc.stdout, proc.stderr):
                pipe.close()
        record = Record(self.record_path)
        self.assertInOrder("\n".join(record.lines), "stdin line ignored", "stdin line 0", "main returns",
                           "ExceptionOccurred no", "DestroyJavaVM")

    def wait_for_line(self, text, proc, limit=120):
        def recorded():
            record = Record(self.record_path)
            if any(text in l for l in record.lines):
                return record
            if proc.poll() is not None:
                self.fail("the worker ended early with exit code %r; record: %r"
                          % (proc.returncode, record.lines[-6:]))
            return None
        return harness.wait_until(recorded, limit, lambda: "%r never appeared in the record: %r"
                                  % (text, Record(self.record_path).lines[-6:]))


if __name__ == "__main__":
    harness.main()
