// Export of a log's header file as an old binary header (File/Export/ORX2).
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "header/old_header.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/trace/trace.h"

namespace {

// A well text key and where the export puts it. Offset 0: the field the
// conversion reads the key from. Several keys share a field; the later one
// then overwrites the earlier one's characters as far as it reaches.
struct ExportText {
  const char* key;
  bool zeroDefault;  // a missing key writes "0" rather than nothing
  std::uint16_t offset = 0;
  std::uint8_t maxChars = 0;
};

const ExportText kExportTexts[] = {
    {"Company", false},
    {"Wellname", false},
    {"Fieldname", false},
    {"Location", false},
    {"Latitude", false},
    {"Longitude", false},
    {"Date", false, 2270, 9},
    {"Project", false, 2398, 40},
    {"SondeAbbreviation", false, 2302, 12},
    {"OtherServices1", false},
    {"OtherServices2", false},
    {"OtherServices3", false},
    {"OtherServices4", false},
    {"OtherServices5", false},
    {"PermanentDatum", false},
    {"LogDatum", false},
    {"DrillDatum", false},
    {"KellyBushing", true},
    {"DrillFloor", true},
    {"GroundLevel", true},
    {"DateRun1", false},
    {"DateRun2", false},
    {"DateRun3", false},
    {"RunNo1", true},
    {"RunNo2", true},
    {"RunNo3", true},
    {"Engineer1", false},
    {"Engineer2", false},
    {"Engineer3", false},
    {"Witness1", false},
    {"Witness2", false},
    {"Witness3", false},
    {"DepthDriller1", true, 2596, 6},
    {"DepthDriller2", true},
    {"DepthDriller3", true},
    {"DepthLogger1", true, 2590, 6},
    {"DepthLogger2", true},
    {"DepthLogger3", true},
    {"Deepest1", true},
    {"Deepest2", true},
    {"Deepest3", true},
    {"Shallow1", true},
    {"Shallow2", true},
    {"Shallow3", true},
    {"LogType1", false},
    {"LogType2", false},
    {"LogType3", false},
    {"Fluid1", false},
    {"Fluid2", false},
    {"Fluid3", false},
    {"Salinity1", false},
    {"Salinity2", false},
    {"Salinity3", false},
    {"FluidDensity1", false},
    {"FluidDensity2", false},
    {"FluidDensity3", false},
    {"FluidLevel1", false},
    {"FluidLevel2", false},
    {"FluidLevel3", false},
    {"MaxTemperature1", true},
    {"MaxTemperature2", true},
    {"MaxTemperature3", true},
    {"RigTime1", false},
    {"RigTime2", false},
    {"RigTime3", false},
    {"BitRec1", true},
    {"BitRec2", true},
    {"BitRec3", true},
    {"BitRecFrom1", true},
    {"BitRecFrom2", true},
    {"BitRecFrom3", true},
    {"BitRecTo1", true},
    {"BitRecTo2", true},
    {"BitRecTo3", true},
    {"CasRecSize1", true},
    {"CasRecSize2", true},
    {"CasRecSize3", true},
    {"CasRecWeight1", true},
    {"CasRecWeight2", true},
    {"CasRecWeight3", true},
    {"CasRecFrom1", true},
    {"CasRecFrom2", true},
    {"CasRecFrom3", false},
    {"CasRecTo1", true},
    {"CasRecTo2", true},
    {"Comment1", false},
    {"Comment2", false},
    {"Comment3", false},
    {"Comment4", false},
};

class Exporter {
 public:
  explicit Exporter(const HedFile& hed) : hed_(hed) {}

  // False when a number does not fit its field: the export is refused
  // rather than writing a wrapped or misplaced value.
  bool Fill(OldHeaderImage& old) {
    const char* w = "WellInfo";
    std::uint8_t direction = 2;
    switch (Int(w, "LogMode", "0")) {
      case 10:
        direction = 2;
        break;
      case 11:
        direction = 1;
        break;
      case 12:
        direction = 0;
        break;
      default:
        break;
    }
    old.SetByte(oldhdr::kLogDirection, direction);
    long step = 0, unit = 0;
    if (!Ranged(w, "Step", "0", 0, UINT8_MAX, &step) || !Ranged(w, "DepthUnit", "0", 0, UINT8_MAX, &unit)) return false;
    old.SetByte(oldhdr::kStep, static_cast<std::uint8_t>(step));
    old.SetByte(oldhdr::kFormatMarker, 1);
    old.SetByte(oldhdr::kDepthUnit, static_cast<std::uint8_t>(unit));
    old.SetByte(oldhdr::kReserved13, 0);
    imperial_ = unit != 0;

    const std::string abbreviation = Text(w, "SondeAbbreviation", "");
    if (abbreviation.size() >= 4) old.PutText(oldhdr::kSondeAbbreviation, abbreviation, 4);
    old.PutText(oldhdr::kProject, Text(w, "Project", ""), 20);

    if (!FillChannels(old)) return false;

    long sondeLength = 0;
    if (!Length(kGeneral, "SondeLength", &sondeLength)) return false;
    old.SetWord(oldhdr::kSondeLength, static_cast<std::uint16_t>(sondeLength));
    long start = 0, end = 0;
    if (!Ranged(w, "Startdepth", "0", INT32_MIN, INT32_MAX, &start) ||
        !Ranged(w, "EndDepth", "0", INT32_MIN, INT32_MAX, &end))
      return false;
    old.SetLong(oldhdr::kStartDepth, static_cast<std::int32_t>(start));
    old.SetLong(oldhdr::kEndDepth, static_cast<std::int32_t>(end));

    for (const ExportText& t : kExportTexts) {
      const oldhdr::TextField* field = oldhdr::FindTextField(t.key);
      if (t.offset == 0 && field == nullptr) continue;
      const std::size_t offset = t.offset != 0 ? t.offset : field->offset;
      const std::size_t maxChars = t.offset != 0 ? t.maxChars : field->width;
      old.PutText(offset, Text(w, t.key, t.zeroDefault ? "0" : ""), maxChars);
    }
    return true;
  }

 private:
  std::string Text(const std::string& section, const char* key, const char* def) const {
    return hed_.Get(section, key, def);
  }
  long Int(const std::string& section, const char* key, const char* def) const {
    return qv::AtolC(Text(section, key, def).c_str());
  }
  bool Refuse(const std::string& section, const char* key) const {
    qv::Trace("%s %s = %s does not fit the old header", section.c_str(), key, Text(section, key, "").c_str());
    return false;
  }
  bool Ranged(const std::string& section, const char* key, const char* def, long lo, long hi, long* value) const {
    *value = Int(section, key, def);
    return (*value >= lo && *value <= hi) || Refuse(section, key);
  }
  // A length (sonde length, channel offset) into a word, scaled for the old
  // header of an imperial log.
  bool Length(const std::string& section, const char* key, long* value) const {
    *value = Int(section, key, "0");
    if (imperial_ && *value > LONG_MIN / 100 && *value < LONG_MAX / 100) *value = *value * 100 / 254;
    return (*value >= 0 && *value <= UINT16_MAX) || Refuse(section, key);
  }
  bool Single(const std::string& section, const char* key, float* value) const {
    const double v = hed_.GetDouble(section, key, "0");
    *value = static_cast<float>(v);
    return (std::isfinite(v) && std::fabs(v) <= FLT_MAX) || Refuse(section, key);
  }

  bool FillChannels(OldHeaderImage& old) {
    int slotOf[oldhdr::kSlots];
    for (int i = 0; i < oldhdr::kSlots; ++i) {
      old.PutText(oldhdr::ShortTitle(i), "NULL", 4);
      old.PutText(oldhdr::Unit(i), "    ", 4);
      for (int k = 0; k < 4; ++k) old.SetDouble(oldhdr::Coefficient(i, k), k == 1 ? 1.0 : 0.0);
      const std::string s = ChannelSection(static_cast<unsigned>(i));
      const long channel = Int(s, "PhysicalCh", "11");
      slotOf[i] = channel >= 1 && channel <= oldhdr::kSlots ? static_cast<int>(channel - 1) : -1;
      // 11 stands for a missing key; any other channel has no slot here.
      if (slotOf[i] < 0 && channel != 11)
        qv::Trace("%s PhysicalCh %ld has no slot in the old header", s.c_str(), channel);
    }
    for (int i = 0; i < oldhdr::kSlots; ++i) {
      if (slotOf[i] < 0) continue;
      const std::string s = ChannelSection(static_cast<unsigned>(i));
      std::string title = Text(s, "TitleShort", "").substr(0, 4);
      title.resize(4, ' ');
      old.PutText(oldhdr::ShortTitle(slotOf[i]), title, 4);
    }
    for (int i = 0; i < oldhdr::kSlots; ++i)
      if (slotOf[i] >= 0)
        old.PutText(oldhdr::Unit(slotOf[i]), Text(ChannelSection(static_cast<unsigned>(i)), "Unit", ""), 4);
    for (int i = 0; i < oldhdr::kSlots; ++i) {
      if (slotOf[i] < 0) continue;
      const std::string s = ChannelSection(static_cast<unsigned>(i));
      for (unsigned k = 0; k < 4; ++k) {
        const std::string key = NumberedName("Coefficient", k);
        const double c = hed_.GetDouble(s, key, "0");
        if (!std::isfinite(c)) return Refuse(s, key.c_str());
        if (c != 0.0) old.SetDouble(oldhdr::Coefficient(slotOf[i], static_cast<int>(k)), c);
      }
    }
    bool calibrated = false;
    for (int i = 0; i < oldhdr::kSlots; ++i) {
      if (slotOf[i] < 0) continue;
      const std::string s = ChannelSection(static_cast<unsigned>(i));
      const std::size_t d = oldhdr::Display(slotOf[i]);
      const long track = Int(s, "DisplayTrack", "0");
      static const std::uint16_t kTrackCodes[] = {0, 0, 3, 5, 3};
      old.SetWord(d + oldhdr::kTrackCode, track >= 0 && track <= 4 ? kTrackCodes[track] : 0);
      old.SetWord(d + oldhdr::kSpanWord, track == 4 ? 4 : 2);
      old.SetWord(d + oldhdr::kColourIndex, static_cast<std::uint16_t>(i + 1));
      float left = 0, right = 0;
      long width = 0, offset = 0;
      if (!Single(s, "RangeLeft", &left) || !Single(s, "RangeRight", &right) ||
          !Ranged(s, "FilterWidth", "0", 0, UINT16_MAX, &width) || !Length(s, "Offset", &offset))
        return false;
      old.SetSingle(d + oldhdr::kRangeLeft, left);
      old.SetSingle(d + oldhdr::kRangeRight, right);
      old.SetWord(d + oldhdr::kFilterWidth, static_cast<std::uint16_t>(width));
      old.SetWord(d + oldhdr::kOffset, static_cast<std::uint16_t>(offset));
      if (Int(s, "CalFlag", "0") != 0) calibrated = true;
    }
    old.SetByte(oldhdr::kCalibrated, calibrated ? 1 : 0);
    return true;
  }

  const HedFile& hed_;
  bool imperial_ = false;
};

}  // namespace

int CHeader::ExportOldHeader(const std::string& dataPath) {
  if (!qv::HasExtension(dataPath)) {
    qv::Trace("No Extension in HED-File");
    return 0;
  }
  HedFile hed;
  if (hed.Load(HeaderPathFor(dataPath)) != HedFile::LoadResult::kLoaded) {
    qv::Trace("Could not open HED-File");
    return 0;
  }
  if (hed.Get(kGeneral, "Ident", "") != kHeaderIdent) {
    qv::Trace("Header-ID not correct");
    return 0;
  }
  qv::Trace("Header-ID correct");
  OldHeaderImage old;
  if (!Exporter(hed).Fill(old)) return 0;
  // Written whole through a temporary file: a failure leaves the previous
  // old header as it was.
  const std::string hdr = SiblingFor(dataPath, ".hdr");
  if (qv::SameFile(hdr, hed.Path()) || !qv::WriteFileAtomically(hdr, old.Bytes())) {
    qv::Trace("Could not create .hdr file");
    return 0;
  }
  qv::Trace("Creation of HDR-File sucessfully");
  return 1;
}
