// The print settings every page-printing log view embeds: what the user
// chose in the print dialog, and the page geometry the view computes from
// the printer's capabilities when a job begins.
#pragma once

#include <array>
#include <cstdint>

namespace qv::print {

struct PrintSettings {
  std::int16_t orientation = 1;  // paper orientation of the log pages: 1 portrait, 2 landscape
  int scale = 100;               // depth scale 1:scale
  int left = 100;                // printable area, device dots
  int width = 100;
  int top = 100;
  int height = 100;
  int firstLogPage = 2;  // first page carrying log data
  std::array<int, 16> channelOffsets{};
  int continuousMode = 1;      // whole printable page, no margins
  int fitToPage = 0;           // fit the depth range to one page
  int headerPage = 1;          // page 1 is the log heading
  int separatePages = 0;       // each file of a chain starts a new page
  int formMarks = 1;           // first log page 310 dots lower; form-mark bytes after each copy
  int calibrationDetails = 0;  // a calibration page follows the heading
  int colourDevice = 0;
  double mmPerPixel = 0.0;
  double inchPerPixel = 0.0;
  int printDepth = 0;     // depth of the next printed page
  int printEndDepth = 0;  // last depth of the printed range
};

// Writes the defaults above; a null pointer is ignored.
void InitPrintSettings(PrintSettings* settings);

// What a printer device reports about itself, in the device's dots: the
// values the page geometry is computed from.
struct PrinterCaps {
  int logPixelsX = 0;
  int logPixelsY = 0;
  int horzRes = 0;  // printable width
  int vertRes = 0;  // printable height
  int physicalWidth = 0;
  int physicalHeight = 0;
  int physicalOffsetX = 0;  // sheet edge to printable area
  int physicalOffsetY = 0;
  int planes = 1;
  int bitsPixel = 1;
  int numColors = 1;
};

// Millimetres and inches per device dot at DPI (the conversion factor is a
// single-precision constant widened to double, as the page layouts were
// always measured).
double MmPerPixel(int dpi);

// The geometry a job starts with: colourDevice, firstLogPage (2 with the
// heading page, else 1; one more with calibrationDetails when the view prints
// a calibration page), mmPerPixel, inchPerPixel and the printable area:
// the whole printable page in continuous mode, else margins of 10 mm at top
// and bottom, 20 mm left and 10 mm right of the sheet. A device reporting no
// resolution leaves the settings unchanged and gives false.
bool ComputePageGeometry(PrintSettings& settings, const PrinterCaps& caps, bool calibrationPage);

}  // namespace qv::print
