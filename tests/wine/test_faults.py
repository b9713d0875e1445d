"""Faults from outside under Wine: a temporary directory that cannot be made, an included file
that cannot be written, a disk that fills up during extraction, a worker that is killed while
the service runs, and a stop that comes while the worker is still starting.

What the launcher says it removes - the temporary directory of a run that ends through the exit
path - must be gone afterwards, and the service must always reach a final status.

The temporary path comes from TMP of the process environment. For a worker started from here
Wine takes TMP from HKCU\\Environment of the prefix, so the tests that move it set it there for
the run and put the key back as it was (regedit export and import). A small file system (tmpfs,
mounted by the test; it needs root) stands in for a full disk.
"""
import os
import re
import shutil
import subprocess

import harness
from test_hostile import HostileCase, kill_processes
from test_launch import MESSAGES, WORKER, Record, host_path, temp_dirs
from test_service_commands import ServiceTestCase, lines
from test_service_runtime import Service, probe, status_of

STOPPED, STOP_PENDING, RUNNING = 1, 3, 4
ENVIRONMENT_KEY = "HKEY_CURRENT_USER\\Environment"


def internal(detail):
    return MESSAGES[1009].replace("{0}", detail)


class TemporaryPath:
    """TMP of HKCU\\Environment pointed elsewhere until restore()."""

    def __init__(self, case, value):
        self.saved = os.path.join(case.dir, "environment.reg")
        r = harness.wine_tool(["regedit", "/E", harness.winpath(self.saved), ENVIRONMENT_KEY])
        case.assertEqual(r.returncode, 0, r)
        case.addCleanup(self.restore)
        r = harness.wine_tool(["reg", "add", "HKCU\\Environment", "/v", "TMP", "/d", value, "/f"])
        case.assertEqual(r.returncode, 0, r)

    def restore(self):
        harness.wine_tool(["reg", "delete", "HKCU\\Environment", "/v", "TMP", "/f"])
        harness.wine_tool(["regedit", "/S", harness.winpath(self.saved)])


def mount_small_disk(case, path, size):
    """A tmpfs of `size` at path, unmounted at the end; skips the test where mounting fails."""
    os.makedirs(path)
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", path], capture_output=True)
    if r.returncode != 0:
        case.skipTest("cannot mount a small file system here: %s" % r.stderr.decode(errors="replace").strip())
    case.addCleanup(subprocess.run, ["umount", "-l", path], capture_output=True)


def drive_c_logs():
    return {n for n in os.listdir(harness.drive_c()) if n.startswith("zlx_nlog")}


class ExtractionFaultTest(HostileCase):

    FILES = [b"PK\x03\x04 runtime" * 100, b"PK\x03\x04 second" * 100]

    def worker(self, strings, files, env=None):
        """Runs a worker with the log on; returns its result and the text of every log it left
        (in the prefix's temporary directory or in c:\\), which are removed."""
        before_temp, before_c = self.log_files(), drive_c_logs()
        result = self.run_exe(self.launcher(strings=self.block(strings), files=files), ["svc", WORKER],
                              env=self.env(dict(env or {}), log=True))
        text = ""
        for directory, names in ((harness.windows_temp_dir(), self.log_files() - before_temp),
                                 (harness.drive_c(), drive_c_logs() - before_c)):
            for name in names:
                with open(os.path.join(directory, name), "rb") as f:
                    text += f.read().decode("latin-1")
                os.remove(os.path.join(directory, name))
        return result, text

    def test_temporary_directory_cannot_be_made(self):
        self.write("not-a-directory", "x")
        cases = [("a file", self.path("not-a-directory"))]
        read_only = self.path("read-only")
        os.makedirs(read_only)
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", read_only], capture_output=True)
        if r.returncode == 0:
            self.addCleanup(subprocess.run, ["umount", "-l", read_only], capture_output=True)
            cases.append(("a read-only file system", read_only))
        for what, directory in cases:
            with self.subTest(what):
                moved = TemporaryPath(self, harness.winpath(directory))
                before = sorted(os.listdir(directory)) if os.path.isdir(directory) else None
                try:
                    result, log = self.worker({2002: "2", 2003: "a.jar;b.jar"}, self.FILES)
                finally:
                    moved.restore()
                self.assertEqual(result.code, 1, result)
                self.assertEqual(self.messages(result), [internal("7")])
                self.assertEqual(log.count("Could not create dir ("), 10, log)
                self.assertNotRegex(log, r"extracting .* \(size: ")
                if before is not None:
                    self.assertEqual(sorted(os.listdir(directory)), before)

    def test_included_file_cannot_be_written(self):
        temp = harness.windows_temp_dir()
        outside = ["escape.jar", os.path.join("..", "escape2.jar"), "escape3.jar"]
        cases = [
            # (names of key 2002/2003, what stands in the way)
            ("lib;lib\\a.jar", "a file where the sub-directory should be"),
            ("lib\\a.jar;lib", "a directory where the file should be"),
            ("sub\\", "a name that ends in a backslash"),
            ("x" * 300 + ".jar", "a name longer than a file name may be"),
            ("bad|name.jar", "a character no file name may hold"),
            # Names that leave the temporary directory: nothing may be written outside it, so
            # such a name is one that cannot be created.
            ("..\\escape.jar", "a name that climbs out of the temporary directory"),
            ("..\\..\\escape2.jar", "a name that climbs out two levels"),
            ("../escape3.jar", "a name that climbs out with a forward slash"),
        ]
        for names, what in cases:
            with self.subTest(what):
                before = temp_dirs()
                count = str(names.count(";") + 1)
                result, log = self.worker({2002: count, 2003: names}, self.FILES[:int(count)])
                escaped = [n for n in outside if os.path.exists(os.path.join(temp, n))]
                for name in escaped:
                    os.remove(os.path.join(temp, name))
                self.assertEqual(escaped, [], "files written outside the temporary directory")
                self.assertEqual(result.code, 1, result)
                self.assertEqual(self.messages(result), [internal("11")])
                self.assertNotIn("Creating JVM", log)
                self.assertEqual(temp_dirs(), before, "temporary directory left behind")

    def test_disk_full_while_extracting(self):
        small = self.path("small")
        mount_small_disk(self, small, "2m")
        moved = TemporaryPath(self, harness.winpath(small))
        big = os.urandom(3 << 20)
        try:
            result, log = self.worker({2002: "2", 2003: "a.jar;big.jar"}, [b"PK small", big])
        finally:
            moved.restore()
        self.assertEqual(result.code, 1, result)
        self.assertEqual(self.messages(result), [internal("16")])
        # The log lives on the same small disk: what was written of it before the disk filled.
        if "Temp dir: " in log:
            self.assertRegex(log, r"extracting .*\\big\.jar \(size: %d\)" % len(big))
        # Nothing of the run is left but the temporary file that named the directory (it stays
        # on purpose) and the log.
        left = sorted(os.listdir(small))
        self.assertEqual([n for n in left if not re.match(r"^(qrv[0-9A-Fa-f]+\.tmp|zlx_nlog_\d+)$", n)], [],
                         left)
        usage = shutil.disk_usage(small)
        self.assertLess(usage.used, 256 * 1024, "the partly written file still takes room")


class ServiceFaultTest(ServiceTestCase):
    """The real chain: svcrunner as the service's program (for the environment), the launcher as
    service process and as its own worker, the stand-in JVM as the Java side."""

    def service(self, dirname, files=(b"PK\x03\x04 runtime",), java_cfg=None):
        home = harness.standin_java_home(self.path(dirname, "jre"))
        if java_cfg is not None:
            with open(os.path.join(home, "bin", "java.cfg"), "w", newline="\r\n") as f:
                f.write(java_cfg)
        self.standin = self.path(dirname, "standin.txt")
        strings = dict(harness.STDERR_KIND)
        strings.update({128: "R.\\jre", 122: "com.example.Main", 2002: str(len(files)),
                        2003: ";".join("f%d.jar" % i for i in range(len(files)))})
        svc = Service(self, dirname, strings=strings, worker=None,
                      env=["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_RECORD=" + harness.winpath(self.standin)])
        table = {101: svc.name}
        table.update(strings)
        harness.write_launcher(svc.exe, strings=table, files=files)
        self.addCleanup(kill_processes, svc.exe)
        return svc

    def record(self):
        return Record(self.standin)

    def wait_for(self, text, seconds=60):
        def recorded():
            record = self.record()
            return record if any(l.startswith(text) for l in record.lines) else None
        return harness.wait_until(recorded, seconds, lambda: "the stand-in never recorded %r: %r"
                                  % (text, self.record().lines[-5:]))

    @staticmethod
    def run_entries(svc):
        """The per-run temporary directories and the files that named them: TMP of the service is
        its log directory."""
        return sorted(n for n in os.listdir(svc.logs) if re.match(r"^qrv[0-9A-Fa-f]+\.tmp(_dir-?\d+)?$", n))

    def test_worker_killed_while_the_service_runs(self):
        svc = self.service("svc")
        self.assertEqual(probe("start", svc.name).code, 0)
        record = self.wait_for("main serving")
        temp = host_path(record.option("-Dquorv.tempDir="))
        self.assertTrue(os.path.isdir(temp))
        # Killed from outside: its host process gets SIGKILL (Wine's taskkill /F does the same
        # to the Windows side; both leave the exit code 0 under Wine).
        self.assertEqual(kill_processes(svc.exe, WORKER), 1)
        # The service process sees its worker end with the code of the kill and ends itself.
        log = svc.ended_log()
        ended = [l for l in log if l.startswith("process terminated with exit code ")]
        self.assertEqual(len(ended), 1, log)
        code = int(ended[0].rsplit(" ", 1)[1])
        self.assertEqual([l for l in log if l][-1], "exiting")
        status = status_of(probe("status", svc.name).out)
        if code == 0:
            # Wine gives a process that was killed from outside the exit code 0, so the service
            # takes it for a worker that ended on its own and reports the clean stop.
            self.assertIn("service stopped set", log)
            self.assertEqual((status["state"], status["exit"], status["specific"]), (STOPPED, 0, 0))
        else:
            # No final status for a worker that ended with a non-zero code without a stop:
            # Windows then shows the service stopped with ERROR_PROCESS_ABORTED, Wine 8 keeps
            # showing it running.
            self.assertNotIn("service stopped set", log)
            self.assertIn((status["state"], status["exit"]), ((RUNNING, 0), (STOPPED, 1067)))
        self.assertNotIn("stdin line 0", self.record().lines)
        # A killed worker cannot clean up; the service process, which saw it end, has removed its
        # temporary directory and the file that named it.
        self.assertEqual(self.run_entries(svc), [])
        # The service can be started again (a registration still shown running is stopped first).
        svc.command("/stop")
        self.assertEqual(probe("start", svc.name).code, 0, "the service cannot be started again")
        os.remove(self.standin)
        self.wait_for("main serving")
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")))
        self.assertEqual(self.run_entries(svc), [])

    def test_service_process_killed_with_its_worker(self):
        # Nobody is left to clean up after the kill; the next worker of the same executable finds
        # the directory of a process that is gone and removes it, while the directory of a running
        # worker of another executable in the same place stays.
        other = self.service("other")
        other_standin = self.standin
        svc = self.service("svc")
        svc_standin = self.standin
        with open(os.path.join(other.dir, "runner.cfg"), "a", newline="\r\n") as f:
            f.write("env TMP=%s\n" % harness.winpath(svc.logs))
        self.assertEqual(probe("start", svc.name).code, 0)
        first = host_path(self.wait_for("main serving").option("-Dquorv.tempDir="))
        self.assertEqual(kill_processes(svc.exe), 2)
        harness.wait_until(lambda: not harness.processes_naming(svc.exe), 30,
                           lambda: "processes of %s still run: %r" % (svc.exe, harness.processes_naming(svc.exe)))
        name = os.path.basename(first)
        self.assertEqual(self.run_entries(svc), sorted([name, name.rsplit("_dir", 1)[0]]))
        self.assertEqual(os.listdir(first), ["f0.jar"])

        self.standin = other_standin
        self.assertEqual(probe("start", other.name).code, 0)
        foreign = host_path(self.wait_for("main serving").option("-Dquorv.tempDir="))
        self.assertEqual(os.path.dirname(foreign), os.path.dirname(first))
        self.assertTrue(os.path.isdir(first), "a worker of another executable removed the directory")

        # A registration still shown running is stopped first.
        svc.command("/stop")
        self.standin = svc_standin
        os.remove(self.standin)
        self.assertEqual(probe("start", svc.name).code, 0)
        second = host_path(self.wait_for("main serving").option("-Dquorv.tempDir="))
        self.assertFalse(os.path.exists(first), "the dead worker's directory stayed")
        self.assertFalse(os.path.exists(first.rsplit("_dir", 1)[0]))
        self.assertTrue(os.path.isdir(second))
        self.assertTrue(os.path.isdir(foreign), "a running worker's directory was touched")
        for service in (svc, other):
            r = service.command("/stop")
            self.assertEqual(r.code, 0, r)
        self.assertEqual(self.run_entries(svc), [])

    def test_stop_while_the_worker_is_starting(self):
        # The version probe of java.exe waits for its release file; the stop comes meanwhile.
        release = self.path("svc", "release")
        svc = self.service("svc", java_cfg='java version "1.8.0_202"\n0\n300\n\n\n%s\n' % harness.winpath(release))
        self.addCleanup(lambda: open(release, "w").close())  # a probe left waiting would outlive the test
        count = os.path.join(self.path("svc", "jre", "bin"), "java.count")
        self.assertEqual(probe("start", svc.name).code, 0)
        harness.wait_until(lambda: os.path.exists(count), 60, lambda: "the worker never probed java.exe; "
                           "service %s" % probe("status", svc.name).out.strip())
        r = probe("control", svc.name, 1)
        self.assertEqual(status_of(r.out)["state"], STOP_PENDING, r)
        self.assertEqual(self.record().lines, [], "the stop came too late to test anything")
        with open(release, "w"):
            pass
        status = svc.wait(STOPPED, seconds=120)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        record = "\n".join(self.record().lines)
        for line in ("main serving", "stdin line 0", "main returns", "DestroyJavaVM"):
            self.assertIn(line, record)
        log = svc.log_holding("service main")
        self.assertEqual(log.count("sending shutdown 0"), 1)
        self.assertIn("process terminated with exit code 0", log)

    def test_version_probe_leaves_no_file(self):
        # The worker of a service has no console: under Wine the probed java.exe then gets a
        # console host of its own, which inherits the probe's output file. The file must be gone
        # all the same once the worker has taken the version from it.
        svc = self.service("svc")
        self.assertEqual(probe("start", svc.name).code, 0)
        record = self.wait_for("main serving")
        self.assertIn("got version from execution 1.8.0_202", "\n".join(svc.log_holding("extracting files")))
        run_dir = os.path.basename(host_path(record.option("-Dquorv.tempDir=")))
        probe("control", svc.name, 1)
        svc.wait(STOPPED)
        # Only the logs stay: the service process removed the run's directory and the temporary
        # file that named it.
        left = sorted(n for n in os.listdir(svc.logs) if not n.startswith("zlx_nlog"))
        probe_files = []
        for name in left:
            path = os.path.join(svc.logs, name)
            if os.path.isfile(path) and os.path.getsize(path) > 0:
                with open(path, "rb") as f:
                    probe_files.append((name, f.read(40)))
        self.assertEqual(probe_files, [], "the version probe's output file stayed")
        self.assertEqual(left, [])
        self.assertTrue(run_dir.startswith("qrv"), run_dir)

    def test_stop_right_after_the_start(self):
        svc = self.service("svc")
        r = probe("startstop", svc.name)
        self.assertEqual(r.code, 0, r)
        status = svc.wait(STOPPED, seconds=120)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertIn("stdin line 0", self.record().lines)
        self.assertEqual(svc.log_holding("service main").count("sending shutdown 0"), 1)


if __name__ == "__main__":
    harness.main()
