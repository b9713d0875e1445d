"""The service commands against Wine's own Service Control Manager: install, uninstall, start,
stop and status, with the console texts and exit statuses, and the registration as the registry
holds it afterwards.

Every test uses service names of its own, so that tests never see each other's services, and
removes what it registered. Console output comes through Wine with CR LF line ends.
"""
import itertools
import os

import harness

SERVICES_KEY = r"HKLM\System\CurrentControlSet\Services"
_counter = itertools.count(1)


def unique_name(label="svc"):
    return "quorv-%s-%d-%d" % (label, os.getpid(), next(_counter))


def lines(*texts):
    """What the launcher prints: each line with CR LF."""
    return "".join(t + "\r\n" for t in texts)


def service_value(name, value):
    return harness.reg_query(SERVICES_KEY + "\\" + name, value)


def service_registered(name):
    return harness.reg_query(SERVICES_KEY + "\\" + name) is not None


def wait_for_scm():
    """Waits until the Service Control Manager takes service starts (see harness.wait_for_scm)."""
    harness.wait_for_scm()


class ServiceTestCase(harness.WineTestCase):
    @classmethod
    def setUpClass(cls):
        wait_for_scm()

    def service_launcher(self, name, dirname="bin", strings=None, wide=None, files=()):
        """A launcher in its own directory whose key 101 is `name`; the service goes away at the
        end of the test."""
        table = {101: name}
        table.update(strings or {})
        exe = self.launcher(os.path.join(dirname, "app.exe"), strings=table, wide=wide, files=files)
        self.addCleanup(self.remove_service, exe, name)
        return exe

    @staticmethod
    def remove_service(exe, name):
        if service_registered(name):
            harness.run(exe, ["/uninstall", name])

    def command(self, exe, *args):
        return harness.run(exe, list(args))


class InstallTest(ServiceTestCase):

    def test_install_on_a_new_name_prints_only_the_installed_line(self):
        name = unique_name()
        exe = self.service_launcher(name)
        r = self.command(exe, "/install")
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertEqual(service_value(name, "Type"), "0x110")
        self.assertEqual(service_value(name, "Start"), "0x3")
        self.assertEqual(service_value(name, "ErrorControl"), "0x1")
        self.assertEqual(service_value(name, "DisplayName"), name)
        self.assertEqual(service_value(name, "ObjectName"), "LocalSystem")
        self.assertEqual(service_value(name, "ImagePath"), harness.winpath(exe))
        self.assertIsNone(service_value(name, "DependOnService"))
        self.assertIsNone(service_value(name, "Description"))

    def test_install_over_a_stopped_service_replaces_it(self):
        name = unique_name()
        exe = self.service_launcher(name)
        self.command(exe, "/install-auto", "non-interactive")
        self.assertEqual((service_value(name, "Start"), service_value(name, "Type")), ("0x2", "0x10"))
        r = self.command(exe, "/install")
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.",
                                                    "Installed service '%s'." % name)))
        self.assertEqual((service_value(name, "Start"), service_value(name, "Type")), ("0x3", "0x110"))

    def test_start_types_of_the_install_words(self):
        # Key 107 = 4 makes "install" automatic; "install-auto" and "install-demand" ignore it.
        cases = [
            ({}, "/install", "0x3"),
            ({107: "4"}, "/install", "0x2"),
            ({107: "5"}, "/install", "0x3"),
            ({}, "/install-auto", "0x2"),
            ({107: "4"}, "/install-demand", "0x3"),
            ({}, "-install-demand", "0x3"),
        ]
        for strings, word, start in cases:
            with self.subTest(strings=strings, word=word):
                name = unique_name()
                exe = self.service_launcher(name, dirname=name, strings=strings)
                r = self.command(exe, word)
                self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
                self.assertEqual(service_value(name, "Start"), start)

    def test_interactive_flag_and_name_after_the_command_word(self):
        default = unique_name()
        other = unique_name("other")
        exe = self.service_launcher(default)
        self.addCleanup(self.remove_service, exe, other)
        self.addCleanup(self.remove_service, exe, other + " non-interactive")
        self.addCleanup(self.remove_service, exe, other + " x")
        cases = [
            (["/install", "non-interactive"], default, "0x10"),
            (["/install", other], other, "0x110"),
            (["/install", "non-interactive", other], other, "0x10"),
            # A name with a blank is taken whole, and "non-interactive" after a name is part of it.
            (["/install", other, "x"], other + " x", "0x110"),
            (["/install", other, "non-interactive"], other + " non-interactive", "0x110"),
        ]
        for args, registered, service_type in cases:
            with self.subTest(args=args):
                r = self.command(exe, *args)
                self.assertEqual(r.code, 0, r)
                self.assertTrue(r.out.endswith(lines("Installed service '%s'." % registered)), r)
                self.assertEqual(service_value(registered, "Type"), service_type)
                self.assertEqual(service_value(registered, "DisplayName"), registered)

    def test_path_with_a_blank_is_registered_in_quotes(self):
        name = unique_name()
        exe = self.service_launcher(name, dirname=os.path.join("Program Files", "My App"))
        r = self.command(exe, "/install")
        self.assertEqual(r.code, 0, r)
        self.assertEqual(service_value(name, "ImagePath"), '"%s"' % harness.winpath(exe))

    def test_dependencies_and_description(self):
        name = unique_name()
        exe = self.service_launcher(name, strings={149: ",Tcpip,,b c,"},
                                    wide={20017: "Runs the \u00e9xample server"})
        r = self.command(exe, "/install")
        self.assertEqual(r.code, 0, r)
        # reg.exe prints in the OEM code page (437 here).
        description = service_value(name, "Description").encode("latin-1").decode("cp437")
        self.assertEqual(description, "Runs the \u00e9xample server")
        # The launcher hands CreateServiceA the block "Tcpip\0b c\0\0"; Wine 8 stores only the
        # first name of such a list (see the notes on Wine), so the registry holds "Tcpip" and, on
        # a system that keeps the whole list, "b c" after it.
        stored = service_value(name, "DependOnService")
        self.assertIsNotNone(stored)
        names = [n for n in stored.split("\\0") if n]
        self.assertIn(names, (["Tcpip"], ["Tcpip", "b c"]))

    def test_empty_dependencies_and_description_set_nothing(self):
        name = unique_name()
        exe = self.service_launcher(name, strings={149: ""}, wide={20017: ""})
        self.assertEqual(self.command(exe, "/install").code, 0)
        self.assertIsNone(service_value(name, "DependOnService"))
        self.assertIsNone(service_value(name, "Description"))


class OtherCommandsTest(ServiceTestCase):

    def test_unknown_name(self):
        name = unique_name("none")
        exe = self.service_launcher(name)
        cases = [
            ("/start", 1, lines("Could not start service. Error code: 1060")),
            ("/stop", 1, lines("Could not stop service.")),
            ("/uninstall", 1, lines("Could not delete service.")),
            ("/status", 1, lines("Could not get status.")),
        ]
        for word, code, out in cases:
            with self.subTest(word=word):
                r = self.command(exe, word)
                self.assertEqual((r.code, r.out, r.err), (code, out, ""))

    def test_status_of_stopped_services(self):
        demand, auto = unique_name("demand"), unique_name("auto")
        exe = self.service_launcher(demand)
        self.addCleanup(self.remove_service, exe, auto)
        self.command(exe, "/install")
        self.command(exe, "/install-auto", auto)
        r = self.command(exe, "/status")
        self.assertEqual((r.code, r.out), (3, lines("Not running.")))
        # The name after the command word applies to "status" as well.
        r = self.command(exe, "/status", auto)
        self.assertEqual((r.code, r.out), (3, lines("Not running.", "Auto-start.")))

    def test_stop_with_every_prefix(self):
        name = unique_name()
        exe = self.service_launcher(name)
        self.command(exe, "/install")
        for word in ("/stop", "-stop", "--stop", "/-stop"):
            with self.subTest(word=word):
                r = self.command(exe, word)
                self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.")))

    def test_uninstall_removes_the_registration(self):
        name = unique_name()
        exe = self.service_launcher(name)
        self.command(exe, "/install")
        r = self.command(exe, "/uninstall")
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.",
                                                    "Uninstalled service '%s'." % name)))
        self.assertFalse(service_registered(name))
        r = self.command(exe, "/status")
        self.assertEqual((r.code, r.out), (1, lines("Could not get status.")))

    def test_uninstall_and_stop_under_another_name(self):
        name, other = unique_name(), unique_name("other")
        exe = self.service_launcher(name)
        self.addCleanup(self.remove_service, exe, other)
        self.command(exe, "/install", "non-interactive", other)
        r = self.command(exe, "/stop", other)
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.")))
        r = self.command(exe, "/uninstall", other)
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.",
                                                    "Uninstalled service '%s'." % other)))
        self.assertFalse(service_registered(other))
        # The service of key 101 was never registered.
        r = self.command(exe, "/uninstall")
        self.assertEqual((r.code, r.out), (1, lines("Could not delete service.")))


if __name__ == "__main__":
    harness.main()
