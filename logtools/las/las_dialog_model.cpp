#include "logtools/las/las_dialog_model.h"

#include "platform/files/paths.h"

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

namespace {
bool DepthLog(const HeaderInfo& header) {
  return header.LogMode == 11 || header.LogMode == 12;
}
}  // namespace

int CheckLasFrom(const HeaderInfo& header, int f, int t, int s) {
  // A time log has no depth range to choose, and its step is no depth step.
  if (!DepthLog(header)) return header.Startdepth;
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
  if (!DepthLog(header)) return header.EndDepth;
  if (header.LogMode == 11) {
    if (t < header.EndDepth || t >= f) t = header.EndDepth;
    if (s > 0 && t % s != 0) t = (t + s - 1) / s * s;
  } else {
    if (t > header.EndDepth || t <= f) t = header.EndDepth;
    if (s > 0 && t % s != 0) t = t / s * s;
  }
  return t;
}

std::string LasPathFor(const std::string& logPath) {
  return qv::SiblingPath(logPath, ".LAS");
}
