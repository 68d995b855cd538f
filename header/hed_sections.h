// Reading and writing the record sections of a header file: the parts the
// whole-header store and the single-section functions share.
#pragma once

#include <string>

#include "header/hed_file.h"
#include "sondedb/records/records.h"

inline constexpr const char* kGeneral = "General";
inline constexpr unsigned kCalibratedChannels = 12;  // calibration slots of a header
inline constexpr int kMaxCurveChannel = 16;          // curves exist for physical channels 0..16

std::string ChannelSection(unsigned index);
std::string TrackSection(unsigned index);

// DisplayTrack: 4 stands for a curve across tracks 2 and 3.
int EncodeDisplayTrack(const CurveRecord& curve);
void DecodeDisplayTrack(int value, CurveRecord& curve);

// The display keys of one curve (Visible ... RangeRight).
void ReadCurveDisplay(const HedFile& file, const std::string& section, CurveRecord& curve);
bool WriteCurveDisplay(HedFile& file, const std::string& section, const CurveRecord& curve);

void ReadTrack(const HedFile& file, const std::string& section, TrackRecord& track);
bool WriteTrack(HedFile& file, const std::string& section, const TrackRecord& track);

// CalFlag and Coefficient0..count-1 (chained: false after the first refused
// write), then JigCount and the reference points whatever happened before;
// false when any key was refused.
bool WriteCalibrationKeys(HedFile& file, const std::string& section, const ChannelCalibration& calibration,
                          int coefficientCount);
// The reference points of a section: JigCount keys (a negative count reads as
// none, and never more than the section has keys), empty texts skipped.
void ReadReferencePoints(const HedFile& file, const std::string& section, ChannelCalibration& calibration);

// Sections Channel0, Channel1, ... up to the first absent one.
template <typename F>
void ForEachChannelSection(const HedFile& file, F&& visit) {
  for (unsigned i = 0;; ++i) {
    std::string section = ChannelSection(i);
    if (!file.HasSection(section)) return;
    visit(i, section);
  }
}
