#include "header/header_info.h"

#include <cctype>

#include "header/wellinfo_fields.h"

namespace {

// The WellInfo keys in the order the header writer puts them into the file.
const WellInfoField kWellInfoFields[] = {
    {"DepthUnit", FieldKind::kInt, &HeaderInfo::DepthUnit, nullptr, nullptr, -1},
    {"ComStd", FieldKind::kInt, &HeaderInfo::ComStd, nullptr, nullptr, -1},
    {"LogMode", FieldKind::kInt, &HeaderInfo::LogMode, nullptr, nullptr, -1},
    {"Startdepth", FieldKind::kInt, &HeaderInfo::Startdepth, nullptr, nullptr, -1},
    {"EndDepth", FieldKind::kInt, &HeaderInfo::EndDepth, nullptr, nullptr, -1},
    {"Step", FieldKind::kInt, &HeaderInfo::Step, nullptr, nullptr, -1},
    {"StartTime", FieldKind::kInt, &HeaderInfo::StartTime, nullptr, nullptr, -1},
    {"EndTime", FieldKind::kInt, &HeaderInfo::EndTime, nullptr, nullptr, -1},
    {"Zero", FieldKind::kFloat, nullptr, &HeaderInfo::Zero, nullptr, -1},
    {"Company", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Company, -1},
    {"Wellname", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Wellname, -1},
    {"Fieldname", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Fieldname, -1},
    {"Location", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Location, -1},
    {"Latitude", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Latitude, -1},
    {"Longitude", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Longitude, -1},
    {"Country", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Country, -1},
    {"Stat", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Stat, -1},
    {"Cnty", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Cnty, -1},
    {"ServiceCompany", FieldKind::kText, nullptr, nullptr, &HeaderInfo::ServiceCompany, -1},
    {"Date", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Date, -1},
    {"UWI", FieldKind::kText, nullptr, nullptr, &HeaderInfo::UWI, -1},
    {"Project", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Project, -1},
    {"LogName", FieldKind::kText, nullptr, nullptr, &HeaderInfo::LogName, -1},
    {"SondeAbbreviation", FieldKind::kText, nullptr, nullptr, &HeaderInfo::SondeAbbreviation, -1},
    {"OtherServices1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::OtherServices1, -1},
    {"OtherServices2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::OtherServices2, -1},
    {"OtherServices3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::OtherServices3, -1},
    {"OtherServices4", FieldKind::kText, nullptr, nullptr, &HeaderInfo::OtherServices4, -1},
    {"OtherServices5", FieldKind::kText, nullptr, nullptr, &HeaderInfo::OtherServices5, -1},
    {"PermanentDatum", FieldKind::kText, nullptr, nullptr, &HeaderInfo::PermanentDatum, -1},
    {"Elevation", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Elevation, -1},
    {"LogDatum", FieldKind::kText, nullptr, nullptr, &HeaderInfo::LogDatum, -1},
    {"DrillDatum", FieldKind::kText, nullptr, nullptr, &HeaderInfo::DrillDatum, -1},
    {"KellyBushing", FieldKind::kFloat, nullptr, &HeaderInfo::KellyBushing, nullptr, -1},
    {"DrillFloor", FieldKind::kFloat, nullptr, &HeaderInfo::DrillFloor, nullptr, -1},
    {"GroundLevel", FieldKind::kFloat, nullptr, &HeaderInfo::GroundLevel, nullptr, -1},
    {"DateRun1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::DateRun1, -1},
    {"DateRun2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::DateRun2, -1},
    {"DateRun3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::DateRun3, -1},
    {"RunNo1", FieldKind::kInt, &HeaderInfo::RunNo1, nullptr, nullptr, -1},
    {"RunNo2", FieldKind::kInt, &HeaderInfo::RunNo2, nullptr, nullptr, -1},
    {"RunNo3", FieldKind::kInt, &HeaderInfo::RunNo3, nullptr, nullptr, -1},
    {"Engineer1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Engineer1, -1},
    {"Engineer2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Engineer2, -1},
    {"Engineer3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Engineer3, -1},
    {"Witness1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Witness1, -1},
    {"Witness2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Witness2, -1},
    {"Witness3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Witness3, -1},
    {"DepthDriller1", FieldKind::kFloat, nullptr, &HeaderInfo::DepthDriller1, nullptr, -1},
    {"DepthDriller2", FieldKind::kFloat, nullptr, &HeaderInfo::DepthDriller2, nullptr, -1},
    {"DepthDriller3", FieldKind::kFloat, nullptr, &HeaderInfo::DepthDriller3, nullptr, -1},
    {"DepthLogger1", FieldKind::kFloat, nullptr, &HeaderInfo::DepthLogger1, nullptr, -1},
    {"DepthLogger2", FieldKind::kFloat, nullptr, &HeaderInfo::DepthLogger2, nullptr, -1},
    {"DepthLogger3", FieldKind::kFloat, nullptr, &HeaderInfo::DepthLogger3, nullptr, -1},
    {"Deepest1", FieldKind::kFloat, nullptr, &HeaderInfo::Deepest1, nullptr, -1},
    {"Deepest2", FieldKind::kFloat, nullptr, &HeaderInfo::Deepest2, nullptr, -1},
    {"Deepest3", FieldKind::kFloat, nullptr, &HeaderInfo::Deepest3, nullptr, -1},
    {"Shallow1", FieldKind::kFloat, nullptr, &HeaderInfo::Shallow1, nullptr, -1},
    {"Shallow2", FieldKind::kFloat, nullptr, &HeaderInfo::Shallow2, nullptr, -1},
    {"Shallow3", FieldKind::kFloat, nullptr, &HeaderInfo::Shallow3, nullptr, -1},
    {"LogType1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::LogType1, -1},
    {"LogType2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::LogType2, -1},
    {"LogType3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::LogType3, -1},
    {"Fluid1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Fluid1, -1},
    {"Fluid2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Fluid2, -1},
    {"Fluid3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Fluid3, -1},
    {"Salinity1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Salinity1, -1},
    {"Salinity2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Salinity2, -1},
    {"Salinity3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::Salinity3, -1},
    {"FluidDensity1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidDensity1, -1},
    {"FluidDensity2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidDensity2, -1},
    {"FluidDensity3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidDensity3, -1},
    {"FluidLevel1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidLevel1, -1},
    {"FluidLevel2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidLevel2, -1},
    {"FluidLevel3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::FluidLevel3, -1},
    {"MaxTemperature1", FieldKind::kFloat, nullptr, &HeaderInfo::MaxTemperature1, nullptr, -1},
    {"MaxTemperature2", FieldKind::kFloat, nullptr, &HeaderInfo::MaxTemperature2, nullptr, -1},
    {"MaxTemperature3", FieldKind::kFloat, nullptr, &HeaderInfo::MaxTemperature3, nullptr, -1},
    {"RigTime1", FieldKind::kText, nullptr, nullptr, &HeaderInfo::RigTime1, -1},
    {"RigTime2", FieldKind::kText, nullptr, nullptr, &HeaderInfo::RigTime2, -1},
    {"RigTime3", FieldKind::kText, nullptr, nullptr, &HeaderInfo::RigTime3, -1},
    {"BitRec1", FieldKind::kFloat, nullptr, &HeaderInfo::BitRec1, nullptr, -1},
    {"BitRec2", FieldKind::kFloat, nullptr, &HeaderInfo::BitRec2, nullptr, -1},
    {"BitRec3", FieldKind::kFloat, nullptr, &HeaderInfo::BitRec3, nullptr, -1},
    {"BitRecFrom1", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecFrom1, nullptr, -1},
    {"BitRecFrom2", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecFrom2, nullptr, -1},
    {"BitRecFrom3", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecFrom3, nullptr, -1},
    {"BitRecTo1", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecTo1, nullptr, -1},
    {"BitRecTo2", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecTo2, nullptr, -1},
    {"BitRecTo3", FieldKind::kFloat, nullptr, &HeaderInfo::BitRecTo3, nullptr, -1},
    {"CasRecSize1", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecSize1, nullptr, -1},
    {"CasRecSize2", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecSize2, nullptr, -1},
    {"CasRecSize3", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecSize3, nullptr, -1},
    {"CasRecWeight1", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecWeight1, nullptr, -1},
    {"CasRecWeight2", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecWeight2, nullptr, -1},
    {"CasRecWeight3", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecWeight3, nullptr, -1},
    {"CasRecFrom1", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecFrom1, nullptr, -1},
    {"CasRecFrom2", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecFrom2, nullptr, -1},
    {"CasRecFrom3", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecFrom3, nullptr, -1},
    {"CasRecTo1", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecTo1, nullptr, -1},
    {"CasRecTo2", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecTo2, nullptr, -1},
    {"CasRecTo3", FieldKind::kFloat, nullptr, &HeaderInfo::CasRecTo3, nullptr, -1},
    {"Comment1", FieldKind::kText, nullptr, nullptr, nullptr, 0},
    {"Comment2", FieldKind::kText, nullptr, nullptr, nullptr, 1},
    {"Comment3", FieldKind::kText, nullptr, nullptr, nullptr, 2},
    {"Comment4", FieldKind::kText, nullptr, nullptr, nullptr, 3},
    {"Comment5", FieldKind::kText, nullptr, nullptr, nullptr, 4},
    {"Comment6", FieldKind::kText, nullptr, nullptr, nullptr, 5},
    {"Comment7", FieldKind::kText, nullptr, nullptr, nullptr, 6},
    {"Comment8", FieldKind::kText, nullptr, nullptr, nullptr, 7},
    {"Comment9", FieldKind::kText, nullptr, nullptr, nullptr, 8},
    {"Comment10", FieldKind::kText, nullptr, nullptr, nullptr, 9},
};

}  // namespace

std::span<const WellInfoField> WellInfoFields() {
  return kWellInfoFields;
}

int& WellInfoInt(HeaderInfo& info, const WellInfoField& field) {
  return info.*field.intField;
}
float& WellInfoFloat(HeaderInfo& info, const WellInfoField& field) {
  return info.*field.floatField;
}
std::string& WellInfoText(HeaderInfo& info, const WellInfoField& field) {
  return field.comment >= 0 ? info.Comment[static_cast<std::size_t>(field.comment)] : info.*field.textField;
}

int WellInfoInt(const HeaderInfo& info, const WellInfoField& field) {
  return info.*field.intField;
}
float WellInfoFloat(const HeaderInfo& info, const WellInfoField& field) {
  return info.*field.floatField;
}
const std::string& WellInfoText(const HeaderInfo& info, const WellInfoField& field) {
  return field.comment >= 0 ? info.Comment[static_cast<std::size_t>(field.comment)] : info.*field.textField;
}

void ClearHeaderInfoNumbers(HeaderInfo& info) {
  info.SondeLength = 0;
  info.RecLineSize = 0;
  for (const WellInfoField& field : kWellInfoFields) {
    if (field.kind == FieldKind::kInt) WellInfoInt(info, field) = 0;
    if (field.kind == FieldKind::kFloat) WellInfoFloat(info, field) = 0.0f;
  }
}

namespace {

void TrimTrailingSpace(std::string& line) {
  std::size_t end = line.size();
  while (end > 0 && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
  line.resize(end);
}

}  // namespace

void SplitTrailerText(TrailerText& trailer, std::string& text, int split) {
  std::string* lines[] = {&trailer.Text1, &trailer.Text2, &trailer.Text3, &trailer.Text4};
  if (split != 0) {
    const std::string source = text;  // the caller's text stays as it is
    for (std::string* line : lines) line->clear();
    std::size_t pos = 0;
    bool more = true;
    for (std::string* line : lines) {
      if (!more) break;
      std::size_t brk = source.find("\r\n", pos);
      if (brk == std::string::npos) {
        *line = source.substr(pos);
        more = false;
      } else {
        *line = source.substr(pos, brk - pos);
        pos = brk + 2;
      }
    }
    for (std::string* line : lines) TrimTrailingSpace(*line);
    return;
  }
  std::string joined;
  for (const std::string* line : lines) {
    if (line->empty()) continue;
    if (!joined.empty()) joined += "\r\n";
    joined += *line;
  }
  text = std::move(joined);
}
