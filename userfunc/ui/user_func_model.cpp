#include "userfunc/ui/user_func_model.h"

#include <algorithm>

#include "platform/text/cnum.h"
#include "platform/text/strings.h"

namespace qv {
namespace {
constexpr unsigned kStrOutputTitle = 32226;
constexpr unsigned kStrOutputShort = 32227;
constexpr unsigned kStrNewName = 32228;
constexpr unsigned kStrNewNameNumbered = 32229;
constexpr unsigned kStrCps = 32060;
constexpr ColourRef kBlue = 0x00FF0000;
constexpr int kOwnChannels = 12;  // physical channels a user function writes

std::string Fill(unsigned id, int n) {
  std::string fmt = LoadFileString(id);
  const auto at = fmt.find("%d");
  if (at != std::string::npos) fmt.replace(at, 2, std::to_string(n));
  return fmt;
}

std::string FillName(unsigned id, const std::string& abbrev, int n) {
  std::string fmt = LoadFileString(id);
  if (const auto at = fmt.find("%s"); at != std::string::npos) fmt.replace(at, 2, abbrev);
  if (const auto at = fmt.find("%d"); at != std::string::npos) fmt.replace(at, 2, std::to_string(n));
  return fmt;
}
}  // namespace

void InitOutputChannel(CurveRecord* r, int n, int track) {
  r->headerLine = n / 3;
  r->firstTrack = track;
  r->lastTrack = track;
  r->headerFlag = 1;
  r->scaleFlag = 1;
  // The titles carry n itself, so the first output reads "Output Channel 0"
  // on physical channel 1; stored functions rely on these names.
  r->description = Fill(kStrOutputTitle, n);
  r->shortTitle = Fill(kStrOutputShort, n);
  r->unit = LoadFileString(kStrCps);
  r->physicalChannel = n + 1;
  r->logicalChannel = 0;
  r->window = 0;
  r->adjustment = 0;
  r->mode = 0;
  r->fillColour = 0;
  r->lineColour = kBlue;
  r->printLineStyle = 0;
  r->scaleMinimum = 0.0f;
  r->scaleMaximum = 10000.0f;
  r->screenRect = RecordRect{};
}

void FitOutputRecords(CurveArray* curves, int outputs, bool sonic) {
  int highest = 0;
  for (int i = static_cast<int>(curves->size()) - 1; i >= 0; --i) {
    const int channel = (*curves)[static_cast<size_t>(i)]->physicalChannel;
    if (channel > kOwnChannels) continue;
    highest = std::max(highest, channel);
    if (channel > outputs) curves->erase(curves->begin() + i);
  }
  // Whether a visible output holds legend row LINE of TRACK.
  const auto held = [&](int track, int line) {
    return std::any_of(curves->begin(), curves->end(), [&](const std::unique_ptr<CurveRecord>& c) {
      return c->headerFlag && c->headerLine == line && (c->firstTrack == track || c->lastTrack == track);
    });
  };
  for (int m = highest; m < outputs; ++m) {
    int track = m % 3 + 1;
    if (track == 1 || sonic) track = 0;
    auto record = std::make_unique<CurveRecord>();
    InitOutputChannel(record.get(), m, track);
    // Every visible output has a cell of its own in the grid; one for which
    // its track has no free row left starts hidden (the user may place it).
    if (record->headerLine >= TrackLayout::kRows - 1 || held(track, record->headerLine)) {
      int line = 0;
      while (line < TrackLayout::kRows - 1 && held(track, line)) ++line;
      if (line < TrackLayout::kRows - 1) {
        record->headerLine = line;
      } else {
        record->headerFlag = 0;
        record->firstTrack = record->lastTrack = 0;
      }
    }
    curves->push_back(std::move(record));
  }
}

std::string NewFunctionName(const std::string& abbrev, const std::vector<std::string>& names) {
  const auto taken = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
  std::string name = FillName(kStrNewName, abbrev, 0);
  for (int k = 1; taken(name); ++k) name = FillName(kStrNewNameNumbered, abbrev, k);
  return name;
}

SelectionLeave CheckSelectionLeave(const std::string& name, const std::string& outputsText, int* outputs) {
  if (name.empty()) return SelectionLeave::Unchecked;
  // The whole text must be a number, as the edit's validation reads it.
  const size_t begin = outputsText.find_first_not_of(' ');
  const size_t end = outputsText.find_last_not_of(' ');
  if (begin == std::string::npos) return SelectionLeave::Invalid;
  const std::string digits = outputsText.substr(begin, end - begin + 1);
  size_t i = digits[0] == '+' || digits[0] == '-' ? 1 : 0;
  if (i == digits.size() || digits.size() > 6) return SelectionLeave::Invalid;
  for (; i < digits.size(); ++i)
    if (digits[i] < '0' || digits[i] > '9') return SelectionLeave::Invalid;
  const int n = AtoiC(digits.c_str());
  if (n < kMinOutputs || n > kMaxOutputs) return SelectionLeave::Invalid;
  *outputs = n;
  return SelectionLeave::Valid;
}

UserFunctionFilter* FilterEntryOf(UserFunctionFilter* table, const CurveRecord& output) {
  const int index = output.physicalChannel - 1;
  if (index < 0 || index >= kUserFunctionFilterTableSize) return nullptr;
  return &table[index];
}

void StoreFilter(UserFunctionFilter* entry, int comboIndex, int spinPosition) {
  if (!entry) return;
  if (comboIndex >= 0) entry->FilterType = static_cast<std::uint8_t>(comboIndex);
  entry->FilterWidth = 2 * spinPosition + 1;
}

void TrackLayout::Fill(std::vector<CurveRecord>& outputs) {
  for (int row = 1; row < kRows; ++row)
    for (auto& cell : cells_[row]) cell.clear();
  for (CurveRecord& o : outputs) {
    if (!o.headerFlag) continue;
    const int first = o.firstTrack, last = o.lastTrack;
    if (first < 0 || first >= kColumns || last < 0 || last >= kColumns) continue;
    int row = 1;
    while (row < kRows && !cells_[row][first].empty()) ++row;
    if (last != first)
      while (row < kRows && !cells_[row][last].empty()) ++row;
    if (row >= kRows) {
      // No room: the output is hidden rather than claim a cell it can not have.
      o.headerFlag = 0;
      o.firstTrack = o.lastTrack = 0;
      continue;
    }
    o.headerLine = row - 1;
    cells_[row][last] = o.description;
    cells_[row][first] = o.description;
  }
}

void TrackLayout::Place(CurveRecord& o, int column, bool extend) {
  if (!extend) {
    int row = 1;
    while (row <= 5 && !cells_[row][column].empty()) ++row;
    if (row > 5) row = rememberedRow_;  // a full column reuses the remembered row
    o.headerLine = row - 1;
    rememberedRow_ = row;
    cells_[row][column] = o.description;
    o.firstTrack = o.lastTrack = column;
  } else if (column > o.firstTrack) {
    o.lastTrack = column;
  } else {
    o.firstTrack = column;
  }
  rememberedColumn_ = o.firstTrack;
  o.headerFlag = 1;
}

void TrackLayout::Remove(std::vector<CurveRecord>& outputs, CurveRecord& o, int row, int column) {
  if (row != rememberedRow_) return;
  if (o.firstTrack != o.lastTrack) {
    const int other = column == o.firstTrack ? o.lastTrack : o.firstTrack;
    o.firstTrack = o.lastTrack = other;
  } else {
    o.headerFlag = 0;
    o.firstTrack = o.lastTrack = 0;
  }
  for (CurveRecord& other : outputs) {
    if (!other.headerFlag || (other.firstTrack != column && other.lastTrack != column)) continue;
    if (other.headerLine + 1 > row) --other.headerLine;
  }
  rememberedColumn_ = o.firstTrack;
  rememberedRow_ = row;
}

bool TrackLayout::Click(std::vector<CurveRecord>& outputs, int selected, int row, int column, bool sonic) {
  if (selected < 0 || selected >= static_cast<int>(outputs.size()) || row < 1 || row >= kRows || column < 0 ||
      column >= kColumns)
    return false;
  if (sonic && column != 0) return false;
  CurveRecord& o = outputs[static_cast<size_t>(selected)];
  const bool empty = cells_[row][column].empty();
  if (o.headerFlag && (column == o.firstTrack || column == o.lastTrack)) {
    if (row != rememberedRow_ && column != rememberedColumn_) return false;
    Remove(outputs, o, row, column);
  } else if (o.headerFlag) {
    if (o.firstTrack != o.lastTrack || o.firstTrack < 2 || column <= 1 || !empty) return false;
    Place(o, column, true);
  } else {
    if (!empty || column == 1) return false;
    Place(o, column, false);
  }
  Fill(outputs);
  return true;
}

}  // namespace qv
