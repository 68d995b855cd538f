#!/usr/bin/env python3
"""Reads a televiewer data file (.BTV) beside the sweeps the unit delivered
(276 bytes each, as the device library hands them over) and checks that
record i is bytes 8..275 of sweep i, and that the minute mark (0x2000 in the
depth-step word at offset 264) is set on the first sweep of each new minute
of log time and nowhere else. Exit status 0 when all holds."""
import struct
import sys

RECORD, SWEEP = 268, 276


def main(btv_path, sweeps_path):
    btv = open(btv_path, "rb").read()
    sweeps = open(sweeps_path, "rb").read()
    if len(btv) % RECORD or len(sweeps) % SWEEP:
        print("partial record: %d, %d bytes" % (len(btv), len(sweeps)))
        return 1
    n = len(btv) // RECORD
    if n != len(sweeps) // SWEEP or n == 0:
        print("%d records for %d sweeps" % (n, len(sweeps) // SWEEP))
        return 1
    minute = 0
    marks = 0
    for i in range(n):
        rec = btv[i * RECORD:(i + 1) * RECORD]
        sweep = sweeps[i * SWEEP:(i + 1) * SWEEP]
        if rec != sweep[8:]:
            print("record %d differs from its sweep" % i)
            return 1
        (time,) = struct.unpack_from("<i", sweep, 4)
        (step,) = struct.unpack_from("<H", rec, 264)
        (tail,) = struct.unpack_from("<H", rec, 266)
        if tail != 131:
            print("record %d ends in %d" % (i, tail))
            return 1
        first_of_minute = time // 60000 != minute
        minute = time // 60000
        if bool(step & 0x2000) != first_of_minute:
            print("record %d (time %d): minute mark %s" % (i, time, bool(step & 0x2000)))
            return 1
        marks += first_of_minute
    print("%d records, %d minute marks" % (n, marks))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
