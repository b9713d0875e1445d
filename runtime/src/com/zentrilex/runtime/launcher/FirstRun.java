package com.zentrilex.runtime.launcher;

import java.io.File;

/**
 * The first-run hook of the installer flavour.
 *
 * <p>The launcher calls {@link #firstRun()} before the entry class, and only while the marker file
 * {@code .zentrilex\firstrun} exists in the application's installation directory (an installer
 * leaves it there). The hook removes the marker, so that later launches skip it, and lets the
 * launch go on.
 *
 * <p>The installation directory is not handed to the JVM as such; the hook finds it through the
 * class path, which for this flavour always holds the entry
 * {@code <installation directory>\.zentrilex\zlxruntime.jar} (whether or not that file exists).
 */
public final class FirstRun {

    private static final String RUNTIME_DIRECTORY = ".zentrilex";
    private static final String RUNTIME_ARCHIVE = "zlxruntime.jar";
    private static final String MARKER = "firstrun";

    private FirstRun() {
    }

    /**
     * Removes the first-run marker.
     *
     * @return always true: the launch goes on. A marker that cannot be removed is reported on
     *     {@code System.err}; the hook then runs again at the next launch.
     */
    public static boolean firstRun() {
        File marker = markerFile(System.getProperty("java.class.path", ""));
        if (marker != null && marker.exists() && !marker.delete()) {
            System.err.println("quorv: cannot remove the first-run marker " + marker);
        }
        return true;
    }

    /** The marker beside the installer runtime archive named in {@code classPath}, or null. */
    static File markerFile(String classPath) {
        for (String entry : classPath.split(File.pathSeparator)) {
            File archive = new File(entry);
            File directory = archive.getParentFile();
            if (archive.getName().equalsIgnoreCase(RUNTIME_ARCHIVE) && directory != null
                    && directory.getName().equalsIgnoreCase(RUNTIME_DIRECTORY)) {
                return new File(directory, MARKER);
            }
        }
        return null;
    }
}
