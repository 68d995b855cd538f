// The framing the replay fuzzers share, so that one set of seeds serves
// them all: a tool kind, a header record, a replay window, a script of up to
// 64 bytes for the fuzzer's own use, then the data file's bytes (split in
// two for the paired waveform logs). Bytes run out as zeros.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "header/section_access.h"
#include "logdoc/replay/replay_reader.h"

namespace qv::fuzz {

// Takes bytes off the front of the input; zeros once it is used up.
struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  int32_t Int() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return static_cast<int32_t>(v);
  }
  // Small values are far likelier in real headers: a byte picks the scale.
  int32_t Depth(int32_t limit = INT32_MAX) {
    const uint8_t scale = Byte();
    const int32_t v = Int();
    switch (scale % 4) {
      case 0:
        return v % 1000;
      case 1:
        return v % 100000;
      case 2:
        return v % 10000000;
      default:
        return limit == INT32_MAX ? v : v % (limit + 1);
    }
  }
};

struct ReplayCase {
  int kind = 0;
  ReplayHeader header;
  int from = 0, to = 0, logMode = 10;
  uint8_t script[64] = {};
  size_t scriptSize = 0;
  std::string dataPath;  // the file to replay, written into the folder
};

// Reads a case off IN and writes its data files into FOLDER. REPLAYABLE
// keeps the header numbers within what a replay accepts at all (a step of 1
// to 65535, depths within 100 km); otherwise they are anything.
inline ReplayCase TakeReplayCase(Input& in, const std::string& folder, bool replayable) {
  static const int kKinds[] = {kToolSixChannel, kToolTeleviewer,    kToolFullWave,
                               kToolCementBond, kToolTwelveChannel, kToolSonic};
  const int32_t depthLimit = replayable ? kMaxLogDepth : INT32_MAX;
  ReplayCase c;
  c.kind = kKinds[in.Byte() % 6];
  c.header.startDepth = in.Depth(depthLimit);
  c.header.endDepth = in.Depth(depthLimit);
  c.header.step = in.Depth();
  if (replayable) c.header.step = 1 + static_cast<int>(static_cast<uint32_t>(c.header.step) % kMaxLogStep);
  c.header.comStd = in.Byte() % 32;
  c.header.logMode = 10 + in.Byte() % 3;
  c.from = in.Depth(depthLimit);
  c.to = in.Depth(depthLimit);
  c.logMode = 10 + in.Byte() % 3;
  c.scriptSize = 1 + in.Byte() % sizeof c.script;
  for (size_t i = 0; i < c.scriptSize; ++i) c.script[i] = in.Byte();
  const size_t split = in.Byte() | (static_cast<size_t>(in.Byte()) << 8);
  const size_t first = split < in.size ? split : in.size;

  for (const char* stale : {"F.LOG", "F.LGX", "F.BTV", "F.VDL", "F.CBL"}) ::unlink((folder + "/" + stale).c_str());
  auto write = [&](const char* name, const uint8_t* data, size_t size) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  };
  const char* name = c.kind == kToolTeleviewer                              ? "F.BTV"
                     : c.kind == kToolTwelveChannel || c.kind == kToolSonic ? "F.LGX"
                     : c.kind == kToolFullWave                              ? "F.VDL"
                     : c.kind == kToolCementBond                            ? "F.CBL"
                                                                            : "F.LOG";
  if (c.kind == kToolFullWave || c.kind == kToolCementBond) {
    write("F.LOG", in.data, first);
    write(name, in.data + first, in.size - first);
  } else {
    write(name, in.data, in.size);
  }
  c.dataPath = folder + "/" + name;
  return c;
}

}  // namespace qv::fuzz
