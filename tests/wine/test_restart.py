"""/restart under Wine's Service Control Manager: a stop that waits as /stop does, then a start,
with the texts and exit statuses of the two; a stopped service is just started."""
import harness
from test_service_commands import ServiceTestCase, lines, unique_name
from test_service_runtime import RUNNING, STOPPED, Service, probe


class RestartTest(ServiceTestCase):

    def test_restart_of_a_running_service(self):
        svc = Service(self, "svc")
        self.assertEqual(probe("start", svc.name).code, 0)
        before = svc.wait(RUNNING)["pid"]
        svc.wait_record("priority: 0x20")  # the worker runs and reads its input
        r = svc.command("/restart")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped",
                                                    "Starting service '%s'." % svc.name)))
        after = svc.wait(RUNNING)["pid"]
        self.assertNotEqual(after, before)
        # The first worker got the stop line and ended; a second one runs.
        svc.wait_record("exit 0")
        svc.wait_record_count("command line: ", 2)
        self.assertEqual(sum(1 for l in svc.record() if l.startswith("command line: ")), 2, svc.record())
        self.assertEqual(svc.command("/stop").code, 0)
        svc.wait(STOPPED)

    def test_restart_of_a_stopped_service(self):
        svc = Service(self, "svc")
        r = svc.command("/restart")
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.",
                                                    "Starting service '%s'." % svc.name)))
        svc.wait(RUNNING)
        r = svc.command("/restart", svc.name)
        self.assertEqual(r.code, 0, r)
        svc.wait(RUNNING)
        self.assertEqual(svc.command("/stop").code, 0)
        svc.wait(STOPPED)

    def test_restart_of_an_unknown_service(self):
        exe = self.service_launcher(unique_name("none"))
        r = harness.run(exe, ["/restart", unique_name("missing")])
        self.assertEqual((r.code, r.out), (1, lines("Could not stop service.")))


if __name__ == "__main__":
    harness.main()
