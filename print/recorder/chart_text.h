// Text on the chart recorder's rasters: "Arial" drawn with Liberation Sans
// (metrically the same face) through FreeType into a grey image, then packed
// into dots. Sizes are given as a font cell height in dots, as the recorder's
// fonts have always been asked for: the cell is the face's Windows ascent plus
// descent, and text is placed by the top left of its cell.
#pragma once

#include <string>
#include <string_view>

#include "print/recorder/mono_raster.h"

namespace qv {

// The font file the recorder draws "Arial" with: the Debian path of
// Liberation Sans, else what fontconfig finds for it; empty when neither.
std::string ChartFontPath();
// Whether the face could be loaded (the recorder then draws no text).
bool ChartFontAvailable();

// Draws TEXT (CP1252 bytes) with its cell's top left at (x, y) into GREY;
// returns the width the text advances, in dots (0 without a face).
int DrawChartText(GreyImage& grey, int x, int y, std::string_view text, int cellHeight);
// The advance width of TEXT at CELLHEIGHT, in dots.
int ChartTextWidth(std::string_view text, int cellHeight);
// The baseline's distance from the top of the cell, in dots.
int ChartTextBaseline(int cellHeight);
// Draws TEXT into RASTER at (x, y) as ink; returns the advance width.
int DrawChartText(MonoRaster& raster, int x, int y, std::string_view text, int cellHeight);

}  // namespace qv
