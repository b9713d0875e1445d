package com.example.echo;

import com.sun.net.httpserver.HttpExchange;
import com.sun.net.httpserver.HttpHandler;
import com.quorv.runtime.Service;
import com.sun.net.httpserver.HttpServer;

import java.io.IOException;
import java.io.OutputStream;
import java.net.InetSocketAddress;
import java.nio.charset.Charset;
import java.text.SimpleDateFormat;
import java.util.Date;

/**
 * A small HTTP service to run under the quorv launcher: it answers every request with "hello",
 * logs each request to standard output (which the launcher sends to the output log) and, when the
 * service is stopped, closes the server in a shutdown hook and logs "stopped".
 *
 * <p>Arguments: {@code --port N} or {@code --port=N} (default 8080), {@code --bind ADDRESS}
 * (default 127.0.0.1); anything else, such as the service name that the launcher's worker passes
 * first, is ignored.
 */
public final class EchoService {

    private static final int DEFAULT_PORT = 8080;
    private static final String DEFAULT_ADDRESS = "127.0.0.1";

    private EchoService() {
    }

    public static void main(String[] args) throws IOException {
        int port = DEFAULT_PORT;
        String address = DEFAULT_ADDRESS;
        for (int i = 0; i < args.length; i++) {
            String arg = args[i];
            if (arg.equals("--port") && i + 1 < args.length) {
                port = Integer.parseInt(args[++i]);
            } else if (arg.startsWith("--port=")) {
                port = Integer.parseInt(arg.substring("--port=".length()));
            } else if (arg.equals("--bind") && i + 1 < args.length) {
                address = args[++i];
            } else if (arg.startsWith("--bind=")) {
                address = arg.substring("--bind=".length());
            }
        }

        final HttpServer server = HttpServer.create(new InetSocketAddress(address, port), 0);
        server.createContext("/", new HttpHandler() {
            @Override
            public void handle(HttpExchange exchange) throws IOException {
                log(exchange.getRequestMethod() + " " + exchange.getRequestURI() + " from "
                        + exchange.getRemoteAddress().getAddress().getHostAddress());
                byte[] body = "hello\n".getBytes(Charset.forName("US-ASCII"));
                exchange.getResponseHeaders().set("Content-Type", "text/plain; charset=us-ascii");
                exchange.sendResponseHeaders(200, body.length);
                OutputStream out = exchange.getResponseBody();
                try {
                    out.write(body);
                } finally {
                    out.close();
                }
            }
        });
        Runtime.getRuntime().addShutdownHook(new Thread("echo-shutdown") {
            @Override
            public void run() {
                log("stopping");
                server.stop(0);
                log("stopped");
            }
        });
        server.start();
        log("listening on " + server.getAddress().getAddress().getHostAddress() + ":"
                + server.getAddress().getPort());
        // With service.ready = "notify" the service counts as started only from here on: services
        // that depend on it, and scripts that run /start, wait for the port to be open. Outside a
        // service the call does nothing.
        Service.ready();
        // main returns; the server's dispatcher thread keeps the JVM (and the service) running.
    }

    private static void log(String text) {
        String time = new SimpleDateFormat("yyyy-MM-dd HH:mm:ss.SSS").format(new Date());
        System.out.println(time + " " + text);
    }
}
