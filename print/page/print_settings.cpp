#include "print/page/print_settings.h"

namespace qv::print {

void InitPrintSettings(PrintSettings* settings) {
  if (settings != nullptr) *settings = PrintSettings{};
}

double MmPerPixel(int dpi) {
  return double(25.4f) / dpi;
}

bool ComputePageGeometry(PrintSettings& s, const PrinterCaps& caps, bool calibrationPage) {
  if (caps.logPixelsY <= 0) return false;
  s.colourDevice = (caps.planes * caps.bitsPixel > 1 || caps.numColors > 1) ? 1 : 0;
  s.firstLogPage = s.headerPage ? 2 : 1;
  if (calibrationPage && s.calibrationDetails) ++s.firstLogPage;
  s.mmPerPixel = MmPerPixel(caps.logPixelsY);
  s.inchPerPixel = 1.0 / caps.logPixelsY;
  if (s.continuousMode) {
    s.top = 0;
    s.height = caps.vertRes;
    s.left = 0;
    s.width = caps.horzRes;
  } else {
    const int m10 = int(10 / s.mmPerPixel);
    const int m20 = int(20 / s.mmPerPixel);
    s.top = m10 - caps.physicalOffsetY;
    s.height = caps.physicalHeight - 2 * m10;
    s.left = m20 - caps.physicalOffsetX;
    s.width = caps.physicalWidth - m20 - m10;
  }
  return true;
}

}  // namespace qv::print
