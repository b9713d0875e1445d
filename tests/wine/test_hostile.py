"""Hostile input against the real launcher under Wine: damaged and cut data blocks, values of a
mebibyte, tables of a hundred thousand entries, long and deep VM options files, paths and names
far beyond the launcher's old 8192-byte buffers, text outside the ANSI code page, registry values
of the wrong type or size and Java executables that print nonsense.

Every case ends in the launcher's message for it, or in a clear outcome, with its exit code -
never in a crash (Wine reports an unhandled exception, and the exit code is the exception
code's low byte) and never in a hang (every run has a time limit).

Messages shown while the data block is still being read go to a message box whatever key 107
says; Wine's relay trace, restricted to MessageBoxA, shows their text on standard error.
"""
import os
import re
import shutil
import struct
import subprocess

import harness
from test_launch import MESSAGES, WORKER, LaunchCase, Record, temp_dirs
from test_service_commands import ServiceTestCase, lines, unique_name
from test_service_runtime import Service, probe, read_lines, status_of

RUN_LIMIT = 180
MIB = 1 << 20
CACHE_KEY = "HKCU\\SOFTWARE\\kelvara\\quorv\\jvms\\"
PRIORITY_KEY = r"HKLM\SOFTWARE\kelvara\quorv\priority"
STOPPED, RUNNING = 1, 4

READ_INT = "Internal Error: readInt"
READ_LONG = "Internal Error: readLong"
READ_STRING = "Internal Error: readString"
READ_WSTRING = "Internal Error: readWString"
BAD_MAGIC = "Internal Error: magic"
NO_JVM = MESSAGES[1016].replace("{0}", "64")


def internal(detail):
    return MESSAGES[1009].replace("{0}", detail)


# --- the data block, field by field ---------------------------------------------------------

def _i32(v):
    return struct.pack("<i", v)


def fielded_block(strings=(), wide=(), groups=(), files=()):
    """A block laid out as the launcher reads it, and its fields as (start, end, name, the
    message of the reader that fails when the file ends inside the field). No end marker, no
    padding: a cut block simply ends."""
    out = bytearray()
    fields = []

    def put(data, name, message):
        fields.append((len(out), len(out) + len(data), name, message))
        out.extend(data)

    put(struct.pack("<I", harness.MAGIC), "magic", READ_INT)
    put(_i32(0), "reserved 1", READ_INT)
    put(_i32(0), "reserved 2", READ_INT)
    put(struct.pack("<q", 0), "reserved 3", READ_LONG)
    put(_i32(len(strings)), "string count", READ_INT)
    for key, value in strings:
        data = value.encode("latin-1")
        put(_i32(key), "string key %d" % key, READ_INT)
        put(_i32(len(data)), "string length %d" % key, READ_INT)
        put(data, "string value %d" % key, READ_STRING)
    put(_i32(len(wide)), "wide count", READ_INT)
    for key, value in wide:
        data = value.encode("utf-16-le")
        put(_i32(key), "wide key %d" % key, READ_INT)
        put(_i32(len(data)), "wide length %d" % key, READ_INT)
        put(data, "wide value %d" % key, READ_WSTRING)
    put(_i32(len(groups)), "group count", READ_INT)
    for prefix, entries in groups:
        put(_i32(len(prefix)), "group prefix length", READ_INT)
        put(prefix.encode("latin-1"), "group prefix", READ_STRING)
        put(_i32(len(entries)), "group entry count", READ_INT)
        for key, value in entries:
            data = value.encode("utf-16-le")
            put(_i32(key), "group key %d" % key, READ_INT)
            put(_i32(len(data)), "group length %d" % key, READ_INT)
            put(data, "group value %d" % key, READ_WSTRING)
    config_end = len(out)
    for data in files:
        put(struct.pack("<q", len(data)), "record length", READ_LONG)
        put(bytes(b ^ harness.SCRAMBLE_KEY for b in data), "record content", internal("16"))
    return bytes(out), fields, config_end


def cut_points(fields):
    """Every field boundary, and a point inside every field of more than one byte. An empty
    field (an empty prefix) has no boundary of its own: the next field begins there."""
    points = []
    for start, end, name, message in fields:
        if end == start:
            continue
        points.append((start, name, message))
        if end - start > 1:
            points.append((start + (end - start) // 2, name + " (inside)", message))
    return points


class HostileCase(LaunchCase):
    """A launcher beside a Java home of stand-ins (LaunchCase), with guards against crashes and
    hangs, and a tidy temporary directory of the prefix afterwards."""

    def setUp(self):
        super().setUp()
        temp = harness.windows_temp_dir()
        earlier = set(os.listdir(temp))
        self.addCleanup(harness.remove_new_temp_entries, temp, earlier)

    def run_exe(self, exe, args, env=None, timeout=RUN_LIMIT):
        try:
            result = harness.run(exe, list(args), env=env, timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("hang: %s %r did not end within %d s" % (os.path.basename(exe), args[:3], timeout))
        self.assertNoCrash(result)
        return result

    def assertNoCrash(self, result):
        self.assertNotIn("Unhandled", result.err, result)
        self.assertNotIn("page fault", result.err, result)
        # An unhandled exception ends a Wine process with the low byte of its code (0xc0000005
        # gives 5, 0xc00000fd gives 253).
        self.assertNotIn(result.code, (3, 5, 0x1d, 0x94, 0xfd, 0x09, 0x17, 0x25), result)

    def status(self, exe, *args, relay=False, env=None):
        env = dict(env or {})
        if relay:
            env["WINEDEBUG"] = "+relay"
        if relay:
            harness.set_relay_filter("user32.MessageBoxA")
        return self.run_exe(exe, ["/status"] + list(args), env=env)

    def assertBoxed(self, result, message):
        """The message was shown in a message box, and the process ended with 1 and no output."""
        boxes = [l for l in result.err.splitlines() if "MessageBoxA(" in l and "Call" in l]
        self.assertEqual(len(boxes), 1, result.err[-2000:])
        self.assertIn('"%s"' % message, boxes[0])
        self.assertEqual((result.code, result.out), (1, ""), result)

    def start_guarded(self, strings, args=("svc",), env=None, files=(), block=None, log=True):
        """As LaunchCase.start, with a raw block if given, under the crash and hang guards."""
        if block is None:
            exe = self.launcher(strings=self.block(strings), files=files)
        else:
            exe = self.launcher(block=block)
        if os.path.exists(self.record_path):
            os.remove(self.record_path)
        before = self.log_files()
        result = self.run_exe(exe, list(args) + [WORKER], env=self.env(env, log))
        text = ""
        if log:
            new = sorted(self.log_files() - before)
            for name in new:
                with open(os.path.join(harness.windows_temp_dir(), name), "rb") as f:
                    text += f.read().decode("latin-1")
                os.remove(os.path.join(harness.windows_temp_dir(), name))
        return result, Record(self.record_path), text


# --- damaged blocks ---------------------------------------------------------------------------

class DamagedBlockTest(HostileCase):

    STRINGS = [(107, "4"), (101, "quorv-hostile-none"), (1009, MESSAGES[1009]), (2002, "2"),
               (2003, "rt.jar;lib\\b.jar")]
    WIDE = [(20017, "description")]
    GROUPS = [("en", [(20017, "english description")]), ("", [])]
    FILES = [b"PK\x03\x04 first" * 10, b"second"]

    def test_cut_at_every_field_boundary(self):
        block, fields, config_end = fielded_block(self.STRINGS, self.WIDE, self.GROUPS, self.FILES)
        for cut, name, message in cut_points(fields):
            with self.subTest(cut=cut, field=name):
                exe = self.launcher(block=block[:cut])
                if cut < config_end:
                    # The configuration is read by every role; the status command is the quickest.
                    self.assertBoxed(self.status(exe, relay=True), message)
                    continue
                before = temp_dirs()
                result = self.run_exe(exe, [WORKER])
                self.assertEqual(result.code, 1, result)
                self.assertEqual(result.err.splitlines()[0], message, result)
                self.assertEqual(temp_dirs(), before, "temporary directory left behind")
        # The block complete up to the end of the configuration: the status command runs.
        result = self.status(self.launcher(block=block[:config_end]))
        self.assertEqual((result.code, result.out), (1, lines("Could not get status.")), result)

    def test_damaged_counts_and_lengths(self):
        def entry(key, value):
            return _i32(key) + _i32(len(value)) + value

        head = struct.pack("<IIIq", harness.MAGIC, 0, 0, 0)
        kind = entry(107, b"4") + entry(101, b"quorv-hostile-none")
        empty_tail = _i32(0) + _i32(0)  # no wide entries, no groups
        cases = [
            ("negative string length", head + _i32(3) + kind + _i32(5) + _i32(-1) + b"x" * 64, READ_STRING),
            ("huge string length", head + _i32(3) + kind + _i32(5) + _i32(0x7FFFFFFF) + b"x" * 64, READ_STRING),
            ("negative wide length", head + _i32(2) + kind + _i32(1) + _i32(20017) + _i32(-2) + b"x" * 64,
             READ_WSTRING),
            ("huge wide length", head + _i32(2) + kind + _i32(1) + _i32(20017) + _i32(0x7FFFFFFE) + b"x" * 64,
             READ_WSTRING),
            ("huge string count", head + _i32(0x7FFFFFFF) + kind + empty_tail, READ_INT),
            ("huge wide count", head + _i32(2) + kind + _i32(0x7FFFFFFF) + entry(20017, b"d\0"), READ_INT),
            ("huge group count", head + _i32(2) + kind + _i32(0) + _i32(0x7FFFFFFF) + _i32(2) + b"en" + _i32(0),
             READ_INT),
            ("negative prefix length", head + _i32(2) + kind + _i32(0) + _i32(1) + _i32(-7) + b"x" * 16,
             READ_STRING),
            ("huge group entry count", head + _i32(2) + kind + _i32(0) + _i32(1) + _i32(2) + b"en" +
             _i32(0x7FFFFFFF) + entry(20017, b"d\0"), READ_INT),
            ("wrong magic", struct.pack("<IIIq", 0xD513E4E8, 0, 0, 0) + _i32(0), BAD_MAGIC),
        ]
        for name, block, message in cases:
            with self.subTest(name):
                self.assertBoxed(self.status(self.launcher(block=block), relay=True), message)
        # Counts of 0 or less mean no entries; an odd byte length of a wide value is no error.
        fine = [
            ("negative counts", head + _i32(-5) + _i32(-1) + _i32(-9)),
            ("odd wide length", head + _i32(2) + kind + _i32(1) + entry(20017, b"abc") + _i32(0)),
        ]
        for name, block in fine:
            with self.subTest(name):
                result = self.status(self.launcher(block=block))
                self.assertEqual((result.code, result.out), (1, lines("Could not get status.")), result)

    def test_damaged_included_file_records(self):
        strings = self.block({2003: "rt.jar;b.jar"})
        cases = [
            # (what, count of key 2002, records after the configuration, exit code, message)
            ("length beyond the end of the file", "2",
             struct.pack("<q", 1 << 62) + b"\x00" * 100, 1, internal("16")),
            # The second record's length is read from the end marker and the padding.
            ("count larger than the records", "2147483647", harness.file_records([b"jar"]) +
             harness.END_MARKER + b"\0" * 508, 1, internal("16")),
            ("length field cut", "2", harness.file_records([b"jar"]) + b"\x05\x00", 1, READ_LONG),
            # A negative length is an empty record: no file, and the next one follows its field.
            ("negative length", "2", struct.pack("<q", -5) + harness.file_records([b"PK second"]), 0, None),
        ]
        for what, count, records, code, message in cases:
            with self.subTest(what):
                table = dict(strings)
                table[2002] = count
                block = struct.pack("<IIIq", harness.MAGIC, 0, 0, 0) + harness.config_bytes(table) + records
                before = temp_dirs()
                result, record, log = self.start_guarded({}, block=block)
                self.assertEqual(result.code, code, result)
                if message is None:
                    self.assertEqual(self.messages(result), [])
                    self.assertTrue(record.main_called)
                    temp = record.option("-Dquorv.tempDir=")
                    self.assertIn(temp + "\\b.jar;", record.option("-Djava.class.path="))
                    self.assertNotIn("rt.jar", record.option("-Djava.class.path="))
                    continue
                self.assertEqual(result.err.splitlines()[0], message, result)
                self.assertFalse(record.created)
                # The exit path removed the directory and the part of the file written into it.
                self.assertEqual(temp_dirs(), before, "temporary directory left behind")


# --- values of a mebibyte, big tables, long and deep files ----------------------------------

class LargeValueTest(HostileCase):

    def test_megabyte_service_name(self):
        # Cut to 8191 characters; no service of that name exists or can be made.
        name = "n" * MIB
        exe = self.launcher(strings={107: "4", 101: name})
        result = self.status(exe)
        self.assertEqual((result.code, result.out), (1, lines("Could not get status.")))
        result = self.run_exe(exe, ["/install"])
        self.assertEqual((result.code, result.out), (1, lines("Could not create service.")))
        result = self.run_exe(exe, ["/start"])
        self.assertEqual(result.code, 1, result)
        self.assertRegex(result.out, r"^Could not start service\. Error code: \d+\r\n$")

    def test_hundred_thousand_strings(self):
        strings = [(107, "4"), (101, "quorv-hostile-none")]
        strings += [(200000 + i, "value %d" % i) for i in range(100000)]
        wide = [(300000 + i, "w%d" % i) for i in range(1000)] + [(20017, "description")]
        exe = self.launcher(strings=strings, wide=wide, groups=[("en", [(20017, "x")])] * 100)
        result = self.status(exe)
        self.assertEqual((result.code, result.out), (1, lines("Could not get status.")))

    def test_megabyte_search_sequence_entry(self):
        # An entry of a mebibyte (and one of 32,000 characters, the longest path Windows knows)
        # finds nothing; the entry after it still finds the runtime.
        for size in (MIB, 32000):
            with self.subTest(size=size):
                sequence = "R" + "j" * size + ";B" + "\\" * size + ";R.\\jre"
                result, record, log = self.start_guarded({128: sequence}, log=False)
                self.assertEqual(result.code, 0, result)
                self.assertTrue(record.main_called)

    def test_megabyte_configured_values(self):
        self.write("lib/a.jar", "jar")
        entry = "x" * MIB
        strings = {
            121: "A0" + entry + ";A1lib\\a.jar;S0" + "s" * 32000,
            123: "-Dbefore=1 -Dbig=" + "o" * MIB + " '-Dquoted=" + "q " * 1000 + "'",
            124: "first " + "a" * MIB + " last",
        }
        result, record, _ = self.start_guarded(strings, log=False)
        self.assertEqual(result.code, 0, result)
        self.assertTrue(record.option("-Djava.class.path=") == self.exe_dir() + entry + ";" + self.exe_dir() +
                        "lib\\a.jar;", "class path of %d characters" % len(record.option("-Djava.class.path=")))
        options = [o for o in record.options if o.startswith(("-Dbefore=", "-Dbig=", "-Dquoted="))]
        self.assertTrue(options == ["-Dbefore=1", "-Dbig=" + "o" * MIB, "-Dquoted=" + "q " * 1000],
                        [o[:40] for o in options])
        self.assertTrue(record.params[5:] == ["svc", "first", "a" * MIB, "last"], [p[:40] for p in record.params])
        # A mandatory entry of that size that does not exist is named in the message, whole.
        result, record, _ = self.start_guarded({121: "A1" + entry}, log=False)
        self.assertEqual(result.code, 1, result)
        self.assertEqual(self.messages(result), [MESSAGES[1006].strip().replace("{0}", entry)])

    def test_hundred_thousand_included_names(self):
        count = 100000
        names = ";".join("f%06d.jar" % i for i in range(count))
        records = struct.pack("<q", 0) * (count - 1) + harness.file_records([b"PK last"])
        table = self.block({2002: str(count), 2003: names})
        block = struct.pack("<IIIq", harness.MAGIC, 0, 0, 0) + harness.config_bytes(table) + records
        result, record, _ = self.start_guarded({}, block=block, log=False)
        self.assertEqual(result.code, 0, result)
        temp = record.option("-Dquorv.tempDir=")
        self.assertEqual(record.option("-Djava.class.path="), temp + "\\f%06d.jar;" % (count - 1))

    def test_vmoptions_of_random_bytes(self):
        # Bytes below 128 without NUL, so that the stand-in's record stays readable text.
        with open(self.path("app.vmoptions"), "wb") as f:
            f.write(bytes(b % 127 + 1 for b in os.urandom(MIB)))
        result, record, _ = self.start_guarded({}, log=False)
        self.assertEqual(result.code, 0, result)
        self.assertTrue(record.main_called)

    def test_vmoptions_lines_of_a_megabyte(self):
        big = "-Dbig=" + "x" * MIB
        self.write("app.vmoptions",
                   big + "\r\n"
                   "#" + "c" * MIB + "\n"
                   + " " * MIB + "\n"
                   "-Dafter=1\n"
                   "-include-options " + "y" * 32000 + ".vmoptions\n"
                   "-Dlast=1")
        result, record, _ = self.start_guarded({}, log=False)
        self.assertEqual(result.code, 0, result)
        options = record.options
        self.assertIn(big, options)
        at = options.index(big)
        self.assertEqual(options[at + 1:at + 3], ["-Dafter=1", "-Dlast=1"])

    def test_deep_include_chain_and_cycles(self):
        depth = 200
        for level in range(depth):
            text = "-Dlevel=%d\n" % level
            if level + 1 < depth:
                text += "-include-options d%d.vmoptions\n" % (level + 1)
            else:
                # The deepest file includes the first of the chain, itself, and a file that
                # includes the deepest again: cycles, each stopped at the file already being read.
                text += "-include-options d0.vmoptions\n"
                text += "-include-options d%d.vmoptions\n" % level
                text += "-include-options ..\\deep\\loop.vmoptions\n"
            text += "-Dback=%d\n" % level
            self.write("deep/d%d.vmoptions" % level, text)
        self.write("deep/loop.vmoptions", "-Dloop=1\n-include-options d%d.vmoptions\n" % (depth - 1))
        self.write("app.vmoptions", "-include-options deep\\d0.vmoptions\n-Dend=1\n")
        result, record, log = self.start_guarded({})
        self.assertEqual(result.code, 0, result)
        mine = [o for o in record.options if o.startswith(("-Dlevel=", "-Dback=", "-Dloop=", "-Dend="))]
        expected = (["-Dlevel=%d" % i for i in range(depth)] + ["-Dloop=1"] +
                    ["-Dback=%d" % i for i in reversed(range(depth))] + ["-Dend=1"])
        self.assertEqual(mine, expected)
        self.assertEqual(log.count("is already being read, not reading it again"), 3)

    def test_include_chain_beyond_the_open_file_limit(self):
        # A chain that forms no cycle is read as written, also deeper than the C runtime's limit
        # of open streams (512); a chain of 20,000 files ends the worker neither by a crash nor by
        # a hang, whatever limit keeps the recursion in bounds.
        for depth, complete in ((600, True), (20000, False)):
            with self.subTest(depth=depth):
                chain = self.path("chain%d" % depth)
                os.makedirs(chain)
                for level in range(depth):
                    with open(os.path.join(chain, "c%d.vmoptions" % level), "w") as f:
                        f.write("-Dlevel=%d\n" % level)
                        if level + 1 < depth:
                            f.write("-include-options c%d.vmoptions\n" % (level + 1))
                self.write("app.vmoptions", "-include-options chain%d\\c0.vmoptions\n-Dend=1\n" % depth)
                result, record, _ = self.start_guarded({}, log=False)
                self.assertEqual(result.code, 0, result)
                levels = [o for o in record.options if o.startswith("-Dlevel=")]
                self.assertEqual(levels[:600], ["-Dlevel=%d" % i for i in range(600)][:len(levels)])
                if complete:
                    self.assertEqual(len(levels), depth, "the chain was cut after %d files" % len(levels))
                self.assertIn("-Dend=1", record.options)

    def test_long_service_name_on_the_command_line(self):
        exe = self.launcher(strings={107: "4", 101: "quorv-hostile-none"})
        for name in ("n" * 10000, "n " * 5000):
            with self.subTest(length=len(name)):
                result = self.status(exe, name)
                self.assertEqual((result.code, result.out), (1, lines("Could not get status.")))

    def test_paths_of_32000_characters(self):
        long_path = "Z:\\" + "\\".join(["d" * 200] * 160)
        self.assertGreater(len(long_path), 32000)
        strings = {
            146: long_path,                      # working directory: cannot be set, ignored
            10004: long_path + ";native",        # native library directories: PATH too long
            10003: long_path,                    # installation directory: no location files there
            103: long_path + "\\err.log", 102: "1",
        }
        result, record, log = self.start_guarded(strings)
        self.assertEqual(result.code, 0, result)
        self.assertTrue(record.main_called)
        self.assertTrue(record.params[2] == long_path + "\\err.log", record.params[2][:100])
        self.assertTrue("change working directory to " + long_path + "\r\n" in log, "no working directory line")


# --- text outside the ANSI code page ---------------------------------------------------------

class OutsideCodePageTest(HostileCase):

    def test_worker_arguments(self):
        args = ["\u670d\u52a1 \u540d", "\u53c2\u6570", "\U0001F600", "-Dsun.locale.formatasdefault=\u4e2d"]
        result, record, log = self.start_guarded({124: "configured"}, args=args, env={"LC_ALL": "C.UTF-8"})
        self.assertEqual(result.code, 0, result)
        self.assertEqual(record.params[5:], [args[0], "configured", args[1], args[2]])
        # The 8-bit form of an option stops before the first character above U+00FF.
        self.assertIn("-Dsun.locale.formatasdefault=", record.options)

    def test_argument_after_the_marker_makes_no_worker(self):
        # The marker is not last: the process tries the service dispatcher, which fails outside a
        # service after a while, and ends with 0 and without output.
        exe = self.launcher(strings=self.block({}))
        result = self.run_exe(exe, ["svc", WORKER, "\u4e2d\u6587"], env={"LC_ALL": "C.UTF-8"})
        self.assertEqual((result.code, result.out, result.err), (0, "", ""))

    def test_service_name_on_the_command_line(self):
        # The 8-bit command line holds "?" for what the code page lacks: no such service.
        exe = self.launcher(strings={107: "4", 101: "quorv-hostile-none"})
        result = self.status(exe, "\u670d\u52a1", env={"LC_ALL": "C.UTF-8"})
        self.assertEqual((result.code, result.out), (1, lines("Could not get status.")))


class WideDescriptionTest(ServiceTestCase):

    def test_description_outside_the_code_page(self):
        name = unique_name("wide")
        description = "\u670d\u52a1 \u2013 Dienst \u00e4 \u2713 \U0001F600 " + "\u6587" * 2000
        exe = self.service_launcher(name, strings={107: "4"}, wide={20017: description})
        result = harness.run(exe, ["/install"])
        self.assertEqual((result.code, result.out), (0, lines("Installed service '%s'." % name)))
        key = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\" + name
        self.assertEqual(exported_string(self.path("export.reg"), key, "Description"), description)


def exported_values(path, key):
    """The values of a key as regedit exports them (UTF-16, so wide text stays whole): name to
    the text after "=", a string unquoted and unescaped ("" for an empty one). None when the key
    does not exist."""
    if os.path.exists(path):
        os.remove(path)
    r = harness.wine_tool(["regedit", "/E", harness.winpath(path), key])
    if r.returncode != 0 or not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    values = {}
    for m in re.finditer(r'^"((?:[^"\\]|\\.)*)"=(.*?)\r?$', text, re.M):
        name, data = m.group(1), m.group(2)
        if data.startswith('"') and data.endswith('"'):
            data = re.sub(r"\\(.)", r"\1", data[1:-1])
        values[name] = data
    return values


def exported_string(path, key, value):
    values = exported_values(path, key)
    return None if values is None else values.get(value)


# --- registry cache entries and Java executables that misbehave ------------------------------

def filetime_of(path):
    """The last-write time as Wine's directory search reports it: 100 ns since 1601."""
    return os.stat(path).st_mtime_ns // 100 + 116444736000000000


def version_cache_key(java_exe):
    """The JVM version cache key of a java.exe (a host path), as reg.exe names it."""
    return CACHE_KEY + harness.winpath(java_exe).lower().replace("\\", "/")


def import_registry(reg_path, key, values):
    """Writes one key of HKCU with the given .reg value lines through regedit; True on success."""
    with open(reg_path, "w", encoding="latin-1", newline="\r\n") as f:
        f.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\%s]\n" % key[len("HKCU\\"):])
        for line in values:
            f.write(line + "\n")
    r = harness.wine_tool(["regedit", "/S", harness.winpath(reg_path)])
    return r.returncode == 0


def cache_java_version(case, java_exe, version):
    """Puts a valid cache entry for java_exe, so that no start probes it; removed afterwards."""
    key = version_cache_key(java_exe)
    case.addCleanup(harness.reg_delete, key)
    stamp = struct.pack("<Q", filetime_of(java_exe))
    case.assertTrue(import_registry(os.path.join(case.dir, "cache.reg"), key, [
        '"LastWriteTime"=hex:' + ",".join("%02x" % b for b in stamp), '"Version"="%s"' % version]))


class JavaCheckTest(HostileCase):
    """An absolute R entry (the fallback pass skips it) and a minimum version, so that the
    version decides: accepted, the worker runs; rejected, no JVM is found."""

    def setUp(self):
        super().setUp()
        self.java = os.path.join(self.home, "bin", "java.exe")
        os.utime(self.java, (1700000000, 1700000000))
        self.key = version_cache_key(self.java)
        self.addCleanup(harness.reg_delete, self.key)

    def strings(self):
        return {128: "R" + harness.winpath(self.home), 126: "1.6"}

    def probes(self):
        path = os.path.join(self.home, "bin", "java.count")
        return len(read_lines(path))

    def cached(self, value="Version"):
        values = exported_values(self.path("export.reg"), "HKEY_CURRENT_USER\\" + self.key[len("HKCU\\"):])
        return None if values is None else values.get(value)

    def import_cache(self, values):
        harness.reg_delete(self.key)
        self.assertTrue(import_registry(os.path.join(self.dir, "cache.reg"), self.key, values))

    def test_cache_entries_of_the_wrong_type_and_size(self):
        stamp = struct.pack("<Q", filetime_of(self.java))
        right_time = '"LastWriteTime"=hex:' + ",".join("%02x" % b for b in stamp)
        cases = [
            # (what, value lines, probed, accepted)
            ("time as text", ['"LastWriteTime"="%s"' % stamp.hex(), '"Version"="9.9"'], True, True),
            ("time of 4 bytes", ['"LastWriteTime"=hex:' + ",".join("%02x" % b for b in stamp[:4]),
                                 '"Version"="9.9"'], True, True),
            ("time of 100 bytes", ['"LastWriteTime"=hex:' + ",".join("%02x" % b for b in (stamp * 13)[:100]),
                                   '"Version"="9.9"'], True, True),
            ("time of another file", ['"LastWriteTime"=hex:00,00,00,00,00,00,00,01', '"Version"="9.9"'], True, True),
            # The right time: the cached version is taken as its bytes read, whatever its type.
            ("version as a number", [right_time, '"Version"=dword:00312e31'], False, False),  # "1.1"
            ("empty version", [right_time, '"Version"=""'], False, False),
            ("version of 100 KB", [right_time, '"Version"="1.8.0_202%s"' % ("z" * 100000)], False, True),
            ("version as binary", [right_time, '"Version"=hex:31,2e,37,00,ff,ff'], False, True),  # "1.7"
            ("no version value", [right_time], True, True),
        ]
        for what, values, probed, accepted in cases:
            with self.subTest(what):
                self.import_cache(values)
                before = self.probes()
                result, record, log = self.start_guarded(self.strings())
                self.assertEqual(self.probes() - before, 1 if probed else 0, log)
                if accepted:
                    self.assertEqual(result.code, 0, result)
                    self.assertTrue(record.main_called)
                else:
                    self.assertEqual(result.code, 1, result)
                    self.assertEqual(self.messages(result), [NO_JVM])
                if probed:
                    # A probe writes the entry anew, in its proper form.
                    self.assertEqual(self.cached(), "1.8.0_202")
                    self.assertEqual(self.cached("LastWriteTime"), "hex:" + ",".join("%02x" % b for b in stamp))

    def test_java_exe_printing_garbage_or_nothing(self):
        cases = [
            # (what, first line printed, exit code, cached version)
            ("nothing", "<none>", 0, None),
            ("garbage", "\x01\x02\x7f\xff garbage \xe9", 0, None),
            ("a long line", "x" * 100000, 0, None),
            ("the prefix alone", "java version \"", 0, None),
            # One character after the prefix: the version is empty, and it is cached.
            ("the other prefix and one character", "openjdk version \"x", 0, ""),
            ("an error", "Error: could not open `jvm.cfg'", 1, "1.0.0"),
            ("a crash code", "<none>", -1073741819, "1.0.0"),
        ]
        for what, line, code, cached in cases:
            with self.subTest(what):
                harness.reg_delete(self.key)
                with open(os.path.join(self.home, "bin", "java.cfg"), "w", encoding="latin-1", newline="\r\n") as f:
                    f.write("%s\n%d\n" % (line, code))
                for attempt in range(2):
                    before = self.probes()
                    result, record, log = self.start_guarded(self.strings())
                    self.assertEqual(result.code, 1, result)
                    self.assertEqual(self.messages(result), [NO_JVM], "%r\nlog:\n%s" % (result, log))
                    self.assertFalse(record.created)
                    # Nothing usable is cached, so every start probes again; a failing run is
                    # remembered as 1.0.0 and not run again.
                    self.assertEqual(self.probes() - before, 1 if attempt == 0 or cached is None else 0)
                    self.assertEqual(self.cached(), cached)


# --- the worker's priority ---------------------------------------------------------------------

class PriorityValueTest(ServiceTestCase):

    def test_priority_values_of_the_wrong_size_or_meaning(self):
        cases = [
            # (what, reg add arguments) - none of them is a priority class of 4 bytes
            ("8 bytes", ["/t", "REG_QWORD", "/d", "0x4000"]),
            ("text", ["/t", "REG_SZ", "/d", "0x4000"]),
            ("no bytes", ["/t", "REG_BINARY"]),
            ("3 bytes", ["/t", "REG_BINARY", "/d", "004000"]),
            # 4 bytes that are no priority class but other creation flags: suspended, debugged,
            # a new console.
            ("CREATE_SUSPENDED", ["/t", "REG_DWORD", "/d", "4"]),
            ("DEBUG_PROCESS", ["/t", "REG_DWORD", "/d", "1"]),
            ("all bits", ["/t", "REG_DWORD", "/d", "0xffffffff"]),
        ]
        for what, data in cases:
            with self.subTest(what):
                svc = Service(self, "svc-" + what.replace(" ", "-"))
                harness.wine_tool(["reg", "add", PRIORITY_KEY, "/v", svc.name] + data + ["/f"])
                self.addCleanup(harness.wine_tool, ["reg", "delete", PRIORITY_KEY, "/v", svc.name, "/f"])
                self.addCleanup(kill_processes, svc.runner)
                r = probe("start", svc.name)
                self.assertEqual(r.code, 0, r)
                # The worker runs (and reads its input), whatever the value said.
                harness.wait_until(lambda: "priority: 0x20" in svc.record(), 30,
                                   lambda: "the worker never ran; service %s; service log ends %r"
                                   % (probe("status", svc.name).out.strip(),
                                      [l for l in svc.log_holding("service main") if l][-4:]))
                r = svc.command("/stop")
                self.assertEqual((r.code, r.out), (0, lines("Stopping service '%s'." % svc.name,
                                                            "Service stopped")))
                self.assertEqual(status_of(probe("status", svc.name).out)["state"], STOPPED)


def kill_processes(path, marker=None):
    """Kills (SIGKILL) the host processes of Windows programs whose command line names `path`
    (and holds `marker`, if given); returns how many."""
    killed = 0
    for pid, cmdline in harness.processes_naming(path):
        if marker is None or marker.lower() in cmdline.lower():
            try:
                os.kill(pid, 9)
                killed += 1
            except OSError:
                pass
    return killed


if __name__ == "__main__":
    harness.main()
