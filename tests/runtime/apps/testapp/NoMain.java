package testapp;

/** A class without a main method. */
public final class NoMain {
    private NoMain() {
    }

    public static void start(String[] args) {
    }
}
