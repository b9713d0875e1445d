"""Deployment without a person at the console: /configure, the converging install, and the
Windows Installer package of quorv-pack msi, installed, upgraded, repaired and removed by Wine's
own msiexec.

Wine 8's msiexec does not implement /f (a repair): "/fa PACKAGE" ends with 69 and "/fa
{PRODUCT-CODE}" with 1 ("Product code treatment not implemented yet"), so the repair here is the
same install with the properties /fa sets (REINSTALL=ALL REINSTALLMODE=amus). Its msi also prints
every property at the end of a verbose log, those of MsiHiddenProperties included.

Wine 8 cannot read back the delayed flag and the failure actions (error 124) and refuses to set
the delayed flag, the failure-actions flag and the service SID type; /configure then applies what
the configuration gives again and never counts it as changed, and a configuration without those
settings is used here. The rule itself is checked in tests/unit/service_configure_test.cpp.
"""
import getpass
import os
import shutil
import subprocess
import uuid

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


def pack(*args):
    return subprocess.run([harness.PACK] + [str(a) for a in args], capture_output=True, text=True, timeout=300)


def msiexec(*args, log=None):
    """msiexec with standard input from /dev/null (see the notes on Wine); the exit code and the
    verbose log when one is asked for."""
    extra = ["/l*v", harness.winpath(log)] if log else []
    proc = harness.wine_tool(["msiexec"] + list(args) + extra, timeout=600, stdin=b"")
    text = ""
    if log and os.path.exists(log):
        with open(log, "rb") as f:
            raw = f.read()
        text = raw.decode("utf-16-le", "replace") if raw[:2] == b"\xff\xfe" else raw.decode("latin-1")
    return proc.returncode, text


class PackageTest(ServiceTestCase):
    """One package, built twice (1.0.0 and 1.0.1), through a whole life: install, upgrade while
    the service runs, repair of a deleted file, removal. The service runs as the prefix's own user
    (the one account Wine knows), so that the password takes its way from the msiexec command line."""

    def write_config(self, version, marker):
        with open(self.path("src", "conf", "version.txt"), "w") as f:
            f.write(marker)
        config = self.path("src", "service.toml")
        with open(config, "w") as f:
            f.write("""runtime.include = false
[service]
name = "%(name)s"
description = "Deployed by a package"
start = "auto"
account = ".\\\\%(user)s"
preshutdown-timeout = "2m"
worker-log = "logs\\\\service.log"
[java]
search = ["R.\\\\jre"]
[app]
main-class = "com.example.Main"
[app.env]
QUORV_STANDIN_MAIN = "service"
QUORV_STANDIN_RECORD = "%(record)s"
[version]
product-version = "%(version)s"
company = "Kelvara Tests"
[installer]
upgrade-code = "%(code)s"
directory = "Kelvara\\\\%(name)s"
exe-name = "svc.exe"
files = [ { source = "jre", target = "jre" }, { source = "conf/*.txt", target = "conf" } ]
""" % {"name": self.name, "user": getpass.getuser(), "version": version, "code": self.code,
       "record": harness.winpath(self.path("record-%s.txt" % version)).replace("\\", "\\\\")})
        return config

    def build(self, version, marker):
        msi = self.path("pkg-%s.msi" % version)
        r = pack("msi", self.write_config(version, marker), "-o", msi, "--launcher", harness.LAUNCHER,
                 "--wxs", self.path("wxs-%s" % version, "service.wxs"))
        self.assertEqual(r.returncode, 0, r.stderr)
        return msi

    def installed(self, *parts):
        return harness.drive_c("Program Files", "Kelvara", self.name, *parts)

    def wait_serving(self, version):
        record = self.path("record-%s.txt" % version)
        return harness.wait_until(lambda: [l for l in read_lines(record) if l.startswith("main serving")], 120,
                                  lambda: "version %s never served: %r; service %s" % (
                                      version, read_lines(record)[-5:], probe("status", self.name).out.strip()))

    def test_install_upgrade_repair_and_removal(self):
        self.name = unique_name("msi")
        self.code = "{%s}" % str(uuid.uuid4()).upper()
        os.makedirs(self.path("src", "conf"))
        harness.standin_java_home(self.path("src", "jre"))
        self.addCleanup(self.remove_package)
        first = self.build("1.0.0", "one")
        tables = subprocess.run(["msiinfo", "tables", first], capture_output=True, text=True, check=True).stdout.split()
        for table in tables:
            exported = subprocess.run(["msiinfo", "export", first, table], capture_output=True).stdout
            self.assertNotIn(b"s3cr3t-pw", exported, table)
        # Without the password the package refuses to install the service of a user account.
        code, log = msiexec("/i", harness.winpath(first), "/qn", log=self.path("refused.log"))
        self.assertNotEqual(code, 0, log[-2000:])
        self.assertFalse(service_registered(self.name))

        code, log = msiexec("/i", harness.winpath(first), "/qn", "SERVICE_PASSWORD=s3cr3t-pw",
                            log=self.path("install.log"))
        self.assertEqual(code, 0, log[-3000:])
        # Windows Installer leaves the properties of MsiHiddenProperties out of its log; Wine 8's
        # msi prints every property at the end of the log all the same, so only the list is shown.
        self.assertIn("Property(S): MsiHiddenProperties = SERVICE_PASSWORD", log)
        self.assertIn("Property(S): SecureCustomProperties = WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;"
                      "SERVICE_PASSWORD", log)
        self.wait_serving("1.0.0")
        exe = self.installed("svc.exe")
        user = ".\\" + getpass.getuser()
        # As /install registers it, with what /configure adds in the package.
        self.assertEqual(service_value(self.name, "ImagePath"), '"%s"' % self.windows_installed("svc.exe"))
        self.assertEqual([service_value(self.name, v) for v in ("Type", "Start", "ErrorControl", "ObjectName",
                                                               "DisplayName", "Description")],
                         ["0x10", "0x2", "0x1", user, self.name, "Deployed by a package"])
        config = probe("config", self.name).out
        self.assertIn("preshutdown=120000", config)
        self.assertEqual(harness.reg_query(EVENT_SOURCES + "\\" + self.name, "EventMessageFile"),
                         self.windows_installed("svc.exe"))
        self.assertTrue(os.path.isdir(self.installed("logs")))
        options = read_lines(self.path("record-1.0.0.txt"))
        self.assertIn("-Dquorv.moduleName=" + self.windows_installed("svc.exe"),
                      [l.split(": ", 1)[-1] for l in options])
        r = harness.run(exe, ["/configure"], stdin=b"")
        self.assertEqual((r.code, r.out), (0, lines("Service '%s' is up to date." % self.name)))

        second = self.build("1.0.1", "two")
        code, log = msiexec("/i", harness.winpath(second), "/qn", "SERVICE_PASSWORD=s3cr3t-pw",
                            log=self.path("upgrade.log"))
        self.assertEqual(code, 0, log[-3000:])
        self.assertIn("stdin line 0", read_lines(self.path("record-1.0.0.txt")), "the old version was not stopped")
        self.wait_serving("1.0.1")
        self.assertEqual(status_of(probe("status", self.name).out)["state"], RUNNING)
        with open(self.installed("conf", "version.txt")) as f:
            self.assertEqual(f.read(), "two")

        # A repair in the form that Wine's msiexec implements (its /f is not): what /fa sets.
        os.remove(self.installed("conf", "version.txt"))
        code, log = msiexec("/i", harness.winpath(second), "/qn", "REINSTALL=ALL", "REINSTALLMODE=amus",
                            "SERVICE_PASSWORD=s3cr3t-pw", log=self.path("repair.log"))
        self.assertEqual(code, 0, log[-3000:])
        self.assertTrue(os.path.isfile(self.installed("conf", "version.txt")), "the repair did not restore the file")

        with open(self.installed("logs", "service.log"), "ab") as f:
            f.write(b"kept\n")
        # Stopped first, and its process gone: a service reports itself stopped just before its
        # process ends, and a removal in that moment finds the program still mapped (Windows then
        # asks for a restart; Wine's msiexec leaves the file). The upgrade above shows the package
        # stopping a running service.
        r = harness.run(exe, ["/stop"], stdin=b"")
        self.assertEqual(r.code, 0, r)
        harness.wait_until(lambda: not harness.processes_naming(exe), 30,
                           lambda: "processes of %s still run: %r" % (exe, harness.processes_naming(exe)))
        code, log = msiexec("/x", harness.winpath(second), "/qn", log=self.path("remove.log"))
        self.assertEqual(code, 0, log[-3000:])
        self.assertFalse(service_registered(self.name))
        self.assertIsNone(harness.reg_query(EVENT_SOURCES + "\\" + self.name))
        left = sorted(os.path.relpath(os.path.join(d, f), self.installed()) for d, _, fs in os.walk(self.installed())
                      for f in fs)
        # What stays is the log, and the count of runs that the stand-in java.exe keeps beside itself.
        self.assertEqual(left, ["jre/bin/java.count", "logs/service.log"])

    def windows_installed(self, *parts):
        return "C:\\Program Files\\Kelvara\\%s\\%s" % (self.name, "\\".join(parts))

    def remove_package(self):
        for version in ("1.0.1", "1.0.0"):
            msi = self.path("pkg-%s.msi" % version)
            if service_registered(self.name) and os.path.exists(msi):
                msiexec("/x", harness.winpath(msi), "/qn")
        shutil.rmtree(self.installed(), True)


if __name__ == "__main__":
    harness.main()
