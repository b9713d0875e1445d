package com.quorv.runtime;

/**
 * Stand-in for the launcher's entry class in the JNI driver tests. The system property
 * quorv.test.mode chooses what main does; everything it reports goes to standard output.
 */
public class WinLauncher {
    public static void main(String[] args) throws Exception {
        String mode = System.getProperty("quorv.test.mode", "echo");
        switch (mode) {
            case "echo":
                report("param count " + args.length);
                for (int i = 0; i < args.length; i++) {
                    StringBuilder units = new StringBuilder();
                    for (int j = 0; j < args[i].length(); j++) {
                        units.append(' ').append(Integer.toHexString(args[i].charAt(j)));
                    }
                    report("param " + i + ":" + units);
                }
                break;
            case "throw":
                throw new IllegalStateException("thrown by the test entry class");
            case "thread":
                Thread worker = new Thread(() -> {
                    try {
                        Thread.sleep(500);
                    } catch (InterruptedException e) {
                        Thread.currentThread().interrupt();
                    }
                    report("thread done");
                });
                worker.setDaemon(false);
                worker.start();
                report("main done");
                break;
            case "deadlock":
                deadlock();
                break;
            case "ready":
                // Once from main, once from each of two threads of the application's.
                Service.ready();
                Thread[] others = {new Thread(Service::ready), new Thread(Service::ready)};
                for (Thread t : others) {
                    t.start();
                }
                for (Thread t : others) {
                    t.join();
                }
                report("ready calls done");
                break;
            default:
                report("unknown mode " + mode);
        }
    }

    /**
     * Two application threads, "quorv-test-a" and "quorv-test-b", that lock two monitors in
     * opposite orders and so wait for each other for ever; main returns once the JVM sees them
     * deadlocked.
     */
    static void deadlock() throws InterruptedException {
        final Object first = new Object();
        final Object second = new Object();
        final java.util.concurrent.CountDownLatch holding = new java.util.concurrent.CountDownLatch(2);
        startLocking("quorv-test-a", first, second, holding);
        startLocking("quorv-test-b", second, first, holding);
        java.lang.management.ThreadMXBean threads = java.lang.management.ManagementFactory.getThreadMXBean();
        while (threads.findDeadlockedThreads() == null) {
            Thread.sleep(10);
        }
        report("deadlocked");
    }

    private static void startLocking(String name, Object outer, Object inner,
            java.util.concurrent.CountDownLatch holding) {
        Thread thread = new Thread(() -> {
            synchronized (outer) {
                holding.countDown();
                try {
                    holding.await();
                } catch (InterruptedException e) {
                    return;
                }
                synchronized (inner) {
                    report("never");
                }
            }
        }, name);
        thread.start();
    }

    static synchronized void report(String line) {
        System.out.println(line);
        System.out.flush();
    }
}
