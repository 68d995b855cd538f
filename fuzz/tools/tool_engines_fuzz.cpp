// Replayed records of arbitrary data files fed to the engines behind the
// televiewer, waveform and sonic views: the televiewer row builder and image
// store, the variable-density engine (cement-bond and full-wave geometry)
// and the sonic processing. The header numbers that set them up come from
// the input too, within what a header must hold to be replayed at all (a
// step of 1 to 65535, depths within 100 km, channel offsets within 10 km).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/support/scratch_folder.h"
#include "header/section_access.h"
#include "logdoc/replay/replay_reader.h"
#include "tools/cementbond/cbl_display.h"
#include "tools/sonic/sonic_processor.h"
#include "tools/televiewer/image_rows.h"
#include "tools/vdl/vdl_engine.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_tool_engines");
}

// The same framing as the replay fuzzer, so its seeds serve here too.
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
        return v % (kMaxLogDepth + 1);
    }
  }
};

int Step(int32_t v) {
  return 1 + static_cast<int>(static_cast<uint32_t>(v) % kMaxLogStep);
}
int Offset(int32_t v) {
  return v % (kMaxChannelOffset + 1);
}

void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  std::ofstream out(Folder() + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

constexpr int kMaxRecords = 400;

void Televiewer(qv::ReplayReader& reader, Input& in, int step) {
  qv::TeleviewerRowBuilder builder(200 + in.Byte());
  qv::TeleviewerImageStore store(builder.Capacity());
  builder.Reset(step);
  builder.SetDepth(in.Depth());
  qv::RowOptions options;
  options.invert = in.Byte() & 1;
  options.normaliseAmplitude = in.Byte() & 1;
  options.normaliseTransit = in.Byte() & 1;
  options.logType = in.Byte() % 3;
  qv::FlushedRows rows = builder.MakeFlushedRows();
  TeleviewerSweep sweep{};
  for (int i = 0; i < kMaxRecords && reader.ReadTeleviewer(&sweep); ++i) {
    builder.Convert(sweep, (i % 7) == 0, options);
    if (builder.Take(in.Byte() % 8, rows)) store.Apply({rows.rows.data(), static_cast<size_t>(rows.count)}, 0);
  }
}

void Waveforms(qv::ReplayReader& reader, Input& in, bool fullWave, int step) {
  const qv::cbl::WaveformViewKind& kind = fullWave ? qv::cbl::kFullWaveView : qv::cbl::kCementBondView;
  qv::vdl::VdlGeometry g;
  g.samplesPerReceiver = kind.samplesPerReceiver;
  g.lastSegment = kind.lastSegment;
  g.delayStepFactor = kind.delayStepFactor;
  g.wiggleStride = kind.wiggleStride;
  g.imageHeight = 64 + in.Byte() * 4;
  qv::vdl::VdlEngine engine(g);
  qv::vdl::VdlScroll s;
  static const int kScales[] = {20, 40, 100, 200, 240, 500, 1000};
  s.depthScale = kScales[in.Byte() % 7];
  s.depthStep = step;
  s.imperial = in.Byte() & 1;
  s.depthMode = in.Byte() % 4 != 0;
  s.upward = in.Byte() & 1;
  s.nearOffset = Offset(in.Int());
  s.farOffset = Offset(in.Int());
  s.curves.assign(6, {});
  for (auto& c : s.curves) c = {Offset(in.Int()), in.Byte() % 6, in.Byte()};
  engine.SetDepthStepPerRecord(s.upward ? -step : step);
  engine.ResetScroll(s);
  engine.SetClientRows(g.imageHeight / 2);
  engine.SetDepth(in.Depth());
  CblWaveformSegment segment{};
  SixChannelPacket six{};
  const bool wiggle = in.Byte() & 1;
  for (int i = 0; i < kMaxRecords; ++i) {
    if (!(fullWave ? reader.ReadFullWave(&segment, &six) : reader.ReadCementBond(&segment, &six))) break;
    double values[6];
    for (int c = 0; c < 6; ++c) values[c] = six.channel[c];
    engine.AddDepthRow(segment.flags, {segment.sample, 48}, {values, 6});
    if (i % 5 == 4) (void)engine.Refresh(wiggle, true, 0);
  }
  (void)engine.Refresh(wiggle, true, 0);
}

void Sonic(qv::ReplayReader& reader, Input& in, int comStd, int logMode, int step) {
  const auto geometry = qv::SonicGeometryFor(comStd);
  if (!geometry) return;
  qv::SonicProcessorSetup setup;
  setup.geometry = *geometry;
  setup.logMode = logMode;
  setup.depthStep = step;
  // A sonde is never longer than 100 m; the window grows with it.
  setup.sondeLengthSteps = qv::SondeLengthSteps(in.Int() % 10001, in.Byte() & 1, step, 1);
  for (auto& c : setup.channelSettings)
    c = {in.Byte() % 6, in.Byte(), qv::OffsetToSteps(in.Int() % 10001, false, step)};
  for (auto& f : setup.outputFilters) f = {in.Byte() % 6, in.Byte()};
  qv::SonicProcessor processor(setup);
  SonicPacket packet{};
  static const int kIntervals[] = {0, 4, 8, 16};
  const int interval = kIntervals[in.Byte() % 4];
  for (int i = 0; i < kMaxRecords && reader.ReadSonic(&packet); ++i) {
    qv::SonicInput input;
    input.mask = packet.mask;
    input.time = packet.time;
    input.depth = packet.depth;
    for (int c = 0; c < 12; ++c) input.values[static_cast<size_t>(c)] = static_cast<float>(packet.value[c]);
    input.samples = {packet.samples, static_cast<size_t>(geometry->WaveformBytes() / 2)};
    (void)processor.Process(input, interval);
  }
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
  header.step = Step(in.Depth());
  header.comStd = in.Byte() % 32;
  header.logMode = 10 + in.Byte() % 3;
  const int from = in.Depth();
  const int to = in.Depth();
  const int logMode = 10 + in.Byte() % 3;
  uint8_t settings[64];
  const size_t settingsSize = 1 + in.Byte() % sizeof settings;
  for (size_t i = 0; i < settingsSize; ++i) settings[i] = in.Byte();
  const size_t split = in.Byte() | (static_cast<size_t>(in.Byte()) << 8);
  const size_t first = split < in.size ? split : in.size;
  if (kind == qv::kToolSixChannel || kind == qv::kToolTwelveChannel) return 0;

  for (const char* stale : {"F.LOG", "F.LGX", "F.BTV", "F.VDL", "F.CBL"}) ::unlink((Folder() + "/" + stale).c_str());
  const std::string name = kind == qv::kToolTeleviewer ? "F.BTV"
                           : kind == qv::kToolSonic    ? "F.LGX"
                           : kind == qv::kToolFullWave ? "F.VDL"
                                                       : "F.CBL";
  if (kind == qv::kToolFullWave || kind == qv::kToolCementBond) {
    WriteFile("F.LOG", in.data, first);
    WriteFile(name, in.data + first, in.size - first);
  } else {
    WriteFile(name, in.data, in.size);
  }
  qv::ReplayReader reader(Folder() + "/" + name, kind, from, to, logMode, header);
  Input knobs{settings, settingsSize};
  switch (kind) {
    case qv::kToolTeleviewer:
      Televiewer(reader, knobs, header.step);
      break;
    case qv::kToolSonic:
      Sonic(reader, knobs, header.comStd, logMode, header.step);
      break;
    default:
      Waveforms(reader, knobs, kind == qv::kToolFullWave, header.step);
      break;
  }
  return 0;
}
