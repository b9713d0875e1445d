"""Nothing lost on stop, through the launcher's own JNI sequence on this machine's real JVM.

jni_run (tests/jvm) creates the JVM and calls the entry class's main the way the worker does,
with quorv.isService set, so that the entry class watches standard input for the stop line. The
test application writes numbered records to the output log without end; each record counts as
written once its println has returned (the stream flushes at every line end). After a random
short time the test writes the stop line. After every stop the output log must hold every
record that had been written when the shutdown hook ran, numbered without a gap, and the last
line must be whole.

jni_run comes from the host build: QUORV_JNI_RUN names it (ctest sets it), otherwise
$QUORV_BUILD_HOST/jvm-tests/jni_run or build/host/jvm-tests/jni_run. The JVM library is that of
the java command on PATH unless QUORV_LIBJVM names one. QUORV_NOTHING_LOST_SEED repeats a run's
random waits; QUORV_NOTHING_LOST_RUNS sets another number of runs.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

import support

RUNS = int(os.environ.get("QUORV_NOTHING_LOST_RUNS", "100"))
ROOT = os.path.dirname(os.path.dirname(support.HERE))
# jni_run is built with the sanitizers; the JVM uses SIGSEGV on purpose and keeps its memory.
ASAN_OPTIONS = "handle_segv=0:allow_user_segv_handler=1:detect_leaks=0"


def jni_run_path():
    candidates = [os.environ.get("QUORV_JNI_RUN")]
    if os.environ.get("QUORV_BUILD_HOST"):
        candidates.append(os.path.join(os.environ["QUORV_BUILD_HOST"], "jvm-tests", "jni_run"))
    candidates.append(os.path.join(ROOT, "build", "host", "jvm-tests", "jni_run"))
    for path in candidates:
        if path and os.access(path, os.X_OK):
            return path
    raise RuntimeError("jni_run not found (looked at %r); build the host build first" % [c for c in candidates if c])


def libjvm_path():
    if os.environ.get("QUORV_LIBJVM"):
        return os.environ["QUORV_LIBJVM"]
    home = os.path.dirname(os.path.dirname(os.path.realpath(support.tool("java"))))
    for relative in (("lib", "server", "libjvm.so"), ("jre", "lib", "amd64", "server", "libjvm.so")):
        path = os.path.join(home, *relative)
        if os.path.exists(path):
            return path
    raise RuntimeError("no libjvm.so under " + home)


class JniRun:
    """One jni_run process running the records application; standard input is a pipe, standard
    output and standard error go to files."""

    def __init__(self, command):
        self.output = tempfile.TemporaryFile()
        self.errors = tempfile.TemporaryFile()
        env = support.java_env()
        env["ASAN_OPTIONS"] = ASAN_OPTIONS
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=self.output,
                                        stderr=self.errors, env=env)

    def stop(self, line=support.STOP_LINE, timeout=30):
        """Writes the stop line (the pipe stays open, as the service's does until the worker
        has read it); returns (exit code, stdout, stderr)."""
        self.process.stdin.write(line)
        self.process.stdin.flush()
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError("jni_run did not end within %d s of the stop line" % timeout)
        finally:
            self.process.stdin.close()
        texts = []
        for f in (self.output, self.errors):
            f.seek(0)
            texts.append(f.read().decode("utf-8", "replace"))
            f.close()
        return self.process.returncode, texts[0], texts[1]

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class NothingLostTest(support.TempDirTestCase):

    def command(self, log):
        class_path = os.pathsep.join([support.jar("quorv-runtime.jar"), support.jar("testapp.jar")])
        return [jni_run_path(), "--option", "-Dquorv.isService=true", "--option", "-Dtestapp.mode=records",
                libjvm_path(), class_path, support.QUORV_ENTRY,
                # type flag, main class, error log, output log, flag, then the service name
                "false", support.APP, "", log, "false", "svc"]

    def test_every_written_record_survives_the_stop_line(self):
        seed = int(os.environ.get("QUORV_NOTHING_LOST_SEED", str(int(time.time()))))
        rng = random.Random(seed)
        counts, waits = [], []
        started = time.monotonic()
        for run in range(RUNS):
            log = self.path("records%d.log" % run)
            wait = rng.uniform(0.0, 0.4)
            waits.append(wait)
            jni = JniRun(self.command(log))
            self.addCleanup(jni.kill)
            context = "run %d (seed %d, wait %.3f s)" % (run, seed, wait)
            # The records begin once the application's main runs; its shutdown hook is in place
            # by then.
            support.wait_for(lambda: os.path.exists(log) and os.path.getsize(log) > 0,
                             "the first record, " + context, timeout=30)
            time.sleep(wait)
            code, out, err = jni.stop()
            self.assertEqual(code, 0, "%s: stdout %r stderr %r" % (context, out[-500:], err[-500:]))
            self.assertIn("log: calling main", out, context)
            try:
                counts.append(support.check_records(support.read_text(log)))
            except AssertionError as e:
                shutil.copy(log, os.path.join(tempfile.gettempdir(), "quorv-nothing-lost-failed.log"))
                raise AssertionError("%s: %s (log kept as quorv-nothing-lost-failed.log in %s)"
                                     % (context, e, tempfile.gettempdir()))
            os.remove(log)
        elapsed = time.monotonic() - started
        sys.stderr.write("\n%d stop lines in %.1f s (seed %d): %d records checked, %d to %d per run\n"
                         % (RUNS, elapsed, seed, sum(counts), min(counts), max(counts)))


if __name__ == "__main__":
    support.main()
