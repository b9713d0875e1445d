"""The Java entry classes on this machine's JVM, called as the launcher's worker calls them:
java -cp quorv-runtime.jar:testapp.jar ENTRY TYPE MAINCLASS ERRLOG OUTLOG FLAG ARGS..."""
import os
import signal

import support
from support import APP, ENTRIES, QUORV_ENTRY, STOP_LINE, ZENTRILEX_ENTRY


def tree(directory):
    """Every entry below directory, with the text of each file."""
    entries = {}
    for parent, dirs, files in os.walk(directory):
        for name in dirs:
            entries[os.path.relpath(os.path.join(parent, name), directory)] = None
        for name in files:
            entries[os.path.relpath(os.path.join(parent, name), directory)] = \
                support.read_text(os.path.join(parent, name))
    return entries


class ArgumentsTest(support.TempDirTestCase):
    def test_application_gets_its_arguments_in_order(self):
        args = ["svc", "arg1", "arg 2", "", "ärger", "日本語", "-Dsun.x=1", "a\"b", "$NOT_SET"]
        for entry in ENTRIES:
            with self.subTest(entry=entry):
                report = self.path(entry + ".args")
                process = support.start(support.entry_command(
                    entry=entry, mode="args", app_args=args, props={"testapp.report": report}))
                code, out, err = process.finish()
                self.assertEqual(code, 0, err)
                with open(report, encoding="utf-8") as f:
                    lines = f.read().split("\n")
                self.assertEqual(int(lines[0]), len(args))
                got = [bytes.fromhex(line).decode("utf-8") for line in lines[1:1 + len(args)]]
                self.assertEqual(got, args)

    def test_no_application_arguments(self):
        report = self.path("args")
        process = support.start(support.entry_command(
            mode="args", app_args=(), props={"testapp.report": report}))
        code, _, err = process.finish()
        self.assertEqual(code, 0, err)
        with open(report, encoding="utf-8") as f:
            self.assertEqual(f.read(), "0\n")

    def test_class_that_is_not_public_runs_like_with_java(self):
        process = support.start(support.entry_command(main="testapp.Hidden", app_args=("svc", "x")))
        code, out, err = process.finish()
        self.assertEqual(code, 0, err)
        self.assertIn("hidden main ran with 2 arguments", out)


class RedirectTest(support.TempDirTestCase):
    def run_args_app(self, err_log, out_log):
        process = support.start(support.entry_command(
            mode="args", err=err_log, out=out_log, props={"testapp.report": self.path("report")}))
        code, out, err = process.finish()
        self.assertEqual(code, 0, err)
        return out, err

    def test_output_goes_to_the_files_in_new_directories(self):
        err_log = self.path("logs", "deep", "err.log")
        out_log = self.path("other", "out.log")
        out, err = self.run_args_app(err_log, out_log)
        self.assertEqual(support.read_text(err_log), "err: args reported\n")
        self.assertEqual(support.read_text(out_log), "out: args reported\n")
        self.assertEqual((out, err), ("", ""))

    def test_files_are_appended_to(self):
        err_log, out_log = self.path("err.log"), self.path("out.log")
        for name in (err_log, out_log):
            with open(name, "w") as f:
                f.write("earlier\n")
        self.run_args_app(err_log, out_log)
        self.run_args_app(err_log, out_log)
        self.assertEqual(support.read_text(err_log), "earlier\n" + "err: args reported\n" * 2)
        self.assertEqual(support.read_text(out_log), "earlier\n" + "out: args reported\n" * 2)

    def test_empty_names_keep_the_streams(self):
        out, err = self.run_args_app("", "")
        self.assertEqual(out, "out: args reported\n")
        self.assertEqual(err, "err: args reported\n")

    def test_unexpanded_variable_keeps_the_stream_and_notes_it_on_the_other(self):
        cases = [
            # (error log, output log, stream that stays, file that gets the note)
            ("$ERRLOG", "out.log", "err", "out.log"),
            ("err.log", "${OUTLOG}", "out", "err.log"),
        ]
        for err_name, out_name, kept, noted in cases:
            with self.subTest(err=err_name, out=out_name):
                sub = self.path(kept)
                os.makedirs(sub)
                full = lambda name: name if name.startswith("$") else os.path.join(sub, name)
                out, err = self.run_args_app(full(err_name), full(out_name))
                kept_text = err if kept == "err" else out
                self.assertEqual(kept_text, "%s: args reported\n" % kept)
                note = support.read_text(os.path.join(sub, noted))
                self.assertIn(err_name if kept == "err" else out_name, note)
                self.assertIn("not redirected", note)
                self.assertEqual(os.listdir(sub), [noted])

    def test_both_unexpanded_leaves_both_streams(self):
        out, err = self.run_args_app("$E", "$O")
        self.assertIn("out: args reported", out)
        self.assertIn("err: args reported", err)
        self.assertIn('"$E"', out)   # each note on the other stream
        self.assertIn('"$O"', err)

    def test_file_that_cannot_be_opened_keeps_the_stream(self):
        blocker = self.path("file")
        with open(blocker, "w") as f:
            f.write("x")
        out_log = self.path("out.log")
        out, err = self.run_args_app(os.path.join(blocker, "err.log"), out_log)
        self.assertEqual(err, "err: args reported\n")
        text = support.read_text(out_log)
        self.assertIn("out: args reported", text)
        self.assertIn("cannot open the error log", text)

    def test_log_file_reached_through_a_link_is_refused(self):
        # Someone who can create entries where the logs go must not be able to turn the service's
        # writes into writes elsewhere: the stream stays as it is, the note on the other stream
        # says why, and nothing outside changes.
        cases = [
            # (what takes the log's place, the stream whose log it is, words of the reason)
            ("symbolic link to a file", "err", "is a link, not a plain file"),
            ("symbolic link to a file", "out", "is a link, not a plain file"),
            ("symbolic link to a missing file", "err", "is a link, not a plain file"),
            ("second hard link", "err", "has 2 links"),
            ("symbolic link as the directory", "err", "is reached through a link"),
            # The missing directory would be created through the link.
            ("symbolic link above a missing directory", "err", "is reached through a link"),
        ]
        for number, (planted, stream, reason) in enumerate(cases):
            with self.subTest(planted=planted, stream=stream):
                case = self.path("case%d" % number)
                outside = os.path.join(case, "outside")
                logs = os.path.join(case, "logs")
                os.makedirs(outside)
                victim = os.path.join(outside, "victim")
                if planted != "symbolic link to a missing file":
                    with open(victim, "w") as f:
                        f.write("precious\n")
                planted_log = os.path.join(logs, stream + ".log")
                if planted == "symbolic link as the directory":
                    os.symlink(outside, logs)
                elif planted == "symbolic link above a missing directory":
                    os.symlink(outside, logs)
                    planted_log = os.path.join(logs, "new", stream + ".log")
                else:
                    os.makedirs(logs)
                    (os.link if planted == "second hard link" else os.symlink)(victim, planted_log)
                before = tree(outside)
                other_log = os.path.join(case, "other.log")
                if stream == "err":
                    out, err = self.run_args_app(planted_log, other_log)
                else:
                    out, err = self.run_args_app(other_log, planted_log)
                self.assertEqual(err if stream == "err" else out, "%s: args reported\n" % stream)
                note = support.read_text(other_log)
                self.assertIn("cannot open the %s log" % ("error" if stream == "err" else "output"), note)
                self.assertIn(reason, note)
                self.assertEqual(tree(outside), before)

    def test_interrupted_thread_does_not_close_the_log(self):
        # The log files are channels, and a channel is closed for good when an interrupted thread
        # uses it; applications commonly log after restoring the interrupt flag.
        source = self.path("src", "Interrupted.java")
        os.makedirs(os.path.dirname(source))
        with open(source, "w") as f:
            f.write("""public class Interrupted {
    public static void main(String[] args) {
        Thread.currentThread().interrupt();
        System.out.println("out: while interrupted");
        System.err.println("err: while interrupted");
        boolean failed = System.out.checkError() || System.err.checkError();
        System.out.println("out: failed " + failed + ", still interrupted " + Thread.interrupted());
        System.err.println("err: after");
    }
}
""")
        classes = self.path("classes")
        code, _, err = support.run([support.tool("javac"), "-d", classes, source], timeout=60)
        self.assertEqual(code, 0, err)
        for rotation in ({}, {"quorv.logSize": "1MB"}):
            with self.subTest(rotation=rotation):
                out_log = self.path("out%d.log" % len(rotation))
                err_log = self.path("err%d.log" % len(rotation))
                process = support.start(support.entry_command(main="Interrupted", err=err_log, out=out_log,
                                                              app_jar=classes, props=rotation))
                code, _, err = process.finish()
                self.assertEqual(code, 0, err)
                self.assertEqual(support.read_text(out_log),
                                 "out: while interrupted\nout: failed false, still interrupted true\n")
                self.assertEqual(support.read_text(err_log), "err: while interrupted\nerr: after\n")

    def test_one_file_for_both_streams_keeps_lines_whole(self):
        log = self.path("both.log")
        process = support.start(support.entry_command(mode="mixed", err=log, out=self.path(".", "both.log")))
        code, _, err = process.finish()
        self.assertEqual(code, 0, err)
        lines = support.read_text(log).split("\n")
        self.assertEqual(lines[-1], "")
        counts = {"out": 0, "err": 0}
        for line in lines[:-1]:
            name, rest = line.split(" line ", 1)
            number, digits, end = rest.split(" ")
            self.assertEqual((digits, end), ("0123456789012345678901234567890123456789", "end"), line)
            counts[name] += 1
            self.assertEqual(int(number), counts[name])
        self.assertEqual(counts, {"out": 2000, "err": 2000})


class StopTest(support.TempDirTestCase):
    def start_server(self, entry, mode="server"):
        self.runs = getattr(self, "runs", 0) + 1
        out_log = self.path("%d.out.log" % self.runs)
        err_log = self.path("%d.err.log" % self.runs)
        process = support.start(support.entry_command(entry=entry, mode=mode, err=err_log, out=out_log))
        support.wait_for_line(out_log, "started", process)
        return process, out_log, err_log

    def test_stop_line_and_end_of_input_end_the_application_through_its_shutdown_hook(self):
        ways = {
            "stop line, input kept open": lambda p: p.send(STOP_LINE),
            "stop line, then end of input": lambda p: p.send(STOP_LINE, close=True),
            "stop line with carriage return": lambda p: p.send(b"0\r\n"),
            "other lines, then the stop line": lambda p: p.send(b"1\n00\n 0\nstop\n0"
                                                                      + b"x" * 100 + b"\n0\n"),
            "end of input alone": lambda p: p.close_input(),
        }
        for entry in ENTRIES:
            for way, stop in ways.items():
                with self.subTest(entry=entry, way=way):
                    process, out_log, err_log = self.start_server(entry)
                    stop(process)
                    code, _, err = process.finish()
                    self.assertEqual(code, 0, err)
                    self.assertEqual(support.read_text(out_log), "started\nstopped\n")

    def test_stop_handler_runs_instead_of_exit(self):
        for entry in ENTRIES:
            for close in (False, True):
                with self.subTest(entry=entry, end_of_input=close):
                    process, out_log, _ = self.start_server(entry, mode="handler")
                    process.send(STOP_LINE, close=close)
                    code, _, err = process.finish()
                    # The application ended itself with status 3 after the handler had returned.
                    self.assertEqual(code, 3, err)
                    self.assertEqual(support.read_text(out_log).splitlines(),
                                     ["started", "handler ran", "worker continues", "worker done", "hook ran"])

    def test_failing_stop_handler_ends_the_jvm(self):
        process, out_log, err_log = self.start_server(QUORV_ENTRY, mode="handler-throws")
        process.send(STOP_LINE)
        code, _, _ = process.finish()
        self.assertEqual(code, 1)
        self.assertEqual(support.read_text(out_log), "started\nstopped\n")
        self.assertIn("the handler failed", support.read_text(err_log))

    def test_unreadable_standard_input_is_not_a_stop(self):
        out_log, err_log = self.path("out.log"), self.path("err.log")
        with open(self.path("write-only"), "wb") as write_only:
            process = support.start(support.entry_command(mode="server", out=out_log, err=err_log),
                                    stdin=write_only)
        support.wait_for(lambda: "standard input cannot be read" in support.read_text(err_log),
                         "the note on the unreadable input", process)
        self.assertTrue(process.running())
        process.process.send_signal(signal.SIGTERM)
        code, _, _ = process.finish()
        self.assertEqual(code, 128 + signal.SIGTERM)
        self.assertEqual(support.read_text(out_log), "started\nstopped\n")

    def test_standard_input_is_left_alone_outside_the_service(self):
        out_log = self.path("out.log")
        process = support.start(support.entry_command(mode="stdin", out=out_log, service=False))
        process.send(STOP_LINE, close=True)
        code, _, err = process.finish()
        self.assertEqual(code, 5, err)
        self.assertEqual(support.read_text(out_log), "read 2 bytes: 0\\n\n")

    def test_records_are_whole_and_complete_after_each_stop(self):
        for cycle in range(20):
            with self.subTest(cycle=cycle):
                entry = ENTRIES[cycle % 2]
                support.stop_cycle(self.path("records%d.log" % cycle), by_eof=cycle % 4 >= 2, entry=entry)


class FailureTest(support.TempDirTestCase):
    def test_failures_escape_main_with_a_clear_message(self):
        cases = [
            # (main class, mode, text in the error log)
            ("a.b.Missing", None, "a.b.Missing"),
            ("testapp.NoMain", None, "has no method public static void main(String[])"),
            ("", None, "no main class is configured"),
            (APP, "throw", "boom from the application"),
        ]
        for entry in ENTRIES:
            for main, mode, text in cases:
                with self.subTest(entry=entry, main=main, mode=mode):
                    err_log = self.path("%s.%s.%s.log" % (entry, main, mode))
                    process = support.start(support.entry_command(entry=entry, main=main, mode=mode, err=err_log))
                    code, _, _ = process.finish()
                    self.assertEqual(code, 1)
                    self.assertIn(text, support.read_text(err_log))

    def test_too_few_parameters(self):
        command = support.entry_command()
        process = support.start(command[:command.index(QUORV_ENTRY) + 3])
        code, _, err = process.finish()
        self.assertEqual(code, 1)
        self.assertIn("needs at least 5 parameters, got 2", err)


class FirstRunTest(support.TempDirTestCase):
    def call_first_run(self, class_path_extra):
        class_path = os.pathsep.join([support.jar("quorv-runtime.jar"), support.jar("testapp.jar")]
                                     + class_path_extra)
        process = support.start([support.tool("java"), "-cp", class_path, "testapp.CallFirstRun"])
        return process.finish()

    def test_first_run_removes_the_marker_and_lets_the_launch_go_on(self):
        runtime_dir = self.path("install dir", ".zentrilex")
        os.makedirs(runtime_dir)
        marker = os.path.join(runtime_dir, "firstrun")
        with open(marker, "w"):
            pass
        code, out, err = self.call_first_run([os.path.join(runtime_dir, "zlxruntime.jar")])
        self.assertEqual((code, out), (0, "firstRun=true\n"), err)
        self.assertFalse(os.path.exists(marker))
        # Again without a marker, and without the installer archive on the class path.
        for extra in ([os.path.join(runtime_dir, "zlxruntime.jar")], []):
            code, out, err = self.call_first_run(extra)
            self.assertEqual((code, out, err), (0, "firstRun=true\n", ""))


if __name__ == "__main__":
    support.main()
