#!/usr/bin/env python3
# Reads a cement-bond log's record pairs independently of the program: the
# .LOG file in 14-byte records (flag, rate, six little-endian words) and the
# .CBL file in 50-byte records (flag, receiver, 48 signed samples). Prints
# the record counts, then one line per pair: the .LOG fields, then the .CBL
# flag, receiver and samples.
import struct
import sys

stem = sys.argv[1]
log = open(stem + "LOG", "rb").read()
cbl = open(stem + "CBL", "rb").read()
print(len(log) // 14, len(log) % 14, len(cbl) // 50, len(cbl) % 50)
for i in range(min(len(log) // 14, len(cbl) // 50)):
    flag, rate, *words = struct.unpack_from("<BB6H", log, i * 14)
    sflag, receiver, *samples = struct.unpack_from("<BB48b", cbl, i * 50)
    print(flag, rate, *words, "|", sflag, receiver, *samples)
