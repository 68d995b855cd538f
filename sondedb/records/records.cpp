#include "sondedb/records/records.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
std::atomic<StyledLineFactory> g_styledLineFactory{nullptr};

StyledLinePtr NewStyledLine() {
  StyledLineFactory factory = g_styledLineFactory.load();
  return factory != nullptr ? factory() : StyledLinePtr{};
}
}  // namespace

int ScaleExponent(float v) {
  const double lg = std::log10(v > 0.0f ? static_cast<double>(v) : 1.0);
  const double e = v < 1.0f && v > 0.0f ? lg - 0.9 : lg;
  // An infinite end (from a file or a dialog) has no decade of its own.
  return static_cast<int>(
      std::clamp(e, static_cast<double>(kLowestScaleExponent), static_cast<double>(kHighestScaleExponent)));
}

void SetStyledLineFactory(StyledLineFactory factory) {
  g_styledLineFactory.store(factory);
}

CurveRecord::CurveRecord() : styledLine(NewStyledLine()) {}

CurveRecord::~CurveRecord() = default;

CurveRecord::CurveRecord(const CurveRecord& other) : styledLine(NewStyledLine()) {
  *this = other;
}

CurveRecord& CurveRecord::operator=(const CurveRecord& other) {
  if (this == &other) return *this;
  headerLine = other.headerLine;
  firstTrack = other.firstTrack;
  lastTrack = other.lastTrack;
  headerFlag = other.headerFlag;
  scaleFlag = other.scaleFlag;
  description = other.description;
  shortTitle = other.shortTitle;
  unit = other.unit;
  physicalChannel = other.physicalChannel;
  logicalChannel = other.logicalChannel;
  window = other.window;
  adjustment = other.adjustment;
  mode = other.mode;
  fillColour = other.fillColour;
  lineColour = other.lineColour;
  printLineStyle = other.printLineStyle;
  historyCount = other.historyCount;
  history = other.history;
  scaleMinimum = other.scaleMinimum;
  scaleMaximum = other.scaleMaximum;
  screenRect = other.screenRect;
  // styledLine: the target keeps its own drawer and its state.
  drawState = other.drawState;
  wrapBand = other.wrapBand;
  file = other.file;
  dataOffset = other.dataOffset;
  sampleCount = other.sampleCount;
  sampleType = other.sampleType;
  return *this;
}

const char* CalibrationMethodName(int method) {
  switch (method) {
    case kMethodPolynom:
      return "Polynom";
    case kMethodInversePolynom:
      return "Inverse Polynom";
    case kMethodSpline:
      return "Spline";
    case kMethodConstantValue:
      return "Constant value";
    case kMethodUserFunction:
      return "User function";
    default:
      return "";
  }
}

int ChannelCalibration::UsableCoefficientCount() const {
  if (coefficientCount < 0) return 0;
  return coefficientCount > kCoefficientSlots ? kCoefficientSlots : coefficientCount;
}

double ChannelCalibration::Coefficient(int i) const {
  if (i < 0 || i >= kCoefficientSlots) return 0.0;
  return coefficients ? (*coefficients)[static_cast<std::size_t>(i)]
                      : kIdentityCoefficients[static_cast<std::size_t>(i)];
}

Coefficients& ChannelCalibration::EnsureCoefficients() {
  if (!coefficients) coefficients = kIdentityCoefficients;
  return *coefficients;
}

CalibrationSet::CalibrationSet(const CalibrationSet& other) {
  *this = other;
}

CalibrationSet& CalibrationSet::operator=(const CalibrationSet& other) {
  if (this == &other) return *this;
  filePath = other.filePath;
  sondeName = other.sondeName;
  abbreviation = other.abbreviation;
  serialNumber = other.serialNumber;
  std::vector<std::unique_ptr<ChannelCalibration>> copy;
  copy.reserve(other.channels.size());
  for (const auto& channel : other.channels)
    copy.push_back(channel ? std::make_unique<ChannelCalibration>(*channel) : nullptr);
  channels = std::move(copy);
  return *this;
}

ChannelCalibration* CalibrationSet::ForPhysicalChannel(int physicalChannel) const {
  if (physicalChannel < 1 || static_cast<std::size_t>(physicalChannel) > channels.size()) return nullptr;
  return channels[static_cast<std::size_t>(physicalChannel - 1)].get();
}
