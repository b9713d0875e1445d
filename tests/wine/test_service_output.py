"""What a service does is visible and controllable: the worker log (the worker's standard output
and error copied into a file that is moved aside by size), the stop timeout (a worker that does
not end after a stop is ended, with the processes it started) and the console run (/run).

The launcher runs as its own worker with the stand-in JVM of tests/fixtures/jvm_dll as the Java
side; its environment options make main write numbered output lines, ignore the stop line, start
a child program or end with an exit code. The services are started through the runner of
test_service_runtime.py, which gives them the environment of the test.
"""
import os
import re
import shutil
import signal
import subprocess

import harness
import test_event_log
from test_service_commands import ServiceTestCase, lines, wait_for_scm
from test_service_runtime import STOP_PENDING, STOPPED, Service, probe, read_lines, status_of

NO_JVM = "No JVM could be found on your system.\nPlease define QUORV_JAVA_HOME\nto point to an installed {0}-bit JDK."
LINE = re.compile(r"^out (\d{9}) x{85}$")


def read_text(path):
    """A file's text with its line ends as they are; "" while it does not exist."""
    if not os.path.exists(path):
        return ""
    with open(path, encoding="latin-1", newline="") as f:
        return f.read()


def wait_for(what, condition, seconds=60):
    """Polls `condition` until it returns something true; fails with what was last seen."""
    seen = [None]

    def look():
        seen[0] = condition()
        return seen[0]
    return harness.wait_until(look, seconds, lambda: "%s never happened; last seen: %r" % (what, seen[0]))


class OutputCase(ServiceTestCase):

    def java_home(self, dirname):
        harness.standin_java_home(self.path(dirname, "jre"))

    @staticmethod
    def strings(extra=None):
        table = dict(harness.STDERR_KIND)
        table.update({128: "R.\\jre", 122: "com.example.Main"})
        table.update(extra or {})
        return table

    def java_service(self, strings, env, with_jre=True, files=()):
        if with_jre:
            self.java_home("svc")
        standin = self.path("svc", "standin.txt")
        svc = Service(self, "svc", strings=strings, worker=None, files=files,
                      env=["QUORV_STANDIN_RECORD=" + harness.winpath(standin)] + env)
        svc.standin = standin
        return svc

    def wait_standin(self, svc, prefix):
        return wait_for("stand-in line %r" % prefix,
                        lambda: [l for l in read_lines(svc.standin) if l.startswith(prefix)])

    def no_process_left(self, *paths):
        left = wait_for("the end of every process of %r" % (paths,),
                        lambda: harness.processes_naming(*paths) == [] or None, seconds=30)
        self.assertTrue(left)


class WorkerLogTest(OutputCase):

    def test_rotation_keeps_every_line_once_and_exactly_keep_old_files(self):
        total_lines = 30000  # 3 000 000 bytes, written as fast as the stand-in can
        svc = self.java_service(self.strings({30300: "wlog\\service.log", 30301: "64KB", 30302: "3"}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_OUTPUT=%d" % (total_lines * 100)])
        self.assertEqual(probe("start", svc.name).code, 0)
        self.wait_standin(svc, "output written")
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")))
        wlog = self.path("svc", "wlog")
        names = sorted(os.listdir(wlog))
        self.assertEqual(names, ["service.log", "service.log.1", "service.log.2", "service.log.3"])
        texts = []
        for name in ["service.log.3", "service.log.2", "service.log.1", "service.log"]:
            with open(os.path.join(wlog, name), "rb") as f:
                data = f.read()
            self.assertLessEqual(len(data), 65536, name)
            texts.append(data.decode("latin-1"))
        # The files in order are one stream (the worker's lines end in a line feed alone).
        kept = "".join(texts).split("\n")
        numbers = [int(m.group(1)) for m in (LINE.match(l) for l in kept) if m]
        # The newest lines, each once, none missing: a run that ends with the last one.
        self.assertEqual(numbers[-1], total_lines)
        self.assertEqual(numbers, list(range(numbers[0], total_lines + 1)))
        self.assertGreater(len(numbers), 1500)  # the three old files are full
        others = [l for l in kept if l and not LINE.match(l)]
        self.assertEqual(others[-2:], ["stderr line", others[-1]])
        self.assertRegex(others[-1], r"^\[[-0-9 :]+\] worker ended, exit code 0, after a stop request\r$")

    def test_bytes_that_cannot_be_written_are_counted_once_writing_works_again(self):
        # The log's directory goes away while the service runs: the next move aside cannot
        # reopen the file, and what the worker writes then is dropped (the worker goes on). Once
        # the directory is back, the next line of the service's own brings the count first. 20
        # old files keep every byte that was written.
        batch = 5000
        gate = self.path("svc", "gate")
        svc = self.java_service(self.strings({30300: "wlog\\service.log", 30301: "1KB", 30302: "20"}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_OUTPUT=%d" % batch,
                                 "QUORV_STANDIN_OUTPUT_GATE=" + harness.winpath(gate)])
        self.assertEqual(probe("start", svc.name).code, 0)
        self.wait_standin(svc, "output written")
        wlog, away = self.path("svc", "wlog"), self.path("svc", "wlog.away")
        os.rename(wlog, away)
        open(gate, "w").close()
        wait_for("the second batch", lambda: len(self.wait_standin(svc, "output written")) == 2)
        self.wait_standin(svc, "main serving")
        os.mkdir(wlog)
        r = svc.command("/stop")
        self.assertEqual(r.code, 0, r)
        texts = [read_text(os.path.join(d, n)) for d in (away, wlog) for n in sorted(os.listdir(d))]
        self.assertEqual(sorted(os.listdir(wlog)), ["service.log"])
        own = re.compile(r"\[[-0-9 :]+\] ([^\r\n]*)\r\n")
        counts = [int(m.group(1)) for t in texts for m in re.finditer(r"\] (\d+) bytes of worker output dropped", t)]
        self.assertEqual(len(counts), 1, texts)
        worker_bytes = sum(len(own.sub("", t).encode("latin-1")) for t in texts)
        # Everything the worker wrote is either in a file or in the count, nothing twice.
        total = 2 * (batch + len("stderr line\n"))
        self.assertEqual(worker_bytes + counts[0], total)
        self.assertGreater(counts[0], 0)
        self.assertRegex(read_text(os.path.join(wlog, "service.log")),
                         r"^\[[-0-9 :]+\] \d+ bytes of worker output dropped: the log could not be written\r\n"
                         r"\[[-0-9 :]+\] worker ended, exit code 0, after a stop request\r\n$")

    def check_planted_log_is_not_written(self, plant):
        # Someone who may create entries where the worker log goes puts a second name of another
        # file there, or a link to another directory in place of the log's directory: the
        # service writes nothing through it. (A symbolic link in place of the file itself looks
        # like a plain file under Wine 8, so it cannot be shown here.)
        elsewhere = self.path("elsewhere")
        os.makedirs(elsewhere)
        target = os.path.join(elsewhere, "service.log")
        with open(target, "w") as f:
            f.write("keep")
        os.makedirs(self.path("svc"))
        plant(elsewhere, self.path("svc", "wlog"))
        svc = self.java_service(self.strings({30300: "wlog\\service.log"}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_OUTPUT=1000"])
        self.assertEqual(probe("start", svc.name).code, 0)
        self.wait_standin(svc, "output written")
        r = svc.command("/stop")
        self.assertEqual(r.code, 0, r)
        self.assertEqual(os.listdir(elsewhere), ["service.log"])
        with open(target) as f:
            self.assertEqual(f.read(), "keep")
        return svc.ended_log()

    def test_a_log_file_with_a_second_name_is_not_written(self):
        def second_name(elsewhere, wlog):
            os.makedirs(wlog)
            os.link(os.path.join(elsewhere, "service.log"), os.path.join(wlog, "service.log"))
        log = self.check_planted_log_is_not_written(second_name)
        self.assertTrue(any(l.startswith("worker log: ") and l.endswith("service.log is a link or has another name; "
                                                                        "it is not used") for l in log), log)

    def test_a_log_directory_that_is_a_link_is_not_written(self):
        log = self.check_planted_log_is_not_written(os.symlink)
        self.assertTrue(any(l.startswith("worker log ") and l.endswith(" cannot be opened now") for l in log), log)

    def test_the_launchers_message_reaches_the_worker_log(self):
        # No Java home: the worker's message (with the path of its diagnostic log) goes to its
        # standard error, which the worker log keeps.
        svc = self.java_service(self.strings({30300: "service.log", 1016: NO_JVM}), [], with_jre=False)
        self.assertEqual(probe("start", svc.name).code, 0)
        path = self.path("svc", "service.log")
        text = wait_for("the worker's end in the worker log", lambda: "worker ended" in read_text(path) and read_text(path))
        self.assertInOrder(text, "worker started, process id ", "No JVM could be found on your system.",
                           "\r\n\r\nLog: ", "worker ended, exit code 1, on its own\r\n")
        log_line = re.search(r"Log: (.*)\r\n", text).group(1)
        self.assertIn("zlx_nlog", log_line)
        # The diagnostic log of the worker holds the message too.
        self.assertTrue(svc.log_holding("message: No JVM could be found on your system."),
                        "the worker's diagnostic log does not hold the message")


class StopTimeoutTest(OutputCase):

    def test_a_worker_that_ignores_the_stop_is_ended_with_its_child(self):
        child = self.path("svc", "child_sleeper.exe")
        os.makedirs(os.path.dirname(child), exist_ok=True)
        shutil.copy(os.path.join(harness.FIXTURES, "sleeper.exe"), child)
        svc = self.java_service(self.strings({30300: "service.log", 30303: "5s"}),
                                ["QUORV_STANDIN_MAIN=ignore-stop", "QUORV_STANDIN_CHILD=" + harness.winpath(child),
                                 "QUORV_SLEEPER_SECONDS=600"])
        self.assertEqual(probe("start", svc.name).code, 0)
        self.wait_standin(svc, "main serving")
        self.wait_standin(svc, "child pid ")
        self.assertTrue(harness.processes_naming(child), "the child does not run")
        r = probe("control", svc.name, 1)
        self.assertEqual(status_of(r.out)["state"], STOP_PENDING, r)
        # While it waits, the service tells that the stop progresses.
        status = wait_for("a check point while the stop is pending",
                          lambda: (lambda s: s if s["state"] == STOP_PENDING and s["checkpoint"] >= 1 else None)(
                              status_of(probe("status", svc.name).out)), seconds=30)
        self.assertEqual(status["hint"], 10000)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertIn("main ignores the stop", read_lines(svc.standin))
        self.no_process_left(child, svc.exe)
        log = svc.service_log()
        self.assertIn("worker did not end within 5000 ms of the stop request; ending it", log)
        self.assertInOrder("\n".join(log), "process terminated with exit code 1", "service stopped set", "exiting")
        self.assertInOrder(read_text(self.path("svc", "service.log")), "worker did not end within 5000 ms of the stop request: ending it\r\n",
                           "worker ended, exit code 1, after a stop request\r\n")


class StopTimeoutEventTest(OutputCase):
    """The stop that timed out is a warning in the Application event log, which Wine prints on
    its eventlog channel (see test_event_log.py, whose traced server this class uses, with the
    warnings on)."""
    DEBUG = "err+eventlog,warn+eventlog"

    @classmethod
    def setUpClass(cls):
        test_event_log.DEBUG = cls.DEBUG
        test_event_log.start_traced_server()
        wait_for_scm()

    tearDownClass = test_event_log.EventLogTest.tearDownClass

    def setUp(self):
        super().setUp()
        self.trace_start = os.path.getsize(test_event_log.TRACE)

    trace = test_event_log.EventLogTest.trace
    wait_trace = test_event_log.EventLogTest.wait_trace

    def test_the_timed_out_stop_is_a_warning_event(self):
        svc = self.java_service(self.strings({30303: "1s"}), ["QUORV_STANDIN_MAIN=ignore-stop", "WINEDEBUG=" + self.DEBUG])
        self.assertEqual(probe("start", svc.name).code, 0)
        self.wait_standin(svc, "main serving")
        probe("control", svc.name, 1)
        svc.wait(STOPPED)
        found = self.wait_trace("did not end within 1000 ms of the stop request")
        self.assertEqual(len(found), 1, found)
        self.assertIn(":warn:eventlog:ReportEventW ", found[0])


class ConsoleRunTest(OutputCase):

    def run_launcher(self, strings):
        self.java_home("run")
        return self.launcher(os.path.join("run", "app.exe"), strings=strings)

    def test_run_prints_the_output_and_returns_the_exit_code(self):
        exe = self.run_launcher(self.strings({101: "RunSvc"}))
        record = self.path("run", "standin.txt")
        r = harness.run(exe, ["/run"], env={"QUORV_STANDIN_OUTPUT": "1000", "QUORV_STANDIN_EXIT_CODE": "7",
                                             "QUORV_STANDIN_RECORD": harness.winpath(record),
                                             "QUORV_SERVICE_PASSWORD": "secret",
                                             "QUORV_STANDIN_RECORD_ENV": "QUORV_SERVICE_PASSWORD"})
        self.assertEqual(r.code, 7, r)
        # A password left in the console for an install does not reach the application.
        self.assertIn("env QUORV_SERVICE_PASSWORD unset", read_lines(record))
        out = r.out.splitlines()
        self.assertEqual([l for l in out if LINE.match(l)][-1], "out 000000010 " + "x" * 85)
        self.assertIn("stderr line", out)
        params = [l.split(": ", 1)[1] for l in read_lines(record) if re.match(r"main param \d+: ", l)]
        # As in the service: the service's name, then nothing.
        self.assertEqual(params[5:], ["RunSvc"])
        # A name after the command word is the service's name (written without quotes, as
        # for every command).
        r = harness.run(exe, ["/run", "Other", "Name"], env={"QUORV_STANDIN_RECORD": harness.winpath(record)})
        self.assertEqual(r.code, 0, r)
        params = [l.split(": ", 1)[1] for l in read_lines(record) if re.match(r"main param \d+: ", l)]
        self.assertEqual(params[-1], "Other Name")

    def start_run(self, exe, env):
        cmd = [harness.WINE, exe, "/run"]
        proc = subprocess.Popen(cmd, env=harness.wine_env(env), stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def console_run_pid(self, exe):
        """The host process of the console run (not its worker, whose command line ends with
        the restart marker)."""
        found = wait_for("the console run's process",
                         lambda: [pid for pid, cmd in harness.processes_naming(exe) if "__zlx_restart" not in cmd])
        return found[0]

    def test_ctrl_c_sends_the_stop_line(self):
        exe = self.run_launcher(self.strings())
        record = self.path("run", "standin.txt")
        proc = self.start_run(exe, {"QUORV_STANDIN_MAIN": "service", "QUORV_STANDIN_RECORD": harness.winpath(record)})
        wait_for("main serving", lambda: any(l.startswith("main serving") for l in read_lines(record)))
        # Wine turns SIGINT into a Ctrl+C event for the console process.
        os.kill(self.console_run_pid(exe), signal.SIGINT)
        out, err = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 0, (out, err))
        self.assertIn("stdin line 0", read_lines(record))
        self.assertIn("main returns", read_lines(record))

    def test_ctrl_c_with_a_stop_timeout_ends_a_stuck_worker_and_its_child(self):
        child = self.path("run", "child_sleeper.exe")
        exe = self.run_launcher(self.strings({30303: "2s"}))
        shutil.copy(os.path.join(harness.FIXTURES, "sleeper.exe"), child)
        record = self.path("run", "standin.txt")
        proc = self.start_run(exe, {"QUORV_STANDIN_MAIN": "ignore-stop", "QUORV_STANDIN_RECORD": harness.winpath(record),
                                    "QUORV_STANDIN_CHILD": harness.winpath(child), "QUORV_SLEEPER_SECONDS": "600"})
        wait_for("the child", lambda: any(l.startswith("child pid") for l in read_lines(record)))
        os.kill(self.console_run_pid(exe), signal.SIGINT)
        out, err = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 1, (out, err))
        self.assertIn("main ignores the stop", read_lines(record))
        self.no_process_left(child, exe)


if __name__ == "__main__":
    harness.main()
