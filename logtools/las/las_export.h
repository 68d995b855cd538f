// Export of a recorded six-channel (.LOG) or twelve-channel (.LGX) log to a
// LAS 2.0 text file: calibrated, optionally depth-aligned and filtered
// channels, optionally passed through a user-function library, one row per
// output interval, in log order or reversed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "header/header_info.h"
#include "header/section_access.h"
#include "sondedb/records/records.h"

// The null value of the LAS file, also the empty value of the windows.
inline constexpr double kLasNull = -999.25;

struct LasExportSettings {
  std::string InputPath;         // the log's data file
  std::string LasPath;           // the LAS file to write
  std::string CalibrationPath;   // the log's data file (its header) or a .cal file; empty: none
  std::string UserFunctionPath;  // a user-function library; empty: none
  int TwelveChannel = 0;         // 1: an .LGX log with twelve channels and a TIME column
  int RawFilter = 0;             // 1: channels are filtered in the raw window
  int ReverseDepth = 0;          // 1: rows in reverse order
  double FromDepth = 0;          // thousandths of the depth unit
  double ToDepth = 0;
  double Interval = 0;
};

// The chosen channels, in column order; the export does not own them.
using LasChannels = std::vector<const CurveRecord*>;

// Runs the whole export; 1 on success, 0 on failure. settings' depths and
// interval are normalised in place. The LAS file is replaced only when the
// export succeeds.
int ExportLas(LasExportSettings* settings, const HeaderInfo* header, const LasChannels* channels);

// The parts of the LAS text, appended to out (lines end with CR LF).
void WriteLasHeader(std::string& out, const HeaderInfo& header, const LasExportSettings& settings);
void WriteLasCurveInfo(std::string& out, const HeaderInfo& header, const LasChannels& channels,
                       const LasExportSettings& settings);
// row: 16 values (0 depth, 1..12 the channels by physical channel, 13 time in ms).
void WriteLasDataRow(std::string& out, const double* row, const LasChannels& channels,
                     const LasExportSettings& settings);

// Overwrites entries of a 16 x 4 coefficient table (by physical channel minus
// one) from a log's header or a calibration file.
void ReadExportCalibration(const std::string& path, double (*coefficients)[4]);
// Reads the sonde length and the channel filters of the log, stores each
// channel's window row in OffsetCopy and returns the window's row count.
int SetUpExportChannels(const std::string& dataPath, const HeaderInfo& header, ChannelFilter* table, int channels);
