// What a new log needs before its document exists, without widgets: the tool
// type and communication standard of a sonde or a data file, a free log file
// name, a sonde's user functions, and the record the new-log wizard hands to
// the new document (with the sonde set-up it reads from the sonde database).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/core/log_modes.h"
#include "devices/tbdevice/tbdevice.h"
#include "header/section_access.h"
#include "logtools/engine/tool_type.h"
#include "sondedb/records/records.h"

namespace qv {

// The tool type of a sonde (isFile false: its database type; -1 when it
// cannot be looked up) or of a recorded data file (isFile true: by extension
// and the files beside it, see GetFileToolType).
int GetToolType(const std::string& name, bool isFile);
// The communication standard of a data file's log (its header's ComStd, 0
// when absent) or of a sonde (its database ComStd).
int GetComStd(const std::string& name, bool isFile);

// Whether "<folder><name>.<ext>" names an existing file, whatever its letter
// case (FOLDER ends with a separator).
bool FileNameTaken(const std::string& folder, const std::string& name, const std::string& extension);
// Makes NAME free in FOLDER (which ends with a separator) for EXTENSION:
// unchanged when "<folder><name>.<ext>" does not exist (whatever its letter
// case), else NAME followed by the first counter 1, 2, ... that is free.
void MakeUniqueFileName(std::string& name, const std::string& folder, const std::string& extension);

// The user functions of a sonde in the program's Userfunction folder: their
// display names, in list order; paths receives their libraries in the same
// order (emptied first).
std::vector<std::string> ListUserFunctions(const std::string& sonde, std::vector<std::string>* paths);

// The folder new logs go to: DATA under the program folder, with a trailing
// separator.
std::string DefaultLogFolder();

// The log mode of the wizard's radio index (0 Up, 1 Down, 2 Time, 3 Async); 0
// for any other index.
int LogModeOfRadio(int index);

// One entry of the channel table: a curve of the sonde that the new document
// reads its channels from.
struct LogChannel {
  std::string shortTitle;
  std::string unit;
  int physicalChannel = -1;  // -1: empty entry
};
inline constexpr int kLogChannels = 16;

// The new-log wizard's hand-over to the new log document. Valid after the
// wizard returned OK; curves and tracks become the caller's.
struct LogWizardResult {
  std::array<LogChannel, kLogChannels> channels{};
  SondePowerBlock sondePower{};
  CurveArray curves;
  TrackArray tracks;
  std::array<ChannelFilter, kLogChannels> filters{};  // by physical channel - 1
  std::string fileName;
  std::string dataFolder;  // with a trailing separator
  std::string sondeAbbreviation;
  std::string calibrationFile;  // full path; empty: none
  std::string userFunctionPath;
  int toolType = kToolNone;
  int logMode = kLogModeNone;
  int depthScaleIndex = 3;  // 1 with imperial units, 3 with metric units
  // Handed over as the wizard was made; it never changes them.
  int reserved[3] = {0, 0, 0};
  int reservedFlag = 1;
  int calibrationOn = 0;
  int userFunctionOn = 0;
  int printerOutput = 0;
  int sondePowerLoaded = 0;
};

// The channel table from the curves: the first 16 curves whose physical
// channel is 1 to 16, in curve order; the rest of the table is empty.
void FillChannelTable(const CurveArray& curves, std::array<LogChannel, kLogChannels>& table);

// The full path of the calibration file a sonde's database row names
// (CALIBFILE, in the Calibration folder, found whatever its letter case);
// empty when the sonde has none or cannot be looked up.
std::string SondeCalibrationFile(const std::string& sonde, const std::string& serial);

// Reads what the wizard takes from the sonde database for the sonde: the
// abbreviation, tool type, calibration file, curves, tracks and channel
// table, the raw-data filters and the sonde power (sondePowerLoaded 1 when
// the power set-up was found; the block stays zero otherwise). False, with
// only abbreviation and tool type set, when the sonde's type cannot be read.
bool LoadLogWizardSonde(LogWizardResult& result, const std::string& sonde, const std::string& serial);

}  // namespace qv
