"""What the launcher creates for others to read is not writable by others: the per-run temporary
directory, whose jars go on the class path of a JVM that may run as LocalSystem. And what another
user of the machine can plant or change does not steer the launcher: a library in a folder on
PATH, the version probe's output file, a link in the temporary directory, the communication file
and the log's fixed fallback name, and start arguments given to the service."""
import os
import re
import shutil
import subprocess
import time

import harness
import test_jvm_search as jvm
from test_faults import TemporaryPath
from test_files import FILES, NAMES, IncludedFilesCase
from test_launch import LaunchCase
from test_service_commands import ServiceTestCase
from test_service_runtime import RUNNING, Service, probe


class PrivateTempDirectory(IncludedFilesCase):

    def test_temp_directory_has_its_own_protected_access_list(self):
        exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        before = self.log_files()
        proc = self.start_worker(exe)
        log = self.wait_for_log(proc, before, "checkJavaExe (")
        win_temp = re.search(r"Temp dir: (.*?)\r?$", log, re.M).group(1)
        probe = harness.wine_tool([os.path.join(harness.FIXTURES, "acl_probe.exe"), win_temp])
        sddl = probe.stdout.decode("latin-1").strip()
        self.assertEqual(probe.returncode, 0, probe.stderr)
        # Wine keeps a directory's access list as Unix permission bits where the file system has
        # no extended attributes: the protected flag and the Administrators entry do not show
        # there, but the missing entry for everyone else does. A directory created with default
        # security beside it does grant everyone read access.
        trustees = set(re.findall(r"\(A;[^;]*;[^;]*;;;([^)]*)\)", sddl))
        self.assertIn("SY", trustees, sddl)
        self.assertTrue(trustees <= {"SY", "BA"} | {t for t in trustees if t.startswith("S-1-5-21-")}, sddl)
        self.assertNotIn("WD", trustees)  # Everyone
        self.assertNotIn("BU", trustees)  # Users
        os.makedirs(self.path("plain"))
        plain = harness.wine_tool([os.path.join(harness.FIXTURES, "acl_probe.exe"), harness.winpath(self.path("plain"))])
        self.assertIn(";;;WD)", plain.stdout.decode("latin-1"))
        proc.communicate(timeout=180)

    def test_clean_up_removes_a_link_but_not_what_it_points_to(self):
        # Someone able to add to the per-run directory makes a directory in it a link to another
        # folder: the clean-up at the end of the worker deletes the files of the run, but not
        # those of that folder. (Wine shows a host symbolic link as a directory reparse point.)
        target = self.path("elsewhere")
        os.makedirs(target)
        with open(os.path.join(target, "keep.txt"), "w") as f:
            f.write("keep")
        exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        before = self.log_files()
        proc = self.start_worker(exe)
        log = self.wait_for_log(proc, before, "checkJavaExe (")
        run_dir = os.path.join(harness.windows_temp_dir(),
                               re.search(r"Temp dir: .*\\(.*?)\r?$", log, re.M).group(1))
        self.assertTrue(os.path.isfile(os.path.join(run_dir, "a.jar")), os.listdir(run_dir))
        os.symlink(target, os.path.join(run_dir, "link"))
        proc.communicate(timeout=180)
        self.assertTrue(os.path.isfile(os.path.join(target, "keep.txt")),
                        "the clean-up deleted what the link points to")
        self.assertFalse(os.path.exists(os.path.join(run_dir, "a.jar")))
        if os.path.islink(os.path.join(run_dir, "link")):  # Wine cannot remove such a link
            os.remove(os.path.join(run_dir, "link"))


class PlantedRunRecordTest(IncludedFilesCase):
    """Anyone may create files and folders in the shared temporary directory: a record that names
    this executable and an owner that has ended, with a folder beside it, asks the next worker to
    empty that folder. Only a record and a folder of the worker's own user, with one name each,
    count; everything else is left alone."""

    def plant(self, stem, owner=None, second_name=None):
        temp = harness.windows_temp_dir()
        record = os.path.join(temp, stem + ".tmp")
        directory = record + "_dir1"
        with open(record, "w", newline="") as f:
            f.write("quorv-run 999999 0 %s\n" % harness.winpath(self.exe))
        os.makedirs(os.path.join(directory, "sub"))
        for name in ("victim.txt", os.path.join("sub", "victim.txt")):
            with open(os.path.join(directory, name), "w") as f:
                f.write("keep")
        if owner is not None:
            for root, dirs, files in os.walk(directory):
                for n in dirs + files:
                    os.chown(os.path.join(root, n), owner, -1)
            os.chown(directory, owner, -1)
            os.chown(record, owner, -1)
        if second_name is not None:
            os.link(record, self.path(second_name))
        self.addCleanup(shutil.rmtree, directory, True)
        self.addCleanup(lambda: os.path.lexists(record) and os.remove(record))
        return record, directory

    def test_only_the_users_own_ended_runs_are_removed(self):
        self.exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        nobody = 65534
        foreign = self.plant("qrvF0E1", owner=nobody)
        linked = self.plant("qrvF0E2", second_name="other-name")
        own = self.plant("qrvF0E3")
        result = self.run_worker(self.exe)
        self.assertEqual(result.code, 1, result)  # no JVM: the sleeper's java.exe is no runtime
        for record, directory in (foreign, linked):
            with self.subTest(record=os.path.basename(record)):
                self.assertTrue(os.path.isfile(os.path.join(directory, "sub", "victim.txt")),
                                "a planted run directory was emptied")
                self.assertTrue(os.path.isfile(record))
        self.assertFalse(os.path.exists(own[1]), "an ended run of the worker's own user was left")
        self.assertFalse(os.path.exists(own[0]))


class PlantedLibraryTest(jvm.JvmCase):
    """jvm.dll imports a library that the runtime keeps in bin (as a real one imports msvcr100.dll
    or vcruntime140.dll); a copy planted in a folder on PATH is never the one loaded."""

    def test_library_planted_on_path_is_not_loaded(self):
        plant = self.path("plant")
        os.makedirs(plant)
        shutil.copy(os.path.join(harness.FIXTURES, "planted_dep", "qrvdep.dll"), plant)
        marker = self.path("planted-was-loaded")
        env = {"WINEPATH": harness.winpath(plant), "QUORV_PLANTED_MARKER": harness.winpath(marker)}
        # The runtime's copy in bin (the layout of Java 8 and of 11 and later), or beside jvm.dll.
        for rel, dep_dir in (("jre8", "bin"), ("jre11", os.path.join("bin", "server"))):
            with self.subTest(dep_dir):
                home = self.java_home(rel, dll="withdep")
                shutil.copy(os.path.join(harness.FIXTURES, "runtime_dep", "qrvdep.dll"), os.path.join(home, dep_dir))
                result, log = self.start({128: "R.\\" + rel}, env=env)
                self.assertIn(jvm.LOADED, log)
                self.assertFalse(os.path.exists(marker), "the planted library was loaded:\n" + log)
                # PATH is what it always was: the old value, then the runtime's bin.
                setting = [l for l in log.splitlines() if l.startswith("Setting PATH ") and "(native" not in l]
                self.assertTrue(setting and harness.winpath(plant) in setting[0] and
                                setting[0].endswith(";" + jvm.win(os.path.join(home, "bin"))), setting)


class ProbeFileTest(jvm.JvmCase):

    def test_probe_output_cannot_be_rewritten_by_name(self):
        # The probed program plays the other user: it finds the file behind its standard error
        # and tries to put a version of its choosing there.
        home = self.java_home("jre")
        with open(os.path.join(home, "bin", "java.cfg"), "a") as f:
            f.write("\n%s\n" % jvm.java_line("99.0"))
        result, log = self.start({128: "R.\\jre"})
        self.assertIn("got version from execution 1.8.0_202\n", log)
        self.assertNotIn("99.0", log)
        outcome = self.runs(home)[-1]
        self.assertTrue(outcome.startswith(("could not open", "no name")), outcome)


class CommunicationFileTest(LaunchCase):

    def test_pre_created_communication_file_is_not_used(self):
        # The name holds only the process id; someone may have made a file or a link for every
        # id. The worker takes a name of its own instead and leaves theirs untouched.
        temp = harness.windows_temp_dir()
        target = self.path("target.txt")
        with open(target, "w") as f:
            f.write("target")
        planted = {}
        for pid in range(4, 0x4000, 4):
            name = os.path.join(temp, "qrv_p%d.tmp" % pid)
            if not os.path.lexists(name):
                if pid % 8:
                    with open(name, "w") as f:
                        f.write("planted")
                else:
                    os.symlink(target, name)
                planted[pid] = name
        self.addCleanup(lambda: [os.remove(n) for n in planted.values() if os.path.lexists(n)])
        result, record, log = self.start({10005: "1"})
        pid = record.pid()
        self.assertIn(pid, planted, "the worker's id %r lies outside the planted range" % pid)
        comm = record.option("-Dquorv.processCommFile=")
        self.assertRegex(comm, r"\\qrv_p%d_[0-9A-F]{8}\.tmp$" % pid)
        made = os.path.join(temp, comm.rsplit("\\", 1)[1])
        self.assertFalse(os.path.lexists(made), "the file of the run stayed after its normal end")
        if os.path.islink(planted[pid]):
            self.assertEqual(os.readlink(planted[pid]), target)
        else:
            with open(planted[pid]) as f:
                self.assertEqual(f.read(), "planted")
        with open(target) as f:
            self.assertEqual(f.read(), "target")


class SharedTempReferenceTest(LaunchCase):

    def test_entries_in_the_shared_temporary_directory_are_logged(self):
        result, record, log = self.start({121: "A0${launcher:sys.tempDir}x.jar;A0lib\\a.jar",
                                          10004: "%TEMP%\\dlls"})
        self.assertIn("warning: classpath entry ${launcher:sys.tempDir}x.jar names the shared temporary "
                      "directory (${launcher:sys.tempDir})", log)
        self.assertIn("warning: native lib dir %TEMP%\\dlls names the shared temporary directory (%TEMP%)", log)
        self.assertNotIn("lib\\a.jar names", log)


class LogFallbackTest(LaunchCase):

    def test_pre_created_fallback_log_is_not_used(self):
        # With no numbered log possible (TMP on a read-only file system), the log falls back to
        # the fixed name c:\zlx_nlog, where anyone may have made a file first.
        read_only = self.path("read-only")
        os.makedirs(read_only)
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", read_only], capture_output=True)
        if r.returncode != 0:
            self.skipTest("cannot mount a read-only file system here")
        self.addCleanup(subprocess.run, ["umount", "-l", read_only], capture_output=True)
        fallback = harness.drive_c("zlx_nlog")
        self.assertFalse(os.path.exists(fallback), "a c:\\zlx_nlog is left from elsewhere")
        with open(fallback, "w") as f:
            f.write("planted\n")
        self.addCleanup(os.remove, fallback)
        moved = TemporaryPath(self, harness.winpath(read_only))
        try:
            result, record, log = self.start({128: "Rmissing"}, log=False, env={"QUORV_LOG": "yes"})
        finally:
            moved.restore()
        with open(fallback) as f:
            self.assertEqual(f.read(), "planted\n")
        # Messages still name the fallback, as they do whenever no log file could be written.
        self.assertIn("Log: c:\\zlx_nlog", result.err)


class StartArgumentsTest(ServiceTestCase):

    def test_j_start_arguments_do_not_reach_the_worker(self):
        svc = Service(self, "svc", strings={125: "1"})
        r = probe("start", svc.name, "a", "-J-javaagent:C:\\evil.jar", "b")
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        svc.wait_record("priority: 0x20")
        self.assertEqual(svc.record()[0], 'command line: %s %s a b __zlx_restart'
                         % (harness.winpath(svc.runner), svc.name))
        self.assertIn("start argument -J-javaagent:C:\\evil.jar ignored: JVM options come only from the "
                      "service's command line", svc.service_log())
        svc.command("/stop")

    def test_j_start_argument_hidden_by_quotes_does_not_reach_the_worker(self):
        # Both quote characters: the worker's splitter would give it back without its double
        # quotes, as -J-javaagent:...='.
        sneaky = "\"-J-javaagent:C:\\Users\\Public\\x.jar='"
        svc = Service(self, "svc", strings={125: "1"})
        self.assertEqual(probe("start", svc.name, "a", sneaky).code, 0)
        svc.wait(RUNNING)
        svc.wait_record("priority: 0x20")
        self.assertEqual(svc.record()[0], 'command line: %s %s a __zlx_restart' % (harness.winpath(svc.runner), svc.name))
        self.assertIn("start argument %s ignored: JVM options come only from the service's command line" % sneaky,
                      svc.service_log())
        svc.command("/stop")

    def test_without_j_options_start_arguments_pass_unchanged(self):
        svc = Service(self, "svc")
        self.assertEqual(probe("start", svc.name, "-J-Xmx1g").code, 0)
        svc.wait(RUNNING)
        svc.wait_record("priority: 0x20")
        self.assertEqual(svc.record()[0], 'command line: %s %s -J-Xmx1g __zlx_restart'
                         % (harness.winpath(svc.runner), svc.name))
        svc.command("/stop")


if __name__ == "__main__":
    harness.main()
