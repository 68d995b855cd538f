// What the cement-bond view draws and prints, as plain numbers: the grid of
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

// The decade of one end of a logarithmic scale: (int)(log10 v - 0.9) below 1,
// (int)log10 v from 1 up; an end of 0 or less counts as 1.
int ScaleExponent(float v);
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
// A density chart row from the 480 samples of a line (near first): each
// sample + 128 written twice, three times when its index is a multiple of 8
// or of 119 (1024 bytes), the gates cleared at p and p - 1.
void DensityChartRow(std::span<const std::int8_t> samples, const Gates& gates, std::uint8_t* row);
// The chart dot of each gate (near, then far + 512); -1 at or past 1024.
std::array<int, 4> ChartGateDots(const Gates& gates);

}  // namespace qv::cbl
