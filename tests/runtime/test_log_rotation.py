"""Log files rotated by size, on this machine's JVM.

The "threads" application writes numbered records of varying length from several threads at once
(four to standard output, one to standard error) until the stop line arrives in the middle of
its writing; its shutdown hook then names each thread's last written record. With
quorv.logSize and quorv.logKeep set, the runtime rotates both log files. Afterwards, read oldest
first (NAME.keep ... NAME.1, NAME), the files must hold every line whole, each thread's records
once each and in order without a gap up to at least the last one the hook named, and the hook's
lines; no old file may exceed the size unless it holds a single line, and exactly `keep` old files
must exist when more cuts happened than that.
"""
import os
import random
import re
import time

import support

RECORD = re.compile(r"(out\d+|err0) (\d{10}) [a-z]* end")
STOPPED = re.compile(r"stopped((?: (?:out\d+|err0)=\d+)+)")
KiB = 1024
MiB = 1024 * 1024


def log_files(path):
    """The files of one log, oldest first, and the numbers of the old ones."""
    directory, name = os.path.split(path)
    numbers = sorted(int(entry[len(name) + 1:]) for entry in os.listdir(directory)
                     if re.fullmatch(re.escape(name) + r"\.\d+", entry))
    return [path + ".%d" % n for n in reversed(numbers)] + [path], numbers


def last_record_number(path):
    """The number of the last whole record at the end of the current file (0 when there is none)."""
    try:
        with open(path, "rb") as f:
            f.seek(max(0, os.path.getsize(path) - 4 * KiB))
            tail = f.read().decode("ascii", "replace")
    except OSError:
        return 0
    numbers = [int(m.group(2)) for m in RECORD.finditer(tail)]
    return max(numbers) if numbers else 0


class LogRotationTest(support.TempDirTestCase):

    def run_and_stop(self, out, err, size, keep, records_per_thread, extra_props=None):
        props = {"quorv.logSize": size, "quorv.logKeep": keep}
        props.update(extra_props or {})
        process = support.start(support.entry_command(out=out, err=err, mode="threads", props=props))
        support.wait_for(lambda: last_record_number(out) >= records_per_thread,
                         "record %d in %s" % (records_per_thread, out), process, timeout=120)
        time.sleep(random.uniform(0.0, 0.2))
        process.send(support.STOP_LINE)
        code, stdout, stderr = process.finish(timeout=30)
        self.assertEqual(code, 0, "stderr %r" % stderr[-500:])

    def check_log(self, path, limit, keep, expect_full_window, earlier=b""):
        """Checks one log; returns {thread: (first, last)}, the hook's numbers found in it and the
        number of old files. `earlier`: a previous run's text, which must open the oldest file."""
        files, numbers = log_files(path)
        context = "%s (old files %s)" % (path, numbers)
        self.assertEqual(numbers, list(range(1, len(numbers) + 1)), "gap in the numbering: " + context)
        self.assertLessEqual(len(numbers), keep, context)
        if expect_full_window:
            self.assertEqual(len(numbers), keep, "not exactly keep old files: " + context)
        seen, hook = {}, {}
        for name in files:
            with open(name, "rb") as f:
                data = f.read()
            if name != path:
                lines_in_file = data.count(b"\n")
                self.assertTrue(len(data) <= limit or lines_in_file == 1,
                                "%s holds %d bytes in %d lines, limit %d" % (name, len(data), lines_in_file, limit))
            if name == files[0] and earlier:
                self.assertTrue(data.startswith(earlier), "%s does not begin with the previous run's lines" % name)
                data = data[len(earlier):]
            text = data.decode("ascii")
            self.assertTrue(text.endswith("\n"), "%s does not end with a whole line: %r" % (name, text[-200:]))
            for line in text[:-1].split("\n"):
                record = RECORD.fullmatch(line)
                stopped = STOPPED.fullmatch(line)
                if record:
                    thread, n = record.group(1), int(record.group(2))
                    first, last = seen.get(thread, (n, n - 1))
                    if n != last + 1:
                        self.fail("%s: %s record %d follows %d (%s)" % (name, thread, n, last, context))
                    seen[thread] = (first, n)
                elif stopped:
                    for item in stopped.group(1).split():
                        thread, n = item.split("=")
                        self.assertNotIn(thread, hook, "the hook's line twice in " + context)
                        hook[thread] = int(n)
                else:
                    self.fail("%s: broken line %r" % (name, line[:200]))
        return seen, hook, len(numbers)

    def check_against_hook(self, seen, hook, from_start):
        self.assertTrue(hook, "the shutdown hook's lines are missing")
        for thread, last_written in hook.items():
            self.assertIn(thread, seen)
            first, last = seen[thread]
            self.assertGreaterEqual(last, last_written, "%s: records %d to %d are missing"
                                    % (thread, last + 1, last_written))
            if from_start:
                self.assertEqual(first, 1, "%s: the records before %d are missing" % (thread, first))

    def test_rotated_logs_hold_every_record_once(self):
        # size, keep, records per output thread before the stop, out and err in one file,
        # whether every record stays (keep large enough; a previous run's lines open the log)
        cases = [
            ("128KB", 100, 6000, False, True),
            ("256KB", 3, 10000, False, False),
            ("200000", 4, 6000, True, False),
        ]
        for size, keep, records, one_file, keeps_all in cases:
            with self.subTest(size=size, keep=keep, one_file=one_file):
                limit = {"KB": KiB, "MB": MiB}.get(size[-2:], 1) * int(size.rstrip("KMB"))
                directory = self.path("logs-%s-%d" % (size, keep))
                out = os.path.join(directory, "out.log")
                err = out if one_file else os.path.join(directory, "err.log")
                earlier = b""
                if keeps_all:
                    os.makedirs(directory)
                    earlier = b"".join(b"earlier run line %d\n" % i for i in range(3000))
                    with open(out, "wb") as f:
                        f.write(earlier)
                self.run_and_stop(out, err, size, keep, records)
                seen, hook, old_files = self.check_log(out, limit, keep, not keeps_all, earlier)
                if keeps_all:
                    self.assertGreaterEqual(old_files, 10, "too few cuts to show rotation")
                if not one_file:
                    seen_err, hook_err, _ = self.check_log(err, limit, keep, False)
                    seen.update(seen_err)
                    hook.update(hook_err)
                self.assertEqual(sorted(hook), ["err0", "out0", "out1", "out2", "out3"])
                self.check_against_hook(seen, hook, keeps_all)

    def test_a_bad_setting_leaves_the_logs_unrotated_with_a_note(self):
        for props, note in [
            ({"quorv.logSize": "50 parsecs"}, 'quorv.logSize="50 parsecs" is not a size'),
            ({"quorv.logSize": "0"}, 'quorv.logSize="0" is not a size'),
            # Byte counts past 2^63 - 1 must not wrap around into small sizes.
            ({"quorv.logSize": "18446744073709551620"}, 'quorv.logSize="18446744073709551620" is not a size'),
            ({"quorv.logSize": "9223372036854775808"}, 'quorv.logSize="9223372036854775808" is not a size'),
            ({"quorv.logSize": "18446744073709551616KB"}, 'quorv.logSize="18446744073709551616KB" is not a size'),
            ({"quorv.logSize": "8589934592GB"}, 'quorv.logSize="8589934592GB" is not a size'),
            ({"quorv.logSize": "1KB", "quorv.logKeep": "0"}, 'quorv.logKeep="0" is not a number from 1 to 1000'),
        ]:
            with self.subTest(props=props):
                out = self.path("bad%d" % len(os.listdir(self.dir)), "out.log")
                err = os.path.join(os.path.dirname(out), "err.log")
                process = support.start(support.entry_command(out=out, err=err, mode="server", props=props))
                support.wait_for_line(out, "started", process)
                process.send(support.STOP_LINE)
                code, stdout, stderr = process.finish()
                self.assertEqual(code, 0, stderr)
                self.assertIn(note, support.read_text(err))
                self.assertEqual(log_files(out)[1], [])

    def test_largest_sizes_are_accepted(self):
        for size in ("9223372036854775807", "8589934591GB"):
            with self.subTest(size=size):
                out = self.path(size, "out.log")
                err = os.path.join(os.path.dirname(out), "err.log")
                process = support.start(support.entry_command(out=out, err=err, mode="server",
                                                              props={"quorv.logSize": size}))
                support.wait_for_line(out, "started", process)
                process.send(support.STOP_LINE)
                code, stdout, stderr = process.finish()
                self.assertEqual(code, 0, stderr)
                self.assertEqual(support.read_text(err), "err: started\n")

    def test_link_planted_among_the_old_files_is_neither_written_through_nor_renamed_over(self):
        # A cut that would move a link fails like any other failed cut: the note goes into the
        # file, the file goes on growing, and the link and the file it points to stay as they were.
        # With keep 1, NAME.1 is only the target of a move; with keep 3 it is a source too.
        for keep in ("1", "3"):
            with self.subTest(keep=keep):
                directory = self.path("planted-%s" % keep)
                os.makedirs(directory)
                outside = directory + ".outside"
                with open(outside, "w") as f:
                    f.write("precious\n")
                out = os.path.join(directory, "out.log")
                link = out + ".1"
                os.symlink(outside, link)
                self.run_and_stop(out, os.path.join(directory, "err.log"), "4KB", keep, 200)
                self.assertEqual(support.read_text(outside), "precious\n")
                self.assertTrue(os.path.islink(link), "the planted link was renamed over")
                self.assertEqual(os.readlink(link), outside)
                self.assertEqual(log_files(out)[1], [1])
                self.assertIn("quorv: cannot rotate the log file " + out, support.read_text(out))

if __name__ == "__main__":
    support.main()
