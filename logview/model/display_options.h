// The editing logic of the "Display Options" dialog, free of widgets: working
// copies of a view's curves and tracks, the legend grid (which curve's name
// sits in which track and row), the rules of a click into that grid, and the
// logarithmic scale alignment. The dialog only moves values between its
// controls and this model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "logview/model/document.h"
#include "logview/model/records.h"

namespace curveview {

inline constexpr int kGridColumns = 4;     // Track 1, Depth, Track 2, Track 3
inline constexpr int kGridLegendRows = 6;  // legend rows the grid offers
inline constexpr int kFilterKinds = 4;     // None, Moving Average, Median, Combined
inline constexpr int kMaxFilterStep = 25;  // filter width 2 x step + 1, at most 51

// The values the dialog's controls show for the selected curve.
struct CurveControls {
  std::string title, shortTitle, unit;
  bool shown = false;
  bool reverse = false;  // minimum at the right edge
  double minimum = 0.0, maximum = 0.0;
  int filterType = 0;  // -1: the stored type has no entry in the list
  int filterStep = 0;  // width = 2 x step + 1
  bool gridEnable = false;
  bool logarithmic = false;
  bool linear = false;
  bool operator==(const CurveControls&) const = default;
};

// What a click into the legend grid did.
struct GridClick {
  bool beep = false;        // refused
  bool changed = false;     // the grid was rebuilt and the controls must be refreshed
  int row = 0, column = 0;  // the grid's current cell afterwards
};

class DisplayOptions {
 public:
  // Restricted: curves of physical channels above 6 may only lie in tracks 2
  // and 3. The document's filter tables are edited directly.
  DisplayOptions(bool restricted, CurveDocument* document);

  // Takes working copies and fills the grid from the curves' own rows.
  void Load(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks);
  // Copies the working records back (all fields but the drawers).
  void Save(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks) const;

  const std::vector<CurveRecord>& Curves() const { return curves_; }
  const std::vector<TrackRecord>& Tracks() const { return tracks_; }
  const std::string& Cell(int row, int column) const;
  int Selected() const { return selected_; }
  std::uint32_t CurrentColour() const { return colour_; }
  int CurrentPrintStyle() const { return printStyle_; }
  void SetCurrentColour(std::uint32_t c) { colour_ = c; }
  void SetCurrentPrintStyle(int s) { printStyle_ = s; }
  int SavedRow() const { return savedRow_; }
  int SavedColumn() const { return savedColumn_; }

  // Selects a curve: its colour and style become current and, when shown,
  // its grid cell becomes the saved cell. Returns its control values.
  CurveControls Select(int index);
  // The control values of the selected curve as the records hold them.
  CurveControls Controls() const;
  // Stores control values into a curve (ignored for indexes out of range).
  void Store(int index, const CurveControls& controls);

  // A click on grid cell (row, column); row 0 is the heading.
  GridClick Click(int row, int column);
  // "Logarithmic" chosen (or a scale end left while it is): aligns the
  // selected curve's scale and those of its track on whole decades.
  void Logarithmic(CurveControls& controls);
  void Linear(const CurveControls& controls);
  // A new title for the selected curve.
  void Rename(const std::string& title);

  void RebuildGrid();

 private:
  bool CellEmpty(int row, int column) const;
  bool Spans(const CurveRecord& c) const { return c.firstTrack == 2 && c.lastTrack == 3; }

  bool restricted_;
  CurveDocument* doc_;
  std::vector<CurveRecord> curves_;
  std::vector<TrackRecord> tracks_;
  std::array<std::array<std::string, kGridColumns>, kGridLegendRows + 1> grid_{};
  int selected_ = -1;
  std::uint32_t colour_ = 0;
  int printStyle_ = 0;
  int savedRow_ = 0, savedColumn_ = 0;
};

}  // namespace curveview
