package com.quorv.runtime;

import java.io.BufferedOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.nio.file.Files;
import java.nio.file.InvalidPathException;
import java.nio.file.LinkOption;
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
 * <p>When the system property "quorv.logSize" is set, each file is rotated by size (see
 * {@link RotatingFile}), keeping "quorv.logKeep" old files (default 10). A value that is not
 * a size or a count leaves the files unrotated, with a note on the error stream.
 *
 * <p>An empty name leaves the stream as it is. A name that begins with "$" is a variable reference
 * that did not expand; it and a file that cannot be opened leave the stream as it is too, and a
 * note about it goes to the other stream, after that one has been redirected.
 *
 * <p>A log file that is a link or has more than one name, or whose directory is reached through a
 * link, counts as a file that cannot be opened (see {@link RotatingFile.AppendingFile}): the
 * service may write with more rights than whoever can create entries in the log directory.
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
        Rotation rotation = errFile == null && outFile == null ? null : rotation(errNotes);
        final List<RotatingFile> rotating = new ArrayList<RotatingFile>();

        PrintStream err = errFile == null ? null
                : open(errFile, rotation, rotating, "error log", "standard error", outNotes);
        PrintStream out;
        if (outFile != null && err != null && sameFile(errFile, outFile)) {
            out = err;
        } else {
            out = outFile == null ? null
                    : open(outFile, rotation, rotating, "output log", "standard output", errNotes);
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
                    // No rotation may be under way when the JVM halts; lines keep going to the files.
                    for (RotatingFile file : rotating) {
                        file.stopCutting();
                    }
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

    /** The size limit and number of old files. */
    private static final class Rotation {
        final long limit;
        final int keep;

        Rotation(long limit, int keep) {
            this.limit = limit;
            this.keep = keep;
        }
    }

    /** The rotation asked for by the system properties, or null (with a note when a value is bad). */
    private static Rotation rotation(List<String> notes) {
        String sizeText = System.getProperty(RotatingFile.SIZE_PROPERTY);
        if (sizeText == null) {
            return null;
        }
        String keepText = System.getProperty(RotatingFile.KEEP_PROPERTY);
        long limit = RotatingFile.parseSize(sizeText);
        int keep = keepText == null ? RotatingFile.DEFAULT_KEEP : RotatingFile.parseKeep(keepText);
        if (limit < 0) {
            notes.add("quorv: " + RotatingFile.SIZE_PROPERTY + "=\"" + sizeText + "\" is not a size such as"
                    + " 1048576 or 50MB; the log files are not rotated");
            return null;
        }
        if (keep < 0) {
            notes.add("quorv: " + RotatingFile.KEEP_PROPERTY + "=\"" + keepText + "\" is not a number from 1 to "
                    + RotatingFile.MAX_KEEP + "; the log files are not rotated");
            return null;
        }
        return new Rotation(limit, keep);
    }

    private static PrintStream open(File file, Rotation rotation, List<RotatingFile> rotating, String what,
            String stream, List<String> notes) {
        try {
            File parent = file.getParentFile();
            if (parent != null && !parent.isDirectory()) {
                // mkdirs follows links, so the part that is there already is checked first.
                File existing = parent;
                while (existing != null && !Files.exists(existing.toPath(), LinkOption.NOFOLLOW_LINKS)) {
                    existing = existing.getParentFile();
                }
                if (existing != null) {
                    RotatingFile.checkDirectory(existing.toPath());
                }
                if (!parent.mkdirs() && !parent.isDirectory()) {
                    throw new IOException("cannot create the directory " + parent);
                }
            }
            OutputStream sink;
            if (rotation == null) {
                sink = RotatingFile.AppendingFile.open(file);
            } else {
                RotatingFile rotatingFile = RotatingFile.open(file, rotation.limit, rotation.keep);
                rotating.add(rotatingFile);
                sink = rotatingFile;
            }
            // A line is handed to the file in one write: the stream flushes at every line end.
            return new PrintStream(new BufferedOutputStream(sink, BUFFER_SIZE), true);
        } catch (IOException | SecurityException | InvalidPathException e) {
            // InvalidPathException: a name that Windows does not allow, such as one with "?" in it.
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
