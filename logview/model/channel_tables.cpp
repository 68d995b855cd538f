#include "logview/model/channel_tables.h"

#include <cmath>

#include "platform/text/cnum.h"

namespace curveview {

void ChannelTables::Fill(const std::vector<CurveRecord>& curves, bool userFunction) {
  auto& n = userFunction ? userNames : names;
  auto& u = userFunction ? userUnits : units;
  for (const auto& c : curves) {
    if (c.physicalChannel < 1 || c.physicalChannel > kSheetChannels) continue;
    n[static_cast<size_t>(c.physicalChannel - 1)] = c.shortTitle;
    u[static_cast<size_t>(c.physicalChannel - 1)] = c.unit;
  }
}

std::string FormatChannelValue(ChannelPage page, bool sixChannel, double value) {
  if (page == ChannelPage::kRaw && sixChannel) {
    if (!std::isfinite(value)) return "0";
    const double t = std::trunc(value);
    return qv::FormatC("%lld", static_cast<long long>(std::fabs(t) < 9e18 ? t : 0.0));
  }
  return qv::FormatC("%9.3f", value);
}

}  // namespace curveview
