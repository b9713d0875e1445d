#!/usr/bin/env python3
"""Throughput of the included-file extraction against a plain copy of the same bytes.

Two workloads: one included file of 512 MiB, and 10,000 small included files. For each, a
launcher is built with the files in its appended data block and run as a worker under Wine. The
worker extracts the files into its temporary directory and then starts the JVM search, which runs
the Java home's java.exe - here the sleeper fixture, which creates a marker file as it starts. The
time from the worker's start to the marker, less the same time for a launcher with one tiny file,
is the extraction time. Two plain copies of the same bytes from the launcher's directory into the
Wine temporary directory serve as yardsticks: `cp` on the host (one file, or the directory of the
small files), and CopyFileA of each file by a Windows program under the same Wine (the copy_files
fixture, timed inside the program). The ratio is the extraction's throughput over the copy's; the
target is 0.8 or more.

Run separately, after `prefix.py start` with the variables of tests/wine (QUORV_WINEPREFIX,
QUORV_BUILD_WIN), e.g. `python3 bench/extract_bench.py`. Options: --only big|small, --runs N
(best of N, default 3), --big-mib M, --small-count N.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import harness  # noqa: E402

RESTART = "__zlx_restart"
SCRAMBLE = bytes(b ^ harness.SCRAMBLE_KEY for b in range(256))


def temp_dir():
    return harness.windows_temp_dir()


def write_launcher(path, names, contents, home):
    """A launcher whose block holds the files; written in pieces, never a whole copy in memory."""
    strings = dict(harness.STDERR_KIND)
    strings.update({2002: str(len(names)), 2003: ";".join(names), 128: "R" + harness.winpath(home)})
    with open(harness.LAUNCHER, "rb") as f:
        stub = f.read()
    stub = stub[:harness.appended_offset(stub)]
    config = harness.config_bytes(strings)
    body_length = len(config) + sum(8 + len(c) for c in contents)
    header = struct.pack("<IIIq", harness.MAGIC, 0, 0, body_length)
    with open(path, "wb") as f:
        f.write(stub + header + config)
        for data in contents:
            f.write(struct.pack("<q", len(data)))
            f.write(data.translate(SCRAMBLE))
        tail = harness.END_MARKER
        size = f.tell() - len(stub) + len(tail)
        f.write(tail + b"\0" * (-size % 512))


def log_names(wintemp):
    return {n for n in os.listdir(wintemp) if n.startswith("zlx_nlog")}


def time_worker(exe, marker, wintemp, until):
    """Seconds from the worker's start until
    - "search": java.exe (the sleeper) created its marker, i.e. the JVM search began;
    - "log": the worker logged "extracting files done" (the log is on for this run);
    - "end": the worker ended (its clean-up of the temporary directory included).
    Returns None when the worker ended before that point."""
    if os.path.exists(marker):
        os.remove(marker)
    extra = {"QUORV_SLEEPER_SECONDS": "0", "QUORV_SLEEPER_MARKER": harness.winpath(marker)}
    if until == "log":
        extra["QUORV_LOG"] = "yes"
    before = log_names(wintemp)
    start = time.perf_counter()
    proc = subprocess.Popen([harness.WINE, exe, RESTART], env=harness.wine_env(extra),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL)
    reached = None
    while reached is None and proc.poll() is None:
        if until == "search" and os.path.exists(marker):
            reached = time.perf_counter() - start
        elif until == "log":
            for name in log_names(wintemp) - before:
                with open(os.path.join(wintemp, name), "rb") as f:
                    if b"extracting files done" in f.read():
                        reached = time.perf_counter() - start
        if reached is None:
            time.sleep(0.002)
    ended = time.perf_counter() - start
    proc.wait()
    for name in log_names(wintemp) - before:
        os.remove(os.path.join(wintemp, name))
    return ended if until == "end" else reached


def time_command(args):
    start = time.perf_counter()
    subprocess.run(args, check=True)
    return time.perf_counter() - start


def wine_copy(source, target):
    """Seconds that CopyFileA under Wine takes for every file of source (the copy_files fixture)."""
    out = subprocess.run([harness.WINE, os.path.join(harness.FIXTURES, "copy_files.exe"),
                          harness.winpath(source), harness.winpath(target)],
                         env=harness.wine_env(), capture_output=True, check=True)
    return float(out.stdout.decode().split()[-1])


def best(values):
    return min(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", choices=("big", "small"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--big-mib", type=int, default=512)
    parser.add_argument("--small-count", type=int, default=10000)
    args = parser.parse_args()

    wintemp = temp_dir()
    earlier = set(os.listdir(wintemp))
    work = tempfile.mkdtemp(prefix="quorv-bench-", dir=os.path.dirname(wintemp))
    try:
        home_bin = os.path.join(work, "jre", "bin")
        os.makedirs(home_bin)
        shutil.copy(os.path.join(harness.FIXTURES, "sleeper.exe"), os.path.join(home_bin, "java.exe"))
        marker = os.path.join(work, "marker")

        tiny = os.path.join(work, "tiny.exe")
        write_launcher(tiny, ["t.bin"], [b"t"], work)
        has_search = time_worker(tiny, marker, wintemp, "search") is not None
        if not has_search:
            print("(the worker runs no JVM search yet: the big file is timed to the log line "
                  "\"extracting files done\", the small files to the worker's end, clean-up included)")
        bases = {}
        workloads = []
        if args.only in (None, "big"):
            size = args.big_mib << 20
            data = os.urandom(size)
            workloads.append(("one file of %d MiB" % args.big_mib, ["big.bin"], [data]))
        if args.only in (None, "small"):
            names, contents = [], []
            for i in range(args.small_count):
                names.append("f%05d.bin" % i)
                contents.append(os.urandom(512 + (i * 7919) % 7680))  # 512 B to 8 KiB
            workloads.append(("%d small files" % args.small_count, names, contents))

        for label, names, contents in workloads:
            total = sum(len(c) for c in contents)
            exe = os.path.join(work, "bench.exe")
            write_launcher(exe, names, contents, work)
            source = os.path.join(work, "plain")
            os.makedirs(source)
            for name, data in zip(names, contents):
                with open(os.path.join(source, name), "wb") as f:
                    f.write(data)
            del contents

            until = "search" if has_search else ("log" if len(names) == 1 else "end")
            if until not in bases:
                bases[until] = best([time_worker(tiny, marker, wintemp, until) for _ in range(args.runs)])
                print("worker start to %s, one 1-byte file: %.3f s" % (until, bases[until]))
            extract = best([time_worker(exe, marker, wintemp, until) - bases[until]
                            for _ in range(args.runs)])
            copies, wine_copies = [], []
            target = os.path.join(wintemp, "quorv-bench-copy")
            for _ in range(args.runs):
                if len(names) == 1:
                    copies.append(time_command(["cp", os.path.join(source, names[0]), target]))
                    os.remove(target)
                else:
                    copies.append(time_command(["cp", "-r", source, target]))
                    shutil.rmtree(target)
                wine_copies.append(wine_copy(source, target))
                shutil.rmtree(target)
            mib = total / float(1 << 20)
            print("%s (%.1f MiB):" % (label, mib))
            print("  extraction             %8.3f s (%7.1f MiB/s)" % (extract, mib / extract))
            for name, seconds in (("plain copy, host cp", best(copies)),
                                  ("plain copy, CopyFileA", best(wine_copies))):
                print("  %-22s %8.3f s (%7.1f MiB/s)  ratio %.2f" % (name, seconds, mib / seconds,
                                                                    seconds / extract))
            shutil.rmtree(source)
            os.remove(exe)
    finally:
        shutil.rmtree(work, True)
        # Each worker leaves the temporary file behind its temporary directory.
        for name in set(os.listdir(wintemp)) - earlier:
            if name.startswith("qrv"):
                path = os.path.join(wintemp, name)
                shutil.rmtree(path, True) if os.path.isdir(path) else os.remove(path)


if __name__ == "__main__":
    main()
