"""The sample service of examples/echo-service, run through the entry class as the worker runs it."""
import socket
import urllib.request

import support
from support import QUORV_ENTRY, STOP_LINE

MAIN = "com.example.echo.EchoService"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class EchoServiceTest(support.TempDirTestCase):
    def test_answers_logs_and_stops_cleanly(self):
        out_log = self.path("logs", "echo.out.log")
        err_log = self.path("logs", "echo.err.log")
        port = free_port()
        process = support.start(support.entry_command(
            entry=QUORV_ENTRY, main=MAIN, err=err_log, out=out_log, app_jar="echo-service.jar",
            app_args=("EchoSvc", "--port", str(port))))
        listening = "listening on 127.0.0.1:%d" % port
        support.wait_for(lambda: listening in support.read_text(out_log), listening, process)

        with urllib.request.urlopen("http://127.0.0.1:%d/ping" % port, timeout=10) as response:
            self.assertEqual(response.status, 200)
            self.assertEqual(response.read(), b"hello\n")
        support.wait_for(lambda: "GET /ping from 127.0.0.1" in support.read_text(out_log),
                         "the request in the log", process)

        process.send(STOP_LINE)
        code, _, err = process.finish()
        self.assertEqual(code, 0, err)
        events = [line.split(" ", 2)[2] for line in support.read_text(out_log).splitlines()]
        self.assertEqual(events, [listening, "GET /ping from 127.0.0.1", "stopping", "stopped"])
        self.assertEqual(support.read_text(err_log), "")


if __name__ == "__main__":
    support.main()
