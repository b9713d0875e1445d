package com.quorv.runtime;

import java.io.File;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.channels.Channels;
import java.nio.channels.FileChannel;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.BasicFileAttributes;

/**
 * A log file that is cut by size: before a line that would take the file past the size limit,
 * the file becomes {@code NAME.1}, the older ones move up by one ({@code NAME.1} to
 * {@code NAME.2} ...), the one past {@code keep} is deleted, and a new file begins.
 *
 * <p>Cuts fall only between lines, so a line is never split across two files, and every byte
 * is written exactly once: a file holds at most {@code limit} bytes unless one line alone is
 * longer. All writes go straight to the file (the caller buffers a line and hands it over in
 * one write), under this object's lock, so lines from several threads stay whole.
 *
 * <p>When a cut fails (on Windows, another program may hold the file open), the file goes on
 * growing with a note line in it, and the next cut is tried after another {@code limit} bytes.
 * Once {@link #stopCutting} has been called (by the shutdown hook), no cut begins any more, so
 * the end of the JVM never falls between the renames of a cut.
 *
 * <p>The service may run as LocalSystem, and the log directory may be one where others can create
 * entries. A link planted there in place of the log or of an old file must not turn our writes,
 * renames or deletes into ones elsewhere, so every file is opened with {@link AppendingFile}, and a
 * cut first checks each name it touches the same way: a link there makes the cut fail like any
 * other failed cut, without following or replacing it.
 */
final class RotatingFile extends OutputStream {

    /** The system property with the size limit: bytes, or a number with B, KB, MB or GB. */
    static final String SIZE_PROPERTY = "quorv.logSize";
    /** The system property with the number of old files to keep. */
    static final String KEEP_PROPERTY = "quorv.logKeep";
    static final int DEFAULT_KEEP = 10;
    static final int MAX_KEEP = 1000;

    /** Whether this is Windows, where names are compared without regard to case. */
    private static final boolean WINDOWS = File.separatorChar == '\\';
    /** The Win32 attribute of reparse points: symbolic links, junctions, mount points and others. */
    private static final int FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

    private final File file;
    private final Path path;
    private final long limit;
    private final int keep;
    private AppendingFile out;
    private long size;
    /** Bytes of the current file that do not count towards the limit (after a failed cut). */
    private long uncounted;
    private boolean atLineStart = true;
    private boolean cutting = true;

    private RotatingFile(File file, long limit, int keep) throws IOException {
        this.file = file;
        this.path = file.getAbsoluteFile().toPath();
        this.limit = limit;
        this.keep = keep;
        reopen();
    }

    /** Opens {@code file} for appending, with cuts at {@code limit} bytes and {@code keep} old files. */
    static RotatingFile open(File file, long limit, int keep) throws IOException {
        if (limit < 1 || keep < 1 || keep > MAX_KEEP) {
            throw new IllegalArgumentException("limit " + limit + ", keep " + keep);
        }
        return new RotatingFile(file, limit, keep);
    }

    /**
     * Reads a size as the packer writes it: decimal digits, alone or followed by B, KB, MB or GB
     * (1, 1024, 1024^2 and 1024^3 bytes), without blanks, such as "52428800" or "50MB".
     *
     * @return the size in bytes, or -1 when the text is no size or the size is 0
     */
    static long parseSize(String text) {
        if (text == null) {
            return -1;
        }
        int digits = 0;
        while (digits < text.length() && text.charAt(digits) >= '0' && text.charAt(digits) <= '9') {
            digits++;
        }
        String unitText = text.substring(digits);
        String[] units = {"", "B", "KB", "MB", "GB"};
        long[] factors = {1, 1, 1L << 10, 1L << 20, 1L << 30};
        long factor = 0;
        for (int i = 0; i < units.length; i++) {
            if (unitText.equals(units[i])) {
                factor = factors[i];
            }
        }
        if (digits == 0 || factor == 0) {
            return -1;
        }
        // Checked before each step, so that neither value * 10 + digit nor value * factor can wrap
        // around: a wrapped count would pass for a small size.
        long most = Long.MAX_VALUE / factor;
        long value = 0;
        for (int i = 0; i < digits; i++) {
            int digit = text.charAt(i) - '0';
            if (value > (most - digit) / 10) {
                return -1;
            }
            value = value * 10 + digit;
        }
        return value == 0 ? -1 : value * factor;
    }

    /** Reads the number of old files: 1 to {@link #MAX_KEEP}; -1 when the text is none of them. */
    static int parseKeep(String text) {
        if (text == null) {
            return -1;
        }
        String digits = text;
        if (digits.isEmpty() || digits.length() > 4) {
            return -1;
        }
        int value = 0;
        for (int i = 0; i < digits.length(); i++) {
            char c = digits.charAt(i);
            if (c < '0' || c > '9') {
                return -1;
            }
            value = value * 10 + (c - '0');
        }
        return value >= 1 && value <= MAX_KEEP ? value : -1;
    }

    @Override
    public void write(int b) throws IOException {
        write(new byte[] {(byte) b}, 0, 1);
    }

    @Override
    public synchronized void write(byte[] b, int off, int len) throws IOException {
        if (off < 0 || len < 0 || len > b.length - off) {
            throw new IndexOutOfBoundsException();
        }
        if (out == null) {
            reopen();
        }
        int end = off + len;
        int runStart = off;          // bytes from here on are not written yet
        long runSize = size;         // the file's size once they are
        boolean lineStart = atLineStart;
        int i = off;
        while (i < end) {
            int stop = i;
            while (stop < end && b[stop] != '\n') {
                stop++;
            }
            if (stop < end) {
                stop++;              // the line feed belongs to its line
            }
            int n = stop - i;
            if (lineStart && cutting && runSize > uncounted && runSize - uncounted + n > limit) {
                writeThrough(b, runStart, i - runStart);
                cut();
                runStart = i;
                runSize = size;
            }
            runSize += n;
            lineStart = b[stop - 1] == '\n';
            i = stop;
        }
        writeThrough(b, runStart, end - runStart);
    }

    @Override
    public synchronized void flush() throws IOException {
        // Every write goes straight to the file.
    }

    @Override
    public synchronized void close() throws IOException {
        if (out != null) {
            out.close();
            out = null;
        }
    }

    /** Lets no further cut begin; waits for one in progress. The file stays open for writing. */
    synchronized void stopCutting() {
        cutting = false;
    }

    private void writeThrough(byte[] b, int off, int len) throws IOException {
        if (len == 0) {
            return;
        }
        out.write(b, off, len);
        size += len;
        atLineStart = b[off + len - 1] == '\n';
    }

    private void reopen() throws IOException {
        out = AppendingFile.open(file);
        size = out.size();
        uncounted = 0;
        atLineStart = true;
    }

    /** Moves the files up by one and begins a new one; on failure, goes on with the same file. */
    private void cut() throws IOException {
        IOException failure = null;
        try {
            // Every name is checked while the file is still open, so that a refused cut goes on
            // with the open file. Files.move does not follow a link at the source, but it would
            // replace one at the target: only checked names are moved.
            checkDirectory(path.getParent());
            checkPlainFile(path);
            boolean[] present = new boolean[keep + 1];
            for (int i = 1; i <= keep; i++) {
                present[i] = plainFileOrNothing(numbered(i));
            }
            // On Windows a file that is open cannot be renamed.
            out.close();
            out = null;
            for (int i = keep - 1; i >= 1; i--) {
                if (present[i]) {
                    Files.move(numbered(i), numbered(i + 1), StandardCopyOption.REPLACE_EXISTING);
                }
            }
            Files.move(path, numbered(1), StandardCopyOption.REPLACE_EXISTING);
        } catch (IOException e) {
            failure = e;
        } catch (RuntimeException e) {
            failure = new IOException(e);
        }
        if (out == null) {
            reopen();
        }
        if (failure != null) {
            byte[] note = ("quorv: cannot rotate the log file " + file + " (" + failure + "); it goes on growing"
                    + System.lineSeparator()).getBytes(Charset.defaultCharset());
            writeThrough(note, 0, note.length);
            uncounted = size;
        }
    }

    private Path numbered(int n) {
        return path.resolveSibling(path.getFileName() + "." + n);
    }

    /**
     * Refuses a directory that is reached through a link (a symbolic link, a junction or another
     * reparse point) anywhere on its path: its real path must be the path as written.
     */
    static void checkDirectory(Path directory) throws IOException {
        // Both forms are the file system's own names (long names for 8.3 short ones, the stored
        // case on Windows); they differ only where a link was followed.
        String written = directory.toRealPath(LinkOption.NOFOLLOW_LINKS).toString();
        String real = directory.toRealPath().toString();
        if (WINDOWS ? !real.equalsIgnoreCase(written) : !real.equals(written)) {
            throw new IOException("the directory " + written + " is reached through a link (to " + real + ")");
        }
    }

    /** Refuses anything at {@code file} but a plain file with a single name. */
    static void checkPlainFile(Path file) throws IOException {
        checkPlainFile(file, Files.readAttributes(file, BasicFileAttributes.class, LinkOption.NOFOLLOW_LINKS));
    }

    /** Checks what is at {@code file} as {@link #checkPlainFile(Path)}; false when nothing is there. */
    private static boolean plainFileOrNothing(Path file) throws IOException {
        BasicFileAttributes attributes;
        try {
            attributes = Files.readAttributes(file, BasicFileAttributes.class, LinkOption.NOFOLLOW_LINKS);
        } catch (NoSuchFileException e) {
            return false;
        }
        checkPlainFile(file, attributes);
        return true;
    }

    private static void checkPlainFile(Path file, BasicFileAttributes attributes) throws IOException {
        // Java shows a junction or another reparse point on Windows as "other" (a junction as a
        // directory too).
        if (attributes.isSymbolicLink() || WINDOWS && attributes.isOther() || isReparsePoint(file)) {
            throw new IOException(file + " is a link, not a plain file");
        }
        if (!attributes.isRegularFile()) {
            throw new IOException(file + " is not a plain file");
        }
        // A second name would let whoever made it point our writes at a file of their choosing.
        int links = linkCount(file);
        if (links > 1) {
            throw new IOException(file + " has " + links + " links");
        }
    }

    private static boolean isReparsePoint(Path file) throws IOException {
        if (!WINDOWS) {
            return false;
        }
        try {
            Object attributes = Files.getAttribute(file, "dos:attributes", LinkOption.NOFOLLOW_LINKS);
            return attributes instanceof Integer && ((Integer) attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        } catch (UnsupportedOperationException | IllegalArgumentException e) {
            return false;   // not reported here: isRegularFile above has to do
        }
    }

    /** The number of names of {@code file}, or 1 where the platform does not report it (Windows). */
    private static int linkCount(Path file) throws IOException {
        try {
            Object count = Files.getAttribute(file, "unix:nlink", LinkOption.NOFOLLOW_LINKS);
            return count instanceof Integer ? (Integer) count : 1;
        } catch (UnsupportedOperationException | IllegalArgumentException e) {
            return 1;
        }
    }

    /**
     * A log file opened for appending without following a link at its name, and checked after the
     * open (see {@link RotatingFile#checkPlainFile(Path)}); its directory is checked before.
     *
     * <p>A file channel is closed for every thread when a thread whose interrupt flag is set uses
     * it, and an application that logs "interrupted" after restoring the flag is common. So the
     * flag is cleared for the time of each write and set again after it; and if an interrupt that
     * arrives during a write closes the channel anyway, the next write opens the file again, with
     * the same checks.
     */
    static final class AppendingFile extends OutputStream {
        private final Path path;
        private FileChannel channel;
        private OutputStream stream;

        private AppendingFile(Path path) {
            this.path = path;
        }

        static AppendingFile open(File file) throws IOException {
            AppendingFile opened = new AppendingFile(file.getAbsoluteFile().toPath());
            opened.openChannel();
            return opened;
        }

        /** The size of the open file. */
        synchronized long size() throws IOException {
            return channel.size();
        }

        @Override
        public void write(int b) throws IOException {
            write(new byte[] {(byte) b}, 0, 1);
        }

        @Override
        public synchronized void write(byte[] b, int off, int len) throws IOException {
            if (channel == null) {
                throw new IOException(path + " is closed");
            }
            if (!channel.isOpen()) {
                openChannel();
            }
            boolean interrupted = Thread.interrupted();
            try {
                stream.write(b, off, len);
            } finally {
                if (interrupted) {
                    Thread.currentThread().interrupt();
                }
            }
        }

        @Override
        public synchronized void close() throws IOException {
            if (channel != null) {
                channel.close();
                channel = null;
                stream = null;
            }
        }

        private void openChannel() throws IOException {
            checkDirectory(path.getParent());
            // Checked before the open too, for a plain reason rather than the platform's error
            // about a link that it was told not to follow.
            plainFileOrNothing(path);
            FileChannel opened = FileChannel.open(path, StandardOpenOption.CREATE, StandardOpenOption.WRITE,
                    StandardOpenOption.APPEND, LinkOption.NOFOLLOW_LINKS);
            try {
                // The name may have been swapped between the check and the open.
                checkPlainFile(path);
            } catch (IOException | RuntimeException e) {
                opened.close();
                throw e;
            }
            channel = opened;
            stream = Channels.newOutputStream(opened);
        }
    }
}
