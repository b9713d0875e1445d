"""The service account and the settings that /install passes on beyond the registration, under
Wine's own Service Control Manager.

Wine 8 stores the account (ObjectName) and the pre-shutdown timeout and gives them back. It refuses
the delayed flag, the failure-actions flag and the service SID type, and it takes the failure actions
without keeping them (a query then fails); it knows no user of a domain, so the right to log on as
a service cannot be granted to one. The launcher reports each of those on the console with the
error code and ends with 2 (installed, not every setting applied); the records it passes are
checked byte by byte in tests/unit/service_config_test.cpp.
"""
import getpass
import os
import re
import shutil

import harness
from test_service_commands import ServiceTestCase, lines, service_registered, service_value, unique_name
from test_service_runtime import RUNNING, STOPPED, Service, probe

ACCOUNT, DELAYED, FAILURE_ACTIONS, FAILURE_RESET, PRESHUTDOWN = 30200, 30201, 30202, 30203, 30204


def install(exe, *args, env=None):
    """An install command with standard input that is no console."""
    return harness.run(exe, list(args) or ["/install"], env=env, stdin=b"")


def config_of(name):
    """svcprobe's answer for the registration: type, start, account and the four levels."""
    r = probe("config", name)
    if r.code != 0:
        raise AssertionError("no configuration of %s: %r" % (name, r))
    return r.out.replace("\r\n", "\n")


def failure_lines(out):
    return re.findall(r"^(Could not .*)\r$", out, re.M)


class AccountTest(ServiceTestCase):

    def test_each_account_form_is_registered(self):
        # Without a user account no password is needed; a user account gets it from the variable.
        env = {"QUORV_SERVICE_PASSWORD": "secret"}
        cases = [
            (None, "LocalSystem", "0x110"),  # no setting: as before, interactive
            ("LocalSystem", "LocalSystem", "0x110"),
            ("LocalService", "NT AUTHORITY\\LocalService", "0x10"),
            ("NetworkService", "NT AUTHORITY\\NetworkService", "0x10"),
            ("virtual", "NT SERVICE\\{name}", "0x10"),
            ("CORP\\svc-app", "CORP\\svc-app", "0x10"),
            (".\\appuser", ".\\appuser", "0x10"),
            ("appuser@corp.example.com", "appuser@corp.example.com", "0x10"),
            ("CORP\\gmsa-app$", "CORP\\gmsa-app$", "0x10"),
        ]
        for setting, account, service_type in cases:
            with self.subTest(account=setting):
                name = unique_name("acct")
                strings = {} if setting is None else {ACCOUNT: setting}
                exe = self.service_launcher(name, dirname=name, strings=strings)
                r = install(exe, env=env)
                self.assertIn("Installed service '%s'.\r\n" % name, r.out, r)
                self.assertIn("account=%s\n" % account.format(name=name), config_of(name))
                self.assertEqual(service_value(name, "Type"), service_type)
                self.assertNotIn("secret", r.out + r.err)
                if setting in (None, "LocalSystem", "LocalService", "NetworkService"):
                    self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
                else:
                    # What Wine cannot do is reported with its code, and the install ends with 2.
                    self.assertEqual(r.code, 2, r)
                    self.assertTrue(failure_lines(r.out), r)
                    for line in failure_lines(r.out):
                        self.assertRegex(line, r"^Could not (apply service\.account|grant '.*' the right to log "
                                               r"on as a service)\. Error code: [1-9]\d*$")

    def test_variable_chooses_the_account_instead_of_the_packed_one(self):
        name = unique_name("acct")
        exe = self.service_launcher(name, strings={ACCOUNT: "CORP\\svc-app"})
        r = install(exe, env={"QUORV_SERVICE_ACCOUNT": "NetworkService"})
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertIn("account=NT AUTHORITY\\NetworkService\n", config_of(name))

    def test_missing_password_ends_with_the_message_and_no_service(self):
        for command in ("/install", "/install-auto", "/install-demand", "/install-and-start"):
            with self.subTest(command=command):
                name = unique_name("nopw")
                exe = self.service_launcher(name, dirname=name, strings={ACCOUNT: ".\\appuser"})
                r = install(exe, command)
                self.assertEqual((r.code, r.out), (1, lines(
                    "No password for the service account '.\\appuser': set QUORV_SERVICE_PASSWORD or run "
                    "the command in a console.")))
                self.assertFalse(service_registered(name))

    def test_empty_password_is_no_password(self):
        name = unique_name("nopw")
        exe = self.service_launcher(name, strings={ACCOUNT: ".\\appuser"})
        r = install(exe, env={"QUORV_SERVICE_PASSWORD": ""})
        self.assertEqual((r.code, r.out), (1, lines(
            "No password for the service account '.\\appuser': set QUORV_SERVICE_PASSWORD or run "
            "the command in a console.")))
        self.assertFalse(service_registered(name))

    def test_a_group_is_no_service_account(self):
        name = unique_name("grp")
        exe = self.service_launcher(name)
        r = install(exe, env={"QUORV_SERVICE_ACCOUNT": "BUILTIN\\Users", "QUORV_SERVICE_PASSWORD": "secret"})
        self.assertEqual((r.code, r.out), (1, lines(
            "The service account 'BUILTIN\\Users' is a group, not an account that a service can run as.")))
        self.assertFalse(service_registered(name))

    def test_missing_password_leaves_an_earlier_registration_alone(self):
        name = unique_name("nopw")
        exe = self.service_launcher(name, strings={ACCOUNT: "CORP\\svc-app"})
        first = install(exe, env={"QUORV_SERVICE_ACCOUNT": "NetworkService"})
        self.assertEqual(first.code, 0, first)
        r = install(exe)
        self.assertEqual(r.code, 1, r)
        self.assertIn("account=NT AUTHORITY\\NetworkService\n", config_of(name))

    def test_bad_account_in_the_variable_is_refused(self):
        name = unique_name("bad")
        exe = self.service_launcher(name)
        r = install(exe, env={"QUORV_SERVICE_ACCOUNT": "appuser"})
        self.assertEqual(r.code, 1, r)
        self.assertTrue(r.out.startswith("The service account 'appuser' is not an account"), r)
        self.assertFalse(service_registered(name))

    def test_log_directories_are_created_for_the_account(self):
        name = unique_name("logs")
        exe = self.service_launcher(name, strings={ACCOUNT: "NetworkService", 102: "1",
                                                   103: self.windows_path("logs", "err", "error.log"),
                                                   104: "1", 105: self.windows_path("logs", "out", "out.log")})
        r = install(exe)
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertTrue(os.path.isdir(self.path("logs", "err")))
        self.assertTrue(os.path.isdir(self.path("logs", "out")))

    def test_prefix_user_gets_the_logon_right_and_its_log_directory(self):
        # The one user Wine knows: the look-up, the right and the access list all succeed.
        user = ".\\" + getpass.getuser()
        name = unique_name("user")
        exe = self.service_launcher(name, strings={ACCOUNT: user, 104: "1",
                                                   105: self.windows_path("userlogs", "out.log")})
        r = install(exe, env={"QUORV_SERVICE_PASSWORD": "secret"})
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertIn("account=%s\n" % user, config_of(name))
        self.assertTrue(os.path.isdir(self.path("userlogs")))

    def test_log_directories_are_left_alone_for_local_system(self):
        name = unique_name("logs")
        exe = self.service_launcher(name, strings={102: "1", 103: self.windows_path("logs", "error.log")})
        r = install(exe)
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
        self.assertFalse(os.path.exists(self.path("logs")))

    def windows_path(self, *parts):
        return harness.winpath(self.path(*parts))


class LogDirectoryTest(ServiceTestCase):
    """What the install opens to the service's account: the directories of the logs as the run
    resolves them, never the executable's own directory nor one above it, never through a link,
    and no directory that someone else owns."""

    def install_with_logs(self, strings, dirname="bin"):
        name = unique_name("logs")
        table = {ACCOUNT: "NetworkService"}
        table.update(strings)
        exe = self.service_launcher(name, dirname=dirname, strings=table)
        return install(exe), exe

    def test_relative_logs_are_prepared_where_the_run_writes_them(self):
        system_logs = harness.drive_c("windows", "system32", "qrvlogs")
        self.assertFalse(os.path.exists(system_logs))
        for working_directory in (None, harness.winpath(self.path())):
            with self.subTest(working_directory=working_directory):
                shutil.rmtree(self.path("bin", "qrvlogs"), True)
                strings = {104: "1", 105: "qrvlogs\\out.log"}
                if working_directory:
                    strings[146] = working_directory
                r, exe = self.install_with_logs(strings)
                self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name_of(r))), r)
                self.assertTrue(os.path.isdir(self.path("bin", "qrvlogs")))
                self.assertFalse(os.path.exists(system_logs))
                self.assertFalse(os.path.exists(self.path("qrvlogs")))

    def test_the_executables_directory_and_those_above_it_are_refused(self):
        exe_dir = harness.winpath(self.path("bin"))
        cases = [
            ({30300: "service.log"}, exe_dir, "service.worker-log"),
            ({104: "1", 105: "..\\out.log", 102: "1", 103: "..\\err.log"}, harness.winpath(self.path()),
             "app.error-log, app.output-log"),
        ]
        for strings, directory, settings in cases:
            with self.subTest(settings=settings):
                r, exe = self.install_with_logs(strings)
                self.assertEqual(r.code, 2, r)
                self.assertEqual(failure_lines(r.out), [
                    "Could not prepare the directory '%s' of %s: it holds the executable; give the log a directory "
                    "of its own." % (directory, settings)])

    def test_a_log_directory_that_is_a_link_is_refused(self):
        os.makedirs(self.path("elsewhere"))
        os.makedirs(self.path("bin"))
        os.symlink(self.path("elsewhere"), self.path("bin", "wlog"))
        r, exe = self.install_with_logs({30300: "wlog\\service.log"})
        self.assertEqual(r.code, 2, r)
        self.assertEqual(failure_lines(r.out), [
            "Could not prepare the directory '%s' of service.worker-log: it is a link (a junction or symbolic link)."
            % harness.winpath(self.path("bin", "wlog"))])

    def test_a_directory_that_someone_else_owns_is_refused(self):
        # Whoever owns a directory on the way can swap what lies below it for a link later.
        for owned in (("data",), ("data", "logs")):
            with self.subTest(owned=owned):
                shutil.rmtree(self.path("data"), True)
                os.makedirs(self.path("data", "logs"))
                os.chown(self.path(*owned), 65534, -1)
                r, exe = self.install_with_logs({104: "1", 105: harness.winpath(self.path("data", "logs", "out.log"))})
                self.assertEqual(r.code, 2, r)
                self.assertRegex(r.out, r"^Could not prepare the directory '%s' of app.output-log: it belongs to "
                                        r".+, not to SYSTEM, the Administrators or the installing user\.\r\n"
                                 % re.escape(harness.winpath(self.path(*owned))))

    def test_a_directory_made_by_the_install_is_not_open_to_everyone(self):
        # It gets a list of its own instead of what it would inherit from where it is made.
        r, exe = self.install_with_logs({30300: "wlog\\service.log"})
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name_of(r))), r)
        probe_ = harness.wine_tool([os.path.join(harness.FIXTURES, "acl_probe.exe"),
                                    harness.winpath(self.path("bin", "wlog"))])
        self.assertEqual(probe_.returncode, 0, probe_)
        self.assertNotIn(";;;WD)", probe_.stdout.decode("latin-1"))

    def test_uninstall_takes_the_accounts_entries_away_and_leaves_the_logs(self):
        r, exe = self.install_with_logs({30300: "wlog\\service.log"})
        self.assertEqual(r.code, 0, r)
        with open(self.path("bin", "wlog", "service.log"), "w") as f:
            f.write("kept")
        r = harness.run(exe, ["/uninstall"])
        self.assertEqual((r.code, r.out), (0, lines("Service is already stopped.", "Uninstalled service '%s'."
                                                    % re.search(r"service '(.*)'", r.out).group(1))))
        with open(self.path("bin", "wlog", "service.log")) as f:
            self.assertEqual(f.read(), "kept")
        # Wine keeps no access list on files, so the change itself is shown on a list in memory,
        # made by the launcher's own code.
        acl = os.path.join(harness.FIXTURES, "acl_probe.exe")
        revoked = harness.wine_tool([acl, "--revoke", "S-1-5-20",
                                     "D:P(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;NS)(A;;FR;;;NS)(A;OICI;0x1200a9;;;BU)"])
        self.assertEqual(revoked.stdout.decode().strip(), "D:(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", revoked)
        granted = harness.wine_tool([acl, "--grant", "S-1-5-20", "D:(A;OICI;FA;;;SY)"])
        self.assertEqual(granted.stdout.decode().strip(), "D:(A;OICI;0x1301bf;;;NS)(A;OICI;FA;;;SY)", granted)


def name_of(result):
    return re.search(r"Installed service '(.*)'\.", result.out).group(1)


class SettingsTest(ServiceTestCase):

    def test_preshutdown_timeout_is_registered(self):
        # Wine, as Windows, gives a service 180000 ms without the setting.
        for setting, stored in (("90s", 90000), ("500ms", 500), ("1h", 3600000), (None, 180000)):
            with self.subTest(setting=setting):
                name = unique_name("pre")
                exe = self.service_launcher(name, dirname=name, strings={} if setting is None else {PRESHUTDOWN: setting})
                r = install(exe)
                self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))
                self.assertIn("preshutdown=%d\n" % stored, config_of(name))

    def test_what_wine_refuses_is_reported_with_its_code(self):
        name = unique_name("rec")
        exe = self.service_launcher(name, strings={107: "4", DELAYED: "1", FAILURE_ACTIONS: "restart/10s,none",
                                                   FAILURE_RESET: "1h"})
        r = install(exe)
        self.assertEqual(r.code, 2, r)
        self.assertTrue(r.out.endswith(lines("Installed service '%s'." % name)), r)
        # Wine refuses the delayed flag and the failure-actions flag; the actions themselves it
        # takes (without keeping them).
        self.assertEqual([re.sub(r"\d+$", "N", l) for l in failure_lines(r.out)],
                         ["Could not apply service.start. Error code: N",
                          "Could not apply service.failure-actions. Error code: N"])
        config = config_of(name)
        self.assertIn(" start=2 ", config)
        self.assertRegex(config, r"delayed error=\d+\n")
        self.assertRegex(config, r"failure-actions error=\d+\n")

    def test_delayed_flag_is_not_set_for_a_demand_start(self):
        name = unique_name("rec")
        exe = self.service_launcher(name, strings={107: "4", DELAYED: "1"})
        r = install(exe, "/install-demand")
        self.assertEqual((r.code, r.out), (0, lines("Installed service '%s'." % name)))

    def test_install_and_start_ends_with_2_when_a_setting_failed_and_the_start_succeeded(self):
        name = unique_name("rec")
        exe = self.service_launcher(name, strings={**harness.STDERR_KIND, FAILURE_ACTIONS: "restart/10s"})
        r = install(exe, "/install-and-start")
        self.assertEqual(r.code, 2, r)
        self.assertTrue(r.out.endswith(lines("Installed service '%s'." % name, "Starting service '%s'." % name)), r)


class RunTest(ServiceTestCase):
    """Services with an account other than LocalSystem start and stop under Wine as before (Wine
    runs them under the prefix's one user), and the pre-shutdown control is accepted only with
    its setting."""

    def run_and_stop(self, svc, controls):
        self.assertEqual(probe("start", svc.name).code, 0)
        status = svc.wait(RUNNING)
        self.assertEqual(status["controls"], controls)
        r = svc.command("/stop")
        self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name, "Service stopped")))
        status = svc.wait(STOPPED)
        self.assertEqual((status["exit"], status["specific"]), (0, 0))
        self.assertEqual(svc.record()[-3:], ["stdin: 30 0a", "stdin end", "exit 0"])

    def test_network_service_with_preshutdown_starts_and_stops(self):
        svc = Service(self, "svc", strings={ACCOUNT: "NetworkService", PRESHUTDOWN: "2m"})
        self.assertIn("account=NT AUTHORITY\\NetworkService\n", config_of(svc.name))
        self.run_and_stop(svc, 0x105)

    def test_virtual_account_starts_and_stops(self):
        svc = Service(self, "svc", strings={ACCOUNT: "NetworkService"})
        r = harness.run(svc.exe, ["/install"], env={"QUORV_SERVICE_ACCOUNT": "virtual"}, stdin=b"")
        self.assertEqual(r.code, 2, r)  # the SID type, which Wine refuses
        self.assertEqual(probe("setpath", svc.name, '"%s"' % harness.winpath(svc.runner)).code, 0)
        self.assertIn("account=NT SERVICE\\%s\n" % svc.name, config_of(svc.name))
        self.run_and_stop(svc, 5)


if __name__ == "__main__":
    harness.main()
