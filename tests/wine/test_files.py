"""Included files: the worker extracts them into its temporary directory, and the directory goes
away when the worker ends through its exit path.

The worker is held alive by a Java home whose java.exe is the sleeper fixture: the JVM search runs
it with "-version" and waits, and the test looks at the extracted files meanwhile, then lets the
sleeper end (its release file). No JVM is found in the end, so the worker ends with exit code 1
through the exit path, which removes the directory.
"""
import os
import re
import shutil
import struct
import subprocess

import harness

INTERNAL = "An internal error occurred (error code: {0})"
NO_JVM = "No JVM here ({0}-bit)"
RESTART = "__zlx_restart"
HOLD_SECONDS = 300  # the longest that a sleeper waits for its release file
NAMES = "a.jar;lib\\b.jar;c.txt"


def extraction_part(log):
    """The log up to the end of the extraction (the failed JVM search logs errors after it)."""
    return log[:log.index("extracting files done")]


def content(seed, size):
    """Bytes of every value, of a length that is no multiple of the copy buffer."""
    return bytes((i * 131 + seed * 17 + (i >> 8)) & 0xFF for i in range(size))


A_JAR = content(1, 70001)
B_JAR = content(2, 8193)
C_TXT = b"plain text\r\n"
FILES = [A_JAR, B_JAR, C_TXT]


class IncludedFilesCase(harness.WineTestCase):
    """Runs workers held alive by the sleeper java.exe; no tests of its own."""

    def setUp(self):
        super().setUp()
        bin_dir = self.path("jre", "bin")
        os.makedirs(bin_dir)
        shutil.copy(os.path.join(harness.FIXTURES, "sleeper.exe"), os.path.join(bin_dir, "java.exe"))
        temp = harness.windows_temp_dir()
        earlier = set(os.listdir(temp))
        self.addCleanup(harness.remove_new_temp_entries, temp, earlier)

    def strings(self, count, names, **extra):
        table = dict(harness.STDERR_KIND)
        table.update({2002: count, 2003: names, 1009: INTERNAL, 1016: NO_JVM,
                      128: "R" + harness.winpath(self.dir)})
        table.update(extra)
        return table

    # --- running a worker -------------------------------------------------------------------

    def log_files(self):
        return {n for n in os.listdir(harness.windows_temp_dir()) if n.startswith("zlx_nlog")}

    def start_worker(self, exe):
        """Starts a worker whose java.exe (the sleeper) waits until release()."""
        if os.path.exists(self.path("release")):
            os.remove(self.path("release"))
        env = harness.wine_env({"QUORV_LOG": "yes", "QUORV_SLEEPER_SECONDS": str(HOLD_SECONDS),
                                "QUORV_SLEEPER_RELEASE": harness.winpath(self.path("release"))})
        proc = subprocess.Popen([harness.WINE, exe, RESTART], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        self.addCleanup(self.kill, proc)
        self.addCleanup(self.release)  # runs first: a sleeper left waiting would outlive the test
        return proc

    def release(self):
        """Lets the sleeper of the worker end."""
        with open(self.path("release"), "w"):
            pass

    @staticmethod
    def run_worker(exe):
        """Runs a worker to its end, with the log on and standard error's line ends made plain."""
        result = harness.run(exe, [RESTART], env={"QUORV_LOG": "yes"})
        result.err = result.err.replace("\r\n", "\n")
        return result

    @staticmethod
    def kill(proc):
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=60)
        for stream in (proc.stdout, proc.stderr):
            if stream:
                stream.close()

    @staticmethod
    def read_log(name):
        with open(os.path.join(harness.windows_temp_dir(), name), "rb") as f:
            return f.read().decode("latin-1")

    def new_log(self, before, none_yet_ok=False):
        """The one log file created since `before`; "" while there is none yet, if none_yet_ok."""
        new = sorted(self.log_files() - before)
        if not new and none_yet_ok:
            return ""
        if len(new) != 1:
            self.fail("expected one new log file, found %r:\n%s" % (
                new, "\n".join("%s:\n%s" % (n, self.read_log(n)[-3000:]) for n in new)))
        return self.read_log(new[0])

    def wait_for_log(self, proc, before, text, timeout=90):
        def logged():
            log = self.new_log(before, none_yet_ok=True)
            if text in log:
                return log
            if proc.poll() is not None:
                self.fail("worker ended (code %r) before logging %r:\n%s" % (proc.returncode, text, log))
            return None
        return harness.wait_until(logged, timeout, lambda: "no %r in the log; it ends %r"
                                  % (text, self.new_log(before, none_yet_ok=True)[-500:]))

    @staticmethod
    def temp_dir_of(log):
        """Host path of the worker's temporary directory, from its "Temp dir: " line."""
        dirs = re.findall(r"Temp dir: (.*?)\r?$", log, re.M)
        if not dirs:
            return None
        return os.path.join(harness.windows_temp_dir(), dirs[-1].rsplit("\\", 1)[-1])

    @staticmethod
    def snapshot(root):
        """Every entry below root: directories as "name\\" -> None, files as name -> bytes."""
        tree = {}
        for dirpath, dirnames, filenames in os.walk(root):
            rel = os.path.relpath(dirpath, root)
            prefix = "" if rel == "." else rel.replace(os.sep, "\\") + "\\"
            for d in dirnames:
                tree[prefix + d + "\\"] = None
            for name in filenames:
                with open(os.path.join(dirpath, name), "rb") as f:
                    tree[prefix + name] = f.read()
        return tree

    def run_alive(self, exe):
        """Runs a worker; returns the temporary directory's content while the worker waits for
        java.exe, the directory's host path, the finished worker's result and its log."""
        before = self.log_files()
        proc = self.start_worker(exe)
        log = self.wait_for_log(proc, before, "checkJavaExe (")
        temp = self.temp_dir_of(log)
        tree = self.snapshot(temp) if temp and os.path.isdir(temp) else None
        self.assertIsNone(proc.poll(), "the worker ended while its files were being read")
        self.release()
        out, err = proc.communicate(timeout=180)
        result = harness.Result(proc.returncode, out.decode("latin-1"),
                                err.decode("latin-1").replace("\r\n", "\n"))
        return tree, temp, result, self.new_log(before)

    def assert_ended_without_jvm(self, result, temp):
        self.assertEqual(result.code, 1, result)
        self.assertIn("No JVM here (64-bit)", result.err)
        self.assertFalse(os.path.exists(temp), "temporary directory left behind: %s" % temp)


class IncludedFilesTest(IncludedFilesCase):

    def test_files_extracted_while_worker_lives_and_removed_at_exit(self):
        exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        tree, temp, result, log = self.run_alive(exe)
        self.assertEqual(tree, {"a.jar": A_JAR, "lib\\": None, "lib\\b.jar": B_JAR, "c.txt": C_TXT})
        self.assertRegex(os.path.basename(temp), r"^qrv[0-9A-Fa-f]+\.tmp_dir-?\d+$")
        win_temp = re.search(r"Temp dir: (.*?)\r?$", log, re.M).group(1)
        for line in ("extracting files", "Included files: 3", "creating directory %s\\lib" % win_temp,
                     "extracting %s\\a.jar (size: %d)" % (win_temp, len(A_JAR)),
                     "extracting %s\\lib\\b.jar (size: %d)" % (win_temp, len(B_JAR)),
                     "extracting %s\\c.txt (size: %d)" % (win_temp, len(C_TXT)),
                     "extracting files done"):
            self.assertIn(line + "\n", log.replace("\r\n", "\n"))
        self.assertNotIn("ERROR:", extraction_part(log))
        self.assert_ended_without_jvm(result, temp)
        # The temporary file that gave the directory its name stays.
        self.assertTrue(os.path.exists(temp.rsplit("_dir", 1)[0]))

    def test_count_of_key_2002_limits_the_names(self):
        cases = [
            ("1", NAMES, FILES, {"a.jar": A_JAR}),
            ("5", NAMES, FILES, {"a.jar": A_JAR, "lib\\": None, "lib\\b.jar": B_JAR, "c.txt": C_TXT}),
            ("-1", NAMES, FILES, {}),
            # Empty pieces are skipped; a sub-directory that already exists is fine.
            ("2", ";lib\\x.jar;;lib\\y.jar;", [b"x" * 10, b"y" * 20],
             {"lib\\": None, "lib\\x.jar": b"x" * 10, "lib\\y.jar": b"y" * 20}),
        ]
        for count, names, files, expected in cases:
            with self.subTest(count=count, names=names):
                exe = self.launcher(strings=self.strings(count, names), files=files)
                tree, temp, result, log = self.run_alive(exe)
                self.assertEqual(tree, expected)
                self.assertIn("extracting files done", log)
                self.assertNotIn("ERROR:", extraction_part(log))
                self.assert_ended_without_jvm(result, temp)

    def test_clean_up_at_exit_reaches_two_levels(self):
        # The directory's files go, and those of its direct sub-directories, which are then
        # removed; below that only an empty directory goes, and a non-empty one keeps the
        # directories above it.
        exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        before = self.log_files()
        proc = self.start_worker(exe)
        log = self.wait_for_log(proc, before, "checkJavaExe (")
        temp = self.temp_dir_of(log)
        os.makedirs(os.path.join(temp, "lib", "deep"))
        with open(os.path.join(temp, "lib", "deep", "kept.txt"), "wb") as f:
            f.write(b"kept")
        os.makedirs(os.path.join(temp, "other", "empty"))
        self.release()
        out, err = proc.communicate(timeout=180)
        self.assertEqual(proc.returncode, 1, err)
        self.assertEqual(self.snapshot(temp), {"lib\\": None, "lib\\deep\\": None, "lib\\deep\\kept.txt": b"kept"})
        win_temp = re.search(r"Temp dir: (.*?)\r?$", self.new_log(before), re.M).group(1)
        lines = self.new_log(before).replace("\r\n", "\n").split("\n")
        for line in ("emptying %s" % win_temp, "attempting to delete %s\\a.jar" % win_temp,
                     "attempting to remove %s\\lib (1)" % win_temp, "emptying %s\\lib" % win_temp,
                     "attempting to delete %s\\lib\\b.jar" % win_temp,
                     "attempting to remove %s\\lib\\deep (0)" % win_temp,
                     "attempting to remove %s\\other\\empty (0)" % win_temp):
            self.assertIn(line, lines)
        self.assertNotIn("emptying %s\\lib\\deep" % win_temp, lines)

    def test_zero_length_record_writes_no_file(self):
        exe = self.launcher(strings=self.strings("3", "empty.bin;b.txt;c.txt"),
                            files=[b"", b"hello", b"world"])
        tree, temp, result, log = self.run_alive(exe)
        self.assertEqual(tree, {"b.txt": b"hello", "c.txt": b"world"})
        self.assertIn("empty.bin (size: 0)", log)
        self.assert_ended_without_jvm(result, temp)

    def test_count_zero_makes_no_directory(self):
        exe = self.launcher(strings=self.strings("0", NAMES), files=FILES)
        before = self.log_files()
        proc = self.start_worker(exe)
        self.release()
        out, err = proc.communicate(timeout=180)
        log = self.new_log(before)
        self.assertEqual(proc.returncode, 1, err)
        self.assertIn("Included files: 0", log)
        self.assertNotIn("Temp dir:", log)
        self.assertIn("checkJavaExe (", log)

    def test_name_with_two_backslashes_cannot_be_created(self):
        exe = self.launcher(strings=self.strings("2", "a.jar;x\\y\\z.jar"), files=[A_JAR, b"zzz"])
        before = self.log_files()
        result = self.run_worker(exe)
        log = self.new_log(before)
        self.assertEqual(result.code, 1, result)
        # The message, then the log's path, as the fatal path shows it with the log on.
        self.assertTrue(result.err.startswith(INTERNAL.replace("{0}", "11") + "\n\nLog: "), result)
        temp = self.temp_dir_of(log)
        self.assertIn("creating directory ", log)
        self.assertRegex(log, r"creating directory .*\\x\r?\n")
        self.assertNotIn("failed to create directory", log)
        self.assertNotIn("checkJavaExe", log)
        self.assertFalse(os.path.exists(temp), "temporary directory left behind: %s" % temp)

    def test_executable_cut_inside_a_record(self):
        strings = self.strings("2", "a.jar;b.jar")
        head = struct.pack("<IIIq", harness.MAGIC, 0, 0, 0) + harness.config_bytes(strings)
        records = harness.file_records([A_JAR, B_JAR])
        second = 8 + len(A_JAR)
        cases = [
            # (cut after this many bytes of the records, error text, log line)
            (second + 8 + 100, INTERNAL.replace("{0}", "16"), "ERROR: ReadFile failed 0 "),
            (second + 4, "Internal Error: readLong", None),
        ]
        for cut, message, line in cases:
            with self.subTest(cut=cut):
                exe = self.launcher(block=head + records[:cut])
                before = self.log_files()
                result = self.run_worker(exe)
                log = self.new_log(before)
                self.assertEqual(result.code, 1, result)
                self.assertTrue(result.err.startswith(message + "\n"), result)
                temp = self.temp_dir_of(log)
                self.assertFalse(os.path.exists(temp), "temporary directory left behind: %s" % temp)
                if line:
                    self.assertIn(line, log)
                    self.assertRegex(log, r"ERROR: ReadFile failed 0 \d+ 100\r?\n")
                    self.assertRegex(log, r"ERROR: Failed to extract .*\\b\.jar\r?\n")
                self.assertNotIn("extracting files done", log)


if __name__ == "__main__":
    harness.main()
