"""Entries in the Application event log under Wine: Wine's ReportEventW prints each entry's
strings on its `eventlog` debug channel (an error as "<thread>:err:eventlog:ReportEventW L"..."").

Service processes write their debug output where services.exe writes its own, and take its
debug settings. This module therefore restarts the prefix's wineserver with services.exe started
by a first program whose standard error is a trace file and whose WINEDEBUG is "err+eventlog",
reads what each test adds to that file, and restarts the server as usual at its end.
"""
import os
import subprocess

import harness
from test_launch import MESSAGES
from test_service_commands import ServiceTestCase, unique_name, wait_for_scm
from test_service_runtime import STOPPED, Service, probe

EVENTLOG_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application"
DEBUG = "err+eventlog"
TRACE = os.path.join(harness.PREFIX, "eventlog-trace.txt")


def start_traced_server():
    """The persistent wineserver again, with services.exe writing to TRACE."""
    harness.stop_prefix()
    env = harness.wine_env({"WINEDEBUG": DEBUG})
    with open(os.path.join(harness.PREFIX, "wineserver.log"), "ab") as log:
        subprocess.Popen([harness.WINESERVER, "-p"], env=env, stdout=log, stderr=log,
                         stdin=subprocess.DEVNULL, start_new_session=True)
    with open(TRACE, "ab") as trace:
        # A query of the Service Control Manager starts services.exe from this program.
        subprocess.run([harness.WINE, "sc", "query", "quorv-no-such-service"], env=env,
                       stdout=subprocess.DEVNULL, stderr=trace, stdin=subprocess.DEVNULL, timeout=120)


class EventLogTest(ServiceTestCase):

    @classmethod
    def setUpClass(cls):
        start_traced_server()
        wait_for_scm()

    @classmethod
    def tearDownClass(cls):
        harness.stop_prefix()
        harness.start_prefix()

    def setUp(self):
        super().setUp()
        self.trace_start = os.path.getsize(TRACE)

    def trace(self):
        """Event lines that the trace gained during this test."""
        with open(TRACE, "rb") as f:
            f.seek(self.trace_start)
            text = f.read().decode("latin-1")
        return [l for l in text.splitlines() if ":eventlog:" in l]

    def wait_trace(self, needle, seconds=60):
        return harness.wait_until(lambda: [l for l in self.trace() if needle in l], seconds,
                                  lambda: "no event holding %r; events: %r" % (needle, self.trace()))

    def test_install_registers_and_uninstall_removes_the_source(self):
        name = unique_name("ev")
        exe = self.service_launcher(name)
        key = EVENTLOG_KEY + "\\" + name
        r = harness.run(exe, ["/install"])
        self.assertEqual(r.code, 0, r)
        self.assertEqual(harness.reg_query(key, "EventMessageFile"), harness.winpath(exe))
        self.assertEqual(harness.reg_query(key, "TypesSupported"), "0x7")
        # Installing again replaces the registration and keeps the source.
        self.assertEqual(harness.run(exe, ["/install"]).code, 0)
        self.assertEqual(harness.reg_query(key, "EventMessageFile"), harness.winpath(exe))
        r = harness.run(exe, ["/uninstall"])
        self.assertEqual(r.code, 0, r)
        self.assertIsNone(harness.reg_query(key))
        # The message table that the source names is in the executable.
        with open(exe, "rb") as f:
            self.assertIn("%1".encode("utf-16-le"), f.read())

    def test_another_programs_source_of_the_same_name_is_left_alone(self):
        name = unique_name("ev")
        exe = self.service_launcher(name)
        key = EVENTLOG_KEY + "\\" + name
        other = "C:\\Program Files\\Other\\other.dll"
        r = harness.wine_tool(["reg", "add", key, "/v", "EventMessageFile", "/t", "REG_EXPAND_SZ", "/d", other, "/f"])
        self.assertEqual(r.returncode, 0, r)
        self.addCleanup(harness.reg_delete, key)
        r = harness.run(exe, ["/install"])
        self.assertEqual(r.code, 2, r)
        self.assertEqual(r.out.replace("\r\n", "\n"),
                         "Could not register the event source '%s': it belongs to another program ('%s').\n"
                         "Installed service '%s'.\n" % (name, other, name))
        self.assertEqual(harness.reg_query(key, "EventMessageFile"), other)
        self.assertIsNone(harness.reg_query(key, "TypesSupported"))
        r = harness.run(exe, ["/uninstall"])
        self.assertEqual(r.code, 0, r)
        self.assertEqual(harness.reg_query(key, "EventMessageFile"), other)

    def test_service_without_java_leaves_the_message_in_the_event_log(self):
        # The launcher as its own worker, with a Java home that does not exist: the worker's
        # message, with the path of its log, is an error event.
        strings = dict(harness.STDERR_KIND)
        strings.update(MESSAGES)
        strings.update({128: "R.\\nojre", 122: "com.example.Main"})
        svc = Service(self, "svc", strings=strings, worker=None, env=["WINEDEBUG=" + DEBUG])
        self.assertEqual(probe("start", svc.name).code, 0)
        text = MESSAGES[1016].replace("{0}", "64")
        found = self.wait_trace(text)
        self.assertEqual(len(found), 1, found)
        self.assertIn(":err:eventlog:ReportEventW ", found[0])
        self.assertIn(text + "\\n\\nLog: ", found[0])
        # The same worker run from a console writes the message to standard error only.
        self.trace_start = os.path.getsize(TRACE)
        r = harness.run(svc.exe, [svc.name, "__zlx_restart"], env={"WINEDEBUG": DEBUG})
        self.assertEqual(r.code, 1, r)
        self.assertIn(text, r.err)
        self.assertNotIn(":eventlog:", r.err)
        self.assertEqual(self.trace(), [])

    def test_worker_that_cannot_be_started(self):
        missing = harness.winpath(self.path("svc", "missing.exe"))
        svc = Service(self, "svc", worker='"%s"' % missing, env=["WINEDEBUG=" + DEBUG])
        self.assertEqual(probe("start", svc.name).code, 0)
        svc.wait(STOPPED)
        found = self.wait_trace("The worker process could not be started (error 2): ")
        self.assertIn(":err:eventlog:ReportEventW ", found[0])
        self.assertIn("missing.exe", found[0])


if __name__ == "__main__":
    harness.main()
