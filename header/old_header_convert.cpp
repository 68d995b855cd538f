// Conversion of old binary headers into header files of this system.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "header/old_header.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace {

constexpr unsigned kNotV106 = 32140;

std::atomic<OldHeaderConverter> g_converter{nullptr};

enum class LogKind { kSixChannel, kTeleviewer, kCementBond, kOther };

LogKind KindOfLog(const std::string& dataPath) {
  const std::size_t dot = dataPath.find_last_of('.');
  std::string ext = dataPath.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (ext == "LOG") return LogKind::kSixChannel;
  if (ext == "BTV") return LogKind::kTeleviewer;
  if (ext == "CBL" || ext == "VDL") return LogKind::kCementBond;  // full-wave sonic logs convert alike
  return LogKind::kOther;
}

// A text of the binary file may hold any byte; a line break would split the
// key in the header file, so it becomes a blank.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

std::string Number(double value) {
  return qv::FormatC("%.15G", std::isfinite(value) ? value : 0.0);
}

// The old header of an imperial log holds sonde lengths and channel offsets
// scaled by 100 / 254; they come back x 254 / 100, truncating.
unsigned FromOldLength(unsigned word, bool imperial) {
  return imperial ? word * 254u / 100u : word;
}

class Converter {
 public:
  Converter(const OldHeaderImage& old, HedFile& hed, LogKind kind) : old_(old), hed_(hed), kind_(kind) {}

  void Run() {
    WriteGeneral();
    WriteWellInfo();
    if (kind_ == LogKind::kTeleviewer)
      WriteTeleviewerChannels();
    else
      WriteSlotChannels();
    WriteTracks();
  }

 private:
  void Set(const std::string& section, const char* key, const std::string& value) { hed_.Set(section, key, value); }
  void SetUnsigned(const std::string& section, const char* key, unsigned value) {
    Set(section, key, std::to_string(value));
  }
  bool Imperial() const { return old_.Byte(oldhdr::kDepthUnit) != 0; }

  void WriteGeneral() {
    WriteHeaderIdent(hed_);
    Set(kGeneral, "UserProcessFlag", "0");
    Set(kGeneral, "UserDLL", "");
    Set(kGeneral, "LogType", "0");
    const unsigned word = kind_ == LogKind::kTeleviewer ? 0 : old_.Word(oldhdr::kSondeLength);
    SetUnsigned(kGeneral, "SondeLength", FromOldLength(word, Imperial()));
  }

  void WriteWellInfo() {
    const char* w = "WellInfo";
    Set(w, "DepthUnit", CHeader::ReadOldHeaderByte(old_, oldhdr::kDepthUnit));
    const char* mode = "11";
    switch (old_.Byte(oldhdr::kLogDirection)) {
      case 0:
        mode = "12";
        break;
      case 1:
        mode = "11";
        break;
      case 2:
        mode = "10";
        break;
      default:
        break;
    }
    if (kind_ == LogKind::kTeleviewer) mode = "13";
    Set(w, "LogMode", mode);
    Set(w, "Startdepth", CHeader::ReadOldHeaderLong(old_, oldhdr::kStartDepth));
    Set(w, "EndDepth", CHeader::ReadOldHeaderLong(old_, oldhdr::kEndDepth));
    Set(w, "Step", CHeader::ReadOldHeaderByte(old_, oldhdr::kStep));
    Set(w, "StartTime", "0");
    Set(w, "EndTime", "0");
    Set(w, "Zero", "0");
    std::size_t count = 0;
    const oldhdr::TextField* fields = oldhdr::ConversionTextFields(&count);
    for (std::size_t i = 0; i < count; ++i) {
      const oldhdr::TextField& f = fields[i];
      Set(w, f.key, f.offset == 0 ? std::string() : OneLine(CHeader::ReadOldHeaderString(old_, f.offset, f.width)));
    }
  }

  void WriteTeleviewerChannels() {
    struct Fixed {
      const char* track;
      const char* title;
      const char* shortTitle;
      const char* channel;
    };
    const Fixed fixed[] = {{"2", "AMPLITUDE DATA", "AMPL", "1"}, {"0", "TIME DATA", "TIME", "2"}};
    for (const Fixed& f : fixed) {
      const std::string s = ChannelSection(channel_++);
      for (const char* key : {"FilterFlag", "FilterType", "FilterWidth", "HeaderLine"}) Set(s, key, "0");
      Set(s, "DisplayTrack", f.track);
      Set(s, "Title", f.title);
      Set(s, "TitleShort", f.shortTitle);
      Set(s, "Unit", " ");
      Set(s, "Offset", "0");
      Set(s, "PhysicalCh", f.channel);
      for (const char* key : {"LogicalCh", "Window", "LineColour"}) Set(s, key, "0");
      Set(s, "PrintParameter", "1");
      for (const char* key : {"RangeLeft", "RangeRight", "CalFlag"}) Set(s, key, "0");
    }
  }

  void WriteSlotChannels() {
    const bool calibrated = old_.Byte(oldhdr::kCalibrated) == 1;
    for (int slot = 0; slot < oldhdr::kSlots; ++slot) {
      const std::string title = OneLine(CHeader::ReadOldHeaderString(old_, oldhdr::ShortTitle(slot), 4));
      const std::size_t d = oldhdr::Display(slot);
      const unsigned colour = old_.Word(d + oldhdr::kColourIndex);
      if (title == "NULL") continue;
      const std::string s = ChannelSection(channel_++);
      const unsigned width = old_.Word(d + oldhdr::kFilterWidth);
      const bool filtered = width >= 1 && width <= 51;
      Set(s, "FilterFlag", filtered ? "1" : "0");
      Set(s, "FilterType", filtered ? "1" : "0");
      Set(s, "FilterWidth", filtered ? std::to_string(width) : "0");
      Set(s, "Visible", colour != 0 ? "1" : "0");
      Set(s, "Title", title);
      Set(s, "TitleShort", title);
      Set(s, "Unit", OneLine(CHeader::ReadOldHeaderString(old_, oldhdr::Unit(slot), 4)));
      PlaceOnTrack(s, slot);
      SetUnsigned(s, "Offset", FromOldLength(old_.Word(d + oldhdr::kOffset), Imperial()));
      SetUnsigned(s, "PhysicalCh", static_cast<unsigned>(slot + 1));
      Set(s, "LogicalCh", "0");
      Set(s, "Window", "0");
      SetUnsigned(s, "LineColour", oldhdr::ColourOfIndex(colour));
      SetUnsigned(s, "PrintParameter", colour % 3);
      Set(s, "RangeLeft", CHeader::ReadOldHeaderFloat(old_, d + oldhdr::kRangeLeft));
      Set(s, "RangeRight", CHeader::ReadOldHeaderFloat(old_, d + oldhdr::kRangeRight));
      Set(s, "CalFlag", calibrated ? "1" : "0");
      static const char* const kDefaults[] = {"0.000000", "1.000000", "0.000000", "0.000000"};
      for (int k = 0; k < 4; ++k)
        Set(s, NumberedName("Coefficient", static_cast<unsigned>(k)).c_str(),
            calibrated ? CHeader::ReadOldHeaderDouble(old_, oldhdr::Coefficient(slot, k)) : kDefaults[k]);
    }
    if (kind_ == LogKind::kCementBond) WriteReceivers();
  }

  void PlaceOnTrack(const std::string& s, int slot) {
    const std::size_t d = oldhdr::Display(slot);
    const unsigned code = kind_ == LogKind::kCementBond ? 1 : old_.Word(d + oldhdr::kTrackCode);
    const auto span = static_cast<std::int16_t>(old_.Word(d + oldhdr::kSpanWord));
    unsigned* line = &lines_[0];
    const char* track = "0";
    if (code == 3 || code == 4) {
      // A curve across tracks 2 and 3 takes a header line in both.
      if (span == 4) {
        ++lines_[2];
        track = "4";
      } else {
        track = "2";
      }
      line = &lines_[1];
    } else if (code == 5 || code == 6) {
      track = "3";
      line = &lines_[2];
    }
    Set(s, "DisplayTrack", track);
    SetUnsigned(s, "HeaderLine", (*line)++);
  }

  void WriteReceivers() {
    const char* titles[][2] = {{"Near Receiver", "Near"}, {"Far Receiver", "Far"}};
    for (int r = 0; r < 2; ++r) {
      const std::string s = ChannelSection(channel_++);
      for (const char* key : {"FilterFlag", "FilterType", "FilterWidth"}) Set(s, key, "0");
      Set(s, "Title", titles[r][0]);
      Set(s, "TitleShort", titles[r][1]);
      Set(s, "Unit", "\xB5s");  // micro sign of the Windows-1252 code page
      Set(s, "DisplayTrack", r == 0 ? "2" : "3");
      Set(s, "HeaderLine", "0");
      Set(s, "Offset", "207");
      Set(s, "PhysicalCh", r == 0 ? "7" : "8");
      for (const char* key : {"LogicalCh", "Window", "LineColour", "PrintParameter", "RangeLeft"}) Set(s, key, "0");
      Set(s, "RangeRight", "1000");
      Set(s, "CalFlag", "0");
      for (unsigned k = 0; k < 4; ++k) Set(s, NumberedName("Coefficient", k).c_str(), "0");
    }
  }

  void WriteTrack(unsigned index, unsigned type, unsigned gridFlag, std::uint32_t gridStyle) {
    const std::string s = TrackSection(index);
    Set(s, "Style", "17");
    SetUnsigned(s, "Type", type);
    SetUnsigned(s, "GridFlag", gridFlag);
    SetUnsigned(s, "GridStyle", gridStyle);
    Set(s, "GridColour", "0");
  }

  void WriteTracks() {
    constexpr std::uint32_t kPlainGrid = 0x10000004;
    constexpr std::uint32_t kSecondGrid = 0x01000004;
    switch (kind_) {
      case LogKind::kTeleviewer:
        WriteTrack(1, 1, 0, 0);
        WriteTrack(0, 3, 0, 0);
        WriteTrack(2, 3, 0, 0);
        break;
      case LogKind::kSixChannel: {
        const std::uint32_t style = old_.Byte(oldhdr::kGridByte) == 1 ? kSecondGrid : kPlainGrid;
        for (unsigned t = 0; t < 4; ++t) WriteTrack(t, t == 1 ? 1 : 2, 1, t == 0 ? kPlainGrid : style);
        break;
      }
      case LogKind::kCementBond:
        WriteTrack(0, 2, 1, kPlainGrid);
        WriteTrack(1, 1, 0, 0);
        WriteTrack(2, 3, 0, 0);
        WriteTrack(3, 3, 0, 0);
        break;
      case LogKind::kOther:
        break;
    }
  }

  const OldHeaderImage& old_;
  HedFile& hed_;
  LogKind kind_;
  unsigned channel_ = 0;
  unsigned lines_[3] = {0, 0, 0};  // header lines of tracks 0, 2 and 3
};

int BuiltInConversion(const std::string& dataPath, HedFile& header) {
  if (!qv::HasExtension(dataPath)) return 0;
  const std::string hdr = SiblingFor(dataPath, ".hdr");
  OldHeaderImage old;
  if (!old.Load(hdr)) {
    ShowNotV106(hdr);
    return 0;
  }
  Converter(old, header, KindOfLog(dataPath)).Run();
  return 1;
}

}  // namespace

void ShowNotV106(const std::string& hdrPath) {
  std::string text = qv::LoadString(kNotV106);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, hdrPath);
  qv::ShowMessageText(kNotV106, text);
}

OldHeaderConverter SetOldHeaderConverter(OldHeaderConverter converter) {
  return g_converter.exchange(converter);
}

int CHeader::ConvertOldHeader(const std::string& dataPath, HedFile& header) {
  if (OldHeaderConverter converter = g_converter.load()) return converter(dataPath, header);
  return BuiltInConversion(dataPath, header);
}

std::string CHeader::ReadOldHeaderByte(const OldHeaderImage& file, std::size_t offset) {
  return std::to_string(file.Byte(offset));
}

std::string CHeader::ReadOldHeaderWord(const OldHeaderImage& file, std::size_t offset) {
  return std::to_string(file.Word(offset));
}

std::string CHeader::ReadOldHeaderLong(const OldHeaderImage& file, std::size_t offset) {
  return std::to_string(file.Long(offset));
}

std::string CHeader::ReadOldHeaderFloat(const OldHeaderImage& file, std::size_t offset) {
  return Number(file.Single(offset));
}

std::string CHeader::ReadOldHeaderDouble(const OldHeaderImage& file, std::size_t offset) {
  return Number(file.Double(offset));
}

std::string CHeader::ReadOldHeaderString(const OldHeaderImage& file, std::size_t offset, std::size_t width) {
  return file.Text(offset, std::min<std::size_t>(width, 255));
}
