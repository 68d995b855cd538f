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

#include "fuzz/support/replay_input.h"
#include "fuzz/support/scratch_folder.h"
#include "header/section_access.h"
#include "logdoc/replay/replay_reader.h"
#include "tools/cementbond/cbl_display.h"
#include "tools/sonic/sonic_processor.h"
#include "tools/televiewer/image_rows.h"
#include "tools/waveform/vdl_engine.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_tool_engines");
}

using qv::fuzz::Input;

int Offset(int32_t v) {
  return v % (kMaxChannelOffset + 1);
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
  const qv::fuzz::ReplayCase c = qv::fuzz::TakeReplayCase(in, Folder(), true);
  if (c.kind == qv::kToolSixChannel || c.kind == qv::kToolTwelveChannel) return 0;
  qv::ReplayReader reader(c.dataPath, c.kind, c.from, c.to, c.logMode, c.header);
  Input knobs{c.script, c.scriptSize};
  const int kind = c.kind;
  const qv::ReplayHeader& header = c.header;
  const int logMode = c.logMode;
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
