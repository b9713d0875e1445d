"""The demo behind scripts/demo: the sample echo service packed, installed and run."""
import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, "build", "demo")
os.environ.setdefault("QUORV_WINEPREFIX", os.path.join(ROOT, "build", "demo-wineprefix"))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import harness  # noqa: E402  (the Wine helpers of the tests)

OUT = os.path.join(ROOT, "out")
EXE = os.path.join(DEMO, "EchoService.exe")
ENV_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"


def step(title):
    print("\n== " + title, flush=True)


def show(cmd, **kw):
    print("$ " + " ".join(cmd), flush=True)
    proc = subprocess.run(cmd, capture_output=True, **kw)
    for stream in (proc.stdout, proc.stderr):
        text = stream.decode("latin-1").replace("\r\n", "\n").rstrip()
        if text:
            print(text)
    print("(exit %d)" % proc.returncode, flush=True)
    return proc


def wine_service(command):
    return show([harness.WINE, EXE, command], env=harness.wine_env())


def pack():
    step("Build the sample application and pack it into one executable")
    show([os.path.join(ROOT, "examples", "echo-service", "build"), os.path.join(ROOT, "build", "echo-service")])
    shutil.rmtree(DEMO, ignore_errors=True)
    os.makedirs(DEMO)
    proc = show([os.path.join(OUT, "quorv-pack"), "build", os.path.join(ROOT, "examples", "echo-service", "quorv.toml"),
                 "-o", EXE])
    if proc.returncode != 0:
        sys.exit("demo: packing failed")
    show([os.path.join(OUT, "quorv-pack"), "dump", EXE])


def stand_in_runtime():
    """No Windows JVM can be installed here: the Java runtime beside the exe is the tests' stand-in,
    a java.exe that answers -version and a jvm.dll whose main reads the stop line like the real
    entry class does."""
    bin_dir = os.path.join(DEMO, "jre", "bin")
    os.makedirs(os.path.join(bin_dir, "server"))
    shutil.copy(os.path.join(harness.FIXTURES, "java_exe", "java.exe"), bin_dir)
    with open(os.path.join(bin_dir, "java.cfg"), "w") as f:
        f.write('java version "1.8.0_392"\n0\n0\n')
    shutil.copy(os.path.join(harness.FIXTURES, "jvm.dll"), os.path.join(bin_dir, "server"))


def run_under_wine():
    step("Under Wine: a fresh prefix whose services see the stand-in JVM's settings")
    harness.stop_prefix()
    harness.start_prefix()
    record = os.path.join(DEMO, "jvm-calls.txt")
    # The stand-in calls the application's Service.ready() one second into main, as the echo
    # service does once its port is open (service.ready = "notify").
    for name, value in (("QUORV_STANDIN_MAIN", "service"), ("QUORV_STANDIN_RECORD", harness.winpath(record)),
                        ("QUORV_STANDIN_READY", "1000")):
        harness.wine_tool(["reg", "add", ENV_KEY, "/v", name, "/d", value, "/f"])
    harness.stop_prefix()  # services.exe reads the system environment when it starts
    harness.start_prefix()
    try:
        step("Install, start and query the service")
        wine_service("/install")
        wine_service("/start")
        for _ in range(60):
            if "Running." in wine_service("/status").stdout.decode("latin-1"):
                break
            time.sleep(1)
        deadline = time.time() + 60
        while time.time() < deadline and not (os.path.exists(record) and "CallStaticVoidMethod" in open(record).read()):
            time.sleep(0.5)
        wine_service("/query")
        step("What the worker's JVM was given (the stand-in records every call)")
        if os.path.exists(record):
            with open(record, encoding="utf-8", errors="replace") as f:
                for line in f:
                    if line.startswith(("option", "NewString", "FindClass", "CallStaticVoidMethod", "RegisterNatives",
                                        "ready called")):
                        print("  " + line.rstrip())
        step("Stop, query and uninstall the service")
        wine_service("/stop")
        wine_service("/status")
        wine_service("/uninstall")
    finally:
        harness.stop_prefix()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run_on_real_jvm():
    step("On this machine's real JVM through the JNI driver: start, one request, stop line")
    jni_run = os.path.join(ROOT, "build", "host", "jvm-tests", "jni_run")
    libjvm = "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so"
    logs = os.path.join(DEMO, "real-jvm")
    os.makedirs(logs, exist_ok=True)
    out_log = os.path.join(logs, "echo-service.out.log")
    port = free_port()
    classpath = os.path.join(OUT, "quorv-runtime.jar") + ":" + os.path.join(ROOT, "build", "echo-service", "echo-service.jar")
    cmd = [jni_run, "--option", "-Dquorv.isService=true", libjvm, classpath, "com.quorv.runtime.WinLauncher",
           "false", "com.example.echo.EchoService", os.path.join(logs, "echo-service.err.log"), out_log, "false",
           "EchoService", "--port", str(port)]
    print("$ " + " ".join(cmd), flush=True)
    env = dict(os.environ, ASAN_OPTIONS="handle_segv=0:allow_user_segv_handler=1:detect_leaks=0")
    proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env)
    try:
        answer = None
        for _ in range(100):
            try:
                answer = urllib.request.urlopen("http://127.0.0.1:%d/" % port, timeout=2).read().decode()
                break
            except OSError:
                time.sleep(0.2)
        print("GET http://127.0.0.1:%d/ -> %r" % (port, answer))
        print("sending the stop line \"0\\n\"")
        proc.stdin.write(b"0\n")
        proc.stdin.close()
        code = proc.wait(timeout=30)
    finally:
        if proc.poll() is None:
            proc.kill()
    print("(exit %d)" % code)
    print("output log:")
    with open(out_log) as f:
        for line in f:
            print("  " + line.rstrip())
    return answer == "hello\n" and code == 0


def main():
    pack()
    stand_in_runtime()
    run_under_wine()
    ok = run_on_real_jvm()
    step("Demo finished" if ok else "Demo finished with a problem")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
