"""Shared helpers for the tests that run the real launcher under Wine.

One Wine prefix serves a whole test run (creating one takes seconds); `prefix.py start` makes it
and starts a persistent wineserver so that services live between calls, `prefix.py stop` ends it.
Launchers under test are made by copying the unconfigured stub and appending a data block that
`write_block` lays out here, independently of the packer, so that tests can also damage it.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_WIN = os.environ.get("QUORV_BUILD_WIN", os.path.join(ROOT, "build", "win"))
BUILD_HOST = os.environ.get("QUORV_BUILD_HOST", os.path.join(ROOT, "build", "host"))
LAUNCHER = os.path.join(BUILD_WIN, "quorv-launcher.exe")
PACK = os.path.join(BUILD_HOST, "pack", "quorv-pack")
FIXTURES = os.path.join(BUILD_WIN, "fixtures")
PREFIX = os.environ.get("QUORV_WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
WINE_BIN = "/usr/lib/wine"
WINE = os.path.join(WINE_BIN, "wine64")
WINESERVER = os.path.join(WINE_BIN, "wineserver64")

MAGIC = 0xE8E413D5
END_MARKER = bytes([0xE8, 0xE4, 0x13, 0xD5])
SCRAMBLE_KEY = 0x5A


def wine_env(extra=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = PREFIX
    env["WINEDEBUG"] = env.get("QUORV_WINEDEBUG", "-all")
    env["PATH"] = WINE_BIN + os.pathsep + env.get("PATH", "")
    for name in ("QUORV_LOG", "ZENTRILEX_LOG", "QUORV_JAVA_HOME", "ZENTRILEX_JAVA_HOME", "DISPLAY"):
        env.pop(name, None)
    if extra:
        env.update(extra)
    return env


def start_prefix():
    os.makedirs(PREFIX, exist_ok=True)
    env = wine_env()
    if not os.path.exists(os.path.join(PREFIX, "system.reg")):
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=300)
    log = open(os.path.join(PREFIX, "wineserver.log"), "ab")
    subprocess.Popen([WINESERVER, "-p"], env=env, stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                     start_new_session=True)
    # A trivial program proves the server answers.
    subprocess.run([WINE, "cmd", "/c", "exit"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)


def server_running():
    """Whether a persistent wineserver of this prefix runs (it forks away from the process that
    started it, so it is found by its command line and environment)."""
    wanted = ("WINEPREFIX=" + PREFIX).encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmdline = f.read().split(b"\0")
            if not cmdline or not cmdline[0].endswith(b"wineserver64") or b"-p" not in cmdline:
                continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if wanted in f.read().split(b"\0"):
                    return True
        except OSError:
            continue
    return False


def ensure_server():
    """Restarts the persistent wineserver if it has gone away (it has been seen to end on a busy
    machine); without it every Wine call starts a server of its own and services do not live
    from one call to the next."""
    if not server_running():
        stop_prefix()  # a server that a Wine call started by itself would end when idle
        start_prefix()


def stop_prefix():
    subprocess.run([WINESERVER, "-k"], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def winpath(path):
    """Windows form of a host path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def drive_c(*parts):
    return os.path.join(PREFIX, "drive_c", *parts)


def windows_temp_dir():
    """Host path of the directory that GetTempPathA gives inside the prefix."""
    users = drive_c("users")
    for user in sorted(os.listdir(users)):
        for path in (os.path.join(users, user, "Temp"), os.path.join(users, user, "AppData", "Local", "Temp")):
            if user != "Public" and os.path.isdir(path):
                return path
    raise RuntimeError("no temp directory in the Wine prefix")


class Result:
    def __init__(self, code, out, err):
        self.code, self.out, self.err = code, out, err

    def __repr__(self):
        return "Result(code=%r, out=%r, err=%r)" % (self.code, self.out, self.err)


def run(exe, args=(), env=None, timeout=120, stdin=None, cwd=None, retries=2):
    """Runs a Windows program under Wine; returns its exit code and decoded output."""
    cmd = [WINE, exe] + list(args)
    for attempt in range(retries + 1):
        proc = subprocess.run(cmd, env=wine_env(env), input=stdin, capture_output=True,
                              timeout=timeout, cwd=cwd)
        err = proc.stderr.decode("latin-1")
        # Wine rarely fails to create a process at all; such a run never started and is retried.
        if proc.returncode != 0 and "could not load" in err.lower() and attempt < retries:
            time.sleep(1)
            continue
        return Result(proc.returncode, proc.stdout.decode("latin-1"), err)


def _i32(v):
    return struct.pack("<i", v)


def _entry8(key, value):
    data = value.encode("latin-1") if isinstance(value, str) else bytes(value)
    return _i32(key) + _i32(len(data)) + data


def _entry16(key, value):
    data = value.encode("utf-16-le")
    return _i32(key) + _i32(len(data)) + data


def config_bytes(strings=None, wide=None, groups=None):
    """The configuration part of a block: strings and wide as {key: value} or [(key, value)],
    groups as [(prefix, {key: value})]."""
    def items(table):
        if table is None:
            return []
        return list(table.items()) if isinstance(table, dict) else list(table)
    out = bytearray()
    s = items(strings)
    out += _i32(len(s)) + b"".join(_entry8(k, v) for k, v in s)
    w = items(wide)
    out += _i32(len(w)) + b"".join(_entry16(k, v) for k, v in w)
    g = groups or []
    out += _i32(len(g))
    for prefix, entries in g:
        e = items(entries)
        out += _i32(len(prefix)) + prefix.encode("latin-1") + _i32(len(e))
        out += b"".join(_entry16(k, v) for k, v in e)
    return bytes(out)


def file_records(contents):
    """Included-file records: an 8-byte length and the scrambled bytes each."""
    out = bytearray()
    for data in contents:
        out += struct.pack("<q", len(data)) + bytes(b ^ SCRAMBLE_KEY for b in data)
    return bytes(out)


def block_bytes(strings=None, wide=None, groups=None, files=(), tail=b""):
    body = config_bytes(strings, wide, groups) + file_records(files) + tail
    header = struct.pack("<IIIq", MAGIC, 0, 0, len(body) + 8)
    block = header + body + END_MARKER
    return block + b"\0" * (-len(block) % 512)


def appended_offset(stub_bytes):
    """PointerToRawData + SizeOfRawData of the last section."""
    pe = struct.unpack_from("<I", stub_bytes, 60)[0]
    sections = struct.unpack_from("<H", stub_bytes, pe + 6)[0]
    optional = struct.unpack_from("<H", stub_bytes, pe + 20)[0]
    last = pe + 24 + optional + 40 * (sections - 1)
    size, pointer = struct.unpack_from("<II", stub_bytes, last + 16)
    return pointer + size


def write_launcher(dest, strings=None, wide=None, groups=None, files=(), block=None, stub=LAUNCHER):
    """Copies the stub to dest and appends a block (or the given raw bytes)."""
    with open(stub, "rb") as f:
        data = f.read()
    data = data[:appended_offset(data)]
    if block is None:
        block = block_bytes(strings, wide, groups, files)
    os.makedirs(os.path.dirname(os.path.abspath(dest)), exist_ok=True)
    with open(dest, "wb") as f:
        f.write(data + block)
    return dest


# Messages go to standard error with launcher kind 4, which also makes "install" automatic.
STDERR_KIND = {107: "4"}


def reg_query(key, value=None):
    """Data of a registry value as `reg query` prints it, or None."""
    args = ["reg", "query", key] + (["/v", value] if value is not None else [])
    proc = subprocess.run([WINE] + args, env=wine_env(), capture_output=True, timeout=60)
    text = proc.stdout.decode("latin-1")
    if proc.returncode != 0:
        return None
    if value is None:
        return text
    for line in text.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def set_relay_filter(functions):
    """Limits Wine's +relay trace to the given functions (";"-separated, e.g.
    "user32.MessageBoxA"), so that a test can read a message box's text from standard error."""
    subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/t",
                    "REG_SZ", "/d", functions, "/f"], env=wine_env(), capture_output=True, timeout=60)


def reg_delete(key):
    subprocess.run([WINE, "reg", "delete", key, "/f"], env=wine_env(), capture_output=True, timeout=60)


def processes_naming(*paths):
    """Host processes (not zombies) whose command line names one of the paths, Windows or host
    form."""
    needles = []
    for path in paths:
        needles += [winpath(path).lower().encode(), path.lower().encode()]
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmdline = f.read().lower()
            with open("/proc/%s/stat" % pid, "rb") as f:
                state = f.read().rsplit(b")", 1)[1].split()[0]
        except OSError:
            continue
        if state != b"Z" and any(n in cmdline for n in needles):
            found.append((int(pid), cmdline.replace(b"\0", b" ").decode("latin-1").strip()))
    return found


def remove_new_temp_entries(temp, earlier):
    """Removes what runs left in the Windows temporary directory since `earlier` (a set of
    names): the temporary file behind each temporary directory, logs, and a directory that a
    failed run left behind."""
    for name in set(os.listdir(temp)) - earlier:
        if name.startswith(("qrv", "zlx_nlog")):
            path = os.path.join(temp, name)
            if os.path.isdir(path):
                shutil.rmtree(path, True)
            else:
                os.remove(path)


class WineTestCase(unittest.TestCase):
    """A test case with its own scratch directory on the host, visible to Wine through Z:."""

    def setUp(self):
        ensure_server()
        self.dir = tempfile.mkdtemp(prefix="quorv-wine-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def assertInOrder(self, text, *parts):
        at = 0
        for part in parts:
            found = text.find(part, at)
            self.assertNotEqual(found, -1, "%r not found in order in:\n%s" % (part, text))
            at = found + len(part)

    def launcher(self, name="app.exe", **kw):
        return write_launcher(self.path(name), **kw)

    def log_files(self):
        tmp = windows_temp_dir()
        return {n for n in os.listdir(tmp) if n.startswith("zlx_nlog")}

    def read_new_log(self, before):
        """The one log file created since `before` (a set of names), as text."""
        new = sorted(self.log_files() - before)
        self.assertEqual(len(new), 1, "expected one new log file, got %r" % new)
        with open(os.path.join(windows_temp_dir(), new[0]), "rb") as f:
            return f.read().decode("latin-1")


def main():
    unittest.main(verbosity=2)
