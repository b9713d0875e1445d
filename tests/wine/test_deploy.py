"""Deployment without a person at the console: /configure, the converging install.

Wine 8 cannot read back the delayed flag and the failure actions (error 124) and refuses to set
the delayed flag, the failure-actions flag and the service SID type; /configure then applies what
the configuration gives again and never counts it as changed, and a configuration without those
settings is used here. The rule itself is checked in tests/unit/service_configure_test.cpp.
"""
import os

import harness
from test_service_commands import ServiceTestCase, lines, service_registered, service_value, unique_name
from test_service_runtime import RUNNING, probe, read_lines, status_of

EVENT_SOURCES = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application"


def configure(exe, *args, env=None):
    return harness.run(exe, ["/configure"] + list(args), env=env, stdin=b"")


class ConfigureTest(ServiceTestCase):

    def test_a_missing_service_is_installed_and_then_up_to_date(self):
        name = unique_name("cfg")
        exe = self.service_launcher(name, strings={107: "4"}, wide={20017: "First build"})
        r = configure(exe)
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertEqual((service_value(name, "Start"), service_value(name, "Type")), ("0x2", "0x110"))
        r = configure(exe)
        self.assertEqual((r.code, r.out), (0, lines("Service '%s' is up to date." % name)))
        # Another account: the desktop flag goes with LocalSystem.
        r = configure(exe, env={"QUORV_SERVICE_ACCOUNT": "NetworkService"})
        self.assertEqual((r.code, r.out), (0, lines("Updated service '%s': service.account" % name)))
        self.assertEqual((service_value(name, "ObjectName"), service_value(name, "Type")),
                         ("NT AUTHORITY\\NetworkService", "0x10"))
        r = configure(exe, env={"QUORV_SERVICE_ACCOUNT": "NetworkService"})
        self.assertEqual((r.code, r.out), (0, lines("Service '%s' is up to date." % name)))

    def test_a_registration_of_another_build_is_brought_in_line_while_it_runs(self):
        # The first build registers the service, on demand and without a description, and runs it
        # (the stand-in JVM beside it serves until the stop line).
        name = unique_name("cfg")
        record = self.path("record.txt")
        harness.standin_java_home(self.path("a", "jre"))
        first = self.service_launcher(name, dirname="a", strings={
            128: "R.\\jre", 122: "com.example.Main",
            30402: "QUORV_STANDIN_MAIN=service\nQUORV_STANDIN_RECORD=" + harness.winpath(record)})
        self.assertEqual(harness.run(first, ["/install"]).code, 0)
        r = probe("start", name)
        self.assertEqual(r.code, 0, r)
        harness.wait_until(lambda: any(l.startswith("main serving") for l in read_lines(record)), 60,
                           lambda: "main never served: %r" % read_lines(record)[-4:])
        pid = status_of(probe("status", name).out)["pid"]
        # The second build lies elsewhere, starts automatically and has a description.
        second = harness.write_launcher(self.path("b", "app.exe"), strings={101: name, 107: "4"},
                                        wide={20017: "Second build"})
        self.addCleanup(self.remove_service, second, name)
        r = configure(second)
        self.assertEqual((r.code, r.out), (0, lines(
            "Updated service '%s': program, service.start, service.description, event source" % name)))
        status = status_of(probe("status", name).out)
        self.assertEqual((status["state"], status["pid"]), (RUNNING, pid), "the service was not left running")
        self.assertNotIn("stdin line 0", read_lines(record))
        self.assertEqual(service_value(name, "ImagePath"), harness.winpath(second))
        self.assertEqual(service_value(name, "Start"), "0x2")
        self.assertEqual(service_value(name, "Description"), "Second build")
        self.assertEqual(harness.reg_query(EVENT_SOURCES + "\\" + name, "EventMessageFile"), harness.winpath(second))
        r = configure(second)
        self.assertEqual((r.code, r.out), (0, lines("Service '%s' is up to date." % name)))
        r = harness.run(first, ["/stop"])
        self.assertEqual(r.code, 0, r)


if __name__ == "__main__":
    harness.main()
