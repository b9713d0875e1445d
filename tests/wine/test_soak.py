"""A soak of the restart policy: 200 restarts of a worker that dies at random moments (inside
JNI_CreateJavaVM, a few milliseconds into main, or while writing its output), with short delays
and a limit that is never reached. The service process must not grow: its handle count and
private bytes at the end are within a few percent of those after the first restart (both printed),
no worker and no per-run directory is left, and the worker log holds one start and one end line
per worker. Wine 8 answers GetProcessHandleCount and GetProcessMemoryInfo with 0: the handles are
counted in the system's handle table (svcprobe resources), and the private bytes are the host
process's anonymous resident memory (RssAnon of /proc), which is where Wine keeps a process's
private memory.
"""
import os
import re

import harness
from test_keepalive import DELAY, DELAY_MAX, LIMIT, RESTART, KeepAliveCase
from test_service_output import read_text, wait_for
from test_service_runtime import STOPPED, probe

RESTARTS = 200


def resources(pid, host_pid):
    r = probe("resources", pid)
    if r.code != 0:
        raise AssertionError("no resources of process %d: %r" % (pid, r))
    figures = {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", r.out)}
    with open("/proc/%d/status" % host_pid) as f:
        figures["private"] = int(re.search(r"^RssAnon:\s+(\d+) kB", f.read(), re.M).group(1)) * 1024
    return figures


class SoakTest(KeepAliveCase):

    def service_process(self, svc):
        """The Windows process id of the launcher's service process: the child of the runner that
        the Service Control Manager started."""
        runner = self.query(svc)[1]["pid"]
        found = wait_for("the service process", lambda: [int(l.split()[0]) for l in probe("children", runner).out.splitlines()
                                                         if l.split()[1:] == ["app.exe"]])
        host = [pid for pid, cmd in harness.processes_naming(svc.exe) if "__zlx_restart" not in cmd]
        self.assertEqual(len(host), 1, host)
        return found[0], host[0]

    def restarts(self, svc):
        return len(re.findall(r"\] restart \d+ in \d+ ms: ", read_text(self.path("svc", "service.log"))))

    def test_two_hundred_restarts_leave_nothing_behind(self):
        svc = self.java_service(self.strings({RESTART: "on-failure", DELAY: "10ms", DELAY_MAX: "10ms",
                                              LIMIT: "100000/1h", 30300: "service.log", 30302: "999",
                                              30301: "0"}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_DIE=random",
                                 "QUORV_STANDIN_OUTPUT=2000"],
                                files=[b"x" * 4096])
        temp = svc.logs  # the workers' TMP
        self.assertEqual(probe("start", svc.name).code, 0)
        wait_for("the first restart", lambda: self.restarts(svc) >= 1)
        pid, host_pid = self.service_process(svc)
        first = resources(pid, host_pid)
        wait_for("%d restarts" % RESTARTS, lambda: self.restarts(svc) >= RESTARTS, seconds=600)
        last = resources(pid, host_pid)
        print("\nservice process after the first restart: %r; after %d: %r" % (first, self.restarts(svc), last))
        self.assertGreater(first["handles"], 0)
        self.assertLessEqual(last["handles"], first["handles"] * 1.05 + 2, (first, last))
        self.assertLessEqual(last["private"], first["private"] * 1.05 + 65536, (first, last))
        r = svc.command("/stop")
        self.assertEqual(r.code, 0, r)
        svc.wait(STOPPED)
        svc.ended_log()
        self.assertEqual(harness.processes_naming(svc.exe), [])
        left = [n for n in os.listdir(temp) if "_dir" in n]
        self.assertEqual(left, [], "run directories left behind")
        text = read_text(self.path("svc", "service.log"))
        starts = len(re.findall(r"\] worker started, process id \d+\r\n", text))
        ends = len(re.findall(r"\] worker ended, exit code \d+, (on its own|after a stop request)\r\n", text))
        self.assertEqual(starts, ends)
        self.assertGreaterEqual(starts, RESTARTS + 1)


if __name__ == "__main__":
    harness.main()
