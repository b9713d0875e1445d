package com.quorv.runtime;

/**
 * What a Java application run as a Windows service by the quorv launcher may ask of its launcher.
 *
 * <p>When the service is asked to stop (or the machine shuts down), the launcher's worker process
 * receives the stop line on its standard input. By default the runtime then calls
 * {@code System.exit(0)}, so that the application's shutdown hooks run and the process ends.
 *
 * <p>An application that prefers to end on its own registers a stop handler:
 *
 * <pre>{@code
 * Service.setStopHandler(new Runnable() {
 *     public void run() {
 *         server.stop();          // let every non-daemon thread come to an end
 *     }
 * });
 * }</pre>
 *
 * <p>The handler then runs instead of {@code System.exit}: once, on the runtime's stop thread (a
 * daemon thread named {@code quorv-stop}). The process ends when the JVM ends, that is when the
 * application's last non-daemon thread has ended (or when the application calls
 * {@code System.exit} itself), so the handler must make sure that this happens; the service waits
 * for it without a time limit. If the handler throws, the runtime prints the exception to
 * {@code System.err} and calls {@code System.exit(1)}.
 *
 * <p>This class is only a registry of the handler: it has no effect when the application does
 * not run under the launcher's entry class.
 */
public final class Service {

    private static volatile Runnable stopHandler;

    private Service() {
    }

    /**
     * Registers the action that ends the application when the service is stopped, replacing
     * the one registered before. {@code null} removes the handler, so that a stop calls
     * {@code System.exit(0)} again.
     *
     * @param handler the stop action, or {@code null}
     */
    public static void setStopHandler(Runnable handler) {
        stopHandler = handler;
    }

    /**
     * Tells whether the JVM was started by the quorv launcher's service worker (the system
     * property {@code quorv.isService} is {@code "true"}).
     *
     * @return true inside the service worker
     */
    public static boolean isService() {
        return "true".equals(System.getProperty("quorv.isService"));
    }

    static Runnable stopHandler() {
        return stopHandler;
    }
}
