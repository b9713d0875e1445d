package com.example.greeter;

import org.apache.commons.lang3.StringUtils;

/** Writes a greeting to its output log every second until the service stops. */
public final class Greeter {

    private Greeter() {
    }

    public static void main(String[] args) throws InterruptedException {
        String name = args.length > 0 ? args[0] : "world";
        for (long n = 1; ; n++) {
            System.out.println(n + " " + StringUtils.capitalize("hello, " + name));
            Thread.sleep(1000);
        }
    }
}
