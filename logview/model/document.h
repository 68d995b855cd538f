// What the curve display reads of, and writes back to, its log document. The
// log documents implement this; tests script it.
#pragma once

#include <string>

#include "header/section_access.h"
#include "header/user_function_ini.h"
#include "sondedb/display.h"
#include "sondedb/records/records.h"

struct HeaderInfo;
struct TrailerText;

namespace curveview {

class PrintableLog;

inline constexpr int kLogModeTime = 10;
inline constexpr int kLogModeUp = 11;
inline constexpr int kLogModeDown = 12;
inline constexpr int kToolKindTwelveChannel = 8;

class CurveDocument {
 public:
  virtual ~CurveDocument() = default;

  virtual int LogMode() const = 0;     // 10 time, 11 logging up, 12 logging down
  virtual bool Imperial() const = 0;   // depths in feet
  virtual int DepthStep() const = 0;   // thousandths of the depth unit
  virtual int DepthScale() const = 0;  // N of 1:N
  virtual int ToolKind() const { return 0; }
  virtual bool UserFunction() const { return false; }
  virtual bool Live() const { return true; }
  virtual bool TestMode() const { return false; }
  virtual bool RealtimePrint() const { return false; }
  // A recorder failure ends real-time printing for the log.
  virtual void ClearRealtimePrint() {}
  virtual int DisplayDepthOffset() const { return 0; }
  virtual int ReplayStartDepth() const { return 0; }
  // Reports and clears the flag the document sets when a record starts a new
  // minute; called once per display row.
  virtual bool TakeMinuteMark() { return false; }

  // Filter of a physical channel (from 1), in the user-function table when
  // the log runs a user function, else in the raw-data table. False when the
  // channel has no entry.
  bool GetFilter(int physicalChannel, int* type, int* width);
  void SetFilter(int physicalChannel, int type, int width);

  // The sonde the log was recorded with.
  virtual std::string SondeAbbreviation() const { return {}; }
  // The newest raw, calibrated and user-function values (twelve each) for the
  // channel display; false when there are none yet.
  virtual bool LatestValues(double* /*raw*/, double* /*calibrated*/, double* /*user*/) const { return false; }

  // Writing the channel part of the log's header.
  // The log's data path: folder, name and chain number, ending in a dot.
  virtual std::string PathStem() const { return {}; }
  // Copies of the log's header record and trailer text as they stand in
  // memory; false when the document holds none.
  virtual bool LogHeaderTexts(HeaderInfo* /*header*/, TrailerText* /*trailer*/) const { return false; }
  virtual int SondeLength() const { return 0; }
  virtual std::string UserLibrary() const { return {}; }
  virtual void ClearUserLibrary() {}
  // The raw-data filter table (16 entries by physical channel), or null.
  virtual ChannelFilter* RawFilterTable() { return nullptr; }
  // The user-function output filter table (16 entries), or null.
  virtual UserFunctionFilter* UserFunctionFilterTable() { return nullptr; }
  // A filter of the tables above was changed (SetFilter): a running log's
  // processing takes it from its next record.
  virtual void FiltersChanged() {}
  virtual std::string SondeSerialNo() const { return {}; }
  // Samples per waveform of a sonic log's records (0: the records carry none).
  virtual int WaveformSamples() const { return 0; }
  // The sonde's own layout from the sonde database; false when not found.
  virtual bool LoadSondeLayout(TrackArray* tracks, CurveArray* curves) {
    return qv::LoadDisplayParametersFromDatabase(tracks, curves, SondeAbbreviation(), SondeSerialNo()) == 1;
  }

  // What page printing reads and replays of the log; null when the log
  // cannot be printed.
  virtual PrintableLog* Printable() { return nullptr; }

  bool TwelveChannel() const { return ToolKind() == kToolKindTwelveChannel; }
  // -1 logging up, +1 logging down, 0 time: how the shown depth moves per record.
  int DepthDirection() const { return LogMode() == kLogModeUp ? -1 : LogMode() == kLogModeDown ? 1 : 0; }
};

inline bool CurveDocument::GetFilter(int physicalChannel, int* type, int* width) {
  if (physicalChannel < 1 || physicalChannel > kFilterTableSize) return false;
  const auto i = static_cast<size_t>(physicalChannel - 1);
  if (UserFunction()) {
    const UserFunctionFilter* t = UserFunctionFilterTable();
    if (!t) return false;
    *type = t[i].FilterType;
    *width = t[i].FilterWidth;
  } else {
    const ChannelFilter* t = RawFilterTable();
    if (!t) return false;
    *type = t[i].FilterType;
    *width = t[i].FilterWidth;
  }
  return true;
}

inline void CurveDocument::SetFilter(int physicalChannel, int type, int width) {
  if (physicalChannel < 1 || physicalChannel > kFilterTableSize) return;
  const auto i = static_cast<size_t>(physicalChannel - 1);
  if (UserFunction()) {
    if (UserFunctionFilter* t = UserFunctionFilterTable()) {
      t[i].FilterType = static_cast<std::uint8_t>(type);
      t[i].FilterWidth = width;
    }
  } else if (ChannelFilter* t = RawFilterTable()) {
    t[i].FilterType = static_cast<std::uint8_t>(type);
    t[i].FilterWidth = width;
  }
  FiltersChanged();
}

}  // namespace curveview
