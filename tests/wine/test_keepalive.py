"""The service keeps its application alive: the restart policy (a new worker after a failure, with
a growing delay and a limit), hang detection (a worker whose heartbeat stops is ended and
restarted) and /query, the JSON line for monitoring.

The launcher runs as its own worker with the stand-in JVM (tests/fixtures/jvm_dll): its
environment options make main end with an exit code, serve until the stop line, or make the
heartbeat method block. Under Wine 8 a service process that ends without reporting a final status
stays RUNNING in the Service Control Manager; the tests look at its processes instead.
"""
import json
import re

import harness
from test_service_commands import ServiceTestCase, lines, unique_name
from test_service_output import OutputCase, read_text, wait_for
from test_service_runtime import RUNNING, STOPPED, probe, read_lines

RESTART, SUCCESS, DELAY, DELAY_MAX, RESET, LIMIT, HEARTBEAT, HEARTBEAT_TIMEOUT = range(30310, 30318)
RESTART_LINE = re.compile(r"^restart (\d+) in (\d+) ms: the worker (.*)$")


class KeepAliveCase(OutputCase):

    def workers(self, svc):
        """The process ids of the workers that created a JVM, in order."""
        return [int(m.group(1)) for m in (re.search(r"pid (\d+)$", l) for l in read_lines(svc.standin)
                                          if l.startswith("JNI_CreateJavaVM")) if m]

    def query(self, svc, name=None):
        r = harness.run(svc.exe if svc else name[0], ["/query"] + ([name[1]] if name else []))
        return r.code, json.loads(r.out)

    def restart_lines(self, svc):
        return [RESTART_LINE.match(l).groups() for l in svc.log_holding("service main") if RESTART_LINE.match(l)]


class RestartTest(KeepAliveCase):

    def test_failing_worker_is_restarted_with_growing_delays_and_query_shows_it(self):
        svc = self.java_service(self.strings({RESTART: "on-failure", DELAY: "300ms", DELAY_MAX: "1s",
                                              30300: "wlog\\service.log"}),
                                ["QUORV_STANDIN_EXIT_CODE=3"])
        self.assertEqual(probe("start", svc.name).code, 0)
        wait_for("four workers", lambda: len(self.workers(svc)) >= 4, seconds=60)
        code, answer = self.query(svc)
        self.assertEqual(code, 0, answer)
        self.assertEqual(list(answer), ["name", "state", "pid", "worker_pid", "started", "restarts", "last_exit_code",
                                        "last_restart", "last_restart_cause", "ready"])
        self.assertEqual((answer["name"], answer["state"]), (svc.name, "running"))
        self.assertGreaterEqual(answer["restarts"], 3)
        self.assertEqual((answer["last_exit_code"], answer["last_restart_cause"]), (3, "exit"))
        self.assertRegex(answer["started"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
        self.assertRegex(answer["last_restart"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
        self.assertIsInstance(answer["pid"], int)
        r = svc.command("/stop")
        self.assertEqual(r.code, 0, r)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        restarts = self.restart_lines(svc)
        self.assertGreaterEqual(len(restarts), 3, restarts)
        numbers = [int(n) for n, _, _ in restarts]
        delays = [int(d) for _, d, _ in restarts]
        self.assertEqual(numbers, list(range(1, len(numbers) + 1)))
        # 300 ms, 600 ms, then the maximum of 1 s, each lengthened by up to 10 %.
        for delay, base in zip(delays, [300, 600, 1000, 1000, 1000, 1000]):
            self.assertTrue(base <= delay <= base * 1.1, (delays, base))
        self.assertEqual({what for _, _, what in restarts}, {"ended with exit code 3"})
        self.assertRegex(read_text(self.path("svc", "wlog", "service.log")), r"\] restart 1 in \d+ ms: the worker ended with exit code 3\r\n")

    def test_success_exit_code_ends_the_service(self):
        svc = self.java_service(self.strings({RESTART: "on-failure", DELAY: "100ms"}), ["QUORV_STANDIN_EXIT_CODE=0"])
        self.assertEqual(probe("start", svc.name).code, 0)
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertEqual(len(self.workers(svc)), 1)
        self.assertEqual(self.restart_lines(svc), [])

    def test_limit_ends_the_service_process_with_no_further_worker(self):
        svc = self.java_service(self.strings({RESTART: "always", DELAY: "100ms", LIMIT: "2/1m"}),
                                ["QUORV_STANDIN_EXIT_CODE=3"])
        self.assertEqual(probe("start", svc.name).code, 0)
        log = svc.ended_log()
        self.assertEqual(len(self.workers(svc)), 3)
        self.assertEqual(len(self.restart_lines(svc)), 2)
        self.assertIn("the worker ended with exit code 3; 2 restarts within 60000 ms reached the restart limit: "
                      "giving up", log)
        self.assertNotIn("service stopped set", log)

    def test_stop_during_the_wait_stops_at_once_without_a_new_worker(self):
        svc = self.java_service(self.strings({RESTART: "on-failure", DELAY: "30s", DELAY_MAX: "1m"}),
                                ["QUORV_STANDIN_EXIT_CODE=3"])
        self.assertEqual(probe("start", svc.name).code, 0)
        wait_for("the first restart's line", lambda: self.restart_lines(svc))
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")))
        status = svc.wait(STOPPED, seconds=10)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        svc.ended_log()
        self.assertEqual(len(self.workers(svc)), 1)


class HangTest(KeepAliveCase):

    def test_worker_whose_heartbeat_stops_is_ended_and_restarted(self):
        svc = self.java_service(self.strings({RESTART: "on-failure", DELAY: "200ms", HEARTBEAT: "200ms",
                                              HEARTBEAT_TIMEOUT: "1s", 30300: "service.log"}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_HEARTBEAT=block-after-3"])
        self.assertEqual(probe("start", svc.name).code, 0)
        wait_for("a second worker", lambda: len(self.workers(svc)) >= 2, seconds=60)
        code, answer = self.query(svc)
        self.assertEqual((code, answer["last_restart_cause"], answer["restarts"]), (0, "hung", 1), answer)
        self.assertEqual(svc.command("/stop").code, 0)
        svc.wait(STOPPED)
        log = svc.ended_log()
        self.assertIn("worker hung: no heartbeat within 1000 ms", log)
        self.assertTrue(any(RESTART_LINE.match(l) and l.endswith("the worker hung") for l in log), log)
        record = read_lines(svc.standin)
        self.assertIn("AttachCurrentThreadAsDaemon quorv-heartbeat", record)
        self.assertIn("GetStaticMethodID com/quorv/runtime/Service heartbeat ()Z", record)
        self.assertIn("heartbeat blocks", record)
        self.assertRegex(read_text(self.path("svc", "service.log")),
                         r"\] worker sent no heartbeat within 1000 ms: ending it as hung\r\n")


class QueryTest(ServiceTestCase):

    def test_stopped_and_missing_services(self):
        name = unique_name("q")
        exe = self.service_launcher(name)
        self.assertEqual(harness.run(exe, ["/install"]).code, 0)
        r = harness.run(exe, ["/query"])
        self.assertEqual((r.code, r.out), (3, '{"name": "%s", "state": "stopped", "pid": null, "worker_pid": null, '
                                              '"started": null, "restarts": 0, "last_exit_code": null, '
                                              '"last_restart": null, "last_restart_cause": null, "ready": false}\r\n' % name))
        r = harness.run(exe, ["/query", "quorv-no-such-service"])
        self.assertEqual(r.code, 1, r)
        self.assertEqual(json.loads(r.out)["state"], "not-installed")


if __name__ == "__main__":
    harness.main()
