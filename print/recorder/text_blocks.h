// The chart recorder's text blocks as pictures: the log heading form, the
// remarks block and the trailer block, each a 1-bit form in dots (ink is a
// printed dot) that CGulton sends as raster lines.
#pragma once

#include <string>
#include <vector>

#include "print/recorder/mono_raster.h"

struct HeaderInfo;
struct TrailerText;

namespace qv {

// Remarks and trailer blocks are this many dots wide; their texts use a cell
// of kTextBlockFont dots.
inline constexpr int kTextBlockWidth = 1696;
inline constexpr int kTextBlockFont = 30;
inline constexpr int kRemarksHeight = 400;
inline constexpr const char* kCompanyBanner = "TREMARIN BORVANIC TECHNOLOGY";

// The remarks block: framed, the banner, the remarks title naming FILENAME's
// ".hed" sibling and, with a header, its ten comment lines.
MonoRaster RemarksForm(const HeaderInfo* header, const std::string& fileName);

// The non-empty trailer lines, Text1 to Text4 in order.
std::vector<std::string> TrailerLines(const TrailerText& text);
// The trailer block: n lines of the font's cell height cy each, framed,
// n x (cy + 5) + 40 dots high; without a line a raster of no rows.
MonoRaster TrailerForm(const TrailerText& text);

// The log heading form (1213 x 1693 dots), rules, logo from PROGRAMFOLDER and,
// with a header, its texts, the log name in capitals (library
// qv_recorder_heading).
MonoRaster LogHeadingForm(const HeaderInfo* header, const std::string& programFolder);

}  // namespace qv
