package com.quorv.runtime;

import java.io.BufferedOutputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.util.ArrayList;
import java.util.List;

/**
 * Points {@code System.err} and {@code System.out} at the error-log and output-log files.
 *
 * <p>Each file is opened for appending; missing parent directories are created. When both names
 * denote the same file, both streams share one {@link PrintStream}, so that their lines never
 * interleave inside a line. The streams flush at every line end (and a shutdown hook flushes what
 * is left), so a line whose {@code println} has returned is in the file even if the JVM ends
 * right after it, and a line is handed to the file in one write.
 *
 * <p>An empty name leaves the stream as it is. A name that begins with "$" is a variable reference
 * that did not expand; it and a file that cannot be opened leave the stream as it is too, and a
 * note about it goes to the other stream, after that one has been redirected.
 */
final class OutputRedirect {

    private static final int BUFFER_SIZE = 8192;

    private OutputRedirect() {
    }

    /**
     * Redirects the two standard streams.
     *
     * @param errorLog the error-log file name, or ""
     * @param outputLog the output-log file name, or ""
     */
    static void apply(String errorLog, String outputLog) {
        List<String> errNotes = new ArrayList<String>();   // notes for System.err
        List<String> outNotes = new ArrayList<String>();   // notes for System.out

        File errFile = usableFile(errorLog, "error log", "standard error", outNotes);
        File outFile = usableFile(outputLog, "output log", "standard output", errNotes);

        PrintStream err = errFile == null ? null : open(errFile, "error log", "standard error", outNotes);
        PrintStream out;
        if (outFile != null && err != null && sameFile(errFile, outFile)) {
            out = err;
        } else {
            out = outFile == null ? null : open(outFile, "output log", "standard output", errNotes);
        }

        final List<PrintStream> opened = new ArrayList<PrintStream>();
        if (err != null) {
            System.setErr(err);
            opened.add(err);
        }
        if (out != null) {
            System.setOut(out);
            opened.add(out);
        }
        if (!opened.isEmpty()) {
            Runtime.getRuntime().addShutdownHook(new Thread("quorv-flush") {
                @Override
                public void run() {
                    for (PrintStream stream : opened) {
                        stream.flush();
                    }
                }
            });
        }
        for (String note : errNotes) {
            System.err.println(note);
        }
        for (String note : outNotes) {
            System.out.println(note);
        }
    }

    /** The file to open for {@code name}, or null (with a note when the name is unusable). */
    private static File usableFile(String name, String what, String stream, List<String> notes) {
        if (name == null || name.isEmpty()) {
            return null;
        }
        if (name.startsWith("$")) {
            notes.add("quorv: the " + what + " name \"" + name + "\" holds a variable that is not set; "
                    + stream + " is not redirected");
            return null;
        }
        return new File(name).getAbsoluteFile();
    }

    private static PrintStream open(File file, String what, String stream, List<String> notes) {
        try {
            File parent = file.getParentFile();
            if (parent != null && !parent.isDirectory() && !parent.mkdirs() && !parent.isDirectory()) {
                throw new IOException("cannot create the directory " + parent);
            }
            FileOutputStream sink = new FileOutputStream(file, true);
            return new PrintStream(new BufferedOutputStream(sink, BUFFER_SIZE), true);
        } catch (IOException | SecurityException e) {
            notes.add("quorv: cannot open the " + what + " " + file + " (" + e + "); "
                    + stream + " is not redirected");
            return null;
        }
    }

    private static boolean sameFile(File a, File b) {
        try {
            return a.getCanonicalFile().equals(b.getCanonicalFile());
        } catch (IOException e) {
            return a.equals(b);
        }
    }
}
