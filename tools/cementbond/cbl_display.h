// What the waveform views (cement bond, full-wave sonic) draw and print, as plain numbers: the grid of
// a track, the first depth label, the free-pipe gate lines in a waveform
// track and back from a dragged gate, logarithmic scale ends, curve
// positions on the chart, and the 1024-dot chart rows of the two waveforms.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "sondedb/records/records.h"

namespace qv::cbl {

inline constexpr int kSamplesPerReceiver = 240;
inline constexpr int kGateSpanUs = 960;  // the 240 samples of a receiver
inline constexpr int kChartDots = 1024;
inline constexpr int kChartRowBytes = 1025;
inline constexpr int kChartCurveWidth = 508;
inline constexpr std::uint8_t kChartTick = 0x01;
inline constexpr std::uint8_t kChartBitImage = 0x10;
inline constexpr int kLogGridBit = 0x1000000;

// The scale ends of a curve on a logarithmic track: whole decades, the top
// one decade higher when both ends lie in the same decade.
void RoundToDecades(CurveRecord& curve);

// One grid line of a track (dark: the last line of a decade).
struct GridLine {
  int x = 0;
  bool dark = false;
};
// A track's grid and its entry of the track scale table (logarithmic flag,
// signed decade count).
struct TrackGrid {
  std::vector<GridLine> lines;
  int logarithmic = 0;
  int decades = 0;
};
TrackGrid GridOfTrack(const std::vector<CurveRecord>& curves, const TrackRecord& track, int trackIndex);

// Depth labels (thousandths of the depth unit): the step at 1:N and the
// first label at or past the depth in the logging direction.
int LabelStep(int depthScale, bool imperial);
int FirstLabelDepth(int depth, int step, bool upward);

// A gate time (µs) as an x in a waveform track, and back.
int GateX(int trackLeft, int trackWidth, int gateUs);
int GateFromX(int x, int trackLeft, int trackWidth);

// A curve value as a chart position (dots 0..508) of its track scale: 0 for
// v <= 0 on a logarithmic track, factor 1 for equal ends, clamped in double.
double ChartPosition(const CurveRecord& curve, bool logarithmic, double v);

// Free-pipe gates of both receivers (µs).
struct Gates {
  int nearStart = 0, nearEnd = 0, farStart = 0, farEnd = 0;
};
// What sets the waveform views apart: the cement-bond view (240 samples a
// receiver, segments 1-4, free-pipe gates) and the full-wave sonic view (480
// samples, segments 1-9, no gates).
struct WaveformViewKind {
  int samplesPerReceiver;
  int lastSegment;
  int delayStepFactor;  // a receiver's delay: its offset over (depth step x this)
  int wiggleStride;     // screen wiggle traces take every this many samples
  bool gates;
  // Strings: depth-track unit (imperial, metric), range prompts and errors.
  unsigned unitImperial, unitMetric;
  unsigned startPrompt, endPrompt, startTooBig, endTooSmall;
  // A density chart row: each sample `copies` times, once more when its
  // index is a multiple of extraEvery or (when not 0) of extraAlso.
  int copies, extraEvery, extraAlso;
  // The chart's wiggle dot of trace point k: firstDot - 2 k - skip x (the
  // points j < k with j a multiple of skipEvery).
  int firstDot, skip, skipEvery;
  int endFeed;  // lines fed at chart end without form-mark detection
};
extern const WaveformViewKind kCementBondView;
extern const WaveformViewKind kFullWaveView;

// A density chart row from the samples of a line (near first), as the kind
// spreads them over the 1024 dots (at most 1024 bytes written); with gates,
// each gate cleared at p and p - 1.
void DensityChartRow(std::span<const std::int8_t> samples, const Gates& gates, std::uint8_t* row,
                     const WaveformViewKind& kind = kCementBondView);
// The chart dot of point k of a wiggle trace (may lie outside 0..1023).
int ChartWiggleDot(int k, const WaveformViewKind& kind);
// The chart dot of each gate (near, then far + 512); -1 at or past 1024.
std::array<int, 4> ChartGateDots(const Gates& gates);

}  // namespace qv::cbl
