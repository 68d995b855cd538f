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

void ReadCurveDisplay(const HedFile& file, const std::string& section, CurveRecord& curve) {
  curve.headerFlag = file.GetInt(section, "Visible", "1");
  curve.scaleFlag = file.GetInt(section, "InvertScale", "1");
  curve.headerLine = file.GetInt(section, "HeaderLine", "");
  DecodeDisplayTrack(file.GetInt(section, "DisplayTrack", "0"), curve);
  curve.description = file.Get(section, "Title", "");
  curve.shortTitle = file.Get(section, "TitleShort", "");
  curve.unit = file.Get(section, "Unit", "");
  curve.physicalChannel = file.GetInt(section, "PhysicalCh", "0");
  curve.logicalChannel = file.GetInt(section, "LogicalCh", "0");
  curve.window = file.GetInt(section, "Window", "0");
  curve.lineColour = file.GetColour(section, "LineColour", "0");
  curve.printLineStyle = file.GetInt(section, "PrintParameter", "0");
  curve.scaleMinimum = static_cast<float>(file.GetDouble(section, "RangeLeft", "0"));
  curve.scaleMaximum = static_cast<float>(file.GetDouble(section, "RangeRight", "0"));
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

void ReadTrack(const HedFile& file, const std::string& section, TrackRecord& track) {
  track.style = file.GetInt(section, "Style", "0");
  track.type = file.GetInt(section, "Type", "0");
  track.gridFlag = file.GetInt(section, "GridFlag", "0") != 0 ? 1 : 0;
  track.gridStyle = file.GetInt(section, "GridStyle", "0");
  track.gridColour = file.GetColour(section, "GridColour", "0");
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

void ReadReferencePoints(const HedFile& file, const std::string& section, ChannelCalibration& calibration) {
  int count = file.GetInt(section, "JigCount", "");
  if (count < 0) count = 0;
  // A section cannot hold more reference points than keys: a corrupt count
  // must not make the reader spin.
  const std::size_t limit = file.KeyCount(section);
  for (int i = 0; i < count && static_cast<std::size_t>(i) < limit; ++i) {
    std::string point = file.Get(section, NumberedName("ReferencePoint", static_cast<unsigned>(i)), "");
    if (!point.empty()) calibration.referencePoints.push_back(point);
  }
}
