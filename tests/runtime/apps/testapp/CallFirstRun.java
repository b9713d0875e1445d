package testapp;

import com.zentrilex.runtime.launcher.FirstRun;

/** Calls the installer flavour's first-run hook as the launcher does and prints its result. */
public final class CallFirstRun {
    private CallFirstRun() {
    }

    public static void main(String[] args) {
        System.out.println("firstRun=" + FirstRun.firstRun());
    }
}
