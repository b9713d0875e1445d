"""Stress run of "nothing lost on stop": many stop cycles of the records application.

    python3 tests/runtime/stress_stop.py [--cycles N]

Each cycle starts the application through the entry class (alternating the two flavours, the stop
line and the end of input), stops it once it has written some records and checks the output log:
every line whole, records numbered without a gap, every record that was written before the
shutdown hook ran present. Not part of ctest; QUORV_RUNTIME_TEST_DIR names prebuilt jars.
"""
import argparse
import os
import shutil
import sys
import tempfile

import support


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cycles", type=int, default=500)
    parser.add_argument("--min-records", type=int, default=100,
                        help="records to wait for before each stop")
    options = parser.parse_args()

    support.build_dir()
    work = tempfile.mkdtemp(prefix="quorv-stress-")
    failures = 0
    total = 0
    try:
        for cycle in range(options.cycles):
            log = os.path.join(work, "records%d.log" % cycle)
            entry = support.ENTRIES[cycle % 2]
            by_eof = cycle % 4 >= 2
            try:
                total += support.stop_cycle(log, by_eof=by_eof, entry=entry,
                                            min_records=options.min_records)
                os.remove(log)
            except AssertionError as e:
                failures += 1
                print("cycle %d (%s, %s): %s" % (cycle, entry, "end of input" if by_eof else "stop line", e))
            if (cycle + 1) % 50 == 0:
                print("%d cycles, %d failures" % (cycle + 1, failures), flush=True)
    finally:
        if failures == 0:
            shutil.rmtree(work, True)
        else:
            print("failed logs kept in " + work)
    print("stress: %d cycles, %d records checked, %d failures" % (options.cycles, total, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
