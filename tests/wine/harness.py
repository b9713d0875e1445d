"""Shared helpers for the tests that run the real launcher under Wine.

One Wine prefix serves a whole test run (creating one takes seconds); `prefix.py start` makes it
and starts a persistent wineserver so that services live between calls, `prefix.py stop` ends it.
Launchers under test are made by copying the unconfigured stub and appending a data block that
`write_block` lays out here, independently of the packer, so that tests can also damage it.
"""
import ctypes
import fcntl
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_WIN = os.environ.get("QUORV_BUILD_WIN", os.path.join(ROOT, "build", "win"))
BUILD_HOST = os.environ.get("QUORV_BUILD_HOST", os.path.join(ROOT, "build", "host"))
LAUNCHER = os.path.join(BUILD_WIN, "quorv-launcher.exe")
PACK = os.path.join(BUILD_HOST, "pack", "quorv-pack")
FIXTURES = os.path.join(BUILD_WIN, "fixtures")
SVCPROBE = os.path.join(FIXTURES, "svcprobe.exe")
# How long services.exe waits for a starting service's process (REG_SZ in Wine, read at session
# start): Windows' own default.
SERVICE_START_ALLOWANCE_MS = 30000
PREFIX = os.environ.get("QUORV_WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
WINE_BIN = "/usr/lib/wine"
WINE = os.path.join(WINE_BIN, "wine64")
WINESERVER = os.path.join(WINE_BIN, "wineserver64")

# Wine as packaged here runs without its preloader, so the Unix heap (brk) of each Wine process
# starts after the loader's image at 0x7d000000 plus a random offset of up to 1 GB. About once in
# ten thousand starts it lands on 0x7ff00000-0x7fff0000, where Wine maps the shared user data
# page; the process then ends with exit code 1 before any of its program runs ("failed to map the
# shared user data: c0000018", an err: line that WINEDEBUG=-all hides), and a Windows program
# that started it (services.exe, the launcher) sees CreateProcess fail with 1359. Without address
# randomisation the heap starts at the end of the loader's image, 48 MB below that page. The
# personality is inherited by every process started from here and by the processes that those
# start; where the system refuses it (some container seccomp profiles), never_started() still
# recognises such a start, because the err: line of that channel is kept.
ADDR_NO_RANDOMIZE = 0x0040000
SHARED_DATA_NOT_MAPPED = "failed to map the shared user data"


def _fix_address_layout():
    """Turns address randomisation off for the processes started from now on, where the system
    allows it."""
    try:
        personality = ctypes.CDLL(None).personality
    except (OSError, AttributeError):
        return
    personality.restype = ctypes.c_int
    current = personality(ctypes.c_ulong(0xFFFFFFFF))  # queries without changing
    if current != -1 and not current & ADDR_NO_RANDOMIZE:
        personality(ctypes.c_ulong(current | ADDR_NO_RANDOMIZE))


_fix_address_layout()

MAGIC = 0xE8E413D5
END_MARKER = bytes([0xE8, 0xE4, 0x13, 0xD5])
SCRAMBLE_KEY = 0x5A


def wine_env(extra=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = PREFIX
    env["WINEDEBUG"] = env.get("QUORV_WINEDEBUG", "-all,err+virtual")
    env["PATH"] = WINE_BIN + os.pathsep + env.get("PATH", "")
    for name in ("QUORV_LOG", "ZENTRILEX_LOG", "QUORV_JAVA_HOME", "ZENTRILEX_JAVA_HOME", "DISPLAY"):
        env.pop(name, None)
    if extra:
        env.update(extra)
    return env


class WaitTimeout(AssertionError):
    """A condition that did not come true before its deadline; the message says what was seen."""


def wait_until(condition, seconds, describe, interval=0.05):
    """Polls condition() until it returns something true and returns that. After `seconds`
    without it, raises WaitTimeout with describe() (or describe itself, if it is a string): what
    was seen instead. A failing test thus never waits forever and always tells why it stopped."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            seen = describe() if callable(describe) else describe
            raise WaitTimeout("waited %g s in vain; seen: %s" % (seconds, seen))
        time.sleep(interval)


def file_tail(path, size=1500):
    """The end of a file as text, or why it cannot be read (for failure messages)."""
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - size))
            return f.read().decode("latin-1")
    except OSError as e:
        return "(%s)" % e


_prefix_lock = None


def hold_prefix(seconds=120):
    """Takes the prefix for this process until it ends. Tests count the files that runs leave in
    the prefix's temporary directory, and the prefix start ends any wineserver of the prefix
    ("wineserver -k"); a second test process in the same prefix would break both for the first
    one: its launchers end with exit code 1 and no output when their wineserver goes. One process
    at a time therefore; the next (the next test module) waits for the lock."""
    global _prefix_lock
    if _prefix_lock is not None:
        return
    path = os.path.abspath(PREFIX).rstrip("/") + ".lock"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    lock = open(path, "a+")

    def taken():
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            return False
        lock.seek(0)
        lock.truncate()
        lock.write("%d %s\n" % (os.getpid(), " ".join(sys.argv)))
        lock.flush()
        return True

    def holder():
        lock.seek(0)
        return "the prefix %s is in use by another process: %r" % (PREFIX, lock.read().strip())
    wait_until(taken, seconds, holder, interval=0.2)
    _prefix_lock = lock


def start_prefix():
    """Creates the prefix if it does not exist, starts its persistent wineserver and returns once
    Wine programs run in it and its Service Control Manager takes service starts."""
    hold_prefix()
    os.makedirs(PREFIX, exist_ok=True)
    env = wine_env()
    if not os.path.exists(os.path.join(PREFIX, "system.reg")):
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=300)
    # Wine's services.exe gives a service's process 10 s to connect and to report its first
    # status (Windows gives 30 s); with two test modules and another job sharing two cores, the
    # chain runner -> launcher -> dispatcher can take longer, and the start then fails with 1053
    # although nothing is wrong. The prefix gets Windows' default instead; services.exe reads it
    # when a session starts, which the restart below brings about.
    r = wine_tool(["reg", "add", r"HKLM\System\CurrentControlSet\Control", "/v", "ServicesPipeTimeout",
                   "/t", "REG_SZ", "/d", str(SERVICE_START_ALLOWANCE_MS), "/f"], env=env, timeout=300)
    if r.returncode != 0:
        raise RuntimeError("could not set the service start allowance of %s: %r" % (PREFIX, r))
    # The wineserver that wineboot (or any Wine call) started by itself lingers for a few seconds
    # after its last program; while it runs, "wineserver -p" refuses to start (exit code 2), and
    # every later call would get a short-lived server and a new session of its own.
    # "wineserver -k" ends such a server and returns once it has gone.
    stop_prefix()
    log_path = os.path.join(PREFIX, "wineserver.log")
    with open(log_path, "ab") as log:
        server = subprocess.Popen([WINESERVER, "-p"], env=env, stdout=log, stderr=log,
                                  stdin=subprocess.DEVNULL, start_new_session=True)
    wait_until(server_running, 60, lambda: "no persistent wineserver of %s; 'wineserver -p' %s; "
               "its log ends %r" % (PREFIX, "runs" if server.poll() is None else
                                    "ended with exit code %d" % server.returncode, file_tail(log_path)))
    # A trivial program proves the server answers; the first program of a session also waits
    # for the session's start (wineboot, services.exe and the services it starts by itself).
    r = subprocess.run([WINE, "cmd", "/c", "exit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
    if r.returncode != 0:
        raise RuntimeError("'wine cmd /c exit' ended with exit code %d in %s; the wineserver log ends %r"
                           % (r.returncode, PREFIX, file_tail(log_path)))
    if os.path.exists(LAUNCHER) and os.path.exists(SVCPROBE):
        wait_for_scm()


SCM_TOOK_START = "start error=2"  # ERROR_FILE_NOT_FOUND: the start lock was taken, no program found


def wait_for_scm(seconds=300):
    """Waits until the Service Control Manager takes service starts. While a session of the
    prefix begins, services.exe starts its own services and holds its start lock meanwhile:
    registrations and status queries answer at once, but a StartService waits 3 s for the lock
    and then fails with 1055 (ERROR_SERVICE_DATABASE_LOCKED). The check is a start that gets the
    lock and fails at once: a service registered for this alone, whose program does not exist;
    starts are taken once its start fails with 2 instead of 1055."""
    directory = tempfile.mkdtemp(prefix="quorv-scm-")
    name = "quorv-scm-ready-%d-%s" % (os.getpid(), os.path.basename(directory).rsplit("-", 1)[-1])
    exe = write_launcher(os.path.join(directory, "probe.exe"), strings={101: name})
    seen = []
    try:
        r = run(exe, ["/install"])
        if r.code != 0:
            raise RuntimeError("could not register %s to wait for the Service Control Manager: %r" % (name, r))
        missing = winpath(os.path.join(directory, "missing.exe"))
        r = run(SVCPROBE, ["setpath", name, '"%s"' % missing])
        if r.code != 0:
            raise RuntimeError("could not point %s at a missing program: %r" % (name, r))

        def start_gets_through():
            r = run(SVCPROBE, ["start", name])
            seen.append("%s (exit code %d)" % (r.out.strip() or r.err.strip()[-200:], r.code))
            return r.out.strip() == SCM_TOOK_START
        wait_until(start_gets_through, seconds,
                   lambda: "the Service Control Manager takes no service start; the last answers to a "
                   "start of %s were %r" % (name, seen[-5:]))
    finally:
        run(exe, ["/uninstall"])
        shutil.rmtree(directory, True)


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
    """Starts the persistent wineserver again if it has gone away; without it every Wine call
    starts a server and a session of its own, and services do not live from one call to the
    next."""
    hold_prefix()
    if not server_running():
        start_prefix()


def stop_prefix():
    hold_prefix()
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


def standin_java_home(home):
    """Makes `home` a Java home of stand-ins: bin\\java.exe and bin\\server\\jvm.dll; returns it."""
    os.makedirs(os.path.join(home, "bin", "server"))
    shutil.copy(os.path.join(FIXTURES, "java_exe", "java.exe"), os.path.join(home, "bin"))
    shutil.copy(os.path.join(FIXTURES, "jvm.dll"), os.path.join(home, "bin", "server"))
    return home


class Result:
    def __init__(self, code, out, err):
        self.code, self.out, self.err = code, out, err

    def __repr__(self):
        return "Result(code=%r, out=%r, err=%r)" % (self.code, self.out, self.err)


def run(exe, args=(), env=None, timeout=120, stdin=None, cwd=None, retries=2):
    """Runs a Windows program under Wine; returns its exit code and decoded output."""
    proc = wine_tool([exe] + list(args), timeout=timeout, env=wine_env(env), retries=retries,
                     stdin=stdin, cwd=cwd)
    return Result(proc.returncode, proc.stdout.decode("latin-1"), proc.stderr.decode("latin-1"))


# A service start that fails with 1359 (ERROR_INTERNAL_ERROR): Wine's CreateProcess reports
# STATUS_INTERNAL_ERROR when the new process dies in Wine's own start-up, before any of its code
# runs; services.exe then returns it for a start whose process never ran.
WINE_PROCESS_NEVER_RAN = 1359


def never_started(out, err):
    """Whether a run provably never started what it was for: Wine could not create its process
    ("could not load"; the shared user data page taken, see ADDR_NO_RANDOMIZE; "ShellExecuteEx
    failed: Internal error." from Wine's start-up of one of its own programs such as reg.exe), or
    a service start whose process Wine could not create."""
    return ("could not load" in err.lower()
            or SHARED_DATA_NOT_MAPPED in err
            or "shellexecuteex failed" in (out + err).lower()
            or "start error=%d" % WINE_PROCESS_NEVER_RAN in out
            or "Could not start service. Error code: %d" % WINE_PROCESS_NEVER_RAN in out)


def wine_tool(args, timeout=60, env=None, retries=2, stdin=None, cwd=None):
    """Runs a Wine program (the launcher, reg, regedit, a fixture) with its output captured, as
    subprocess.run would; a run that provably never started is run again. `env` is the whole
    environment (wine_env() when None)."""
    for attempt in range(retries + 1):
        proc = subprocess.run([WINE] + list(args), env=env or wine_env(), input=stdin, capture_output=True,
                              timeout=timeout, cwd=cwd)
        if proc.returncode != 0 and attempt < retries and never_started(
                proc.stdout.decode("latin-1"), proc.stderr.decode("latin-1")):
            time.sleep(1)
            continue
        return proc


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
    proc = wine_tool(args)
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
    wine_tool(["reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d", functions, "/f"])


def reg_delete(key):
    wine_tool(["reg", "delete", key, "/f"])


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
        self.addCleanup(self._remove_dir)

    def _remove_dir(self):
        """Removes the scratch directory, unless the test failed: what its programs left there
        (records, run counts, configuration) then stays for a look, and its path is printed."""
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = result is not None and any(test is self or getattr(test, "test_case", None) is self
                                            for test, _ in result.failures + result.errors)
        if failed:
            print("\nkept the directory of the failed test: %s" % self.dir, file=sys.stderr)
            return
        shutil.rmtree(self.dir, True)

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

    def read_new_log(self, before, run=None):
        """The one log file created since `before` (a set of names), as text; `run`, the result
        of the run that wrote it, is shown when there is none."""
        new = sorted(self.log_files() - before)
        self.assertEqual(len(new), 1, "expected one new log file, got %r; the run: %r" % (new, run))
        with open(os.path.join(windows_temp_dir(), new[0]), "rb") as f:
            return f.read().decode("latin-1")


def main():
    unittest.main(verbosity=2)
