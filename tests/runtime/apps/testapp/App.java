package testapp;

import com.quorv.runtime.Service;

import java.io.ByteArrayOutputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.Charset;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.atomic.AtomicLong;

/**
 * Application started by the runtime tests through the entry class. What it does is chosen by the
 * system property testapp.mode, so that its arguments stay exactly what the test passed.
 */
public final class App {

    private static final Charset UTF8 = Charset.forName("UTF-8");

    private App() {
    }

    public static void main(String[] args) throws Exception {
        String mode = System.getProperty("testapp.mode", "args");
        if (mode.equals("args")) {
            reportArgs(args);
        } else if (mode.equals("server")) {
            server();
        } else if (mode.equals("handler")) {
            handler();
        } else if (mode.equals("handler-throws")) {
            handlerThrows();
        } else if (mode.equals("throw")) {
            throw new IllegalStateException("boom from the application");
        } else if (mode.equals("records")) {
            records();
        } else if (mode.equals("stdin")) {
            stdin();
        } else if (mode.equals("mixed")) {
            mixed();
        } else if (mode.equals("threads")) {
            threads();
        } else {
            throw new IllegalArgumentException("unknown mode " + mode);
        }
    }

    /** Writes every argument as the hexadecimal digits of its UTF-8 bytes, one per line. */
    private static void reportArgs(String[] args) throws IOException {
        StringBuilder text = new StringBuilder();
        text.append(args.length).append('\n');
        for (String arg : args) {
            for (byte b : arg.getBytes(UTF8)) {
                text.append(String.format("%02x", b & 0xff));
            }
            text.append('\n');
        }
        OutputStream report = new FileOutputStream(System.getProperty("testapp.report"));
        try {
            report.write(text.toString().getBytes(UTF8));
        } finally {
            report.close();
        }
        System.out.println("out: args reported");
        System.err.println("err: args reported");
    }

    /** Runs until the JVM ends; the shutdown hook logs "stopped". */
    private static void server() {
        Runtime.getRuntime().addShutdownHook(new Thread() {
            @Override
            public void run() {
                System.out.println("stopped");
            }
        });
        startForever();
        System.out.println("started");
        System.err.println("err: started");
    }

    /** Registers a stop handler; the application then goes on working and ends with status 3. */
    private static void handler() {
        final CountDownLatch stop = new CountDownLatch(1);
        Service.setStopHandler(new Runnable() {
            @Override
            public void run() {
                System.out.println("handler ran");
                stop.countDown();
            }
        });
        Runtime.getRuntime().addShutdownHook(new Thread() {
            @Override
            public void run() {
                System.out.println("hook ran");
            }
        });
        Thread work = new Thread(new Runnable() {
            @Override
            public void run() {
                try {
                    stop.await();
                    System.out.println("worker continues");
                    Thread.sleep(500);
                    System.out.println("worker done");
                } catch (InterruptedException e) {
                    System.out.println("interrupted");
                }
                System.exit(3);
            }
        }, "work");
        work.start();
        System.out.println("started");
    }

    private static void handlerThrows() {
        Service.setStopHandler(new Runnable() {
            @Override
            public void run() {
                throw new IllegalStateException("the handler failed");
            }
        });
        server();
    }

    /**
     * Writes numbered records to standard output without end. A record counts as written once its
     * println has returned; the shutdown hook names the last such record.
     */
    private static void records() {
        final AtomicLong written = new AtomicLong();
        final StringBuilder padding = new StringBuilder();
        for (int i = 0; i < 200; i++) {
            padding.append((char) ('a' + i % 26));
        }
        Runtime.getRuntime().addShutdownHook(new Thread() {
            @Override
            public void run() {
                System.out.println("stopped last=" + written.get());
            }
        });
        Thread writer = new Thread(new Runnable() {
            @Override
            public void run() {
                for (long n = 1; ; n++) {
                    System.out.println(String.format("record %08d %s end", n, padding));
                    written.set(n);
                }
            }
        }, "writer");
        writer.start();
    }

    /**
     * Several threads write numbered records of varying length without end: "out0" ... to
     * standard output, "err0" to standard error. A record counts as written once its println has
     * returned; the shutdown hook names each thread's last such record, on both streams. Once the
     * hook has run, each thread writes at most 100 more records and then waits for the end.
     */
    private static void threads() {
        int outThreads = Integer.getInteger("testapp.threads", 4);
        final String[] names = new String[outThreads + 1];
        final AtomicLong[] written = new AtomicLong[names.length];
        for (int i = 0; i < names.length; i++) {
            names[i] = i < outThreads ? "out" + i : "err0";
            written[i] = new AtomicLong();
        }
        final StringBuilder letters = new StringBuilder();
        for (int i = 0; i < 150; i++) {
            letters.append((char) ('a' + i % 26));
        }
        final CountDownLatch stopping = new CountDownLatch(1);
        Runtime.getRuntime().addShutdownHook(new Thread() {
            @Override
            public void run() {
                StringBuilder out = new StringBuilder("stopped");
                StringBuilder err = new StringBuilder("stopped");
                for (int i = 0; i < names.length; i++) {
                    (names[i].startsWith("err") ? err : out).append(' ').append(names[i]).append('=')
                            .append(written[i].get());
                }
                stopping.countDown();
                System.out.println(out);
                System.err.println(err);
            }
        });
        for (int i = 0; i < names.length; i++) {
            final String name = names[i];
            final AtomicLong count = written[i];
            final java.io.PrintStream stream = name.startsWith("err") ? System.err : System.out;
            Thread thread = new Thread(new Runnable() {
                @Override
                public void run() {
                    long after = 0;
                    for (long n = 1; after <= 100; n++) {
                        stream.println(String.format("%s %010d %s end", name, n,
                                letters.substring(0, (int) (n * 7 % letters.length()))));
                        count.set(n);
                        if (stopping.getCount() == 0) {
                            after++;
                        }
                    }
                    try {
                        new CountDownLatch(1).await();
                    } catch (InterruptedException e) {
                        return;
                    }
                }
            }, name);
            thread.start();
        }
    }

    /** Reads standard input to its end itself, reports it and ends with status 5. */
    private static void stdin() throws IOException {
        InputStream in = System.in;
        ByteArrayOutputStream data = new ByteArrayOutputStream();
        byte[] buffer = new byte[256];
        int n;
        while ((n = in.read(buffer)) != -1) {
            data.write(buffer, 0, n);
        }
        System.out.println("read " + data.size() + " bytes: "
                + new String(data.toByteArray(), UTF8).replace("\n", "\\n"));
        System.exit(5);
    }

    /** Two threads write whole lines to standard output and standard error at the same time. */
    private static void mixed() throws InterruptedException {
        Thread out = lines(System.out, "out");
        Thread err = lines(System.err, "err");
        out.join();
        err.join();
    }

    private static Thread lines(final java.io.PrintStream stream, final String name) {
        Thread thread = new Thread(new Runnable() {
            @Override
            public void run() {
                for (int i = 1; i <= 2000; i++) {
                    stream.println(name + " line " + i + " 0123456789012345678901234567890123456789 end");
                }
            }
        }, name);
        thread.start();
        return thread;
    }

    private static void startForever() {
        Thread forever = new Thread(new Runnable() {
            @Override
            public void run() {
                Object lock = new Object();
                synchronized (lock) {
                    while (true) {
                        try {
                            lock.wait();
                        } catch (InterruptedException e) {
                            return;
                        }
                    }
                }
            }
        }, "forever");
        forever.start();
    }
}
