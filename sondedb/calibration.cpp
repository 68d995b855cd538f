#include "sondedb/calibration.h"

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/core/device_services.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/fields.h"
#include "sondedb/lookups.h"

namespace qv {

namespace {

constexpr const char* kChannel = "Channel";
constexpr const char* kCoefficient = "Coefficient";
constexpr const char* kReferencePoint = "ReferencePoint";
constexpr int kSectionsChecked = 6;

std::string ChannelSection(unsigned n) { return FormatC("%s%u", kChannel, n); }

// Copies a file to a target that must not exist yet; errno tells why not.
bool CopyNew(const std::string& from, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    const int err = errno;
    close(in);
    errno = err;
    return false;
  }
  char buf[8192];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(in, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0 || write(out, buf, n) != n) {
      ok = false;
      break;
    }
  }
  const int err = errno;
  close(in);
  if (close(out) != 0) ok = false;
  if (!ok) {
    unlink(to.c_str());
    errno = err ? err : EIO;
  }
  return ok;
}

// The leading number of a text; false when there is none.
bool LeadingNumber(const std::string& s, long& value, size_t& digits) {
  size_t i = 0;
  while (i < s.size() && isspace(static_cast<unsigned char>(s[i]))) ++i;
  const size_t start = i;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  digits = 0;
  while (i < s.size() && isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  value = AtolC(s.c_str() + start);
  return digits > 0;
}

long Clamp(long v, long lo, long hi) { return v < lo ? lo : v > hi ? hi : v; }

// The calibration date of a channel row: its LASTUPDATE as a date, or as
// month/day/year text with '/', '\' or '.' between the parts. Two-digit years
// are 1930..2029, as the database reads them. An empty text, or one without
// its two separators, is a date not known: 1 January 1997, as for a channel
// never calibrated (a row edited by hand must not cost the later channels).
std::int64_t CalibrationDate(SondeRecordset* rs) {
  const dao::Variant v = rs->GetFieldValue("LASTUPDATE");
  long month = 1, day = 1, year = 1997;
  if (v.type == dao::VarType::Date) {
    month = v.date.month, day = v.date.day, year = v.date.year;
  } else {
    const std::string text = VariantToString(v);
    const size_t first = text.find_first_of("/\\.");
    const size_t second = first == std::string::npos ? first : text.find_first_of("/\\.", first + 1);
    if (second != std::string::npos) {
      size_t digits = 0;
      LeadingNumber(text, month, digits);
      LeadingNumber(text.substr(first + 1), day, digits);
      if (LeadingNumber(text.substr(second + 1), year, digits) && digits <= 2 && year >= 0)
        year += year < 30 ? 2000 : 1900;
    }
  }
  std::tm tm{};
  tm.tm_year = static_cast<int>(Clamp(year, 1970, 2038)) - 1900;
  tm.tm_mon = static_cast<int>(Clamp(month, 1, 12)) - 1;
  tm.tm_mday = static_cast<int>(Clamp(day, 1, 31));
  tm.tm_hour = tm.tm_min = tm.tm_sec = 1;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(mktime(&tm));
}

}  // namespace

std::string FormatFileDate(const char* fmt, std::time_t t) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[128];
  const size_t n = strftime_l(buf, sizeof buf, fmt, &tm, c);
  return std::string(buf, n);
}

std::string CalibrationFolder() { return JoinPath(ProgramFolder(), "Calibration"); }

int LoadCalibCoeffs(const std::string& file, int count, unsigned number, double* block) {
  if (!block || file.empty()) return 0;
  const std::string section = ChannelSection(number);
  // The block holds four coefficients, whatever count a database row gives.
  const int n = count < 0 ? 0 : count > kCoefficientSlots ? kCoefficientSlots : count;
  for (int i = 0; i < n; ++i) {
    const std::string value = GetProfileText(file, section, FormatC("%s%u", kCoefficient, i), "", 1024);
    if (value.empty()) return 0;
    block[i] = StrtodC(value.c_str(), nullptr);
  }
  return 1;
}

int LoadSondeCalibration(SondeRecordset* sonde, CalibrationSet* set) {
  const std::string folder = CalibrationFolder();
  if (!sonde || !set) return 0;
  set->channels.clear();
  if (CountRecords(sonde) != 1) return 0;
  try {
    sonde->MoveFirst();
    set->sondeName = GetFieldString(sonde, "Name");
    set->abbreviation = GetFieldString(sonde, "Abbreviation");
    set->serialNumber = GetFieldString(sonde, "SerialNumber");
    std::string name = GetFieldString(sonde, "CALIBFILE");
    bool create = false;
    if (name.empty()) {
      name = set->abbreviation + set->serialNumber;
      sonde->Edit();
      SetFieldString(sonde, "CALIBFILE", name.c_str());
      sonde->Update();
      create = true;
    } else {
      const std::string path = FindFileNoCase(JoinPath(folder, name + ".cal"));
      double scratch[kCoefficientSlots] = {};
      for (unsigned n = 1; n <= kSectionsChecked && !create; ++n)
        create = !LoadCalibCoeffs(path, kCoefficientSlots, n, scratch);
      if (create) ShowMessageBox(LoadString(32278) + LoadString(32046), "", MB_OK);
    }
    set->filePath = FindFileNoCase(JoinPath(folder, name + ".cal"));
    if (create) {
      if (CopyNew(FindFileNoCase(JoinPath(folder, "Default.cal")), set->filePath)) {
        WritePrivateProfileString("General", "Sonde", set->abbreviation.c_str(), set->filePath);
        WritePrivateProfileString("General", "SerialNo", set->serialNumber.c_str(), set->filePath);
      } else {
        ShowLastError(errno);
      }
    }

    const int sondeId = FieldInt(sonde, "Sonde");
    SondeRecordset rs(sonde->GetDatabase());
    rs.Open(FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u ORDER BY CHANNELLOGIC ASC ",
                    static_cast<unsigned>(sondeId)),
            true);
    const int n = CountRecords(&rs);
    for (int k = 1; k <= n; ++k, rs.MoveNext()) {
      auto rec = std::make_unique<ChannelCalibration>();
      rec->physicalChannel = FieldInt(&rs, "CHANNELPHYSIC");
      rec->channelRowId = FieldInt(&rs, "Channel");
      rec->method = FieldInt(&rs, "FORMULA");
      rec->regime = FieldInt(&rs, "REGIME");
      rec->calibratable = rec->regime != 0 && rec->method != 0 ? 1 : 0;
      rec->coefficientCount = FieldInt(&rs, "CalibrationPoints");
      if (rec->coefficientCount != 0) {
        Coefficients& c = rec->coefficients.emplace(Coefficients{});
        // A channel's coefficients are in the section of its physical
        // channel, where the calibration writes them and logging reads
        // them; a row without one uses its place in the list.
        const unsigned section = rec->physicalChannel > 0 ? rec->physicalChannel : k;
        if (!LoadCalibCoeffs(set->filePath, rec->coefficientCount, section, c.data())) {
          for (int i = 0; i < rec->UsableCoefficientCount(); ++i) c[i] = 0.0;
          if (rec->coefficientCount >= 2) c[1] = 1.0;
        }
      }
      rec->unit = GetFieldString(&rs, "Unit");
      rec->shortTitle = GetFieldString(&rs, "HeaderShort");
      rec->calibrationDate = CalibrationDate(&rs);
      rec->validity = FieldInt(&rs, "NEXTUPDATE");
      set->channels.push_back(std::move(rec));
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int GetSondeCalibFileName(std::string& out, const std::string& abbreviation, const std::string& serial) {
  out.clear();
  auto rs = OpenSondeRecordset(abbreviation, serial);
  if (!rs) return 0;
  if (CountRecords(rs.get()) != 1) return 0;
  out = GetFieldString(rs.get(), "CALIBFILE");
  return 1;
}

int UpdateCalibratedChannel(const ChannelCalibration* rec) {
  if (!rec) return 0;
  auto db = OpenSondeDatabase();
  if (!db) return 0;
  try {
    SondeRecordset rs(db.get());
    rs.Open(FormatC("SELECT * FROM CHANNEL WHERE CHANNEL = %u", static_cast<unsigned>(rec->channelRowId)));
    if (CountRecords(&rs) != 1 || !rs.CanUpdate()) return 0;
    rs.Edit();
    // Stored as a date, not as two-digit-year text, so that it reads back
    // with its century.
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    rs.SetFieldValue("LASTUPDATE", dao::Variant::MakeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
    SetFieldString(&rs, "Unit", rec->unit.c_str());
    rs.Update();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    ShowMessageId(32198, MB_OK);
    return 0;
  }
  return 1;
}

CalibrationHistory::~CalibrationHistory() { Close(); }

bool CalibrationHistory::Open(const std::string& calibrationFile, std::time_t openedAt) {
  Close();
  path_ = SiblingPath(calibrationFile, ".hst");
  if (access(path_.c_str(), F_OK) != 0) {
    FILE* f = fopen(path_.c_str(), "wb");
    if (!f) {
      ShowMessageText(32407, FormatC(LoadString(32407).c_str(), path_.c_str()));
    } else {
      const std::string head = "******  CALIBRATION-HISTORY FILE ******\r\nFile created: " +
                               FormatFileDate("%d %b %y", openedAt) + "\r\n\r\n";
      fwrite(head.data(), 1, head.size(), f);
      fclose(f);
    }
  }
  file_ = OpenRegularFileStream(path_, "ab");
  if (!file_) ShowMessageText(32408, FormatC(LoadString(32408).c_str(), path_.c_str()));
  return file_ != nullptr;
}

void CalibrationHistory::Append(const std::string& text) {
  if (!file_) return;
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  fwrite(out.data(), 1, out.size(), file_);
  fflush(file_);
}

void CalibrationHistory::Close() {
  if (file_) fclose(file_);
  file_ = nullptr;
}

bool WriteCalibrationKey(const std::string& section, const std::string& key, const std::string& value,
                         const std::string& file, CalibrationHistory* history) {
  if (history) history->Append(key + "=" + GetProfileText(file, section, key, "0", 255) + "\n");
  return WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), file);
}

bool SaveChannelCalibration(const CalibrationSet& set, ChannelCalibration& rec, const CalibrationMeasurement& m,
                            CalibrationHistory* history, std::time_t now) {
  const std::string& file = set.filePath;
  CalibrationHistory* log =
      history && history->IsOpen() && !GetProfileText(file, "General", "LastModified", "", 255).empty() ? history
                                                                                                          : nullptr;
  bool ok = true;
  auto write = [&](const std::string& section, const std::string& key, const std::string& value, bool logged) {
    ok = WriteCalibrationKey(section, key, value, file, logged ? log : nullptr) && ok;
  };
  write("General", "LastModified", FormatFileDate("%d %b %y", now), true);
  write("General", "Sonde", set.abbreviation, true);
  write("General", "SerialNo", set.serialNumber, true);

  const std::string section = ChannelSection(static_cast<unsigned>(rec.physicalChannel));
  rec.calibrationDate = now;
  write(section, "LastCalibration", FormatFileDate("%d %b %y", now), false);
  write(section, "NextCalibration",
        FormatFileDate("%d %b %y", static_cast<std::time_t>(rec.calibrationDate + std::int64_t{rec.validity} * 86400)),
        false);
  write(section, "CalibrationInterval", FormatC("%u days", static_cast<unsigned>(rec.validity)), false);
  if (log) log->Append("channel=" + rec.shortTitle + "\n");
  // Every method applies the same cubic; an unknown code is saved as such.
  const char* method = CalibrationMethodName(rec.method);
  write(section, "CalibrationMethod", *method ? method : CalibrationMethodName(kMethodPolynom), true);
  static const char* const kNoBlock[kCoefficientSlots] = {"0.000", "1.000", "0.000", "0.000"};
  for (unsigned i = 0; i < kCoefficientSlots; ++i)
    write(section, FormatC("%s%u", kCoefficient, i),
          rec.coefficients ? FormatC("%.10G", (*rec.coefficients)[i]) : kNoBlock[i], true);
  const int points = m.pointCount < 0 ? 0 : m.pointCount > kCoefficientSlots ? kCoefficientSlots : m.pointCount;
  write(section, "JigCount", FormatC("%u", static_cast<unsigned>(points)), true);
  if (m.regime == 2) {
    const std::string fmt = LoadFileString(32411);
    write(section, LoadFileString(32409), FormatC(fmt.c_str(), m.nearCount, m.expectedRatio), true);
    write(section, LoadFileString(32410), FormatC(fmt.c_str(), m.farCount, m.expectedRatio), true);
  } else {
    const std::string fmt = LoadFileString(32033);
    for (int i = 0; i < points; ++i)
      write(section, FormatC("%s%u", kReferencePoint, static_cast<unsigned>(i)),
            FormatC(fmt.c_str(), static_cast<unsigned>(m.counts[i]), m.references[i], rec.unit.c_str()), true);
  }
  if (log) log->Append(std::string(55, '-') + "\n\n");
  return ok;
}

}  // namespace qv
