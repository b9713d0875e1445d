"""Launchers packed by quorv-pack, run under Wine: the packed block is read, the included files
are extracted, the packed message templates are shown, and a damaged or missing block ends the
launcher with exit code 1 and the reader's message."""
import os
import subprocess
import unittest

import harness

PACK_EXE = os.path.join(harness.BUILD_WIN, "pack", "quorv-pack.exe")

NO_JVM_64 = ("No JVM could be found on your system.\nPlease define QUORV_JAVA_HOME\n"
             "to point to an installed 64-bit JDK or JRE or download a JRE from adoptium.net.")

CONFIG = """\
runtime.include = false
java.search = []
[service]
name = "quorv-pack-test"
start = "auto"
[[files]]
source = "payload.bin"
target = "lib\\\\payload.bin"
"""


def text(err):
    return err.replace("\r\n", "\n")


class Pack(harness.WineTestCase):

    def pack(self, config=CONFIG, name="app.exe", payload=b"\x00\x5a" * 50000):
        with open(self.path("payload.bin"), "wb") as f:
            f.write(payload)
        with open(self.path("c.toml"), "w") as f:
            f.write(config)
        exe = self.path(name)
        r = subprocess.run([harness.PACK, "build", self.path("c.toml"), "-o", exe,
                            "--launcher", harness.LAUNCHER], capture_output=True, text=True, timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)
        return exe

    def test_packed_launcher_extracts_and_shows_the_packed_template(self):
        exe = self.pack()
        before = self.log_files()
        # The prefix has no Java: the worker extracts its file, finds no JVM and shows key 1016,
        # on standard error because service.start = "auto" wrote launcher kind 4.
        r = harness.run(exe, ["__zlx_restart"], env={"QUORV_LOG": "yes"})
        self.assertEqual(r.code, 1)
        self.assertTrue(text(r.err).startswith(NO_JVM_64 + "\n\nLog: "), r.err)
        log = self.read_new_log(before, r)
        self.assertIn("Included files: 1", log)
        self.assertRegex(log, r"extracting .*\\lib\\payload\.bin \(size: 100000\)")
        self.assertIn("extracting files done", log)

    def test_damaged_included_file_ends_with_internal_error_16(self):
        exe = self.pack()
        with open(exe, "rb") as f:
            data = f.read()
        cut = self.path("cut.exe")
        with open(cut, "wb") as f:
            f.write(data[:len(data) - 60000])  # inside the included file's content
        r = harness.run(cut, ["__zlx_restart"])
        self.assertEqual((r.code, text(r.err)), (1, "An internal error occurred (error code: 16)\n"))

    def test_missing_block_and_wrong_magic_show_the_readers_message(self):
        exe = self.pack()
        with open(exe, "rb") as f:
            data = f.read()
        offset = harness.appended_offset(data)
        stub = self.path("stub.exe")
        with open(stub, "wb") as f:
            f.write(data[:offset])
        bad = self.path("bad.exe")
        with open(bad, "wb") as f:
            f.write(data[:offset] + b"\xff" + data[offset + 1:])
        # The block is still being read, so the message goes to a message box whatever key 107
        # says; the relay trace shows its text.
        harness.set_relay_filter("user32.MessageBoxA")
        for exe_path, message in ((stub, "Internal Error: readInt"), (bad, "Internal Error: magic")):
            r = harness.run(exe_path, ["/status"], env={"WINEDEBUG": "+relay"})
            self.assertEqual(r.code, 1, exe_path)
            self.assertIn('MessageBoxA(00000000,', r.err)
            self.assertIn('"%s"' % message, r.err)
            self.assertEqual(r.out, "")

    def test_dump_of_a_packed_launcher_reads_the_real_image(self):
        exe = self.pack()
        r = subprocess.run([harness.PACK, "dump", exe], capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn('start = "auto"', r.stdout)
        self.assertIn('#   1. lib\\payload.bin, 100000 bytes', r.stdout)
        with open(self.path("dumped.toml"), "w") as f:
            f.write(r.stdout)
        r = subprocess.run([harness.PACK, "extract", exe, self.path("x")], capture_output=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(self.path("x", "lib", "payload.bin"), "rb") as f:
            self.assertEqual(f.read(), b"\x00\x5a" * 50000)

    @unittest.skipUnless(os.path.exists(PACK_EXE), "no quorv-pack.exe in the cross build")
    def test_windows_packer_writes_the_same_launcher(self):
        host = self.pack()
        stub = self.path("stub-copy.exe")
        with open(harness.LAUNCHER, "rb") as src, open(stub, "wb") as dst:
            dst.write(src.read())
        r = harness.run(PACK_EXE, ["build", harness.winpath(self.path("c.toml")), "-o",
                                   harness.winpath(self.path("win.exe")), "--launcher", harness.winpath(stub)])
        self.assertEqual(r.code, 0, r.err)
        with open(host, "rb") as a, open(self.path("win.exe"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        # Refusals end the same way on Windows: status 1, one line, no output file.
        r = harness.run(PACK_EXE, ["build", harness.winpath(self.path("c.toml")), "-o",
                                   harness.winpath(self.path("none.exe")), "--launcher",
                                   harness.winpath(self.path("c.toml"))])
        self.assertEqual(r.code, 1)
        self.assertIn("the launcher stub is not a PE image (no MZ header)", r.err)
        self.assertFalse(os.path.exists(self.path("none.exe")))


if __name__ == "__main__":
    harness.main()
