// The header, well information and calibration of a log.
#include <cstdio>
#include <iomanip>
#include <locale>
#include <sstream>

#include "app/core/globals.h"
#include "header/header.h"
#include "header/section_access.h"
#include "header/hed_file.h"
#include "logdoc/document/log_engine.h"
#include "logdoc/document/strings.h"
#include "logdoc/replay/replay_reader.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

// A date or time in the C locale, whatever the user's locale.
std::string FormatTime(const char* format, std::time_t t) {
  std::tm parts{};
  localtime_r(&t, &parts);
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::put_time(&parts, format);
  return out.str();
}

std::string ProgramFolderForTemplates() {
  return g_strProgramFolder.empty() ? ProgramFolder() : g_strProgramFolder;
}

}  // namespace

int LogEngine::WriteHeader() {
  if (pathStem_.empty()) return 0;
  const std::string data = DataFilePath();
  HeaderInfo info;
  {
    std::lock_guard<std::mutex> lock(headerMutex_);
    if (live_) header_.Date = FormatTime("%d %b %y", Today());
    info = header_;
  }
  if (live_ && (toolKind_ == 8 || toolKind_ == 10)) WriteDataFileDirectory(data, &info);
  const int scale = setup_.depthScale;
  int ok = WriteHeaderInfo(data, &info, &scale) && WriteTrailerText(data, &trailer_) && WriteChainTo(data, chainTo_) &&
           WriteLogType(data, logType_);
  if (live_) {
    if (ok) ok = WriteHeaderIdent(data);
    // The well information of the last live log is the template of the next.
    const std::string folder = ProgramFolderForTemplates();
    if (!folder.empty()) WriteHeaderInfo(JoinPath(JoinPath(folder, "Header"), "STANDARD.HED"), &info, nullptr);
  }
  return ok ? 1 : 0;
}

int LogEngine::SaveWellInfo(int mode) {
  const std::string kept = pathStem_;
  HeaderInfo info;
  {
    std::lock_guard<std::mutex> lock(headerMutex_);
    info = header_;
  }
  if (!WriteHeaderInfo(DataFilePath(), &info, nullptr)) Trace("Error saving WELLINFO");
  if (mode == 1) {
    std::string next;
    if (!ReadChainTo(DataFilePath(), &next) || next.empty()) return 0;
    chainTo_ = next;
    const auto slash = pathStem_.find_last_of("/\\");
    pathStem_ = (slash == std::string::npos ? std::string() : pathStem_.substr(0, slash + 1)) + chainTo_ + ".";
  } else if (mode == 2) {
    if (!firstFile_.empty() && firstFile_.back() == '.') {
      pathStem_ = firstFile_;
    } else {
      const auto dot = firstFile_.find_last_of('.');
      pathStem_ = (dot == std::string::npos ? firstFile_ : firstFile_.substr(0, dot)) + ".";
    }
    std::string next;
    if (ReadChainTo(DataFilePath(), &next)) chainTo_ = next;
  }
  HeaderInfo read;
  if (!ReadHeaderInfo(DataFilePath(), &read)) {
    ShowMessageBox(LoadString(kStrCannotReadHeader));
    pathStem_ = kept;
    return 0;
  }
  if (!ReplayHeaderUsable(read)) {
    // A file of the chain whose records cannot be placed is not moved to.
    pathStem_ = kept;
    return 0;
  }
  TakeCountAsTeleviewerStep(&read);
  TakeEndDepthFromData(DataFilePath(), ToolKind(), &read);
  ReadTrailerText(DataFilePath(), &trailer_);
  std::lock_guard<std::mutex> lock(headerMutex_);
  header_ = read;
  if (mode == 2) {
    setup_.replayStartDepth = savedStartDepth_;
    setup_.replayEndDepth = savedEndDepth_;
  } else {
    setup_.replayStartDepth = header_.Startdepth;
    setup_.replayEndDepth = header_.EndDepth;
  }
  return 1;
}

void LogEngine::SetEndLine() {
  const std::string unit = LoadFileString(setup_.imperial ? kStrSondeLengthUnitFeet : kStrSondeLengthUnitMetre);
  // The depth where the log stopped, to the hundredth as the winch bar shows
  // it (cutting it to whole units before the two decimals would put up to a
  // metre or a foot of error into the log's record).
  const double depth = static_cast<double>(depth_) * DepthFactor() / 1000.0;
  const std::time_t now = Today();
  std::string line =
      FormatC(LoadFileString(kStrTrailerFirstLine).c_str(), depth, unit.c_str(), FormatTime("%d %b %Y", now).c_str(),
              FormatTime("%H:%M:%S", now).c_str(), DataFilePath().c_str());
  std::lock_guard<std::mutex> lock(headerMutex_);
  trailer_.Text1 = std::move(line);
}

bool LogEngine::RunTrailerDialog() {
  TrailerText lines;
  CopyHeaderTexts(nullptr, &lines);
  const bool accepted = callbacks_.trailerDialog ? callbacks_.trailerDialog(lines, firstFile_ + "hed") : true;
  std::lock_guard<std::mutex> lock(headerMutex_);
  trailer_ = lines;
  return accepted;
}

void LogEngine::SetEndTime() {
  SetEndLine();
  if (RunTrailerDialog() && !pathStem_.empty()) WriteTrailerText(DataFilePath(), &trailer_);
}

void LogEngine::AskTrailer() {
  if (trailerPending_) {
    trailerPending_ = false;
    // The file of the recording that stopped; empty when nothing was
    // recorded and the file is gone.
    const std::string stem = trailerStem_;
    RunTrailerDialog();
    // The header was written at the stop; the lines as the dialog left them
    // complete it, whichever button closed it.
    if (!stem.empty() && !WriteTrailerText(stem + dataFileExt_, &trailer_))
      ShowMessageBox(LoadString(kStrCriticalHeader));
  }
  // The real-time chart ends after the dialog, so that its trailer block
  // carries the lines as the dialog left them.
  if (chartEndPending_.exchange(false) && sink_) sink_->StopRealtimePrint(-1);
}

void LogEngine::CopyHeaderTexts(HeaderInfo* header, TrailerText* trailer) {
  std::lock_guard<std::mutex> lock(headerMutex_);
  if (header) *header = header_;
  if (trailer) *trailer = trailer_;
}

int LogEngine::LoadHeaderCalibration(CalibrationSet* set) {
  CalibrationArray records;
  ReadCalibration(DataFilePath(), &records);
  if (setup_.calibration && set) {
    for (auto& r : records) set->channels.push_back(std::move(r));
  }
  return 1;
}

int LogEngine::LoadCalibrationFile(CalibrationSet* set) {
  if (!set) return 0;
  const std::string& file = setup_.calibrationFile;
  for (unsigned n = 1; n <= 12; ++n) {
    auto rec = std::make_unique<ChannelCalibration>();
    rec->physicalChannel = static_cast<int>(n);
    rec->validity = -1;
    rec->regime = -1;
    rec->method = 1;
    rec->coefficientCount = 4;
    rec->calibratable = 1;
    rec->calFlag = 1;
    Coefficients& c = rec->EnsureCoefficients();
    const std::string section = "Channel" + std::to_string(n);
    if (GetProfileText(file, section, "CalibrationMethod", "", 500).empty()) {
      c = kIdentityCoefficients;
      set->channels.push_back(std::move(rec));
      continue;
    }
    rec->shortTitle = GetProfileText(file, section, "TitleShort", "", 256);
    for (int i = 0; i < 4; ++i) {
      const std::string value = GetProfileText(file, section, "Coefficient" + std::to_string(i), "0", 1024);
      if (value.empty()) return 0;  // the channels loaded so far stay in the set
      c[static_cast<std::size_t>(i)] = AtofC(value.c_str());
    }
    int jigs = AtoiC(GetProfileText(file, section, "JigCount", "", 256).c_str());
    if (jigs < 0) jigs = 0;
    for (int j = 0; j < jigs; ++j) {
      std::string point = GetProfileText(file, section, "ReferencePoint" + std::to_string(j), "", 256);
      if (!point.empty()) rec->referencePoints.push_back(std::move(point));
    }
    set->channels.push_back(std::move(rec));
  }
  return 1;
}

}  // namespace qv
