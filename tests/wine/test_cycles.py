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
        """The record of the cycle's worker once main serves; None when the worker provably never
        ran: the service reported that it could not start it, and its log says Wine could not
        create the process (see harness.never_started)."""
        polls = [0]
        earlier = self.log_names()

        def serving():
            record = Record(self.standin)
            if any(l.startswith("main serving") for l in record.lines):
                return record
            polls[0] += 1  # the logs are read every half second only
            return "never ran" if polls[0] % 25 == 0 and self.worker_never_ran(earlier) else None
        seen = harness.wait_until(serving, 60, lambda: "cycle %d: main never ran: %r; service %s; its logs: %r" % (
            cycle, Record(self.standin).lines[-4:], probe("status", self.svc.name).out.strip(),
            self.failure_lines()), interval=0.02)
        return None if seen == "never ran" else seen

    def worker_never_ran(self, earlier):
        """Whether this start's service process could not create its worker because Wine could not."""
        if not any(l.endswith("(%d)" % harness.WINE_PROCESS_NEVER_RAN) and "could not start process" in l
                   for l in self.failure_lines(skip=earlier)):
            return False
        status = status_of(probe("status", self.svc.name).out)
        return (status.get("state"), status.get("exit"), status.get("specific")) == (STOPPED, 1066, 5000)

    def log_names(self):
        return {n for n in os.listdir(self.svc.logs) if n.startswith("zlx_nlog")}

    def failure_lines(self, skip=()):
        """What the logs of the service's processes (other than those in `skip`) say went wrong."""
        found = []
        for name in sorted(self.log_names() - set(skip)):
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
        retried = []  # cycles whose worker Wine could not create, started again
        for cycle in range(CYCLES):
            began = time.monotonic()
            if os.path.exists(self.standin):
                os.remove(self.standin)
            # Every fourth cycle goes through the launcher's own commands, the others straight to
            # the Service Control Manager.
            by_command = cycle % 4 == 3
            for attempt in range(3):
                if by_command:
                    r = svc.command("/start")
                    self.assertEqual((r.code, r.out), (0, lines("Starting service '%s'." % svc.name)))
                else:
                    r = probe("start", svc.name)
                    self.assertEqual(r.code, 0, "cycle %d: %r" % (cycle, r))
                record = self.wait_serving(cycle)
                if record is not None:
                    break
                retried.append(cycle)
                self.wait_gone(cycle)
            self.assertIsNotNone(record, "cycle %d: the worker never ran in three starts" % cycle)
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
                         "directory or file stays; started again as the worker never ran: %r\n"
                         % (CYCLES, total, total / CYCLES, max(durations), retried))


if __name__ == "__main__":
    harness.main()
