"""Creates the test run's Wine prefix and starts its persistent wineserver, or stops it."""
import sys
import harness

if __name__ == "__main__":
    if sys.argv[1:] == ["start"]:
        harness.start_prefix()
    elif sys.argv[1:] == ["stop"]:
        harness.stop_prefix()
    else:
        sys.exit("usage: prefix.py start|stop")
