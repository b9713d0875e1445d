package com.quorv.runtime;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;

/**
 * The Java entry class that the quorv launcher's worker process calls after it has created the
 * JVM.
 *
 * <p>{@link #main} gets, in this order:
 * <ol start="0">
 * <li>the type flag, "true" or "false" (true for the windowed launcher kind; not used here);</li>
 * <li>the application's main class, a dotted class name;</li>
 * <li>the error-log file, or "" to keep standard error as it is;</li>
 * <li>the output-log file, or "" to keep standard output as it is;</li>
 * <li>a flag, "true" or "false" (reserved; not used here);</li>
 * <li>and from here on the application's own arguments: the first launch argument (in the
 * service worker the service name), the configured arguments, the further launch arguments.</li>
 * </ol>
 *
 * <p>It then
 * <ol>
 * <li>redirects {@code System.err} and {@code System.out} to the log files (see
 * {@link OutputRedirect}),</li>
 * <li>loads the application's main class through the context class loader and finds its
 * {@code public static void main(String[])},</li>
 * <li>when the system property {@code quorv.isService} is "true" (the worker always sets it),
 * starts the daemon thread that waits for the stop line on standard input (see
 * {@link Service}),</li>
 * <li>calls the application's {@code main} with the parameters from index 5 on and returns when
 * it returns. The worker then waits in {@code DestroyJavaVM} until the application's non-daemon
 * threads have ended.</li>
 * </ol>
 *
 * <p>A missing main class or {@code main} method, or an exception thrown by the application's
 * {@code main}, leaves this method with that exception (after a one-line note on
 * {@code System.err} for the first two), which ends the worker with exit code 1.
 */
public final class WinLauncher {

    /** Number of parameters in front of the application's arguments. */
    static final int LEADING_PARAMETERS = 5;

    private WinLauncher() {
    }

    /**
     * Starts the application as described for this class.
     *
     * @param args the launcher's parameters followed by the application's arguments
     * @throws Exception what loading or running the application's {@code main} threw
     */
    public static void main(String[] args) throws Exception {
        if (args == null || args.length < LEADING_PARAMETERS) {
            int count = args == null ? 0 : args.length;
            String text = "quorv: the entry class needs at least " + LEADING_PARAMETERS
                    + " parameters, got " + count;
            System.err.println(text);
            throw new IllegalArgumentException(text);
        }
        OutputRedirect.apply(args[2], args[3]);

        Method main = findMain(args[1]);
        if (Service.isService()) {
            StopWatcher.start(System.in);
        }
        String[] appArgs = Arrays.copyOfRange(args, LEADING_PARAMETERS, args.length);
        try {
            main.invoke(null, (Object) appArgs);
        } catch (InvocationTargetException e) {
            throw rethrowable(e.getCause());
        }
    }

    /** Loads {@code className} and returns its {@code public static void main(String[])}. */
    static Method findMain(String className) throws ClassNotFoundException, NoSuchMethodException {
        if (className == null || className.isEmpty()) {
            String text = "quorv: no main class is configured for the application";
            System.err.println(text);
            throw new ClassNotFoundException(text);
        }
        ClassLoader loader = Thread.currentThread().getContextClassLoader();
        if (loader == null) {
            loader = ClassLoader.getSystemClassLoader();
        }
        Class<?> appClass;
        try {
            appClass = Class.forName(className, false, loader);
        } catch (ClassNotFoundException | LinkageError e) {
            System.err.println("quorv: cannot load the application's main class " + className
                    + " from the class path (" + e + ")");
            throw e;
        }
        Method main;
        try {
            main = appClass.getMethod("main", String[].class);
        } catch (NoSuchMethodException e) {
            main = null;
        }
        if (main == null || !Modifier.isStatic(main.getModifiers()) || main.getReturnType() != void.class) {
            String text = "quorv: the application's main class " + className
                    + " has no method public static void main(String[])";
            System.err.println(text);
            throw new NoSuchMethodException(text);
        }
        // The class itself need not be public, as with the java command.
        try {
            main.setAccessible(true);
        } catch (RuntimeException e) {
            // A public class needs no more; anything else fails with a clear exception at the call.
        }
        return main;
    }

    /** The application's exception as something {@code main} may throw. */
    private static Exception rethrowable(Throwable cause) {
        if (cause instanceof Error) {
            throw (Error) cause;
        }
        if (cause instanceof Exception) {
            return (Exception) cause;
        }
        return new Exception(cause);
    }
}
