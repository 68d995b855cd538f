// Replays arbitrary data files of every log kind under arbitrary header
// records and replay windows, driving the reader with a script of reads,
// steps back, seeks, rewinds and depth windows taken from the input. Each
// script is bounded, so a window that reaches far past the data must still
// answer each call at once.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/support/replay_input.h"
#include "fuzz/support/scratch_folder.h"
#include "logdoc/replay/replay_reader.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_replay");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return -1;
  qv::fuzz::Input in{data, size};
  const qv::fuzz::ReplayCase c = qv::fuzz::TakeReplayCase(in, Folder(), false);
  const int kind = c.kind;
  const qv::ReplayHeader& header = c.header;
  qv::ReplayReader reader(c.dataPath, kind, c.from, c.to, c.logMode, header);
  SixChannelPacket six{};
  TwelveChannelRecord twelve{};
  SonicPacket sonic{};
  TeleviewerSweep sweep{};
  CblWaveformSegment segment{};
  auto read = [&] {
    switch (kind) {
      case qv::kToolSixChannel:
        return reader.ReadSixChannel(&six);
      case qv::kToolTwelveChannel:
        return reader.ReadTwelveChannel(&twelve);
      case qv::kToolSonic:
        return reader.ReadSonic(&sonic);
      case qv::kToolTeleviewer:
        return reader.ReadTeleviewer(&sweep);
      case qv::kToolFullWave:
        return reader.ReadFullWave(&segment, &six);
      default:
        return reader.ReadCementBond(&segment, &six);
    }
  };
  auto seek = [&](int depth) {
    switch (kind) {
      case qv::kToolSixChannel:
        return reader.SeekSixChannel(&six, depth);
      case qv::kToolTwelveChannel:
        return reader.SeekTwelveChannel(&twelve, depth);
      case qv::kToolSonic:
        return reader.SeekSonic(&sonic, depth);
      case qv::kToolFullWave:
        return reader.SeekFullWave(&segment, &six, depth);
      case qv::kToolCementBond:
        return reader.SeekCementBond(&segment, &six, depth);
      default:
        return reader.SumTeleviewerSteps(depth & 1);
    }
  };
  qv::fuzz::Input ops{c.script, c.scriptSize};
  while (ops.size > 0) {
    const uint8_t op = ops.Byte();
    switch (op % 8) {
      case 0:
      case 1: {
        // A burst of reads: how a replay thread or a print loop walks the file.
        const int n = 1 + ops.Byte() * 4;
        for (int i = 0; i < n && read(); ++i) {
        }
        break;
      }
      case 2:
        reader.StepBack();
        break;
      case 3:
        seek(header.startDepth + (static_cast<int8_t>(ops.Byte()) * (header.step % 1000)));
        break;
      case 4:
        reader.Rewind();
        break;
      case 5:
        reader.SetDepthWindow(static_cast<int8_t>(ops.Byte()) * 100, ops.Byte() & 1);
        break;
      case 6:
        reader.SeekToWindowEnd();
        break;
      default:
        reader.SetPrinting(ops.Byte() & 1);
        (void)reader.GetRecordCount();
        (void)reader.HasPartialRecord();
        break;
    }
  }
  reader.CloseFiles();
  return 0;
}
