"""Helpers for the tests of the Java entry classes on this machine's JVM.

The jars come from build_apps: into $QUORV_RUNTIME_TEST_DIR when it is set (ctest sets it and
builds there first), otherwise into a fresh temporary directory, once per process.
"""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

QUORV_ENTRY = "com.quorv.runtime.WinLauncher"
ZENTRILEX_ENTRY = "com.zentrilex.runtime.launcher.WinLauncher"
ENTRIES = (QUORV_ENTRY, ZENTRILEX_ENTRY)
APP = "testapp.App"

STOP_LINE = b"0\n"
WAIT_SECONDS = 10.0

_build_dir = None


def tool(name):
    path = shutil.which(name)
    if path is None:
        raise RuntimeError("%s is not on PATH; the runtime tests need a JDK" % name)
    return path


def build_dir():
    """The directory that holds quorv-runtime.jar, echo-service.jar and testapp.jar."""
    global _build_dir
    if _build_dir is None:
        tool("javac")
        tool("java")
        outdir = os.environ.get("QUORV_RUNTIME_TEST_DIR")
        if not outdir:
            outdir = tempfile.mkdtemp(prefix="quorv-runtime-test-")
        needed = ("quorv-runtime.jar", "echo-service.jar", "testapp.jar")
        if not all(os.path.exists(os.path.join(outdir, name)) for name in needed):
            subprocess.run([os.path.join(HERE, "build_apps"), outdir], check=True,
                           stdout=subprocess.DEVNULL)
        _build_dir = outdir
    return _build_dir


def jar(name):
    return os.path.join(build_dir(), name)


def java_env():
    env = dict(os.environ)
    # A UTF-8 locale, so that the java command passes non-ASCII arguments unchanged.
    env["LC_ALL"] = "C.UTF-8"
    for name in ("JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS", "CLASSPATH"):
        env.pop(name, None)
    return env


def entry_command(entry=QUORV_ENTRY, main=APP, err="", out="", app_args=("svc",), mode=None,
                  props=None, service=True, app_jar="testapp.jar", type_flag="false",
                  flag="false"):
    """The java command that calls the entry class the way the launcher's worker does."""
    command = [tool("java")]
    if service:
        command.append("-Dquorv.isService=true")
    if mode is not None:
        command.append("-Dtestapp.mode=" + mode)
    for key, value in (props or {}).items():
        command.append("-D%s=%s" % (key, value))
    command += ["-cp", os.pathsep.join([jar("quorv-runtime.jar"), jar(app_jar)]), entry,
                type_flag, main, err, out, flag]
    command += list(app_args)
    return command


class Java:
    """A running java command. Its standard input is a pipe that stays open until the test closes
    it (the end of input is a stop request for the entry class); standard output and standard
    error go to files, so that nothing blocks on a full pipe."""

    def __init__(self, command, stdin=subprocess.PIPE):
        self.output = tempfile.TemporaryFile()
        self.errors = tempfile.TemporaryFile()
        self.process = subprocess.Popen(command, stdin=stdin, stdout=self.output,
                                        stderr=self.errors, env=java_env())

    def send(self, data, close=False):
        self.process.stdin.write(data)
        self.process.stdin.flush()
        if close:
            self.close_input()

    def close_input(self):
        if self.process.stdin is not None and not self.process.stdin.closed:
            self.process.stdin.close()

    def running(self):
        return self.process.poll() is None

    def finish(self, timeout=WAIT_SECONDS):
        """Waits for the end; returns (exit code, stdout text, stderr text)."""
        try:
            self.process.wait(timeout=timeout)
            timed_out = False
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            timed_out = True
        self.close_input()
        texts = []
        for f in (self.output, self.errors):
            f.seek(0)
            texts.append(f.read().decode("utf-8", "replace"))
            f.close()
        if timed_out:
            raise AssertionError("java did not end within %.0f s; stdout=%r stderr=%r"
                                 % (timeout, texts[0], texts[1]))
        return self.process.returncode, texts[0], texts[1]


def start(command, stdin=subprocess.PIPE):
    return Java(command, stdin)


def run(command, timeout=WAIT_SECONDS):
    """Runs a command that ends by itself; returns (exit code, stdout text, stderr text)."""
    return Java(command).finish(timeout)


def read_text(path):
    if not os.path.exists(path):
        return ""
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace")


def wait_for(predicate, what, process=None, timeout=WAIT_SECONDS):
    """Polls predicate() until it is true; fails with `what` after the timeout or if the process ended."""
    deadline = time.monotonic() + timeout
    while True:
        if predicate():
            return
        if process is not None and not process.running():
            code, out, err = process.finish()
            raise AssertionError("java ended (exit code %d) before %s; stdout=%r stderr=%r"
                                 % (code, what, out, err))
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.02)


def wait_for_line(path, line, process=None):
    wait_for(lambda: line in read_text(path).splitlines(), "%r in %s" % (line, path), process)


class TempDirTestCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="quorv-rt-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)


RECORD = re.compile(r"record (\d{8}) [a-z]{200} end")
STOPPED = re.compile(r"stopped last=(\d+)")


def check_records(text):
    """Checks the output log of the "records" mode after a stop; returns the number of records.

    Every line must be whole (a record or the shutdown hook's line, the file ending with a line
    feed), the records must be numbered 1, 2, 3 ... without a gap, and every record that the
    application had finished writing when its shutdown hook ran must be there.
    """
    if not text.endswith("\n"):
        raise AssertionError("the log does not end with a whole line: %r" % text[-300:])
    expected = 1
    last_written = None
    for line in text[:-1].split("\n"):
        record = RECORD.fullmatch(line)
        stopped = STOPPED.fullmatch(line)
        if record:
            if int(record.group(1)) != expected:
                raise AssertionError("record %d follows record %d" % (int(record.group(1)), expected - 1))
            expected += 1
        elif stopped and last_written is None:
            last_written = int(stopped.group(1))
        else:
            raise AssertionError("unexpected or broken line %r after record %d" % (line, expected - 1))
    if last_written is None:
        raise AssertionError("the shutdown hook's line is missing")
    if expected - 1 < last_written:
        raise AssertionError("records %d to %d are missing" % (expected, last_written))
    return expected - 1


def stop_cycle(log, by_eof=False, entry=QUORV_ENTRY, min_records=100):
    """Starts the "records" application, stops it once it has written min_records, checks the log."""
    process = start(entry_command(entry=entry, out=log, mode="records"))
    wait_for(lambda: read_text(log).count("\n") >= min_records, "%d records" % min_records, process)
    process.send(b"" if by_eof else STOP_LINE, close=by_eof)
    code, out, err = process.finish()
    if code != 0:
        raise AssertionError("exit code %d; stderr=%r" % (code, err))
    return check_records(read_text(log))


def main():
    build_dir()
    unittest.main(verbosity=2)
