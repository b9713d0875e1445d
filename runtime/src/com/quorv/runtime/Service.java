package com.quorv.runtime;

import java.lang.management.ManagementFactory;

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

    /**
     * Tells the service that the application is ready. With {@code service.ready = "notify"} the
     * service reports itself as started (running) only once this has been called; until then it is
     * start-pending, so that services that depend on it, deployment scripts and monitoring wait
     * for the application, not just for its process. After a restart the service stays running,
     * and {@code app.exe /query} shows {@code "ready": false} until the new worker calls this again.
     *
     * <p>Safe to call more than once (each call is passed on; the service takes the first), from
     * any thread, and harmless outside a service: without the launcher's worker, or with another
     * setting of {@code service.ready}, nothing happens.
     */
    public static void ready() {
        try {
            notifyReady();
        } catch (UnsatisfiedLinkError notInAWorker) {
            // No launcher registered the native method: not a service with this gate.
        }
    }

    /** Registered by the launcher's worker (RegisterNatives); tells the service process. */
    private static native void notifyReady();

    /**
     * Answers the service's heartbeat. With {@code service.heartbeat} set, the launcher's worker
     * calls this method at every interval from a thread of its own, attached to the JVM as a
     * daemon; an answer of {@code true} tells the service that the JVM is alive. When no answer
     * comes within the heartbeat timeout (the JVM does not run Java code any more: a garbage
     * collection that never ends, a JVM that stopped answering), the service ends the worker as
     * hung and applies its restart policy.
     *
     * <p>With {@code service.deadlock-check = true} (the system property
     * {@code quorv.deadlockCheck} is {@code "true"}) the answer is {@code false} while threads
     * of the application are deadlocked ({@code ThreadMXBean.findDeadlockedThreads}), so that a
     * deadlocked application counts as hung too.
     *
     * <p>An application that ships its own copy of this class (with {@code runtime.include =
     * false}) keeps this method as it is.
     *
     * @return true when the application is alive
     */
    public static boolean heartbeat() {
        if (!Boolean.getBoolean("quorv.deadlockCheck")) {
            return true;
        }
        try {
            return ManagementFactory.getThreadMXBean().findDeadlockedThreads() == null;
        } catch (LinkageError | SecurityException | UnsupportedOperationException e) {
            // A runtime without java.management cannot look: a heartbeat still means alive.
            return true;
        }
    }
}
