"""The single-instance guard: a second worker of the same executable in single-instance mode
finds the first one's semaphore and ends with exit code 0; without that mode every worker takes
a numbered semaphore name of its own.

The workers run on the stand-in JVM (tests/fixtures/jvm_dll) in its service mode, so that the
first one stays inside main, reading its standard input, until the test writes the stop line.
"""
import os
import subprocess
import tempfile

import harness
from test_launch import WORKER, LaunchCase, Record, temp_dirs

PIDS_KEY = r"HKCU\SOFTWARE\kelvara\quorv\pids"


class Worker:
    """A worker started in the background, with a record file of its own."""

    def __init__(self, case, exe, record, env=None):
        self.record_path = record
        if os.path.exists(record):
            os.remove(record)
        extra = {"QUORV_STANDIN_RECORD": harness.winpath(record), "QUORV_STANDIN_MAIN": "service"}
        extra.update(env or {})
        self.case = case
        self.proc = subprocess.Popen([harness.WINE, exe, "svc", WORKER], env=harness.wine_env(extra),
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        case.addCleanup(self.kill)

    def record(self):
        return Record(self.record_path)

    def wait_serving(self, limit=120):
        def serving():
            record = self.record()
            if any(l.startswith("main serving") for l in record.lines):
                return record
            if self.proc.poll() is not None:
                self.case.fail("the worker ended early with exit code %r; record: %r"
                               % (self.proc.returncode, record.lines[-6:]))
            return None
        return harness.wait_until(serving, limit, lambda: "the worker never reached main; record: %r"
                                  % self.record().lines[-6:])

    def stop(self):
        """Writes the stop line; returns the exit code. The output pipes are not read to their
        end: a wineserver started by a worker would hold them open."""
        self.proc.stdin.write(b"0\n")
        self.proc.stdin.close()
        try:
            return self.proc.wait(timeout=120)
        except subprocess.TimeoutExpired:
            self.case.fail("the worker did not end; record: %r" % self.record().lines[-6:])

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for pipe in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            pipe.close()


def run_second(exe, env):
    """Runs a worker that is expected to end by itself; returns its exit code and standard error.
    Its output goes to files, not pipes: the window search of a second instance can start Wine's
    desktop process, which inherits the worker's output handles and outlives it."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.Popen([harness.WINE, exe, "svc", WORKER], env=harness.wine_env(env),
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        code = proc.wait(timeout=120)
        err.seek(0)
        return code, err.read().decode("latin-1")


def identity(exe):
    return harness.winpath(exe).lower().replace("\\", "_").replace(" ", "_")


class InstanceTest(LaunchCase):

    def exe(self, strings, name="app.exe"):
        return self.launcher(name=name, strings=self.block(strings), files=[b"jar"])

    def test_second_worker_activates_the_first_and_ends(self):
        exe = self.exe({10005: "1", 2002: "1", 2003: "rt.jar"})
        first = Worker(self, exe, self.path("first.txt"))
        record = first.wait_serving()
        pid = record.pid()
        self.assertEqual(record.option("-Dquorv.semaphoreName="), "Local\\" + identity(exe))
        value = harness.reg_query(PIDS_KEY, harness.winpath(exe).lower())
        self.assertIsNotNone(value)
        self.assertEqual(int(value, 16), pid)
        running = temp_dirs()

        before = self.log_files()
        second_record = self.path("second.txt")
        result = run_second(exe, {"QUORV_LOG": "yes", "QUORV_STANDIN_RECORD": harness.winpath(second_record)})
        self.assertEqual(result, (0, ""))
        self.assertFalse(os.path.exists(second_record))  # no JVM was loaded
        self.assertEqual(temp_dirs(), running)  # the second one's directory is gone
        log = self.read_new_log(before, result)
        self.assertInOrder(log, "single instance mode\r\n",
                           "semaphore name Local\\%s, code 183, value " % identity(exe),
                           "other pid %d\r\n" % pid, "exiting\r\n")
        self.assertNotIn("LoadDLL", log)
        # The registry still names the first instance.
        self.assertEqual(int(harness.reg_query(PIDS_KEY, harness.winpath(exe).lower()), 16), pid)

        self.assertEqual(first.stop(), 0)
        # Once the first has ended, the next worker is a first instance again.
        third = Worker(self, exe, self.path("third.txt"))
        third_pid = third.wait_serving().pid()
        self.assertEqual(int(harness.reg_query(PIDS_KEY, harness.winpath(exe).lower()), 16), third_pid)
        self.assertEqual(third.stop(), 0)

    def test_letter_case_of_the_path_does_not_matter(self):
        exe = self.exe({10005: "1"})
        first = Worker(self, exe, self.path("first.txt"))
        first.wait_serving()
        upper = os.path.join(self.dir, "APP.EXE")
        result = run_second(upper, {"QUORV_STANDIN_RECORD": harness.winpath(self.path("x.txt"))})
        self.assertEqual(result, (0, ""))
        self.assertFalse(os.path.exists(self.path("x.txt")))
        self.assertEqual(first.stop(), 0)

    def test_copies_in_two_directories_are_two_instances(self):
        a = self.launcher(name=os.path.join("a", "app.exe"), strings=self.block({10005: "1", 128: "R..\\jre"}))
        b = self.launcher(name=os.path.join("b", "app.exe"), strings=self.block({10005: "1", 128: "R..\\jre"}))
        first = Worker(self, a, self.path("a.txt"))
        second = Worker(self, b, self.path("b.txt"))
        self.assertEqual(first.wait_serving().option("-Dquorv.semaphoreName="), "Local\\" + identity(a))
        self.assertEqual(second.wait_serving().option("-Dquorv.semaphoreName="), "Local\\" + identity(b))
        self.assertEqual(first.stop(), 0)
        self.assertEqual(second.stop(), 0)

    def test_without_single_instance_mode_names_are_numbered(self):
        exe = self.exe({})
        first = Worker(self, exe, self.path("first.txt"))
        self.assertEqual(first.wait_serving().option("-Dquorv.semaphoreName="), "Local\\%s0" % identity(exe))
        second = Worker(self, exe, self.path("second.txt"))
        record = second.wait_serving()
        self.assertEqual(record.option("-Dquorv.semaphoreName="), "Local\\%s1" % identity(exe))
        self.assertIsNone(record.option("-Dquorv.processCommFile="))
        # A counter freed by an ended worker is taken again.
        self.assertEqual(first.stop(), 0)
        third = Worker(self, exe, self.path("third.txt"))
        self.assertEqual(third.wait_serving().option("-Dquorv.semaphoreName="), "Local\\%s0" % identity(exe))
        self.assertEqual(second.stop(), 0)
        self.assertEqual(third.stop(), 0)

    def test_global_namespace(self):
        exe = self.exe({158: "1", 10005: "1"})
        first = Worker(self, exe, self.path("first.txt"))
        record = first.wait_serving()
        self.assertEqual(record.option("-Dquorv.semaphoreName="), "Global\\" + identity(exe))
        self.assertRegex(record.option("-Dquorv.processCommFile="), r"\\qrv_p%d\.tmp$" % record.pid())
        result = run_second(exe, {"QUORV_STANDIN_RECORD": harness.winpath(self.path("x.txt"))})
        self.assertEqual(result, (0, ""))
        self.assertFalse(os.path.exists(self.path("x.txt")))
        self.assertEqual(first.stop(), 0)


if __name__ == "__main__":
    harness.main()
