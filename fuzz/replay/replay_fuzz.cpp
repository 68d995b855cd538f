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

#include "fuzz/support/scratch_folder.h"
#include "logdoc/replay/replay_reader.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_replay");
}

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
  int32_t Depth() {
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
        return v;
    }
  }
};

void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  std::ofstream out(Folder() + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return -1;
  Input in{data, size};
  static const int kKinds[] = {qv::kToolSixChannel, qv::kToolTeleviewer,    qv::kToolFullWave,
                               qv::kToolCementBond, qv::kToolTwelveChannel, qv::kToolSonic};
  const int kind = kKinds[in.Byte() % 6];
  qv::ReplayHeader header;
  header.startDepth = in.Depth();
  header.endDepth = in.Depth();
  header.step = in.Depth();
  header.comStd = in.Byte() % 32;
  header.logMode = 10 + in.Byte() % 3;
  const int from = in.Depth();
  const int to = in.Depth();
  const int logMode = 10 + in.Byte() % 3;
  uint8_t script[64];
  const size_t scriptSize = 1 + in.Byte() % sizeof script;
  for (size_t i = 0; i < scriptSize; ++i) script[i] = in.Byte();
  const size_t split = in.Byte() | (static_cast<size_t>(in.Byte()) << 8);
  const size_t first = split < in.size ? split : in.size;

  for (const char* stale : {"F.LOG", "F.LGX", "F.BTV", "F.VDL", "F.CBL"}) ::unlink((Folder() + "/" + stale).c_str());
  std::string name;
  switch (kind) {
    case qv::kToolTeleviewer:
      name = "F.BTV";
      break;
    case qv::kToolTwelveChannel:
    case qv::kToolSonic:
      name = "F.LGX";
      break;
    case qv::kToolFullWave:
      name = "F.VDL";
      break;
    case qv::kToolCementBond:
      name = "F.CBL";
      break;
    default:
      name = "F.LOG";
      break;
  }
  if (kind == qv::kToolFullWave || kind == qv::kToolCementBond) {
    WriteFile("F.LOG", in.data, first);
    WriteFile(name, in.data + first, in.size - first);
  } else {
    WriteFile(name, in.data, in.size);
  }

  qv::ReplayReader reader(Folder() + "/" + name, kind, from, to, logMode, header);
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
  Input ops{script, scriptSize};
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
