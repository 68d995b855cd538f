#include "logtools/las/las_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "app/core/statistics/statistics.h"
#include "header/header.h"
#include "header/hed_file.h"
#include "header/user_function_ini.h"
#include "logdoc/records/records.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "userfunc/user_function_library.h"

namespace {

constexpr unsigned kOverwriteQuestion = 32269;
constexpr int kProgramBuild = 406;
constexpr int kOutputRow = 25;  // the row a window hands on
constexpr int kInputRow = 51;   // the row a value enters without delay
constexpr int kMinRows = 52;
constexpr int kMaxDelayRows = 100000;  // a corrupt sonde length must not exhaust memory
constexpr int kMaxFilterWidth = qv::kMaxStatisticWindow;
constexpr int kMaxRecordSize = 1 << 20;
constexpr int kSixRecordSize = static_cast<int>(qv::SixChannelFileRecord::kSize);
constexpr int kTwelveRecordSize = static_cast<int>(qv::TwelveChannelFileRecord::kSize);
constexpr int kRowValues = 16;
constexpr int kTimeElement = 13;
constexpr double kFeetPerMetre = 3.280839895;

const char kRule[] = "#------------------------------------------------------------------------------\r\n";

void Line(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string& out, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = qv::VFormatC(fmt, args);
  va_end(args);
  out += text;
}

// A mnemonic or unit as LAS 2.0 readers split a line: the mnemonic ends at
// the first '.', the unit at the first blank and the data at the last ':', so
// none of them may appear inside one ("GR 2" becomes "GR_2", "deg C" "deg_C").
std::string LasName(std::string name) {
  for (char& ch : name)
    if (ch == '.' || ch == ':' || std::isspace(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

// A curve description as readers split a curve line: the description starts
// after a colon, some readers take the first and some the last, so it holds
// none of its own.
std::string LasDescription(std::string text) {
  std::replace(text.begin(), text.end(), ':', ';');
  return text;
}

bool SameLasName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The mnemonics of the chosen channels, in column order. Readers find a
// curve by its mnemonic, so each is one of its own: a channel without a short
// title is named after its physical channel, and a name that an earlier
// column (DEPTH and TIME included) already has, in any letter case, gets the
// first free "_2", "_3", ... suffix.
std::vector<std::string> LasCurveNames(const LasChannels& channels, bool twelve) {
  std::vector<std::string> taken = {"DEPTH"};
  if (twelve) taken.push_back("TIME");
  std::vector<std::string> names;
  for (const CurveRecord* c : channels) {
    if (c == nullptr) continue;
    std::string name = LasName(c->shortTitle);
    if (name.empty()) name = "CH" + std::to_string(c->physicalChannel);
    auto used = [&](const std::string& n) {
      return std::any_of(taken.begin(), taken.end(), [&](const std::string& t) { return SameLasName(t, n); });
    };
    std::string unique = name;
    for (int k = 2; used(unique); ++k) unique = name + "_" + std::to_string(k);
    taken.push_back(unique);
    names.push_back(unique);
  }
  return names;
}

std::string OrNA(const std::string& value) {
  return value.empty() ? "N/A" : value;
}

double Finite(double v) {
  return std::isfinite(v) ? v : kLasNull;
}

// A window of rows of channel values that moves by one row per record: row 0
// leaves, is refilled with the null value and becomes the last row.
class Window {
 public:
  Window(int rows, int columns) : columns_(columns), storage_(static_cast<std::size_t>(rows) * columns, kLasNull) {
    for (int r = 0; r < rows; ++r) rows_.push_back(&storage_[static_cast<std::size_t>(r) * columns]);
  }
  double* Row(int r) { return rows_[static_cast<std::size_t>(r)]; }
  double* const* Rows() const { return rows_.data(); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  void Move() {
    double* first = rows_.front();
    std::fill(first, first + columns_, kLasNull);
    std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
  }

 private:
  int columns_;
  std::vector<double> storage_;
  std::vector<double*> rows_;
};

// Converts centimetres (sonde length, channel offsets) into thousandths of
// the log's depth unit.
int CentimetresToLogUnits(int cm, const HeaderInfo& header) {
  if (header.DepthUnit == 0)
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(cm) * 10, INT_MIN, INT_MAX));
  const double v = static_cast<double>(cm) * kFeetPerMetre * 10.0;
  return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// Whether the LAS file would overwrite one of the files the export reads.
bool LasPathIsAnInput(const LasExportSettings& s) {
  const std::string inputs[] = {s.InputPath,
                                HeaderPathFor(s.InputPath),
                                SiblingFor(s.InputPath, ".hdr"),
                                SiblingFor(s.InputPath, ".CBL"),
                                SiblingFor(s.InputPath, ".VDL"),
                                SiblingFor(s.InputPath, ".LOG"),
                                SiblingFor(s.InputPath, ".LGX"),
                                s.CalibrationPath,
                                HeaderPathFor(s.CalibrationPath),
                                s.UserFunctionPath,
                                SiblingFor(s.UserFunctionPath, ".ini")};
  for (const std::string& input : inputs)
    if (!input.empty() && qv::SameFile(s.LasPath, input)) return true;
  return false;
}

// Copies the rows file into out with the rows in reverse order. The rows are
// read backwards block by block, so they never need to be held in memory
// together.
bool CopyRowsReversed(std::FILE* rows, qv::AtomicFile& out) {
  constexpr long kBlock = 1 << 16;
  if (std::fseek(rows, 0, SEEK_END) != 0) return false;
  long end = std::ftell(rows);
  if (end < 0) return false;
  std::string chunk, text;
  std::string carry;  // the rows whose beginning lies in an earlier block
  while (end > 0) {
    const long start = std::max(0L, end - kBlock);
    const auto len = static_cast<std::size_t>(end - start);
    chunk.resize(len);
    if (std::fseek(rows, start, SEEK_SET) != 0 || std::fread(chunk.data(), 1, len, rows) != len) return false;
    chunk += carry;
    // Each row ends with '\n'; emit the rows that start in this block from
    // the back.
    std::size_t stop = chunk.size();
    text.clear();
    while (stop >= 2) {
      const std::size_t nl = chunk.rfind('\n', stop - 2);
      if (nl == std::string::npos) break;
      text.append(chunk, nl + 1, stop - nl - 1);
      stop = nl + 1;
    }
    carry.assign(chunk, 0, stop);
    if (!text.empty() && !out.Write(text)) return false;
    end = start;
  }
  return carry.empty() || out.Write(carry);
}

}  // namespace

void WriteLasHeader(std::string& out, const HeaderInfo& header, const LasExportSettings& s) {
  const char* unit = header.DepthUnit == 0 ? "M" : "FT";
  const bool reversed = s.ReverseDepth == 1;
  Line(out, "#Written by Tremarin Borvanic Quorvanta V1.0/%d\r\n", kProgramBuild);
  out += "~VERSION INFORMATION\r\n";
  out += kRule;
  out += " VERS. 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0\r\n";
  out += " WRAP. NO  : ONE LINE PER DEPTH STEP\r\n";
  out += "~WELL INFORMATION\r\n";
  out += "#MNEM.UNIT         DATA                                DESCRIPTION OF MNEMONIC\r\n";
  out += kRule;
  Line(out, " STRT.%-2s  %13.4f                            :   START DEPTH\r\n", unit,
       (reversed ? s.ToDepth : s.FromDepth) / 1000.0);
  Line(out, " STOP.%-2s  %13.4f                            :   STOP DEPTH\r\n", unit,
       (reversed ? s.FromDepth : s.ToDepth) / 1000.0);
  Line(out, " STEP.%-2s  %13.4f                            :   STEP VALUE\r\n", unit,
       (reversed ? -s.Interval : s.Interval) / 1000.0);
  Line(out, " NULL.    %13.4f                            :   NULL VALUE\r\n", kLasNull);
  Line(out, " COMP.    %-40s :   COMPANY NAME\r\n", OrNA(header.Company).c_str());
  Line(out, " WELL.    %-40s :   WELL NAME\r\n", OrNA(header.Wellname).c_str());
  Line(out, " FLD.     %-40s :   FIELD NAME\r\n", OrNA(header.Fieldname).c_str());
  Line(out, " LOC.     %-40s :   LOCATION\r\n", OrNA(header.Location).c_str());
  Line(out, " PROV.    %-40s :   PROVINCE\r\n", OrNA(header.Stat).c_str());
  Line(out, " SRVC.    %-40s :   SERVICE COMPANY NAME\r\n", OrNA(header.ServiceCompany).c_str());
  Line(out, " DATE.    %-40s :   DATE\r\n", OrNA(header.Date).c_str());
  Line(out, " UWI.     %-40s :   UNIQUE WELL IDENTIFIER\r\n", "N/A");
  out += "~PARAMETER INFORMATION\r\n";
  out += "#MNEMO.UNIT         VALUE                 DESCRIPTION OF MNEMONIC\r\n";
  out += kRule;
  out += "~OTHER INFORMATION SECTION\r\n";
  out += kRule;
  for (const std::string& comment : header.Comment) {
    if (comment.empty()) continue;
    // A remark must not start a section of its own in a reader that trims.
    std::size_t start = comment.find_first_not_of(" \t");
    std::string text = comment;
    while (start != std::string::npos && start < text.size() && text[start] == '~') text.erase(start, 1);
    Line(out, " %s\r\n", text.c_str());
  }
}

void WriteLasCurveInfo(std::string& out, const HeaderInfo& header, const LasChannels& channels,
                       const LasExportSettings& s) {
  const bool twelve = s.TwelveChannel != 0;
  out += "~CURVE INFORMATION\r\n";
  out += "#MNEMO.UNIT         API CODE              CURVE DESCRIPTION\r\n";
  out += kRule;
  auto curveLine = [&](const std::string& name, const std::string& unit, int number, const std::string& text) {
    Line(out, " %-25s %13s :  %2d     %s\r\n", (name + "." + LasName(unit)).c_str(), " ", number,
         LasDescription(text).c_str());
  };
  const std::vector<std::string> names = LasCurveNames(channels, twelve);
  int number = 0;
  curveLine("DEPTH", header.DepthUnit == 0 ? "M" : "FT", number++, "Depth");
  if (twelve) curveLine("TIME", "SEC", number++, "Time");
  std::size_t next = 0;
  for (const CurveRecord* c : channels)
    if (c != nullptr) curveLine(names[next++], c->unit, number++, c->description);
  out += kRule;
  out += "~A  ";
  // Columns of ten characters; a longer name still keeps a blank after it.
  auto column = [&](const std::string& name) {
    Line(out, "%-10s", name.c_str());
    if (name.size() >= 10) out += ' ';
  };
  column("DEPTH");
  if (twelve) column("TIME");
  for (const std::string& name : names) column(name);
  out += "\r\n";
}

void WriteLasDataRow(std::string& out, const double* row, const LasChannels& channels, const LasExportSettings& s) {
  const int nch = s.TwelveChannel != 0 ? 12 : 6;
  auto field = [&](double v) {
    qv::AppendFixedC(out, Finite(v), 9, 2);  // "%9.2f "
    out += ' ';
  };
  field(row[0] / 1000.0);
  if (s.TwelveChannel != 0) field(row[kTimeElement] == kLasNull ? kLasNull : row[kTimeElement] / 1000.0);
  for (const CurveRecord* c : channels) {
    if (c == nullptr) continue;
    const int pc = c->physicalChannel;
    field(pc >= 1 && pc <= nch ? row[pc] : kLasNull);
  }
  out += "\r\n";
}

void ReadExportCalibration(const std::string& path, double (*coefficients)[4]) {
  const std::string hed = HeaderPathFor(path);
  if (hed.empty() || coefficients == nullptr) return;
  HedFile header;
  header.Load(hed);
  const bool headerLayout = header.HasSection("WellInfo");
  HedFile calibration;
  if (!headerLayout) calibration.Load(path);
  const HedFile& file = headerLayout ? header : calibration;
  for (unsigned j = 0; j < 16; ++j) {
    std::string section;
    int index;
    if (headerLayout) {
      section = NumberedName("Channel", j);
      index = file.GetInt(section, "PhysicalCh", "16") - 1;
      if (index < 0 || index > 15) continue;
    } else {
      section = NumberedName("Channel", j + 1);
      index = static_cast<int>(j);
    }
    for (unsigned k = 0; k < 4; ++k) {
      const std::string text = file.Get(section, NumberedName("Coefficient", k), "", 64);
      if (!text.empty()) coefficients[index][k] = qv::AtofC(text.c_str());
    }
  }
}

int SetUpExportChannels(const std::string& dataPath, const HeaderInfo& header, ChannelFilter* table, int channels) {
  int sondeLength = 0;
  ReadSondeLength(dataPath, &sondeLength);
  ReadChannelFilters(dataPath, table);
  const int s = CentimetresToLogUnits(sondeLength, header);
  const int d = header.Step == 0 ? 1 : std::abs(header.Step == INT_MIN ? INT_MAX : header.Step);
  const bool depthLog = header.LogMode == 11 || header.LogMode == 12;
  const int m = depthLog ? std::clamp(s / d, 0, kMaxDelayRows) : 0;
  const int rows = m + kMinRows;
  for (int c = 0; c < channels && c < kFilterTableSize; ++c) {
    ChannelFilter& entry = table[c];
    entry.Offset = CentimetresToLogUnits(entry.Offset, header);
    long long delay = 0;
    if (header.LogMode == 11) delay = entry.Offset;
    if (header.LogMode == 12) delay = std::max(0LL, static_cast<long long>(s) - entry.Offset);
    // A window row outside the window is held to it: the value is then
    // delayed as far as the window allows, or not at all.
    entry.OffsetCopy = static_cast<int>(std::clamp<long long>(delay / d + kInputRow, kOutputRow, rows - 1));
    entry.FilterWidth = std::clamp(entry.FilterWidth, 0, kMaxFilterWidth);
  }
  return rows;
}

int ExportLas(LasExportSettings* settings, const HeaderInfo* header, const LasChannels* channels) {
  if (settings == nullptr || header == nullptr || channels == nullptr) return 0;
  LasExportSettings& s = *settings;
  const bool twelve = s.TwelveChannel != 0;
  const int nch = twelve ? 12 : 6;
  int recordSize = kSixRecordSize;
  if (twelve) {
    recordSize = header->RecLineSize > 0 ? header->RecLineSize : kTwelveRecordSize;
    if (recordSize < kTwelveRecordSize || recordSize > kMaxRecordSize) return 0;
  }

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> data(qv::OpenRegularFileStream(s.InputPath), &std::fclose);
  if (!data) return 0;
  if (s.LasPath.empty() || LasPathIsAnInput(s)) return 0;
  struct stat st {};
  if (::stat(s.LasPath.c_str(), &st) == 0 &&
      qv::ShowMessageId(kOverwriteQuestion, qv::MB_YESNO | qv::MB_ICONQUESTION) != qv::IDYES)
    return 0;

  qv::AtomicFile las(s.LasPath);
  if (!las.Open()) return 0;
  // Rows in file order go straight into the LAS file; reversed rows are
  // gathered in a rows file first and copied backwards at the end.
  const bool reversedRows = s.ReverseDepth == 1;
  const std::string rowsPath = s.LasPath + ".$$$";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> rows(nullptr, &std::fclose);
  struct RemoveRows {
    std::string path;
    ~RemoveRows() {
      if (!path.empty()) std::remove(path.c_str());
    }
  } removeRows;
  if (reversedRows) {
    rows.reset(std::fopen(rowsPath.c_str(), "w+b"));
    if (!rows) return 0;
    removeRows.path = rowsPath;
  }
  constexpr std::size_t kRowsBlock = 1 << 16;
  auto writeRows = [&](std::string& pending) {
    const bool ok = reversedRows ? std::fwrite(pending.data(), 1, pending.size(), rows.get()) == pending.size()
                                 : las.Write(pending);
    pending.clear();
    return ok;
  };

  // Calibration: every channel starts as the identity.
  double coefficients[16][4];
  for (auto& c : coefficients) {
    c[0] = 0;
    c[1] = 1;
    c[2] = 0;
    c[3] = 0;
  }
  if (!s.CalibrationPath.empty()) ReadExportCalibration(s.CalibrationPath, coefficients);

  UserFunctionLibrary library;
  UserFunctionFilter outputFilters[kUserFunctionFilterTableSize];
  const bool userFunction = !s.UserFunctionPath.empty();
  if (userFunction) {
    if (!library.Load(s.UserFunctionPath, UserFunctionCaller::kLasExport)) return 0;
    ReadUserFunctionFilters(s.UserFunctionPath, outputFilters);
    if (library.userFunction == nullptr || library.init == nullptr) return 0;
    library.init();
    if (library.initWaveforms != nullptr) library.initWaveforms(nullptr, nullptr, nullptr, nullptr, 0);
  }

  ChannelFilter filters[kFilterTableSize];
  const int windowRows = SetUpExportChannels(s.InputPath, *header, filters, nch);
  Window raw(windowRows, nch + 1);     // the last column carries the time
  Window output(windowRows, nch + 1);  // the last column carries the time
  double row[kRowValues];
  std::fill(row, row + kRowValues, kLasNull);

  // Direction of the log.
  const double step = std::abs(static_cast<double>(header->Step));
  const double startDepth = header->Startdepth;
  const double endDepth = header->EndDepth;
  double logStep;
  double firstRecordDepth;
  if (header->LogMode == 12) {
    const double from = std::min(s.FromDepth, s.ToDepth), to = std::max(s.FromDepth, s.ToDepth);
    s.FromDepth = from;
    s.ToDepth = to;
    s.Interval = std::abs(s.Interval);
    logStep = step;
    firstRecordDepth = std::min(startDepth, endDepth);
  } else if (header->LogMode == 11) {
    const double from = std::max(s.FromDepth, s.ToDepth), to = std::min(s.FromDepth, s.ToDepth);
    s.FromDepth = from;
    s.ToDepth = to;
    s.Interval = -std::abs(s.Interval);
    logStep = -step;
    firstRecordDepth = std::max(startDepth, endDepth);
  } else {
    const double from = std::max(s.FromDepth, s.ToDepth), to = std::min(s.FromDepth, s.ToDepth);
    s.FromDepth = from;
    s.ToDepth = to;
    s.Interval = 0;
    logStep = 0;
    firstRecordDepth = std::max(startDepth, endDepth);
  }
  const bool depthLog = (header->LogMode == 11 || header->LogMode == 12) && logStep != 0;
  // A value leaves a window 26 records after it entered it, so the depth that
  // labels a row starts 26 steps (52 with the user function's window) before
  // the first record. Rows that are not placed by depth (a time log, a log
  // without a step) leave out the rows before the first record and go on
  // after the end of the data until the last record has left the windows.
  const int lag = (kInputRow - kOutputRow) * (userFunction ? 2 : 1);
  // Logging down, every channel waits for the sensor at the sonde's top (its
  // offset is the sonde length), so the rows belong that much further up.
  const int sondeSteps = depthLog && header->LogMode == 12 ? windowRows - kMinRows : 0;
  double recordDepth = firstRecordDepth - (lag + sondeSteps) * logStep;
  row[0] = s.FromDepth;

  std::string text;
  WriteLasHeader(text, *header, s);
  WriteLasCurveInfo(text, *header, *channels, s);
  if (!las.Write(text)) return 0;

  std::vector<unsigned char> record(static_cast<std::size_t>(recordSize));
  double input[kUserFunctionInputs] = {};
  double userOut[kRowValues];
  bool endOfData = false;
  int recordsAfterEnd = 0;
  int rowsBeforeTheFirstRecord = depthLog ? 0 : lag;
  std::string pending;  // formatted rows not yet written
  pending.reserve(kRowsBlock + 1024);
  for (;;) {
    if (!endOfData) {
      // A trailing part of a record is no record: the data end there.
      if (std::fread(record.data(), 1, record.size(), data.get()) != record.size()) endOfData = true;
      if (std::ferror(data.get())) return 0;
    }
    // A log placed by depth stops once the windows have emptied after the end
    // of the data, any other log once its last record has left them; rows past
    // the end of the data carry the null value, never a repeat of the last
    // record.
    if (endOfData && ++recordsAfterEnd > (depthLog ? windowRows + kMinRows : lag)) break;

    // The record's time travels through the window beside its values, so a
    // row's TIME belongs to the same record as its channel values.
    double time = kLasNull;
    double x[qv::TwelveChannelFileRecord::kChannels] = {};
    if (!endOfData && twelve) {
      const auto r =
          qv::TwelveChannelFileRecord::Decode(std::span<const std::uint8_t, qv::TwelveChannelFileRecord::kSize>(
              record.data(), qv::TwelveChannelFileRecord::kSize));
      time = r.time;
      for (int c = 0; c < nch; ++c) x[c] = r.values[c];
    } else if (!endOfData) {
      const auto r = qv::SixChannelFileRecord::Decode(std::span<const std::uint8_t, qv::SixChannelFileRecord::kSize>(
          record.data(), qv::SixChannelFileRecord::kSize));
      for (int c = 0; c < nch; ++c) x[c] = r.Scaled(c);
    }
    raw.Row(kInputRow)[nch] = time;
    row[kTimeElement] = raw.Row(kOutputRow)[nch];
    for (int c = 0; c < nch; ++c) {
      double value = kLasNull;
      if (!endOfData) {
        const double* k = coefficients[c];
        value = k[0] + k[1] * x[c] + k[2] * x[c] * x[c] + k[3] * x[c] * x[c] * x[c];
      }
      raw.Row(filters[c].OffsetCopy)[c] = value;
      const ChannelFilter& f = filters[c];
      if (s.RawFilter != 0 && f.FilterType != 0 && f.FilterWidth > 1)
        input[c] = qv::WindowStatisticColumn(f.FilterType, f.FilterWidth, raw.Rows(), kOutputRow, c);
      else
        input[c] = raw.Row(kOutputRow)[c];
    }
    raw.Move();

    if (userFunction) {
      for (int c = 0; c < nch; ++c)
        if (input[c] == kLasNull) input[c] = 0;
      input[kUserInputTime] = row[kTimeElement];
      input[kUserInputDepth] = row[0];
      std::fill(userOut, userOut + kRowValues, 0.0);
      library.userFunction(input, userOut);
      // The time goes on through the output window with the function's values.
      output.Row(kInputRow)[nch] = row[kTimeElement];
      row[kTimeElement] = output.Row(kOutputRow)[nch];
      for (int c = 0; c < nch; ++c) {
        output.Row(kInputRow)[c] = userOut[c];
        const UserFunctionFilter& f = outputFilters[c];
        const int width = std::clamp<int>(f.FilterWidth, 0, kMaxFilterWidth);
        row[c + 1] = f.FilterType != 0 && width > 1
                         ? qv::WindowStatisticColumn(f.FilterType, width, output.Rows(), kOutputRow, c)
                         : output.Row(kOutputRow)[c];
      }
      output.Move();
    } else {
      for (int c = 0; c < nch; ++c) row[c + 1] = input[c];
    }

    if (rowsBeforeTheFirstRecord > 0) {
      --rowsBeforeTheFirstRecord;
      continue;
    }
    if (header->LogMode == 11 && s.ToDepth > recordDepth) break;
    if (header->LogMode == 12 && s.ToDepth < recordDepth) break;
    if ((header->LogMode == 11 && row[0] < recordDepth) || (header->LogMode == 12 && row[0] > recordDepth)) {
      recordDepth += logStep;
      continue;
    }
    recordDepth += logStep;
    WriteLasDataRow(pending, row, *channels, s);
    if (pending.size() >= kRowsBlock && !writeRows(pending)) return 0;
    row[0] += s.Interval;
  }

  if (!pending.empty() && !writeRows(pending)) return 0;
  if (reversedRows && (std::fflush(rows.get()) != 0 || !CopyRowsReversed(rows.get(), las))) return 0;
  return las.Commit() ? 1 : 0;
}
