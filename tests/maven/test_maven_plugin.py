"""The Maven plugin, built and used offline with Debian's Maven and its repository of plugins.

The plugin is built with the packer, launcher and runtime archive of this build inside it and
installed into a local repository of the test's own. Then:
- examples/maven-service (quorv.toml, a runtime and a test dependency, tools from the plugin):
  "mvn install" writes the service executable, attaches it (it lands in the local repository) and
  "quorv-pack dump" shows the configuration with the project's jar and its runtime dependency;
- tests/maven/inline-settings (settings in the plugin's configuration, tools from a directory,
  a classifier, <msi>true</msi>): the same through "mvn package", and the installer package beside
  the executable (built with wixl; skipped where wixl is not installed);
- a configuration problem fails the build with the packer's line about it.

Environment (ctest sets it): QUORV_PACK, QUORV_LAUNCHER, QUORV_RUNTIME name the tools;
QUORV_MAVEN_TEST_DIR is the work directory (its local repository is kept between runs). Ends with
status 77 (skipped) when Maven or Debian's Maven plugins are missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEBIAN_REPO = "/usr/share/maven-repo"
NEEDED = ["org/apache/maven/plugin-tools/maven-plugin-annotations", "org/apache/maven/plugins/maven-plugin-plugin",
          "org/apache/maven/plugins/maven-jar-plugin", "org/apache/maven/plugins/maven-install-plugin"]
SKIPPED = 77

WORK = os.environ.get("QUORV_MAVEN_TEST_DIR") or os.path.join(tempfile.gettempdir(), "quorv-maven-test")
TOOLS = os.path.join(WORK, "tools")
REPO = os.path.join(WORK, "repo")
SETTINGS = os.path.join(WORK, "settings.xml")


def tool_paths():
    found = {
        "quorv-pack": os.environ.get("QUORV_PACK") or os.path.join(ROOT, "out", "quorv-pack"),
        "quorv-launcher.exe": os.environ.get("QUORV_LAUNCHER") or os.path.join(ROOT, "out", "quorv-launcher.exe"),
        "quorv-runtime.jar": os.environ.get("QUORV_RUNTIME") or os.path.join(ROOT, "out", "quorv-runtime.jar"),
    }
    missing = [path for path in found.values() if not os.path.isfile(path)]
    if missing:
        raise RuntimeError("missing %s; run scripts/build first" % ", ".join(missing))
    return found


def mvn(project, *args, check=True):
    """Runs Maven in batch mode with the test's settings; returns (status, output)."""
    command = ["mvn", "-B", "-s", SETTINGS] + list(args)
    r = subprocess.run(command, cwd=project, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                       timeout=900, env=dict(os.environ, MAVEN_OPTS="-Xmx256m"))
    if check and r.returncode != 0:
        raise AssertionError("%s in %s failed (status %d):\n%s" % (" ".join(command), project, r.returncode,
                                                                  r.stdout[-4000:]))
    return r.returncode, r.stdout


def dump(exe):
    r = subprocess.run([TOOL_PATHS["quorv-pack"], "dump", exe], capture_output=True, text=True, timeout=60)
    if r.returncode != 0:
        raise AssertionError("dump of %s failed: %s" % (exe, r.stderr))
    return r.stdout


def copy_project(source, name):
    target = os.path.join(WORK, "projects", name)
    shutil.copytree(source, target, ignore=shutil.ignore_patterns("target"))
    return target


TOOL_PATHS = {}


def setUpModule():
    TOOL_PATHS.update(tool_paths())
    os.makedirs(WORK, exist_ok=True)
    shutil.rmtree(os.path.join(WORK, "projects"), ignore_errors=True)
    shutil.rmtree(TOOLS, ignore_errors=True)
    # What earlier runs installed goes; the plugins taken from Debian's repository stay.
    for stale in ("com/quorv", "com/example"):
        shutil.rmtree(os.path.join(REPO, stale), ignore_errors=True)
    os.makedirs(TOOLS)
    for name, path in TOOL_PATHS.items():
        shutil.copy(path, os.path.join(TOOLS, name))
    with open(SETTINGS, "w") as f:
        f.write("<settings>\n  <localRepository>%s</localRepository>\n"
                "  <mirrors><mirror><id>debian</id><mirrorOf>*</mirrorOf><url>file://%s</url></mirror></mirrors>\n"
                "</settings>\n" % (REPO, DEBIAN_REPO))
    plugin = copy_project(os.path.join(ROOT, "maven", "quorv-maven-plugin"), "plugin")
    mvn(plugin, "-Dquorv.tools=" + TOOLS, "install")


class MavenPluginTest(unittest.TestCase):

    def test_sample_with_quorv_toml_and_the_plugins_own_tools(self):
        project = copy_project(os.path.join(ROOT, "examples", "maven-service"), "maven-service")
        mvn(project, "install")
        exe = os.path.join(project, "target", "maven-service-1.0.exe")
        text = dump(exe)
        jar = os.path.join(project, "target", "maven-service-1.0.jar")
        lang = os.path.join(REPO, "org", "apache", "commons", "commons-lang3", "3.12.0", "commons-lang3-3.12.0.jar")
        for expected in [
            "#   1. quorv-runtime.jar, %d bytes" % os.path.getsize(TOOL_PATHS["quorv-runtime.jar"]),
            "#   2. commons-lang3-3.12.0.jar, %d bytes" % os.path.getsize(lang),
            "#   3. maven-service-1.0.jar, %d bytes" % os.path.getsize(jar),
            '[service]\nname = "Greeter"\n',
            'main-class = "com.example.greeter.Greeter"\nvm-options = "-Xmx64m"\n',
            'log-size = "10MB"\nlog-keep = 5\n',
            'min-version = "1.8"\n',
            'product = "Greeter"\n',
        ]:
            self.assertIn(expected, text)
        self.assertNotIn("#   4.", text)
        self.assertNotIn("junit", text)
        self.assertNotIn("quorv.log", text)
        # Attached: the executable was installed beside the jar.
        installed = os.path.join(REPO, "com", "example", "maven-service", "1.0", "maven-service-1.0.exe")
        with open(exe, "rb") as a, open(installed, "rb") as b:
            self.assertEqual(a.read(), b.read())
        # The packer and the launcher came out of the plugin.
        self.assertTrue(os.path.isfile(os.path.join(project, "target", "quorv", "tools", "quorv-pack")))

    @unittest.skipUnless(shutil.which("wixl") and shutil.which("msibuild"),
                         "wixl or msitools is not installed; scripts/setup installs them")
    def test_settings_in_the_plugin_configuration_and_a_tools_directory(self):
        project = copy_project(os.path.join(HERE, "inline-settings"), "inline-settings")
        status, output = mvn(project, "-Dtools.dir=" + TOOLS, "package")
        exe = os.path.join(project, "target", "inline-settings-2.5.exe")
        text = dump(exe)
        for expected in [
            "#   2. inline-settings-2.5.jar, ",
            '[service]\nname = "Inline Settings"\nstart = "auto"\n',
            'min-version = "11"\nsearch = ["S", "Y"]\n',
            'main-class = "sample.Main"\noutput-log = "logs\\\\out.log"\nlog-size = "64KB"\nlog-keep = 2\n',
        ]:
            self.assertIn(expected, text)
        self.assertFalse(os.path.exists(os.path.join(project, "target", "quorv", "tools")))
        self.assertIn("quorv: packed " + exe, output)
        package = os.path.join(project, "target", "inline-settings-2.5.msi")
        self.assertIn("quorv: packed " + package, output)
        properties = subprocess.run(["msiinfo", "export", package, "Property"], capture_output=True, text=True,
                                    check=True).stdout
        self.assertIn("ProductVersion\t2.5\n", properties.replace("\r\n", "\n"))
        self.assertIn("UpgradeCode\t{4D2B8F0E-7A1C-4E63-9B5D-0C8E2F4A6B19}", properties)

    def test_a_configuration_problem_fails_the_build_with_the_packers_line(self):
        project = copy_project(os.path.join(ROOT, "examples", "maven-service"), "bad-config")
        config = os.path.join(project, "quorv.toml")
        with open(config) as f:
            text = f.read()
        with open(config, "w") as f:
            f.write(text.replace('log-size = "10MB"', 'log-size = "10 MB"'))
        line = text.splitlines().index('log-size = "10MB"') + 1
        status, output = mvn(project, "package", check=False)
        self.assertNotEqual(status, 0)
        generated = os.path.join(project, "target", "quorv", "quorv.toml")
        self.assertIn("%s:%d: app.log-size: not a size" % (generated, line), output)
        self.assertFalse(os.path.exists(os.path.join(project, "target", "maven-service-1.0.exe")))


if __name__ == "__main__":
    if shutil.which("mvn") is None:
        print("SKIPPED: Maven (mvn) is not installed; scripts/setup installs it with Debian's Maven plugins")
        sys.exit(SKIPPED)
    missing = [n for n in NEEDED if not os.path.isdir(os.path.join(DEBIAN_REPO, n))]
    if missing:
        print("SKIPPED: Debian's Maven repository lacks %s; scripts/setup installs the plugins" % ", ".join(missing))
        sys.exit(SKIPPED)
    unittest.main(verbosity=2)
