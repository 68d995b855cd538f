#include "logview/model/track_layout.h"

#include <algorithm>
#include <cstdio>

namespace qv {

void SetupTrackWidths(std::vector<TrackRecord>& tracks, int clientWidth, const TrackWidths& widths) {
  const int n = static_cast<int>(tracks.size());
  const int share = n > 1 ? (clientWidth - widths.depth) / (n - 1) : clientWidth;
  for (TrackRecord& t : tracks) {
    t.style = kImageTrackStyle;
    t.width = 0;
    if (t.type == 1) {
      t.minimalWidth = widths.depthMin;
      t.idealWidth = n > 1 ? widths.depth : clientWidth;
      t.gridFlag = 0;
    } else {
      t.minimalWidth = widths.otherMin;
      t.idealWidth = share;
    }
  }
}

void LayoutTracks(std::vector<TrackRecord>& tracks, const RecordRect& client, int borderWidth) {
  for (TrackRecord& t : tracks) {
    if (t.idealWidth < t.minimalWidth) t.idealWidth = 0;
    t.width = t.idealWidth;
  }
  int available = client.right - client.left;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    TrackRecord& t = tracks[i];
    if (available <= 0) {
      t.width = 0;
    } else if (available < t.minimalWidth && i > 0) {
      t.width = 0;
      tracks[i - 1].width += available;
    } else if (available < t.width) {
      t.width = available;
      available = 0;
    } else {
      available -= t.width + borderWidth;
    }
  }
  int x = client.left;
  for (TrackRecord& t : tracks) {
    t.screenRect = {x, client.top, x + t.width, client.bottom};
    x += t.width + 2 * borderWidth;
  }
}

DepthHeading ChooseDepthHeading(int titleWidth, int shortTitleWidth, int trackWidth) {
  if (titleWidth < trackWidth) return DepthHeading::kTitle;
  if (shortTitleWidth < trackWidth) return DepthHeading::kShortTitle;
  return DepthHeading::kNone;
}

int FirstDepthLabel(int shownDepth, bool up) {
  int n = shownDepth / 500;
  if (shownDepth % 500 != 0 && shownDepth > 0 && up) ++n;
  return n;
}

std::string DepthLabel(int count) {
  char text[32];
  std::snprintf(text, sizeof text, " %.2f ", count / 2.0);
  return text;
}

}  // namespace qv
