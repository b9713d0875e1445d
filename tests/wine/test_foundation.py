"""Start-up of the real launcher under Wine: the appended data block, the diagnostic log, the
choice of the role and the fatal path."""
import os
import re
import struct
import subprocess

import harness


class Foundation(harness.WineTestCase):

    def test_damaged_block_shows_the_readers_message_in_a_box(self):
        # The block is still being read, so the message box is used whatever key 107 says.
        good = harness.block_bytes(strings={107: "4", 101: "svc"}, wide={20017: "description"})
        cut = len(harness.config_bytes(strings={107: "4", 101: "svc"})) + 20 - 2
        exe = self.launcher(block=good[:cut])
        harness.set_relay_filter("user32.MessageBoxA")
        r = harness.run(exe, ["/status"], env={"WINEDEBUG": "+relay"})
        self.assertEqual(r.code, 1)
        self.assertIn("Internal Error: readInt", r.err)
        self.assertEqual(r.out, "")

    def test_wrong_magic_and_missing_block(self):
        stub = self.launcher(name="stub.exe", block=b"")  # no data block at all
        harness.set_relay_filter("user32.MessageBoxA")
        r = harness.run(stub, ["/status"], env={"WINEDEBUG": "+relay"})
        self.assertEqual(r.code, 1)
        self.assertIn("Internal Error: readInt", r.err)
        bad = self.launcher(block=b"\x00" * 512)
        r = harness.run(bad, ["/status"], env={"WINEDEBUG": "+relay"})
        self.assertEqual(r.code, 1)
        self.assertIn("Internal Error: magic", r.err)

    def test_log_file_starts_with_the_start_line_and_an_empty_line(self):
        exe = self.launcher(strings={107: "4", 101: "quorv-foundation-none", 1009: "x"})
        before = self.log_files()
        r = harness.run(exe, ["/status"], env={"QUORV_LOG": "yes"})
        self.assertEqual(r.code, 1)  # no such service
        text = self.read_new_log(before, r)
        lines = text.split("\r\n")
        self.assertRegex(lines[0], r"^Started executable .*app\.exe at \w{3} \w{3} +\d+ \d\d:\d\d:\d\d \d{4}$")
        self.assertEqual(lines[1], "")
        self.assertIn("number of sections: ", text)
        self.assertIn("language/country is ", text)
        self.assertIn("working directory unchanged", text)

    def test_log_stays_off_unless_exactly_yes(self):
        exe = self.launcher(strings={107: "4", 101: "quorv-foundation-none"})
        before = self.log_files()
        for value in ("YES", "no", "1"):
            harness.run(exe, ["/status"], env={"QUORV_LOG": value, "ZENTRILEX_LOG": value})
        self.assertEqual(self.log_files() - before, set())
        harness.run(exe, ["/status"], env={"QUORV_LOG": "no", "ZENTRILEX_LOG": "yes"})
        harness.run(exe, ["/status"], env={"QUORV_LOG": "yes", "ZENTRILEX_LOG": "no"})
        self.assertEqual(len(self.log_files() - before), 2)

    def test_reader_error_line_is_followed_by_an_empty_line(self):
        # The format "error %d %d\n" ends in a line feed of its own, and the log adds one.
        stub = self.launcher(name="stub.exe", block=b"")  # no data block at all
        before = self.log_files()
        r = harness.run(stub, ["/status"], env={"QUORV_LOG": "yes"})
        self.assertEqual(r.code, 1)
        text = self.read_new_log(before, r)
        # The message that ends the process follows, as the log keeps every shown message.
        self.assertRegex(text, r"\r\nrawDataSize: \d+, rawDataOffset: \d+\r\nerror \d+ 0\r\n\r\n"
                               r"message: Internal Error: readInt\r\n\r\nLog: [^\r\n]+zlx_nlog_\d+\r\n$")

    def test_message_box_after_loading_has_the_caption_of_key_1000(self):
        # Key 107 = 1 keeps the message box after the block is read; a worker whose included
        # file's length field is cut off fails with the reader's message.
        strings = {107: "1", 1000: "Quorv Caption", 2002: "1", 2003: "a.jar"}
        head = struct.pack("<IIIq", harness.MAGIC, 0, 0, 0) + harness.config_bytes(strings)
        exe = self.launcher(block=head + b"\0\0\0")
        temp = harness.windows_temp_dir()
        earlier = set(os.listdir(temp))
        # The temporary file that named the removed temporary directory stays; tidy it away.
        self.addCleanup(lambda: [os.remove(os.path.join(temp, n)) for n in set(os.listdir(temp)) - earlier
                                 if n.startswith("qrv") and os.path.isfile(os.path.join(temp, n))])
        harness.set_relay_filter("user32.MessageBoxA")
        r = harness.run(exe, ["__zlx_restart"], env={"WINEDEBUG": "+relay"})
        self.assertEqual(r.code, 1)
        self.assertRegex(r.err, r'MessageBoxA\(00000000,\w+ "Internal Error: readLong",\w+ "Quorv Caption",00000010\)')
        self.assertEqual(r.out, "")

    def test_word_that_names_no_command_tries_the_dispatcher_silently(self):
        exe = self.launcher(strings={107: "4", 101: "quorv-foundation-none"})
        before = self.log_files()
        r = harness.run(exe, ["/STOP", "Other Name"], env={"QUORV_LOG": "yes"}, timeout=120)
        self.assertEqual((r.code, r.out, r.err), (0, "", ""))
        text = self.read_new_log(before, r)
        self.assertIn("calling StartServiceCtrlDispatcher", text)
        self.assertIn("StartServiceCtrlDispatcher failed with error ", text)
        self.assertIn("StartServiceCtrlDispatcher returned", text)

    def test_working_directory_is_resolved_against_the_executable(self):
        os.makedirs(self.path("work", "dir"))
        exe = self.launcher(strings={107: "4", 101: "quorv-foundation-none", 146: "work\\dir"})
        before = self.log_files()
        r = harness.run(exe, ["/status"], env={"QUORV_LOG": "yes"})
        text = self.read_new_log(before, r)
        expected = harness.winpath(self.path("work", "dir"))
        self.assertIn("change working directory to " + expected, text)

    def test_user32_is_not_loaded_at_every_start(self):
        # user32 (with the libraries it brings) costs every process start several milliseconds,
        # and only a message box or the search for a window needs it: it is loaded then.
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", harness.LAUNCHER], capture_output=True,
                              check=True, timeout=60).stdout.decode("latin-1")
        imported = sorted(name.lower() for name in re.findall(r"DLL Name: (\S+)", dump))
        # ntdll is mapped into every process before any of its code runs: importing from it costs
        # nothing.
        self.assertEqual(imported, ["advapi32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll"])

if __name__ == "__main__":
    harness.main()
