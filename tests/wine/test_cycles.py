"""A hundred start and stop cycles of a real service under Wine: svcrunner as the service's
program (for the environment), the launcher as service process and as its own worker, the
stand-in JVM in its service mode as the Java side (main reads standard input up to the stop
line).

Every cycle must reach SERVICE_STOPPED with exit codes 0, deliver the stop line to main, and
leave no process of the service behind. Nothing piles up: while the worker runs, its temporary
directory holds the included files and the temporary file that named it records the worker; once
the worker has ended, the service process removes both, so no cycle leaves a file or directory
of its run behind.

QUORV_SERVICE_CYCLES sets another number of cycles.
"""
import os
import re
import sys
import time

import harness
from test_hostile import cache_java_version, kill_processes
from test_launch import Record
from test_service_commands import ServiceTestCase, lines
from test_service_runtime import Service, probe, status_of

CYCLES = int(os.environ.get("QUORV_SERVICE_CYCLES", "100"))
STOPPED, STOP_PENDING = 1, 3
FILES = [b"PK\x03\x04 runtime jar", b"PK\x03\x04 user jar"]


class CyclesTest(ServiceTestCase):

    def setUp(self):
        super().setUp()
        home = harness.standin_java_home(self.path("svc", "jre"))
        # The version of java.exe comes from the cache, so that the cycles run no probe (whose
        # own temporary file test_faults.py looks after).
        cache_java_version(self, os.path.join(home, "bin", "java.exe"), "1.8.0_202")
        self.standin = self.path("svc", "standin.txt")
        strings = dict(harness.STDERR_KIND)
        strings.update({128: "R.\\jre", 122: "com.example.Main", 2002: "2", 2003: "rt.jar;user\\u.jar"})
        self.svc = Service(self, "svc", strings=strings, worker=None,
                           env=["QUORV_STANDIN_MAIN=service",
                                "QUORV_STANDIN_RECORD=" + harness.winpath(self.standin)])
        table = {101: self.svc.name}
        table.update(strings)
        harness.write_launcher(self.svc.exe, strings=table, files=FILES)
        self.addCleanup(kill_processes, self.svc.exe)

    def wait_serving(self, cycle):
        def serving():
            record = Record(self.standin)
            return record if any(l.startswith("main serving") for l in record.lines) else None
        return harness.wait_until(serving, 60, lambda: "cycle %d: main never ran: %r; service %s; its logs: %r" % (
            cycle, Record(self.standin).lines[-4:], probe("status", self.svc.name).out.strip(),
            self.failure_lines()), interval=0.02)

    def failure_lines(self):
        """What the logs of the service's processes say went wrong."""
        found = []
        for name in sorted(os.listdir(self.svc.logs)):
            if name.startswith("zlx_nlog"):
                with open(os.path.join(self.svc.logs, name), encoding="latin-1") as f:
                    found += [l.rstrip() for l in f if re.search(r"could not|error|fail", l, re.I)]
        return found[-8:]

    def wait_gone(self, cycle):
        """The service process ends right after it has reported the stop; it, the worker and the
        runner in front of them must then be gone."""
        harness.wait_until(lambda: not self.svc.processes(), 30,
                           lambda: "cycle %d left processes behind: %r" % (cycle, self.svc.processes()))

    def run_entries(self):
        """The temporary directories and files of the runs; TMP of the service is its log directory."""
        names = os.listdir(self.svc.logs)
        dirs = sorted(n for n in names if re.match(r"^qrv[0-9A-Fa-f]+\.tmp_dir-?\d+$", n))
        files = sorted(n for n in names if re.match(r"^qrv[0-9A-Fa-f]+\.tmp$", n))
        others = sorted(n for n in names if n not in dirs and n not in files and not n.startswith("zlx_nlog"))
        return dirs, files, others

    def test_hundred_start_stop_cycles(self):
        svc = self.svc
        started = time.monotonic()
        durations = []
        for cycle in range(CYCLES):
            began = time.monotonic()
            if os.path.exists(self.standin):
                os.remove(self.standin)
            # Every fourth cycle goes through the launcher's own commands, the others straight to
            # the Service Control Manager.
            by_command = cycle % 4 == 3
            if by_command:
                r = svc.command("/start")
                self.assertEqual((r.code, r.out), (0, lines("Starting service '%s'." % svc.name)))
            else:
                r = probe("start", svc.name)
                self.assertEqual(r.code, 0, "cycle %d: %r" % (cycle, r))
            record = self.wait_serving(cycle)
            temp = record.option("-Dquorv.tempDir=")
            dirs, files, _ = self.run_entries()
            self.assertEqual(dirs, [temp.rsplit("\\", 1)[1]], "cycle %d" % cycle)
            self.assertEqual(files, [dirs[0].rsplit("_dir", 1)[0]], "cycle %d" % cycle)
            self.assertEqual(sorted(os.listdir(os.path.join(svc.logs, dirs[0]))), ["rt.jar", "user"],
                             "cycle %d" % cycle)
            if cycle == 0:
                # The check for processes left behind sees the service process and the worker.
                running = harness.processes_naming(svc.exe)
                self.assertGreaterEqual(len(running), 2, running)
            if by_command:
                r = svc.command("/stop")
                self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")),
                                 "cycle %d" % cycle)
            else:
                r = probe("control", svc.name, 1)
                self.assertEqual(r.code, 0, "cycle %d: %r" % (cycle, r))
                self.assertIn(status_of(r.out)["state"], (STOP_PENDING, STOPPED), r)
            status = svc.wait(STOPPED, seconds=60)
            self.assertEqual((status["exit"], status["specific"]), (0, 0), "cycle %d" % cycle)
            self.wait_gone(cycle)
            lines_ = Record(self.standin).lines
            for line in ("stdin line 0", "main returns", "DestroyJavaVM"):
                self.assertIn(line, lines_, "cycle %d" % cycle)
            # The service process removed the run's directory and file before it reported the stop.
            self.assertEqual(self.run_entries(), ([], [], []), "cycle %d" % cycle)
            durations.append(time.monotonic() - began)
        total = time.monotonic() - started
        sys.stderr.write("\n%d cycles in %.1f s (%.2f s per cycle, slowest %.2f s); no temporary "
                         "directory or file stays\n" % (CYCLES, total, total / CYCLES, max(durations)))


if __name__ == "__main__":
    harness.main()
