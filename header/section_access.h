// Single sections and keys of a log's header file, for the tools that need
// one piece of a header without loading all of it.
//
// Data-path functions take the data file's path (or any path whose last
// component has an extension) and use the ".hed" beside it; without an
// extension they do nothing and return 0. Header-path functions take the
// header file's own path. Every writer replaces the file whole, so a failed
// write leaves the previous header untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "header/header_info.h"
#include "sondedb/records/records.h"

class HedFile;

// The raw-data filter of one physical channel; tables of kFilterTableSize
// entries indexed by physical channel minus one.
struct ChannelFilter {
  std::uint8_t FilterType = 0;  // 0 none, 1..4 the filter kinds
  int Present = 0;              // 1: the header has a section for the channel
  int FilterWidth = 0;          // samples, odd after reading
  int Offset = 0;               // depth offset of the measure point, centimetres
  int OffsetCopy = 0;           // working copy of Offset; never stored

  bool operator==(const ChannelFilter&) const = default;
};
inline constexpr int kFilterTableSize = 16;
// The string ids of the filter types' names, by FilterType: "None",
// "Moving Average", "Median Filter", "Combined Filter".
inline constexpr unsigned kFilterTypeNames[] = {32342, 32340, 32440, 32441};

// The free-pipe gates of one cement-bond receiver.
struct FreePipeGate {
  int PipeSize = 0;
  int SondeDiameter = 0;
  int ReceiverSpacing = 0;  // not kept in the header
  int GateStart = 0;        // LeftGate
  int GateEnd = 0;          // RightGate

  bool operator==(const FreePipeGate&) const = default;
};

// Data-path functions.
// Fills a 16-entry table from the Channel sections (after checking the
// header and its ident); null table: only the checks.
int ReadChannelFilters(const std::string& path, ChannelFilter* table);
// Writes the filter keys of every existing Channel section from its
// channel's entry; zeroOffsets first clears the table's offsets. Creates no
// section.
int WriteChannelFilters(const std::string& path, ChannelFilter* table, int zeroOffsets);
int ReadFreePipeGates(const std::string& path, FreePipeGate* nearGate, FreePipeGate* farGate);
int WriteFreePipeGates(const std::string& path, const FreePipeGate* nearGate, const FreePipeGate* farGate);
int ReadLogType(const std::string& path, int* logType);
int WriteLogType(const std::string& path, int logType);
// The data-file directory of a log whose data lie in an .LGX file.
void WriteDataFileDirectory(const std::string& path, const HeaderInfo* info);
// Title, TitleShort, Unit, File, DataOffset, SampleType, SampleCount and
// PhysicalCh of every array position, the depth and time placeholders
// included; deleteFirst removes each section before.
void WriteChannelDataLocation(const std::string& path, const CurveArray* curves, int deleteFirst);

// Header-path functions. Lookups by physical channel walk Channel0, 1, ...
// until a section without Title.
int ReadCurveRecordByChannel(const std::string& headerPath, CurveRecord* curve, int physicalChannel);
int ReadChannelFilter(const std::string& headerPath, ChannelFilter* filter, int physicalChannel);
int WriteChannelFilter(const std::string& headerPath, const ChannelFilter* filter, int sectionIndex);
int WriteChannelCalibration(const std::string& headerPath, const ChannelCalibration* calibration, int sectionIndex);
int ReadChannelCalibration(const std::string& headerPath, ChannelCalibration* calibration, int physicalChannel);
// Track0..Track3 of a new log: the depth track second, the others gridded.
int WriteDefaultTrackSections(const std::string& headerPath);

// The same writes into a header already loaded, for a caller that makes many
// changes and saves once (every save is a synced whole-file replacement).
// Each changes what its path form changes; nothing is saved.
bool WriteChannelFilter(HedFile& file, const ChannelFilter& filter, int sectionIndex);
bool WriteChannelCalibration(HedFile& file, const ChannelCalibration& calibration, int sectionIndex);
bool WriteDefaultTrackSections(HedFile& file);
// DATA_PATH names the data file whose ".lgx" the directory lists.
void WriteDataFileDirectory(HedFile& file, const std::string& dataPath, const HeaderInfo& info);
void WriteChannelDataLocation(HedFile& file, const CurveArray& curves, int deleteFirst);

// The depth numbers of a header that no real log has, and that would carry
// the depth arithmetic past the int range: a step beyond the 16 bits a record
// keeps it in, a start or end depth beyond 100 km (100,000 ft), a channel
// offset beyond 10 km.
inline constexpr int kMaxLogStep = 65535;
inline constexpr int kMaxLogDepth = 100000000;    // thousandths of the depth unit
inline constexpr int kMaxChannelOffset = 1000000;  // centimetres
// Whether a log's header can place the records of a replay; when it cannot,
// the box says why ("... a step of %d: the log can not be replayed!" for the
// step, "Couldn't read from header file!" for a depth or an offset). FILTERS
// (COUNT entries) may be null.
bool ReplayHeaderUsable(const HeaderInfo& info, const ChannelFilter* filters = nullptr, std::size_t count = 0);
