package com.quorv.runtime;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.StandardCopyOption;

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
 */
final class RotatingFile extends OutputStream {

    /** The system property with the size limit: bytes, or a number with B, KB, MB or GB. */
    static final String SIZE_PROPERTY = "quorv.logSize";
    /** The system property with the number of old files to keep. */
    static final String KEEP_PROPERTY = "quorv.logKeep";
    static final int DEFAULT_KEEP = 10;
    static final int MAX_KEEP = 1000;

    private final File file;
    private final long limit;
    private final int keep;
    private FileOutputStream out;
    private long size;
    /** Bytes of the current file that do not count towards the limit (after a failed cut). */
    private long uncounted;
    private boolean atLineStart = true;
    private boolean cutting = true;

    private RotatingFile(File file, long limit, int keep) throws IOException {
        this.file = file;
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
        long value = 0;
        for (int i = 0; i < digits; i++) {
            value = value * 10 + (text.charAt(i) - '0');
            if (value > Long.MAX_VALUE / factor) {
                return -1;
            }
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
        out = new FileOutputStream(file, true);
        size = file.length();
        uncounted = 0;
        atLineStart = true;
    }

    /** Moves the files up by one and begins a new one; on failure, goes on with the same file. */
    private void cut() throws IOException {
        out.close();
        out = null;
        IOException failure = null;
        try {
            for (int i = keep - 1; i >= 1; i--) {
                File older = numbered(i);
                if (older.exists()) {
                    Files.move(older.toPath(), numbered(i + 1).toPath(), StandardCopyOption.REPLACE_EXISTING);
                }
            }
            Files.move(file.toPath(), numbered(1).toPath(), StandardCopyOption.REPLACE_EXISTING);
        } catch (IOException e) {
            failure = e;
        } catch (RuntimeException e) {
            failure = new IOException(e);
        }
        reopen();
        if (failure != null) {
            byte[] note = ("quorv: cannot rotate the log file " + file + " (" + failure + "); it goes on growing"
                    + System.lineSeparator()).getBytes(Charset.defaultCharset());
            writeThrough(note, 0, note.length);
            uncounted = size;
        }
    }

    private File numbered(int n) {
        return new File(file.getPath() + "." + n);
    }
}
