"""Time from a worker's start to "Loading of JVM-DLL successful" with a warm JVM version cache,
against the same worker with a cold cache, for search sequences of 1, 10 and 100 entries.

Every entry but the last names a Java home whose java.exe (the stand-in of tests/fixtures/java_exe)
reports a version below the minimum; the last one is accepted. With a cold cache each rejected
entry costs a version probe (a process start); with a warm cache its version comes from the
registry. The time is taken by watching the worker's diagnostic log for the line, from the host.

Usage (with the variables of tests/wine/harness.py set and the prefix started):
    python3 bench/search_bench.py [--runs N] [--sizes 1,10,100]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import harness  # noqa: E402

LOADED = b"Loading of JVM-DLL successful"
CACHE_KEY = r"HKCU\SOFTWARE\kelvara\quorv\jvms"


def make_homes(directory, count):
    """count Java homes h0..h{count-1}; all but the last report 1.5.0_22."""
    for i in range(count):
        bin_dir = os.path.join(directory, "h%d" % i, "bin")
        os.makedirs(os.path.join(bin_dir, "server"), exist_ok=True)
        shutil.copy(os.path.join(harness.FIXTURES, "java_exe", "java.exe"), bin_dir)
        version = "1.8.0_202" if i == count - 1 else "1.5.0_22"
        with open(os.path.join(bin_dir, "java.cfg"), "w") as f:
            f.write('java version "%s"\n0\n0\n' % version)
        shutil.copy(os.path.join(harness.FIXTURES, "jvmdll_minimal", "jvm.dll"), os.path.join(bin_dir, "server"))


def timed_start(exe, temp_dir):
    """Seconds from the worker's start until its log holds the line."""
    before = {n for n in os.listdir(temp_dir) if n.startswith("zlx_nlog")}
    env = harness.wine_env({"QUORV_LOG": "yes"})
    start = time.perf_counter()
    proc = subprocess.Popen([harness.WINE, exe, "__zlx_restart"], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    elapsed = None
    log = None
    while elapsed is None:
        if log is None:
            new = [n for n in os.listdir(temp_dir) if n.startswith("zlx_nlog") and n not in before]
            log = os.path.join(temp_dir, new[0]) if new else None
        if log is not None:
            with open(log, "rb") as f:
                if LOADED in f.read():
                    elapsed = time.perf_counter() - start
                    break
        if proc.poll() is not None and log is not None:
            with open(log, "rb") as f:
                if LOADED not in f.read():
                    raise RuntimeError("the worker ended without loading a JVM; see %s" % log)
        time.sleep(0.002)
    proc.wait(timeout=120)
    os.remove(log)
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="1,10,100")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    temp_dir = harness.windows_temp_dir()
    work = tempfile.mkdtemp(prefix="quorv-bench-")
    try:
        make_homes(work, max(sizes))
        print("entries  cold median (s)  warm median (s)  cold/warm")
        for size in sizes:
            # The last home is the accepted one; the entries before it are rejected by version.
            entries = ["A" + harness.winpath(os.path.join(work, "h%d" % i)) for i in range(max(sizes) - size, max(sizes))]
            block = dict(harness.STDERR_KIND)
            block.update({128: ";".join(entries), 126: "1.6"})
            exe = harness.write_launcher(os.path.join(work, "app%d.exe" % size), strings=block)
            cold, warm = [], []
            for _ in range(args.runs):
                harness.reg_delete(CACHE_KEY)
                cold.append(timed_start(exe, temp_dir))
            timed_start(exe, temp_dir)  # fills the cache
            for _ in range(args.runs):
                warm.append(timed_start(exe, temp_dir))
            c, w = statistics.median(cold), statistics.median(warm)
            print("%7d  %15.3f  %15.3f  %9.2f" % (size, c, w, c / w))
    finally:
        harness.reg_delete(CACHE_KEY)
        shutil.rmtree(work, True)


if __name__ == "__main__":
    main()
