package com.zentrilex.runtime.launcher;

/** The installer flavour's first-run hook, answering as the quorv.test.firstRun property says. */
public class FirstRun {
    public static boolean firstRun() {
        String answer = System.getProperty("quorv.test.firstRun", "true");
        System.out.println("firstRun asked");
        System.out.flush();
        if (answer.equals("throw")) {
            throw new IllegalStateException("thrown by firstRun");
        }
        return Boolean.parseBoolean(answer);
    }
}
