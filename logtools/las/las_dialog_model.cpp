#include "logtools/las/las_dialog_model.h"

#include <sys/stat.h>

#include <cstdlib>

#include "header/hed_file.h"
#include "platform/files/paths.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// An existing library of that base name: the shared object this system
// builds, or a library under the name the Windows program gave it.
std::string LibraryFor(const std::string& base) {
  for (const char* ext : {".so", ".DLL"}) {
    const std::string path = qv::FindFileNoCase(base + ext);
    if (Exists(path)) return path;
  }
  return {};
}

}  // namespace

IntervalChoices LasIntervalChoices(const HeaderInfo& header) {
  IntervalChoices choices;
  const int factor = header.DepthUnit != 0 ? 50 : 10;
  bool found = false;
  for (int multiplier : {1, 2, 5, 10}) {
    const int v = factor * multiplier;
    if (v < header.Step) continue;
    if (v == header.Step) {
      choices.selected = static_cast<int>(choices.values.size());
      found = true;
    }
    choices.values.push_back(v);
  }
  if (!found) choices.selected = 0;
  return choices;
}

int CheckLasFrom(const HeaderInfo& header, int f, int t, int s) {
  if (header.LogMode == 11) {
    if (f > header.Startdepth || f <= t) f = header.Startdepth;
    if (s > 0 && f % s != 0) f = f / s * s;
  } else {
    if (f < header.Startdepth || f >= t) f = header.Startdepth;
    if (s > 0 && f % s != 0) f = (f + s - 1) / s * s;
  }
  return f;
}

int CheckLasTo(const HeaderInfo& header, int f, int t, int s) {
  if (header.LogMode == 11) {
    if (t < header.EndDepth || t >= f) t = header.EndDepth;
    if (s > 0 && t % s != 0) t = (t + s - 1) / s * s;
  } else {
    if (t > header.EndDepth || t <= f) t = header.EndDepth;
    if (s > 0 && t % s != 0) t = t / s * s;
  }
  return t;
}

std::vector<UserFunctionChoice> LasUserFunctionChoices(const std::string& folder, const std::string& abbreviation) {
  std::vector<UserFunctionChoice> choices;
  for (int n = -1; n <= 99; ++n) {
    const std::string base = qv::JoinPath(folder, abbreviation + (n < 0 ? "" : std::to_string(n)));
    const std::string ini = qv::FindFileNoCase(base + ".INI");
    const std::string library = LibraryFor(base);
    if (!Exists(ini) || library.empty()) continue;
    HedFile file;
    file.Load(ini);
    std::string name = file.Get("General", "UPName", "???");
    choices.push_back({name.empty() ? "???" : name, library});
  }
  return choices;
}

std::string LasPathFor(const std::string& logPath) {
  return qv::SiblingPath(logPath, ".LAS");
}
