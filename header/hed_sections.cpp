#include "header/hed_sections.h"

std::string ChannelSection(unsigned index) {
  return NumberedName("Channel", index);
}
std::string TrackSection(unsigned index) {
  return NumberedName("Track", index);
}

int EncodeDisplayTrack(const CurveRecord& curve) {
  return curve.firstTrack == 2 && curve.lastTrack == 3 ? 4 : curve.firstTrack;
}

void DecodeDisplayTrack(int value, CurveRecord& curve) {
  if (value == 4) {
    curve.firstTrack = 2;
    curve.lastTrack = 3;
  } else {
    curve.firstTrack = value;
    curve.lastTrack = value;
  }
}

HedSection PickChannelSection(const HedFile& file, const std::string& section) {
  static const qv::ProfileKeyNames names({"Visible",      "InvertScale",    "HeaderLine",   "DisplayTrack", "Title",
                                          "TitleShort",   "Unit",           "PhysicalCh",   "LogicalCh",    "Window",
                                          "LineColour",   "PrintParameter", "RangeLeft",    "RangeRight",   "CalFlag",
                                          "Coefficient0", "Coefficient1",   "Coefficient2", "Coefficient3", "JigCount",
                                          "FilterType",   "FilterWidth",    "Offset"});
  static_assert(kCoefficientSlots == 4 && ChannelKey::kCount == 23, "the names follow ChannelKey");
  return file.Pick(section, names);
}

void ReadCurveDisplay(const HedSection& channel, CurveRecord& curve) {
  using K = ChannelKey;
  curve.headerFlag = channel.GetInt(K::kVisible, "1");
  curve.scaleFlag = channel.GetInt(K::kInvertScale, "1");
  curve.headerLine = channel.GetInt(K::kHeaderLine, "");
  DecodeDisplayTrack(channel.GetInt(K::kDisplayTrack, "0"), curve);
  curve.description = channel.Get(K::kTitle, "");
  curve.shortTitle = channel.Get(K::kTitleShort, "");
  curve.unit = channel.Get(K::kUnit, "");
  curve.physicalChannel = channel.GetInt(K::kPhysicalCh, "0");
  curve.logicalChannel = channel.GetInt(K::kLogicalCh, "0");
  curve.window = channel.GetInt(K::kWindow, "0");
  curve.lineColour = channel.GetColour(K::kLineColour, "0");
  curve.printLineStyle = channel.GetInt(K::kPrintParameter, "0");
  curve.scaleMinimum = static_cast<float>(channel.GetDouble(K::kRangeLeft, "0"));
  curve.scaleMaximum = static_cast<float>(channel.GetDouble(K::kRangeRight, "0"));
}

bool WriteCurveDisplay(HedFile& file, const std::string& section, const CurveRecord& curve) {
  return file.SetInt(section, "Visible", curve.headerFlag) && file.SetInt(section, "InvertScale", curve.scaleFlag) &&
         file.SetInt(section, "HeaderLine", curve.headerLine) &&
         file.SetInt(section, "DisplayTrack", EncodeDisplayTrack(curve)) &&
         file.Set(section, "Title", curve.description) && file.Set(section, "TitleShort", curve.shortTitle) &&
         file.Set(section, "Unit", curve.unit) && file.SetInt(section, "PhysicalCh", curve.physicalChannel) &&
         file.SetInt(section, "LogicalCh", curve.logicalChannel) && file.SetInt(section, "Window", curve.window) &&
         file.SetInt(section, "LineColour", static_cast<int>(curve.lineColour)) &&
         file.SetInt(section, "PrintParameter", curve.printLineStyle) &&
         file.SetFloat(section, "RangeLeft", curve.scaleMinimum) &&
         file.SetFloat(section, "RangeRight", curve.scaleMaximum);
}

HedSection PickTrackSection(const HedFile& file, const std::string& section) {
  static const qv::ProfileKeyNames names({"Style", "Type", "GridFlag", "GridStyle", "GridColour"});
  static_assert(TrackKey::kCount == 5, "the names follow TrackKey");
  return file.Pick(section, names);
}

void ReadTrack(const HedSection& track, TrackRecord& record) {
  using K = TrackKey;
  record.style = track.GetInt(K::kStyle, "0");
  record.type = track.GetInt(K::kType, "0");
  record.gridFlag = track.GetInt(K::kGridFlag, "0") != 0 ? 1 : 0;
  record.gridStyle = track.GetInt(K::kGridStyle, "0");
  record.gridColour = track.GetColour(K::kGridColour, "0");
}

bool WriteTrack(HedFile& file, const std::string& section, const TrackRecord& track) {
  return file.SetInt(section, "Style", track.style) && file.SetInt(section, "Type", track.type) &&
         file.SetInt(section, "GridFlag", track.gridFlag) && file.SetInt(section, "GridStyle", track.gridStyle) &&
         file.SetInt(section, "GridColour", static_cast<int>(track.gridColour));
}

bool WriteCalibrationKeys(HedFile& file, const std::string& section, const ChannelCalibration& calibration,
                          int coefficientCount) {
  bool ok = file.SetInt(section, "CalFlag", calibration.calFlag);
  for (int i = 0; ok && i < coefficientCount && i < kCoefficientSlots; ++i)
    ok =
        file.SetCoefficient(section, NumberedName("Coefficient", static_cast<unsigned>(i)), calibration.Coefficient(i));
  // The reference points are written whatever happened before, and a point
  // the file refuses (a line break) fails the write like any other value.
  ok = file.SetInt(section, "JigCount", static_cast<int>(calibration.referencePoints.size())) && ok;
  for (std::size_t i = 0; i < calibration.referencePoints.size(); ++i)
    ok = file.Set(section, NumberedName("ReferencePoint", static_cast<unsigned>(i)), calibration.referencePoints[i]) &&
         ok;
  return ok;
}

void ReadReferencePoints(const HedFile& file, const HedSection& channel, ChannelCalibration& calibration) {
  int count = channel.GetInt(ChannelKey::kJigCount, "");
  if (count < 0) count = 0;
  // A section cannot hold more reference points than keys: a corrupt count
  // must not make the reader spin.
  const std::size_t limit = channel.KeyCount();
  for (int i = 0; i < count && static_cast<std::size_t>(i) < limit; ++i) {
    std::string point = file.Get(channel.Name(), NumberedName("ReferencePoint", static_cast<unsigned>(i)), "");
    if (!point.empty()) calibration.referencePoints.push_back(point);
  }
}
