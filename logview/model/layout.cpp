#include "logview/model/layout.h"

#include <algorithm>
#include <cmath>

namespace curveview {

int ScaleDecade(float value, float slack) {
  if (!(value > 0.0f)) return 0;
  const float lg = std::log10(value);
  // An infinite end counts as the outermost decade of the float range, so
  // that no decade count outgrows it.
  return static_cast<int>(std::clamp(value < 1.0f ? lg - slack : lg, -46.0f, 39.0f));
}

int ScaleMantissa(float minimum, int low) {
  const double m = static_cast<double>(minimum) / std::pow(10.0, low) + 0.5;
  return static_cast<int>(std::isnan(m) ? 1.0 : std::clamp(m, 1.0, 10.5));
}

LogScale NormaliseLogScale(float minimum, float maximum, bool twoTrack, float slack) {
  // Values from files and dialogs may be zero, negative or not numbers at all;
  // none of them may reach the logarithm.
  if (!(minimum > 0.0f)) minimum = 1.0f;
  if (!(maximum > 0.0f)) maximum = 1.0f;
  LogScale s;
  s.low = ScaleDecade(minimum, slack);
  s.high = ScaleDecade(maximum, slack);
  if (s.high == s.low) s.high = s.low + 1;
  if (twoTrack && (s.high - s.low) % 2 != 0) s.high += 1;
  s.mantissa = ScaleMantissa(minimum, s.low);
  s.minimum = static_cast<float>(s.mantissa * std::pow(10.0, s.low));
  s.maximum = static_cast<float>(s.mantissa * std::pow(10.0, s.high));
  return s;
}

int BuildCurveTable(std::vector<std::unique_ptr<CurveRecord>>& source, std::vector<CurveRecord>& curves) {
  curves.clear();
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] && IsTwoTrack(*source[i])) {
      auto moved = std::move(source[i]);
      source.erase(source.begin() + static_cast<std::ptrdiff_t>(i));
      source.insert(source.begin(), std::move(moved));
    }
  }
  int rows = 1;
  int counters[6] = {};
  auto counted = [](int track) { return track >= 0 && track < 6; };
  for (auto& rec : source) {
    curves.push_back(rec ? *rec : CurveRecord{});
    CurveRecord& c = curves.back();
    if (!c.headerFlag) continue;
    if (!counted(c.firstTrack)) continue;
    c.headerLine = counters[c.firstTrack];
    if (IsTwoTrack(c)) {
      ++counters[kTrack2];
      ++counters[kTrack3];
    } else {
      ++counters[c.firstTrack];
    }
    rows = std::max(rows, c.headerLine + 1);
  }
  source.clear();
  return rows;
}

int LegendRowsOf(const std::vector<CurveRecord>& curves) {
  int rows = 1;
  for (const auto& c : curves)
    if (c.headerFlag) rows = std::max(rows, c.headerLine + 1);
  return rows;
}

void NormaliseLogCurves(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks) {
  for (auto& c : curves) {
    if (c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks.size())) continue;
    if (!IsLogTrack(tracks[c.firstTrack])) continue;
    const bool two = IsTwoTrack(c);
    if (two && static_cast<int>(tracks.size()) > kTrack3) tracks[kTrack3].gridStyle = kLogGridStyle;
    const LogScale s = NormaliseLogScale(c.scaleMinimum, c.scaleMaximum, two);
    c.scaleMinimum = s.minimum;
    c.scaleMaximum = s.maximum;
  }
}

int LayoutTrackRects(std::vector<TrackRecord>& tracks, const RecordRect& client, int lineWidth) {
  const int n = static_cast<int>(tracks.size());
  const int gap = 2 * lineWidth;
  const int w = Width(client) - gap * std::max(n - 1, 0);
  // A layout of one track has no other track to share the width with: that
  // track takes all of it rather than dividing by zero.
  const int dataWidth = std::max(0, n > 1 ? (w - kDepthTrackWidth) / (n - 1) : w);
  for (auto& t : tracks) {
    t.style = kTrackStyleWord;
    if (t.type == kDepthTrackType) {
      t.minimalWidth = kDepthTrackMinWidth;
      t.idealWidth = kDepthTrackWidth;
      t.width = kDepthTrackWidth;
      t.gridFlag = 0;
    } else {
      t.minimalWidth = kDataTrackMinWidth;
      t.idealWidth = t.width = dataWidth;
    }
  }
  int x = client.left;
  for (auto& t : tracks) {
    t.screenRect = {x, client.top, x + t.width, client.bottom};
    x += t.width + gap;
  }
  return x;
}

HistoryWindow WindowFor(bool upward, int screenHeight, int clientHeight, int legendHeight) {
  screenHeight = std::clamp(screenHeight, 0, kHistoryLength);
  HistoryWindow w;
  if (!upward) {
    w.end = screenHeight;
    w.start = w.end - clientHeight + legendHeight;
  } else {
    w.start = kHistoryLength - screenHeight;
    w.end = w.start + clientHeight - legendHeight;
  }
  return w;
}

RecordRect CurveBox(const CurveRecord& c, const std::vector<TrackRecord>& tracks) {
  const int n = static_cast<int>(tracks.size());
  if (c.firstTrack < 0 || c.firstTrack >= n) return {};
  RecordRect b = tracks[c.firstTrack].screenRect;
  if (IsTwoTrack(c) && n > kTrack3) {
    const RecordRect& t3 = tracks[kTrack3].screenRect;
    b.left = std::min(b.left, t3.left);
    b.right = std::max(b.right, t3.right);
    b.top = std::min(b.top, t3.top);
    b.bottom = std::max(b.bottom, t3.bottom);
  }
  return b;
}

RecordRect LegendBox(const CurveRecord& c, const std::vector<TrackRecord>& tracks) {
  RecordRect b = CurveBox(c, tracks);
  b.top = kLegendRowHeight * c.headerLine;
  b.bottom = b.top + kLegendRowHeight;
  return b;
}

std::vector<RecordRect> LegendFrames(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks,
                                     int legendRows) {
  bool merged[10] = {};
  for (const auto& c : curves)
    if (IsTwoTrack(c) && c.headerLine >= 0 && c.headerLine < 10) merged[c.headerLine] = true;
  std::vector<RecordRect> frames;
  const int n = static_cast<int>(tracks.size());
  for (int r = 0; r < legendRows; ++r) {
    const bool m = r < 10 && merged[r] && n > kTrack3;
    for (int i = 0; i < n; ++i) {
      if (i == kTrack2 && m) continue;
      RecordRect b = tracks[i].screenRect;
      b.right += 1;
      b.top = kLegendRowHeight * r;
      b.bottom = b.top + kLegendRowHeight;
      if (i == kTrack3 && m) b.left = tracks[kTrack2].screenRect.left;
      frames.push_back(b);
    }
  }
  return frames;
}

int HitLegend(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int x, int y,
              int* position) {
  int shown = 0;
  for (size_t i = 0; i < curves.size(); ++i) {
    if (!curves[i].headerFlag) continue;
    ++shown;
    if (Contains(LegendBox(curves[i], tracks), x, y)) {
      if (position) *position = shown;
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace curveview
