"""What the launcher creates for others to read is not writable by others: the per-run temporary
directory, whose jars go on the class path of a JVM that may run as LocalSystem."""
import os
import re
import subprocess

import harness
from test_files import FILES, NAMES, IncludedFilesCase


class PrivateTempDirectory(IncludedFilesCase):

    def test_temp_directory_has_its_own_protected_access_list(self):
        exe = self.launcher(strings=self.strings("3", NAMES), files=FILES)
        before = self.log_files()
        proc = self.start_worker(exe)
        log = self.wait_for_log(proc, before, "checkJavaExe (")
        win_temp = re.search(r"Temp dir: (.*?)\r?$", log, re.M).group(1)
        probe = subprocess.run([harness.WINE, os.path.join(harness.FIXTURES, "acl_probe.exe"), win_temp],
                               env=harness.wine_env(), capture_output=True, timeout=60)
        sddl = probe.stdout.decode("latin-1").strip()
        self.assertEqual(probe.returncode, 0, probe.stderr)
        # Wine keeps a directory's access list as Unix permission bits where the file system has
        # no extended attributes: the protected flag and the Administrators entry do not show
        # there, but the missing entry for everyone else does. A directory created with default
        # security beside it does grant everyone read access.
        trustees = set(re.findall(r"\(A;[^;]*;[^;]*;;;([^)]*)\)", sddl))
        self.assertIn("SY", trustees, sddl)
        self.assertTrue(trustees <= {"SY", "BA"} | {t for t in trustees if t.startswith("S-1-5-21-")}, sddl)
        self.assertNotIn("WD", trustees)  # Everyone
        self.assertNotIn("BU", trustees)  # Users
        os.makedirs(self.path("plain"))
        plain = subprocess.run([harness.WINE, os.path.join(harness.FIXTURES, "acl_probe.exe"),
                                harness.winpath(self.path("plain"))],
                               env=harness.wine_env(), capture_output=True, timeout=60)
        self.assertIn(";;;WD)", plain.stdout.decode("latin-1"))
        proc.communicate(timeout=180)


if __name__ == "__main__":
    harness.main()
