"""The service process under Wine's Service Control Manager: it reports the service, starts the
worker on two pipes, passes a stop on as the stop line and ends with the worker.

Wine's services.exe gives every service the environment it built when it started its first
service, so a test cannot switch the log on for one service through the environment. The
fixture svcrunner.exe (tests/fixtures/service_tools) therefore stands between the Service Control
Manager and the launcher: it is registered as the service's program, sets the environment of its
runner.cfg (the log on, TMP a directory of the test) and starts the launcher with the command line
that the Service Control Manager would have given it. With its own path as the first part of that
command line, the launcher starts the runner again as the worker, and the runner then records its
command line, priority class and the exact bytes of its standard input, and ends with a chosen
exit code. The last tests run the real chain instead: the launcher as worker, with the stand-in
JVM of tests/fixtures/jvm_dll as the Java side, and a registration that the launcher made itself.

A shutdown control cannot be sent here: ControlService refuses SERVICE_CONTROL_SHUTDOWN, and Wine
ends service processes without it. What the control handler does with it is checked by the unit
tests (service_supervision_test.cpp).
"""
import os
import re
import shutil

import harness
from test_service_commands import SERVICES_KEY, ServiceTestCase, lines, unique_name

PROBE = os.path.join(harness.FIXTURES, "svcprobe.exe")
RUNNER = os.path.join(harness.FIXTURES, "svcrunner.exe")
PRIORITY_KEY = r"HKLM\SOFTWARE\kelvara\quorv\priority"
STOPPED, STOP_PENDING, RUNNING = 1, 3, 4


def probe(*args):
    return harness.run(PROBE, [str(a) for a in args])


def status_of(text):
    """The fields of svcprobe's status line as a dict of ints."""
    return {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", text)}


class Service:
    """One service of a test: the launcher, the runner and its configuration, in one directory."""

    def __init__(self, case, dirname, strings=None, worker="runner", files=(), **config):
        self.case = case
        self.name = unique_name("rt")
        self.dir = case.path(dirname)
        self.logs = os.path.join(self.dir, "logs")
        os.makedirs(self.logs)
        self.exe = case.service_launcher(self.name, dirname=dirname, strings=strings, files=files)
        self.runner = os.path.join(self.dir, "svcrunner.exe")
        shutil.copy(RUNNER, self.runner)
        self.record_path = os.path.join(self.dir, "record.txt")
        w = harness.winpath
        settings = [("env", "QUORV_LOG=yes"), ("env", "TMP=" + w(self.logs)), ("app", w(self.exe)),
                    ("record", w(self.record_path))]
        if worker == "runner":
            settings.append(("cmdline", '"%s"' % w(self.runner)))
        elif worker is not None:
            settings.append(("cmdline", worker))
        for key, value in config.items():
            if key == "env":
                settings += [("env", v) for v in value]
            else:
                settings.append((key, str(value)))
        with open(os.path.join(self.dir, "runner.cfg"), "w", newline="\r\n") as f:
            f.write("".join("%s %s\n" % kv for kv in settings))
        r = harness.run(self.exe, ["/install"])
        case.assertEqual(r.code, 0, r)
        r = probe("setpath", self.name, '"%s"' % w(self.runner))
        case.assertEqual(r.code, 0, r)

    def command(self, *args):
        return harness.run(self.exe, list(args))

    def wait(self, state, seconds=60):
        r = probe("wait", self.name, state, seconds)
        self.case.assertEqual(r.code, 0, "service %s never reached state %d: %r" % (self.name, state, r))
        return status_of(r.out)

    def record(self):
        return read_lines(self.record_path)

    def wait_record(self, line, seconds=60):
        harness.wait_until(lambda: line in self.record(), seconds,
                           lambda: "the worker never recorded %r: %r" % (line, self.record()))

    def processes(self):
        """Host processes of the service: runner, service process, worker."""
        return harness.processes_naming(self.exe, self.runner)

    def ended_log(self, seconds=60):
        """The service process's log once every process of the service has ended: the service
        process writes its last lines after it has reported the stop, so a log read at the
        report may still be missing them."""
        harness.wait_until(lambda: not self.processes(), seconds,
                           lambda: "processes of service %s still run: %r; its log ends %r"
                           % (self.name, self.processes(), self.log_holding("service main")[-4:]))
        return self.service_log()

    def wait_record_count(self, prefix, count, seconds=60):
        """Waits until `count` records begin with `prefix` (workers of one service share the file)."""
        harness.wait_until(lambda: sum(1 for l in self.record() if l.startswith(prefix)) >= count, seconds,
                           lambda: "the workers never recorded %d lines beginning with %r: %r"
                           % (count, prefix, self.record()))

    def log_holding(self, line):
        """The lines of the log that holds `line` as a whole, finished line; [] while none does.
        The log directory is also the service's TMP, so it may hold the runs' temporary files."""
        for name in sorted(os.listdir(self.logs)):
            if not name.startswith("zlx_nlog"):
                continue
            with open(os.path.join(self.logs, name), encoding="latin-1") as f:
                lines_ = f.read().replace("\r\n", "\n").split("\n")
            if line in lines_[1:-1]:
                return lines_
        return []

    def service_log(self):
        """The lines of the service process's log (the one that holds "service main")."""
        log = self.log_holding("service main")
        if not log:
            self.case.fail("no log of the service process in %r" % os.listdir(self.logs))
        return log


class RuntimeTest(ServiceTestCase):

    def assertInOrder(self, lines_, *expected):
        at = 0
        for line in expected:
            try:
                at = lines_.index(line, at) + 1
            except ValueError:
                self.fail("%r missing or out of order in:\n%s" % (line, "\n".join(lines_)))

    def assertLastLogLine(self, log, line):
        self.assertEqual([l for l in log if l][-1], line, "\n".join(log))

    def test_start_stop_and_the_stop_line(self):
        # A directory with a blank: the worker's program is quoted in its command line.
        svc = Service(self, "svc dir", output=20000)
        r = probe("start", svc.name, "a", "b c")
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        svc.wait_record("priority: 0x20")
        r = svc.command("/status")
        self.assertEqual((r.code, r.out), (0, lines("Running.")))
        # The worker is the runner: program, service name, start arguments, marker.
        self.assertEqual(svc.record()[0], 'command line: "%s" %s a "b c" __zlx_restart'
                         % (harness.winpath(svc.runner), svc.name))
        r = svc.command("/start")
        self.assertEqual((r.code, r.out), (0, lines("Service is already running.")))

        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name,
                                                    "Service stopped")))
        status = status_of(probe("status", svc.name).out)
        self.assertEqual((status["state"], status["exit"], status["specific"]), (STOPPED, 0, 0))
        # Exactly "0" and a line feed, then the end of input.
        self.assertEqual(svc.record()[3:], ["stdin: 30 0a", "stdin end", "exit 0"])
        log = svc.ended_log()
        self.assertInOrder(log, "command line \"%s\"" % harness.winpath(svc.runner),
                           "calling StartServiceCtrlDispatcher", "service main",
                           "service name is '%s'" % svc.name, "registering ConsoleCtrlHandler",
                           "control handler request 1", "sending shutdown 0", "shutdown sent",
                           "process terminated with exit code 0", "service stopped set", "exiting")
        self.assertIn("consuming output", log)
        self.assertIn("consuming output done", log)
        self.assertNotIn("using priority", "\n".join(log))
        # The service process ends itself after its last line; nothing of it is lost.
        self.assertLastLogLine(log, "exiting")

    def test_any_exit_code_after_a_stop_counts_as_stopped(self):
        svc = Service(self, "svc", exit=3)
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name,
                                                    "Service stopped")))
        status = status_of(probe("status", svc.name).out)
        self.assertEqual((status["state"], status["exit"], status["specific"]), (STOPPED, 0, 0))
        self.assertInOrder(svc.ended_log(), "process terminated with exit code 3",
                           "service stopped set", "exiting")

    def test_worker_ending_on_its_own_with_0(self):
        svc = Service(self, "svc", stdin="no", exit=0)
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        log = svc.ended_log()
        self.assertInOrder(log, "process terminated with exit code 0", "service stopped set", "exiting")
        self.assertLastLogLine(log, "exiting")
        r = svc.command("/status")
        self.assertEqual((r.code, r.out), (3, lines("Not running.")))

    def test_worker_ending_on_its_own_with_1(self):
        # No final status: the service process ends while the service is reported running.
        svc = Service(self, "svc", stdin="no", exit=1)
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        pid = svc.wait(RUNNING)["pid"]
        harness.wait_until(lambda: probe("exitcode", pid).out.strip() not in ("running", ""), 60,
                                   lambda: "the service process %d still runs: %r; its log ends %r"
                                   % (pid, probe("exitcode", pid), svc.log_holding("service main")[-4:]))
        # The runner passes on the service process's exit code.
        self.assertEqual(probe("exitcode", pid).out.strip(), "0")
        log = svc.ended_log()
        self.assertIn("process terminated with exit code 1", log)
        self.assertNotIn("service stopped set", log)
        self.assertLastLogLine(log, "exiting")
        # Wine 8 keeps showing such a service as running; Windows shows it stopped with
        # ERROR_PROCESS_ABORTED. It never shows the clean stop (state stopped, exit code 0).
        status = status_of(probe("status", svc.name).out)
        self.assertIn((status["state"], status["exit"]), ((RUNNING, 0), (STOPPED, 1067)))

    def test_missing_worker_executable(self):
        # The service process's own command line names a program that does not exist.
        missing = harness.winpath(self.path("svc dir", "missing.exe"))
        svc = Service(self, "svc dir", worker='"%s"' % missing)
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (1066, 5000))
        log = svc.ended_log()
        line = 'could not start process "%s" %s __zlx_restart (2)' % (missing, svc.name)
        # The dispatcher returns once the stop is reported; the main thread waits for the service
        # main to finish, so that its lines all come before the dispatcher's last one.
        self.assertInOrder(log, "service main", line, "StartServiceCtrlDispatcher returned")
        self.assertLastLogLine(log, "StartServiceCtrlDispatcher returned")
        self.assertFalse(os.path.exists(svc.record_path))

    def test_priority_from_the_registry(self):
        # Wine 8 gives every new process the normal class whatever its creation flags say; where
        # the system honours them, the worker's class is checked too.
        honoured = probe("spawnclass", 0x4000).out.strip() == "0x4000"
        cases = [(["/t", "REG_DWORD", "/d", "0x4000"], "0x4000", True),
                 (["/t", "REG_BINARY", "/d", "0040"], "0x20", False)]  # 2 bytes: ignored
        for data, expected, logged in cases:
            with self.subTest(data=data):
                svc = Service(self, "svc" + expected)
                harness.wine_tool(["reg", "add", PRIORITY_KEY, "/v", svc.name] + data + ["/f"])
                self.addCleanup(harness.wine_tool, ["reg", "delete", PRIORITY_KEY, "/v", svc.name, "/f"])
                r = probe("start", svc.name)
                self.assertEqual(r.code, 0, r)
                svc.wait(RUNNING)
                svc.wait_record("priority: " + (expected if honoured else "0x20"))
                self.assertEqual(svc.command("/stop").code, 0)
                svc.wait(STOPPED)
                self.assertEqual("using priority 16384" in svc.ended_log(), logged)

    def test_second_stop_while_the_first_is_pending(self):
        linger = self.path("svc", "release")
        svc = Service(self, "svc", linger=harness.winpath(linger))
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        # Interrogate and a user-defined control re-report the status and change nothing.
        for control in (4, 128):
            r = probe("control", svc.name, control)
            self.assertEqual(r.code, 0, r)
            status = status_of(r.out)
            self.assertEqual((status["state"], status["checkpoint"], status["controls"]), (RUNNING, 0, 5))
        r = probe("control", svc.name, 1)
        status = status_of(r.out)
        self.assertEqual((status["state"], status["checkpoint"], status["hint"]), (STOP_PENDING, 0, 50000))
        svc.wait_record("stdin end")
        # The Service Control Manager takes no further stop while one is pending.
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (1, lines("Could not stop service.")))
        r = svc.command("/status")
        self.assertEqual((r.code, r.out), (3, lines("Not running.")))
        with open(linger, "w"):
            pass
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertEqual([l for l in svc.record() if l.startswith("stdin")], ["stdin: 30 0a", "stdin end"])
        log = svc.ended_log()
        self.assertInOrder(log, "control handler request 4", "control handler request 128",
                           "control handler request 1", "sending shutdown 0", "shutdown sent",
                           "service stopped set", "exiting")
        self.assertEqual(log.count("sending shutdown 0"), 1)

    def test_stop_right_after_start(self):
        # The stop may come before the worker and its input pipe exist; it must not get lost.
        svc = Service(self, "svc")
        r = probe("startstop", svc.name)
        self.assertEqual(r.code, 0, r)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertEqual([l for l in svc.record() if l.startswith("stdin")], ["stdin: 30 0a", "stdin end"])
        log = svc.ended_log()
        self.assertEqual(log.count("sending shutdown 0"), 1)
        self.assertLastLogLine(log, "exiting")

    def test_install_over_a_running_service(self):
        svc = Service(self, "svc")
        r = probe("start", svc.name)
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        r = svc.command("/install")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped",
                                                    "Installed service '%s'." % svc.name)))
        self.assertEqual(svc.record()[-3:], ["stdin: 30 0a", "stdin end", "exit 0"])


class JavaSideTest(ServiceTestCase):
    """The launcher as its own worker, with a Java home of stand-ins beside it."""

    def java_home(self, dirname):
        harness.standin_java_home(self.path(dirname, "jre"))

    @staticmethod
    def strings():
        table = dict(harness.STDERR_KIND)
        table.update({128: "R.\\jre", 122: "com.example.Main"})
        return table

    def test_stop_line_reaches_the_java_side(self):
        self.java_home("svc")
        standin = self.path("svc", "standin.txt")
        svc = Service(self, "svc", strings=self.strings(), worker=None,
                      env=["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_RECORD=" + harness.winpath(standin)])
        r = probe("start", svc.name, "a", "b c")
        self.assertEqual(r.code, 0, r)
        harness.wait_until(lambda: any(l.startswith("main serving") for l in read_lines(standin)), 60,
                           lambda: "main never ran: the stand-in recorded %r; service %s"
                           % (read_lines(standin)[-4:], probe("status", svc.name).out.strip()))
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")))
        status = status_of(probe("status", svc.name).out)
        self.assertEqual((status["state"], status["exit"], status["specific"]), (STOPPED, 0, 0))
        record = read_lines(standin)
        params = [l.split(": ", 1)[1] for l in record if re.match(r"main param \d+: ", l)]
        # After the five fixed parameters: the service name, then the start arguments.
        self.assertEqual(params[5:], [svc.name, "a", "b c"])
        self.assertInOrder(record, "stdin line 0", "main returns", "DestroyJavaVM")
        self.assertInOrder(svc.ended_log(), "control handler request 1", "sending shutdown 0",
                           "process terminated with exit code 0", "service stopped set", "exiting")

    def test_registered_path_with_a_blank(self):
        # The registration the launcher makes itself, from a directory with blanks: the Service
        # Control Manager starts it, and the worker, started by the same quoted path, runs main
        # (which returns at once here) and ends with 0, so the service ends cleanly stopped.
        dirname = os.path.join("Program Files", "My App")
        self.java_home(dirname)
        name = unique_name("blank")
        exe = self.service_launcher(name, dirname=dirname, strings=self.strings())
        r = harness.run(exe, ["/install-and-start"])
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name,
                                                    "Starting service '%s'." % name)))
        self.assertEqual(harness.reg_query(SERVICES_KEY + "\\" + name, "ImagePath"), '"%s"' % harness.winpath(exe))
        r = probe("wait", name, STOPPED, 60)
        self.assertEqual(r.code, 0, r)
        status = status_of(r.out)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))

    assertInOrder = RuntimeTest.assertInOrder


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


if __name__ == "__main__":
    harness.main()
