// The track layout and the depth track of the image views (televiewer and
// cement bond), free of widgets: the widths a new layout gives its tracks,
// the placement of the tracks across the client area, the heading the depth
// track has room for, and the depth labels down the track.
#pragma once

#include <string>
#include <vector>

#include "sondedb/records/records.h"

namespace qv {

// The depth track of a log view: its heading texts and the depth its newest
// row stands at (thousandths of the depth unit), with the log's depth step.
struct DepthTrackRecord {
  std::string title;
  std::string shortTitle;
  std::string unit;
  int currentDepth = 0;
  int depthStep = 0;
};

inline constexpr int kImageDepthTrackMinWidth = 60;
inline constexpr int kImageDepthTrackWidth = 100;
inline constexpr int kImageTrackMinWidth = 130;
inline constexpr int kImageTrackStyle = 256;

// The widths a new layout starts from.
struct TrackWidths {
  int depthMin = kImageDepthTrackMinWidth;
  int depth = kImageDepthTrackWidth;
  int otherMin = kImageTrackMinWidth;
};

// A new layout: the depth track (type 1) 100 wide, at least 60; every other
// track an equal share of the rest of the client width, at least 130 (or the
// widths given). A layout of one track alone gives it the whole width.
void SetupTrackWidths(std::vector<TrackRecord>& tracks, int clientWidth, const TrackWidths& widths = {});

// Places the tracks side by side from the client's left, each as wide as its
// ideal width allows in what is left (a track below its minimum width gets
// none, and a track that no longer fits its minimum gives what is left to
// the track before it); tracks are 2 x borderWidth apart.
void LayoutTracks(std::vector<TrackRecord>& tracks, const RecordRect& client, int borderWidth);

// Which heading text of the depth track fits a track width: the title when
// narrower than the track, else the short title when narrower, else none.
enum class DepthHeading { kTitle, kShortTitle, kNone };
DepthHeading ChooseDepthHeading(int titleWidth, int shortTitleWidth, int trackWidth);

// The half-units count of the first major tick label below the newest row:
// shown depth / 500, one more when the depth lies past a positive multiple
// of 500 while logging up.
int FirstDepthLabel(int shownDepth, bool up);
// The text of a major tick label of that count: " %.2f " of count / 2.
std::string DepthLabel(int count);

}  // namespace qv
