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
            default:
                report("unknown mode " + mode);
        }
    }

    static synchronized void report(String line) {
        System.out.println(line);
        System.out.flush();
    }
}
