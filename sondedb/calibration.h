// A sonde's calibration: the records built from the sonde database and the
// sonde's calibration file (INI text, .cal, in the Calibration folder), the
// file's history beside it (.hst), and recording a finished calibration.
//
// Calibration file layout: [General] LastModified, Sonde, SerialNo; one
// [Channel<n>] section per calibrated channel, numbered by physical channel,
// with LastCalibration, NextCalibration, CalibrationInterval,
// CalibrationMethod, Coefficient0..3, JigCount and ReferencePoint0.. (or
// NEAR/FAR for the near/far detector regime).
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "sondedb/records/records.h"
#include "sondedb/sondedb.h"

namespace qv {

// The Calibration folder under the program folder.
std::string CalibrationFolder();

// Fills the set from the sonde the recordset stands on (exactly one row), its
// channel rows in logical-channel order and its calibration file; a sonde
// without a usable file gets one made from "Default.cal". 1 on success.
int LoadSondeCalibration(SondeRecordset* sonde, CalibrationSet* set);
// Reads Coefficient0 .. Coefficient<count-1> (at most four) of section
// Channel<number> into block (four doubles). 0 when one is missing or empty
// (those read before stay), 1 otherwise (also for count 0).
int LoadCalibCoeffs(const std::string& file, int count, unsigned number, double* block);
// The CALIBFILE of the one sonde with that abbreviation (and serial); 1 when
// found.
int GetSondeCalibFileName(std::string& out, const std::string& abbreviation, const std::string& serial);
// Records today's date and the record's unit in its channel row; 1 when
// stored.
int UpdateCalibratedChannel(const ChannelCalibration* rec);

// The history of a calibration file: every save of a calibration appends the
// values it overwrote. Lines end with CR LF.
class CalibrationHistory {
 public:
  CalibrationHistory() = default;
  ~CalibrationHistory();
  CalibrationHistory(const CalibrationHistory&) = delete;
  CalibrationHistory& operator=(const CalibrationHistory&) = delete;

  // Opens the history of a calibration file for appending, creating it with
  // its two header lines (dated openedAt) when it does not exist. Failures
  // are shown in a box; the history then stays closed.
  bool Open(const std::string& calibrationFile, std::time_t openedAt);
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  // Appends text; each "\n" is written as CR LF.
  void Append(const std::string& text);
  void Close();

 private:
  std::string path_;
  FILE* file_ = nullptr;
};

// Writes one key of a calibration file, first appending its previous value
// (default "0") to the history when one is given. True when the write
// succeeded.
bool WriteCalibrationKey(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file, CalibrationHistory* history);

// What a calibration measured: the reference points (or, for the near/far
// detector regime 2, the two count rates and the expected ratio).
struct CalibrationMeasurement {
  int regime = 0;
  int pointCount = 0;  // at most four points are kept
  double references[kCoefficientSlots] = {};
  uint16_t counts[kCoefficientSlots] = {};
  int nearCount = 0;
  int farCount = 0;
  double expectedRatio = 0;
};

// Saves a channel's calibration into the set's calibration file at time
// now: the General keys, the channel's dates, method, coefficients and
// reference points, logging the overwritten values when the file was saved
// before and the history is open. The record's calibration date becomes now.
// True only when every key was written.
bool SaveChannelCalibration(const CalibrationSet& set, ChannelCalibration& rec, const CalibrationMeasurement& m,
                            CalibrationHistory* history, std::time_t now);

// A time as the calibration files write dates ("%d %b %y" and the like), in
// the C locale.
std::string FormatFileDate(const char* fmt, std::time_t t);

}  // namespace qv
