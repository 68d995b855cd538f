// The widget-free side of the user-function tool: the default display of an
// output, fitting the output display records to the number of outputs when
// the selection page is left, the default name of a new function, the
// output-count check of that page, the output filter entry an output edits,
// and the track layout of the display-options page.
#pragma once

#include <string>
#include <vector>

#include "header/user_function_ini.h"
#include "sondedb/records/records.h"

namespace qv {

inline constexpr int kMinOutputs = 1;
inline constexpr int kMaxOutputs = 12;

// The default display of output N + 1 in TRACK.
void InitOutputChannel(CurveRecord* record, int n, int track);

// Fits the output records (physical channels 1 to 12) to OUTPUTS: records of
// outputs above it are deleted, and default records are appended from the
// highest output met upwards. Records of channels above 12 (a sonic sonde's
// own) stay. A sonic sonde puts every new output into track 0.
void FitOutputRecords(CurveArray* curves, int outputs, bool sonic);

// "<abbrev> UserFunction", or with 1, 2, ... appended while NAMES holds it.
std::string NewFunctionName(const std::string& abbrev, const std::vector<std::string>& names);

// Leaving the selection page: an empty name lets it go unchecked; otherwise
// the number of outputs must parse and lie within 1 to 12.
enum class SelectionLeave { Unchecked, Valid, Invalid };
SelectionLeave CheckSelectionLeave(const std::string& name, const std::string& outputsText, int* outputs);

// The output filter entry of an output's physical channel; null when the
// channel has none (outside 1 to 16).
UserFunctionFilter* FilterEntryOf(UserFunctionFilter* table, const CurveRecord& output);
// Stores the page's filter controls into ENTRY: a combo index the combo does
// not list (-1) keeps the stored type; the width is 2 x POSITION + 1.
void StoreFilter(UserFunctionFilter* entry, int comboIndex, int spinPosition);

// The track alignment: rows 0 (headings) to 6, columns 0 to 3 (column c is
// track c; column 1 the depth track). A visible output occupies the cell in
// row HEADERLINE + 1 of its first track and, when it spans two, of its last.
class TrackLayout {
 public:
  static constexpr int kRows = 7;
  static constexpr int kColumns = 4;

  const std::string& Cell(int row, int column) const { return cells_[row][column]; }
  int RememberedRow() const { return rememberedRow_; }
  int RememberedColumn() const { return rememberedColumn_; }
  void Remember(int row, int column) {
    rememberedRow_ = row;
    rememberedColumn_ = column;
  }

  // Lays the visible outputs out in entry order and sets each one's
  // HEADERLINE to the row it got; one that finds no free row is hidden.
  void Fill(std::vector<CurveRecord>& outputs);
  // A click on (ROW, COLUMN) with output SELECTED chosen: places, extends or
  // removes it and refills the layout. False for a click the rules do not
  // allow (the caller beeps); the layout is then unchanged.
  bool Click(std::vector<CurveRecord>& outputs, int selected, int row, int column, bool sonic);

 private:
  void Place(CurveRecord& output, int column, bool extend);
  void Remove(std::vector<CurveRecord>& outputs, CurveRecord& output, int row, int column);

  std::string cells_[kRows][kColumns];
  int rememberedRow_ = 1;
  int rememberedColumn_ = 0;
};

}  // namespace qv
