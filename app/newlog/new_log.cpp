#include "app/newlog/new_log.h"

#include <sys/stat.h>

#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "sondedb/acquisition.h"
#include "sondedb/calibration.h"
#include "sondedb/display.h"
#include "sondedb/lookups.h"
#include "userfunc/user_function_files.h"

namespace qv {

namespace {

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

int GetToolType(const std::string& name, bool isFile) {
  if (isFile) return GetFileToolType(name);
  auto rs = OpenSondeRecordset(name, "");
  if (!rs) return kToolNone;
  int type = kToolNone;
  if (!GetSondeType(rs.get(), &type)) type = kToolNone;
  CloseSondeRecordset(rs);
  return type;
}

int GetComStd(const std::string& name, bool isFile) {
  return isFile ? GetFileComStd(name) : GetSondeComStd(name);
}

bool FileNameTaken(const std::string& folder, const std::string& name, const std::string& extension) {
  return PathExists(FindFileNoCase(FormatC("%s%s.%s", folder.c_str(), name.c_str(), extension.c_str())));
}

void MakeUniqueFileName(std::string& name, const std::string& folder, const std::string& extension) {
  auto taken = [&](const std::string& candidate) { return FileNameTaken(folder, candidate, extension); };
  if (!taken(name)) return;
  // Bounded so that a folder that answers "exists" for everything cannot
  // hang the wizard; a million numbered logs of one name do not occur.
  for (int n = 1; n < 1000000; ++n) {
    std::string candidate = FormatC("%s%d", name.c_str(), n);
    if (!taken(candidate)) {
      name = std::move(candidate);
      return;
    }
  }
}

std::vector<std::string> ListUserFunctions(const std::string& sonde, std::vector<std::string>* paths) {
  std::vector<std::string> names;
  if (paths) paths->clear();
  for (UserFunctionChoice& c : FindUserFunctions(UserFunctionFolder(), sonde)) {
    names.push_back(std::move(c.name));
    if (paths) paths->push_back(std::move(c.libraryPath));
  }
  return names;
}

std::string DefaultLogFolder() {
  return FindFileNoCase(JoinPath(ProgramFolder(), "DATA")) + "/";
}

int LogModeOfRadio(int index) {
  static constexpr int kModes[] = {kLogModeUp, kLogModeDown, kLogModeTime, kLogModeAsync};
  return index >= 0 && index < 4 ? kModes[index] : 0;
}

void FillChannelTable(const CurveArray& curves, std::array<LogChannel, kLogChannels>& table) {
  table.fill(LogChannel{});
  size_t next = 0;
  for (const auto& curve : curves) {
    if (next == table.size()) break;
    if (!curve || curve->physicalChannel < 1 || curve->physicalChannel > kLogChannels) continue;
    table[next++] = {curve->shortTitle, curve->unit, curve->physicalChannel};
  }
}

std::string SondeCalibrationFile(const std::string& sonde, const std::string& serial) {
  std::string name;
  if (!GetSondeCalibFileName(name, sonde, serial) || name.empty()) return {};
  return FindFileNoCase(JoinPath(CalibrationFolder(), name + ".cal"));
}

bool LoadLogWizardSonde(LogWizardResult& result, const std::string& sonde, const std::string& serial) {
  result.sondeAbbreviation = sonde;
  result.toolType = GetToolType(sonde, false);
  if (result.toolType < 0) return false;
  result.calibrationFile = SondeCalibrationFile(sonde, serial);
  LoadDisplayParametersFromDatabase(&result.tracks, &result.curves, sonde, serial);
  FillChannelTable(result.curves, result.channels);
  result.sondePower = SondePowerBlock{};
  result.sondePowerLoaded = 0;
  if (auto db = OpenSondeDatabase()) {
    LoadChannelFilterSettings(db.get(), sonde, serial, result.filters.data());
    SondePowerValues power;
    result.sondePowerLoaded = GetSondePower(&power, db.get(), sonde, serial);
    if (result.sondePowerLoaded) result.sondePower = {power.Voltage, power.CurrentLimit, power.Polarity};
    db->Close();
  }
  return true;
}

}  // namespace qv
