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

// The keys of a Channel section that its readers ask for, picked in one walk
// of the section's lines (PickChannelSection), by their index here.
struct ChannelKey {
  enum : std::size_t {
    kVisible,
    kInvertScale,
    kHeaderLine,
    kDisplayTrack,
    kTitle,
    kTitleShort,
    kUnit,
    kPhysicalCh,
    kLogicalCh,
    kWindow,
    kLineColour,
    kPrintParameter,
    kRangeLeft,
    kRangeRight,
    kCalFlag,
    kCoefficient0,  // ... Coefficient3
    kJigCount = kCoefficient0 + kCoefficientSlots,
    kFilterType,
    kFilterWidth,
    kOffset,
    kCount
  };
};
HedSection PickChannelSection(const HedFile& file, const std::string& section);

// The display keys of one curve (Visible ... RangeRight).
void ReadCurveDisplay(const HedSection& channel, CurveRecord& curve);
bool WriteCurveDisplay(HedFile& file, const std::string& section, const CurveRecord& curve);

// The keys of a Track section, by their index here.
struct TrackKey {
  enum : std::size_t { kStyle, kType, kGridFlag, kGridStyle, kGridColour, kCount };
};
HedSection PickTrackSection(const HedFile& file, const std::string& section);
void ReadTrack(const HedSection& track, TrackRecord& record);
bool WriteTrack(HedFile& file, const std::string& section, const TrackRecord& track);

// CalFlag and Coefficient0..count-1 (chained: false after the first refused
// write), then JigCount and the reference points whatever happened before;
// false when any key was refused.
bool WriteCalibrationKeys(HedFile& file, const std::string& section, const ChannelCalibration& calibration,
                          int coefficientCount);
// The reference points of a Channel section: JigCount keys (a negative count
// reads as none, and never more than the section has keys), empty texts
// skipped.
void ReadReferencePoints(const HedFile& file, const HedSection& channel, ChannelCalibration& calibration);

// Sections Channel0, Channel1, ... up to the first absent one, each with its
// picked keys (valid until the file changes).
template <typename F>
void ForEachChannelSection(const HedFile& file, F&& visit) {
  for (unsigned i = 0;; ++i) {
    const HedSection channel = PickChannelSection(file, ChannelSection(i));
    if (!channel.Present()) return;
    visit(i, channel);
  }
}
