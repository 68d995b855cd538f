#!/usr/bin/env python3
# Reads a full-wave sonic log's record pairs independently of the program and
# holds them against the replies the unit sent (71 bytes each, in order).
# The .LOG file has 14-byte records (flag, rate, six little-endian words),
# the .VDL file 50-byte records (flag, receiver, 48 signed samples). A near
# reply carries the six companion words at bytes 58-69; a far one repeats
# those of the last near reply; the .VDL receiver byte is the reply's byte 9.
# The first record of a new minute (the reply's time at bytes 4-7 over
# 60000 ms) has bit 7 in its .LOG flag and 0x20 in its .VDL flag.
# Prints "ok <pairs> <minute marks> <far records>" or the first differences.
import struct
import sys

stem, sent_path = sys.argv[1], sys.argv[2]
log = open(stem + "LOG", "rb").read()
vdl = open(stem + "VDL", "rb").read()
sent = open(sent_path, "rb").read()
problems = []
if len(log) % 14 or len(vdl) % 50 or len(sent) % 71:
    problems.append("partial record: %d %d %d" % (len(log), len(vdl), len(sent)))
pairs = len(vdl) // 50
if len(log) // 14 != pairs or len(sent) // 71 != pairs:
    problems.append("counts: log %d vdl %d sent %d" % (len(log) // 14, pairs, len(sent) // 71))
companion = (0, 0, (0,) * 6)  # flag, rate, words before the first near reply
minute = 0
marks = 0
fars = 0
for i in range(min(pairs, len(sent) // 71)):
    depth, time, flag, gain = struct.unpack_from("<iiBB", sent, i * 71)
    samples = struct.unpack_from("<48b", sent, i * 71 + 10)
    far = flag & 0x80
    if far:
        fars += 1
    else:
        companion = (21, 50, struct.unpack_from("<6H", sent, i * 71 + 58))
    log_flag = companion[0]
    if time // 60000 != minute:
        minute = time // 60000
        marks += 1
        log_flag |= 0x80
        flag |= 0x20
    want_log = (log_flag, companion[1]) + companion[2]
    want_vdl = (flag, gain) + samples
    got_log = struct.unpack_from("<BB6H", log, i * 14)
    got_vdl = struct.unpack_from("<BB48b", vdl, i * 50)
    if got_log != want_log:
        problems.append("LOG %d: %s, sent %s" % (i, got_log, want_log))
    if got_vdl != want_vdl:
        problems.append("VDL %d: %s, sent %s" % (i, got_vdl[:4], want_vdl[:4]))
    if len(problems) > 5:
        break
if problems:
    print("\n".join(problems))
else:
    print("ok", pairs, marks, fars)
