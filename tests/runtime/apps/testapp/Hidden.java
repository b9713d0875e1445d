package testapp;

/** A class that is not public, with a public main: the java command runs it, so must the entry class. */
final class Hidden {
    private Hidden() {
    }

    public static void main(String[] args) {
        System.out.println("hidden main ran with " + args.length + " arguments");
    }
}
