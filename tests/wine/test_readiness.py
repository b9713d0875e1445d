"""Started means ready: behind service.ready the service stays start-pending until the application
calls Service.ready() (the stand-in JVM calls the native method that the worker registered), a
port accepts, or a URL answers 2xx; service.wait-for holds the first worker back until its targets
answer; a gate that does not open in time ends the service as a failure.
"""
import json
import socket
import threading
import time

import harness
from test_keepalive import KeepAliveCase
from test_service_commands import lines
from test_service_output import read_text, wait_for
from test_service_runtime import RUNNING, STOPPED, probe, read_lines

READY, READY_TIMEOUT, WAIT_FOR = 30320, 30321, 30322
START_PENDING = 2


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class ReadinessTest(KeepAliveCase):

    def state(self, svc):
        r = probe("status", svc.name)
        return {k: int(v) for k, v in (p.split("=") for p in r.out.split() if "=" in p)}

    def assert_pending_then_running(self, svc, record_line):
        self.assertEqual(probe("start", svc.name).code, 0)
        pending = wait_for("start-pending", lambda: self.state(svc).get("state") == START_PENDING and self.state(svc))
        self.assertEqual(pending["hint"], 10000, pending)
        code, answer = self.query(svc)
        self.assertEqual((code, answer["state"], answer["ready"]), (0, "start-pending", False), answer)
        status = svc.wait(RUNNING, seconds=60)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertIn(record_line, read_lines(svc.standin))
        code, answer = self.query(svc)
        self.assertEqual((code, answer["state"], answer["ready"]), (0, "running", True), answer)
        self.assertEqual(svc.command("/stop").code, 0)
        svc.wait(STOPPED)
        log = svc.ended_log()
        self.assertTrue(any(l.startswith("the application is ready after ") for l in log), log)
        return log

    def test_notify(self):
        svc = self.java_service(self.strings({READY: "notify"}), ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_READY=1500"])
        self.assert_pending_then_running(svc, "ready called")
        record = read_lines(svc.standin)
        self.assertIn("RegisterNatives com/quorv/runtime/Service notifyReady ()V", record)

    def test_tcp(self):
        port = free_port()
        svc = self.java_service(self.strings({READY: "tcp://127.0.0.1:%d" % port}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_LISTEN=%d/1500" % port])
        self.assert_pending_then_running(svc, "listening on %d" % port)

    def test_http_answers_503_first_then_200(self):
        port = free_port()
        svc = self.java_service(self.strings({READY: "http://127.0.0.1:%d/health" % port}),
                                ["QUORV_STANDIN_MAIN=service", "QUORV_STANDIN_LISTEN=%d/500" % port,
                                 "QUORV_STANDIN_HTTP=2"])
        self.assert_pending_then_running(svc, "http answered 200 GET /health HTTP/1.1")
        answers = [l for l in read_lines(svc.standin) if l.startswith("http answered")]
        self.assertEqual(answers[:3], ["http answered 503 GET /health HTTP/1.1"] * 2 +
                         ["http answered 200 GET /health HTTP/1.1"])

    def test_gate_that_never_opens_ends_the_service_as_a_failure(self):
        svc = self.java_service(self.strings({READY: "notify", READY_TIMEOUT: "2s", 30300: "service.log"}),
                                ["QUORV_STANDIN_MAIN=service"])
        self.assertEqual(probe("start", svc.name).code, 0)
        log = svc.ended_log()  # the worker is ended, and the service process ends
        self.assertIn("the application did not become ready within 2000 ms", log)
        self.assertNotIn("service stopped set", log)
        self.assertRegex(read_text(self.path("svc", "service.log")),
                         r"\] the application did not become ready within 2000 ms\r\n")

    def test_wait_for_holds_the_worker_back_until_a_listener_appears(self):
        port = free_port()
        svc = self.java_service(self.strings({WAIT_FOR: "tcp://127.0.0.1:%d" % port}), ["QUORV_STANDIN_MAIN=service"])
        listener = socket.socket()
        listener.bind(("127.0.0.1", port))
        self.addCleanup(listener.close)
        opened = []

        def listen_later():
            time.sleep(2)
            opened.append(time.monotonic())
            listener.listen(4)
        thread = threading.Thread(target=listen_later)
        self.assertEqual(probe("start", svc.name).code, 0)
        thread.start()
        wait_for("start-pending", lambda: self.state(svc).get("state") == START_PENDING)
        svc.wait(RUNNING, seconds=60)
        thread.join()
        wait_for("the worker", lambda: any(l.startswith("main serving") for l in read_lines(svc.standin)))
        created = [l for l in read_lines(svc.standin) if l.startswith("JNI_CreateJavaVM")]
        self.assertEqual(len(created), 1)
        self.assertEqual(svc.command("/stop").code, 0)
        svc.wait(STOPPED)
        log = svc.ended_log()
        self.assertIn("waiting for tcp://127.0.0.1:%d" % port, log)
        answered = [l for l in log if l.startswith("tcp://127.0.0.1:%d answered after " % port)]
        self.assertEqual(len(answered), 1, log)
        self.assertGreaterEqual(int(answered[0].split()[-2]), 1500, answered)

    def test_stop_while_start_pending_answers_at_once(self):
        svc = self.java_service(self.strings({READY: "notify"}), ["QUORV_STANDIN_MAIN=service"])
        self.assertEqual(probe("start", svc.name).code, 0)
        wait_for("the worker", lambda: any(l.startswith("main serving") for l in read_lines(svc.standin)))
        self.assertEqual(self.state(svc)["state"], START_PENDING)
        started = time.monotonic()
        r = svc.command("/stop")
        self.assertLess(time.monotonic() - started, 30)
        # Where the system delivers the stop to a start-pending service it stops; where it refuses
        # it, the command says so.
        if r.code == 0:
            self.assertEqual(r.out, lines("Stopping service '%s'." % svc.name, "Service stopped"))
            self.assertEqual(svc.wait(STOPPED)["exit"], 0)
        else:
            self.assertEqual(r.out, lines("Service '%s' is still starting (it waits until its application is ready) "
                                          "and does not take a stop now; stop it again once it runs." % svc.name))


if __name__ == "__main__":
    harness.main()
