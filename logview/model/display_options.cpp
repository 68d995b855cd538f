#include "logview/model/display_options.h"

#include <algorithm>
#include <cmath>

#include "logview/model/layout.h"
#include "platform/text/strings.h"

namespace curveview {
namespace {
const unsigned kHeadings[kGridColumns] = {32329, 32332, 32330, 32331};

bool InGrid(int track) {
  return track >= 0 && track < kGridColumns;
}
}  // namespace

DisplayOptions::DisplayOptions(bool restricted, CurveDocument* document) : restricted_(restricted), doc_(document) {}

void DisplayOptions::Load(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks) {
  curves_ = curves;
  tracks_ = tracks;
  tracks_.resize(kGridColumns);
  for (auto& row : grid_) row.fill({});
  for (int c = 0; c < kGridColumns; ++c) grid_[0][static_cast<size_t>(c)] = qv::LoadString(kHeadings[c]);
  // The grid starts from the rows the curves bring; a row beyond the grid's
  // six has no cell until the grid is rebuilt.
  for (const auto& c : curves_) {
    if (!c.headerFlag || c.headerLine < 0 || c.headerLine >= kGridLegendRows) continue;
    auto& row = grid_[static_cast<size_t>(c.headerLine + 1)];
    if (InGrid(c.lastTrack) && c.lastTrack != c.firstTrack) row[static_cast<size_t>(c.lastTrack)] = c.description;
    if (InGrid(c.firstTrack)) row[static_cast<size_t>(c.firstTrack)] = c.description;
  }
  selected_ = -1;
}

void DisplayOptions::Save(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks) const {
  for (size_t i = 0; i < curves.size() && i < curves_.size(); ++i) curves[i] = curves_[i];
  for (size_t i = 0; i < tracks.size() && i < tracks_.size(); ++i) tracks[i] = tracks_[i];
}

const std::string& DisplayOptions::Cell(int row, int column) const {
  static const std::string none;
  if (row < 0 || row > kGridLegendRows || column < 0 || column >= kGridColumns) return none;
  return grid_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

bool DisplayOptions::CellEmpty(int row, int column) const {
  return row >= 1 && row <= kGridLegendRows && InGrid(column) && Cell(row, column).empty();
}

CurveControls DisplayOptions::Select(int index) {
  if (index < 0 || index >= static_cast<int>(curves_.size())) return {};
  selected_ = index;
  const CurveRecord& c = curves_[static_cast<size_t>(index)];
  colour_ = c.lineColour;
  printStyle_ = c.printLineStyle;
  if (c.headerFlag) {
    savedRow_ = c.headerLine + 1;
    savedColumn_ = c.firstTrack;
  }
  return Controls();
}

CurveControls DisplayOptions::Controls() const {
  CurveControls k;
  if (selected_ < 0) return k;
  const CurveRecord& c = curves_[static_cast<size_t>(selected_)];
  k.shown = c.headerFlag != 0;
  k.reverse = c.scaleFlag == 0;
  int type = 0, width = 1;
  if (doc_ && doc_->GetFilter(c.physicalChannel, &type, &width)) {
    k.filterType = type >= 0 && type < kFilterKinds ? type : -1;
    k.filterStep = std::clamp((width - 1) / 2, 0, kMaxFilterStep);
  }
  k.minimum = c.scaleMinimum;
  k.maximum = c.scaleMaximum;
  k.title = c.description;
  k.shortTitle = c.shortTitle;
  k.unit = c.unit;
  if (InGrid(c.firstTrack)) {
    const TrackRecord& t = tracks_[static_cast<size_t>(c.firstTrack)];
    k.gridEnable = t.gridFlag != 0;
    k.logarithmic = (t.gridStyle & kGridLogarithmic) != 0;
    k.linear = (t.gridStyle & kGridLinear) != 0;
  }
  return k;
}

void DisplayOptions::Store(int index, const CurveControls& k) {
  if (index < 0 || index >= static_cast<int>(curves_.size())) return;
  CurveRecord& c = curves_[static_cast<size_t>(index)];
  c.lineColour = colour_;
  c.printLineStyle = printStyle_;
  c.headerFlag = k.shown ? 1 : 0;
  c.scaleFlag = k.reverse ? 0 : 1;
  if (doc_) {
    int type = 0, width = 1;
    doc_->GetFilter(c.physicalChannel, &type, &width);
    // A type the list cannot show stays as it was.
    doc_->SetFilter(c.physicalChannel, k.filterType >= 0 ? k.filterType : type,
                    2 * std::clamp(k.filterStep, 0, kMaxFilterStep) + 1);
  }
  if (k.maximum > k.minimum) {
    c.scaleMinimum = static_cast<float>(k.minimum);
    c.scaleMaximum = static_cast<float>(k.maximum);
  }
  c.shortTitle = k.shortTitle;
  c.description = k.title;
  c.unit = k.unit;
  if (InGrid(c.firstTrack)) {
    TrackRecord& t = tracks_[static_cast<size_t>(c.firstTrack)];
    t.gridFlag = k.gridEnable ? 1 : 0;
    if (k.logarithmic)
      t.gridStyle = kLogGridStyle;
    else if (k.linear)
      t.gridStyle = kLinearGridStyle;
  }
}

void DisplayOptions::RebuildGrid() {
  for (int r = 1; r <= kGridLegendRows; ++r) grid_[static_cast<size_t>(r)].fill({});
  for (auto& c : curves_) {
    if (!c.headerFlag || !InGrid(c.firstTrack) || !InGrid(c.lastTrack)) continue;
    for (int r = 1; r <= kGridLegendRows; ++r) {
      if (!CellEmpty(r, c.firstTrack) || !CellEmpty(r, c.lastTrack)) continue;
      c.headerLine = r - 1;
      grid_[static_cast<size_t>(r)][static_cast<size_t>(c.firstTrack)] = c.description;
      grid_[static_cast<size_t>(r)][static_cast<size_t>(c.lastTrack)] = c.description;
      break;
    }
  }
  if (selected_ >= 0) {
    const CurveRecord& s = curves_[static_cast<size_t>(selected_)];
    savedRow_ = s.headerLine + 1;
    savedColumn_ = s.firstTrack;
  }
}

GridClick DisplayOptions::Click(int row, int column) {
  GridClick out{false, false, row, column};
  // Refused clicks beep; those on a forbidden column or another row of the
  // curve's own column also put the grid back on the curve's cell.
  auto refuse = [&](bool restore = false) {
    out.beep = true;
    if (restore) {
      out.row = savedRow_;
      out.column = savedColumn_;
    }
    return out;
  };
  auto rebuilt = [&] {
    RebuildGrid();
    out.changed = true;
    return out;
  };
  if (selected_ < 0) return refuse();
  CurveRecord& s = curves_[static_cast<size_t>(selected_)];
  if (restricted_ && s.physicalChannel > 6 && column < 2) return refuse(true);
  if (s.headerFlag && (column == s.firstTrack || column == s.lastTrack)) {
    if (row != savedRow_ && column != savedColumn_) return refuse(true);
    if (row == savedRow_) {
      if (s.firstTrack != s.lastTrack) {
        if (column == s.firstTrack)
          s.firstTrack = s.lastTrack;
        else
          s.lastTrack = s.firstTrack;
      } else {
        s.headerFlag = 0;
        s.firstTrack = s.lastTrack = 0;
      }
    }
    return rebuilt();
  }
  if (!restricted_ && s.headerFlag && s.firstTrack == s.lastTrack && s.firstTrack > 1) {
    if (!CellEmpty(row, column) || column <= 1) return refuse();
    if (column > s.firstTrack)
      s.lastTrack = column;
    else
      s.firstTrack = column;
    return rebuilt();
  }
  if (s.headerFlag) return refuse();
  // The depth track takes no curve.
  if (!CellEmpty(row, column) || column == kDepthTrackNumber) return refuse();
  s.firstTrack = s.lastTrack = column;
  s.headerFlag = 1;
  return rebuilt();
}

void DisplayOptions::Logarithmic(CurveControls& k) {
  if (selected_ < 0) return;
  const CurveRecord s = curves_[static_cast<size_t>(selected_)];
  const bool span = Spans(s);
  if (span) tracks_[kTrack2].gridStyle = tracks_[kTrack3].gridStyle = kLogGridStyle;
  const LogScale scale =
      NormaliseLogScale(static_cast<float>(k.minimum), static_cast<float>(k.maximum), span, 0.999999f);
  k.minimum = scale.minimum;
  k.maximum = scale.maximum;
  const int decades = scale.Decades(span);
  for (auto& c : curves_) {
    if (c.firstTrack != s.firstTrack && c.firstTrack != s.lastTrack) continue;
    const int f = Spans(c) ? 2 : 1;
    if (!(c.scaleMinimum > 0.0f)) c.scaleMinimum = 1.0f;
    const int low = ScaleDecade(c.scaleMinimum, 0.99999f);
    c.scaleMinimum = static_cast<float>(scale.mantissa * std::pow(10.0, low));
    c.scaleMaximum = static_cast<float>(scale.mantissa * std::pow(10.0, low + decades * f));
  }
}

void DisplayOptions::Linear(const CurveControls&) {
  if (selected_ < 0) return;
  if (Spans(curves_[static_cast<size_t>(selected_)]))
    tracks_[kTrack2].gridStyle = tracks_[kTrack3].gridStyle = kLinearGridStyle;
}

void DisplayOptions::Rename(const std::string& title) {
  if (selected_ < 0) return;
  curves_[static_cast<size_t>(selected_)].description = title;
  RebuildGrid();
}

}  // namespace curveview
