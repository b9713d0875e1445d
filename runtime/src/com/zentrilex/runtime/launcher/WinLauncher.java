package com.zentrilex.runtime.launcher;

/**
 * The Java entry class of the installer flavour of the launcher. It takes the same parameters and
 * behaves exactly like {@link com.quorv.runtime.WinLauncher}; applications use
 * {@link com.quorv.runtime.Service} in both flavours.
 */
public final class WinLauncher {

    private WinLauncher() {
    }

    /**
     * Starts the application; see {@link com.quorv.runtime.WinLauncher#main}.
     *
     * @param args the launcher's parameters followed by the application's arguments
     * @throws Exception what loading or running the application's {@code main} threw
     */
    public static void main(String[] args) throws Exception {
        com.quorv.runtime.WinLauncher.main(args);
    }
}
