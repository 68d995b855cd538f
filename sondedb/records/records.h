// The display and calibration records that carry a log's layout and a sonde's
// calibration through the program: one curve (CurveRecord), one track
// (TrackRecord), one channel's calibration (ChannelCalibration) and a sonde's
// whole calibration (CalibrationSet).
//
// These are plain values without any Qt: the header store, the LAS export and
// the engines use them headless. The only drawing object a curve carries, its
// styled-line drawer, is held behind an opaque pointer that the drawing code
// fills in; copying a record never copies the drawer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The dashed-line drawer a curve is drawn with. Defined by the drawing code;
// the records only hold one.
class CStyledLine;

// A rectangle in device units, inclusive left/top, exclusive right/bottom.
struct RecordRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const RecordRect&) const = default;
};

// Colour value as the layout tables store it: 0x00BBGGRR.
using ColourRef = std::uint32_t;

// Owning pointer to a styled-line drawer. The deleter comes from whoever made
// the drawer, so this header never needs the drawer's definition.
struct StyledLineDeleter {
  void (*destroy)(CStyledLine*) = nullptr;
  void operator()(CStyledLine* line) const {
    if (destroy != nullptr) destroy(line);
  }
};
using StyledLinePtr = std::unique_ptr<CStyledLine, StyledLineDeleter>;

// The drawing code registers how a new curve gets its drawer; without a
// registered factory a curve starts with no drawer (headless use).
using StyledLineFactory = StyledLinePtr (*)();
void SetStyledLineFactory(StyledLineFactory factory);

// The display record of one curve.
struct CurveRecord {
  CurveRecord();
  ~CurveRecord();
  // Copies every field except the styled-line drawer: the target keeps its own.
  CurveRecord(const CurveRecord& other);
  CurveRecord& operator=(const CurveRecord& other);

  int headerLine = 0;       // row of the legend in the track header, from 0 (HeaderLine)
  int firstTrack = 0;       // order number of the track the curve starts in
  int lastTrack = 0;        // order number of the track it ends in (== firstTrack for one track)
  int headerFlag = 0;       // 1: the curve has a legend (Visible)
  int scaleFlag = 0;        // 1: minimum at the left edge; 0: mirrored scale (InvertScale)
  std::string description;  // long title (Title)
  std::string shortTitle;   // mnemonic (TitleShort)
  std::string unit;         // (Unit)
  int physicalChannel = 0;  // channel in the device record, from 1; -1 for depth/time placeholders
  int logicalChannel = 0;   // (LogicalCh)
  int window = 0;           // (Window)
  int adjustment = 0;       // adjustment flag
  int mode = 0;             // drawing mode
  ColourRef fillColour = 0;
  ColourRef lineColour = 0;  // (LineColour)
  int printLineStyle = 0;    // line style on paper and chart recorder, 0..7 (PrintParameter)

  // Owned by the views: a working counter and the curve's display history (an
  // array the view allocates and frees). Copied as they are; never freed here.
  int historyCount = 0;
  double* history = nullptr;

  float scaleMinimum = 0.0f;  // value at the start of the scale (RangeLeft)
  float scaleMaximum = 0.0f;  // value at the end of the scale (RangeRight)
  RecordRect screenRect;      // legend or track area, set by the views

  StyledLinePtr styledLine;  // not copied by assignment

  // The views' drawing state; the first is the current wrap count when curves
  // wrap around the track.
  std::array<int, 5> drawState{};
  int wrapBand = 0;  // previous wrap band while a page prints

  // Where the curve's values lie in the log's data files.
  std::uint8_t file = 0;  // data file number (File)
  int dataOffset = 0;     // byte offset of the value in the data record (DataOffset)
  int sampleCount = 0;    // (SampleCount)
  int sampleType = 0;     // sample type code (SampleType)
};

// The decade of one end of a logarithmic scale as the cement-bond view and the
// printed log sections count it: (int)(log10 v - 0.9) below 1, (int)log10 v
// from 1 up; an end of 0 or less counts as 1. The result lies within the
// decades of the float range (an infinite end gives the outermost), so that
// no decade count outgrows it.
inline constexpr int kLowestScaleExponent = -46;
inline constexpr int kHighestScaleExponent = 39;
int ScaleExponent(float v);

// The display record of one track.
struct TrackRecord {
  int minimalWidth = 0;
  int idealWidth = 0;
  int width = 0;  // width in use, set by the layout code
  int order = 0;  // position among the tracks, from 0; also the index in the track array
  RecordRect screenRect;
  int style = 0;             // style word (Style)
  int widthWeight = 0;       // share of free width the layout gives the track
  int type = 0;              // 1: the depth track (Type)
  int gridFlag = 0;          // (GridFlag)
  int gridStyle = 0;         // bits: 0x1000000 logarithmic, 0x10000000 linear (GridStyle)
  ColourRef gridColour = 0;  // (GridColour)

  bool operator==(const TrackRecord&) const = default;
};

// Grid style bits of TrackRecord::gridStyle.
inline constexpr int kGridLogarithmic = 0x1000000;
inline constexpr int kGridLinear = 0x10000000;

// Coefficients c0..c3 of value = c0 + c1 x + c2 x^2 + c3 x^3.
inline constexpr int kCoefficientSlots = 4;
using Coefficients = std::array<double, kCoefficientSlots>;
// The identity: a channel without calibration reads its raw value.
inline constexpr Coefficients kIdentityCoefficients{0.0, 1.0, 0.0, 0.0};

// Calibration method codes.
enum CalibrationMethodCode : int {
  kMethodPolynom = 1,
  kMethodInversePolynom = 2,
  kMethodSpline = 3,
  kMethodConstantValue = 4,
  kMethodUserFunction = 5,
};
// The method's name as the calibration file stores it; empty for an unknown code.
const char* CalibrationMethodName(int method);

// One channel's calibration.
struct ChannelCalibration {
  std::int64_t calibrationDate = 0;  // seconds since 1 January 1970 UTC
  int validity = 0;                  // days a calibration stays valid
  int regime = 0;                    // which jig procedure calibrates the channel
  int method = 0;                    // CalibrationMethodCode
  int coefficientCount = 0;          // coefficients in use; only the first four ever are
  int channelRowId = 0;              // key of the channel's database row
  int physicalChannel = 0;           // from 1
  std::string unit;
  std::string shortTitle;
  int calibratable = 0;  // 1: regime and method both non-zero (validity flag)
  int calFlag = 0;       // 1: the log's header marks the channel calibrated (CalFlag)
  // The coefficient block; absent when the channel has none.
  std::optional<Coefficients> coefficients;
  std::vector<std::string> referencePoints;  // "%u CPS at %G %s", one per jig point

  // The number of coefficients that may be read: the count limited to 0..4.
  int UsableCoefficientCount() const;
  // Coefficient i (0..3) of the block, or of the identity without a block.
  double Coefficient(int i) const;
  // Makes a coefficient block holding the identity when there is none.
  Coefficients& EnsureCoefficients();

  bool operator==(const ChannelCalibration&) const = default;
};

// The growable record arrays that documents, views, dialogs and the header
// store pass around. An array owns its records; a slot may be null (readers
// and writers skip null slots).
using CurveArray = std::vector<std::unique_ptr<CurveRecord>>;
using TrackArray = std::vector<std::unique_ptr<TrackRecord>>;
using CalibrationArray = std::vector<std::unique_ptr<ChannelCalibration>>;

// A sonde's calibration: its calibration file and one record per channel.
// Entry i belongs to physical channel i + 1; entries may be null and the
// array may be shorter than the channel count. The set owns its records.
struct CalibrationSet {
  CalibrationSet() = default;
  CalibrationSet(const CalibrationSet& other);
  CalibrationSet& operator=(const CalibrationSet& other);
  CalibrationSet(CalibrationSet&&) noexcept = default;
  CalibrationSet& operator=(CalibrationSet&&) noexcept = default;

  std::string filePath;  // full path of the sonde's .cal file
  std::string sondeName;
  std::string abbreviation;
  std::string serialNumber;
  CalibrationArray channels;

  // The record of a physical channel (from 1), or null.
  ChannelCalibration* ForPhysicalChannel(int physicalChannel) const;
};

