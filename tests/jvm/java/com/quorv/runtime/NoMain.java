package com.quorv.runtime;

/** A class without a main method, for the missing-method path. */
public class NoMain {
    public static void main(String first, String second) {
    }
}
