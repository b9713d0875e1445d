package com.quorv.runtime;

import java.io.IOException;
import java.io.InputStream;

/**
 * Reads the worker's standard input on a daemon thread and ends the application on the stop line
 * ("0" and a line feed) or at the end of input.
 *
 * <p>The service process writes exactly one stop line and closes the pipe, so either event means
 * "stop". Any other line is ignored; a carriage return before the line feed is allowed, so that
 * "0" and Enter typed into a console stops a worker started by hand. A standard input that cannot
 * be read at all (a process started without one) is not a stop: the application keeps running and
 * a note goes to standard error.
 */
final class StopWatcher implements Runnable {

    /** Longest line that is still compared with the stop line; longer lines are skipped. */
    private static final int MAX_LINE = 64;

    private final InputStream in;

    private StopWatcher(InputStream in) {
        this.in = in;
    }

    /** Starts the daemon thread "quorv-stop" that watches {@code in}. */
    static void start(InputStream in) {
        Thread thread = new Thread(new StopWatcher(in), "quorv-stop");
        thread.setDaemon(true);
        thread.start();
    }

    @Override
    public void run() {
        try {
            if (!waitForStop()) {
                System.err.println("quorv: standard input ended without the stop line;"
                        + " stopping the application");
            }
        } catch (IOException e) {
            System.err.println("quorv: standard input cannot be read (" + e
                    + "); the application will not see a service stop");
            return;
        }
        stopApplication();
    }

    /**
     * Reads lines until the stop line or the end of input.
     *
     * @return true for the stop line, false for the end of input
     */
    private boolean waitForStop() throws IOException {
        StringBuilder line = new StringBuilder();
        boolean overlong = false;
        int c;
        while ((c = in.read()) != -1) {
            if (c == '\n') {
                if (!overlong && isStopLine(line)) {
                    return true;
                }
                line.setLength(0);
                overlong = false;
            } else if (line.length() < MAX_LINE) {
                line.append((char) c);
            } else {
                overlong = true;
            }
        }
        return false;
    }

    static boolean isStopLine(CharSequence line) {
        int end = line.length();
        if (end > 0 && line.charAt(end - 1) == '\r') {
            end--;
        }
        return end == 1 && line.charAt(0) == '0';
    }

    /** Runs the application's stop handler, or ends the JVM so that its shutdown hooks run. */
    static void stopApplication() {
        Runnable handler = Service.stopHandler();
        if (handler == null) {
            System.exit(0);
            return;
        }
        try {
            handler.run();
        } catch (Throwable t) {
            System.err.println("quorv: the application's stop handler failed; ending the JVM");
            t.printStackTrace();
            System.exit(1);
        }
    }
}
