// The log heading on the chart recorder: the heading form's rules, logo and
// texts at their recorder dots, drawn into a 1213 x 1693 form that goes out
// turned, one form column a raster line.
#include <QImage>
#include <cctype>

#include "app/core/globals.h"
#include "header/header_info.h"
#include "print/page/dib.h"
#include "print/page/heading.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"
#include "print/recorder/text_blocks.h"

namespace {

constexpr int kFont = 30;

// Capitals of a Windows Latin-1 text: a to z and the accented small letters.
std::string Capitals(std::string text) {
  for (char& ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z')
      ch = static_cast<char>(c - 0x20);
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
      ch = static_cast<char>(c - 0x20);
    else if (c == 0x9A || c == 0x9C || c == 0x9E)
      ch = static_cast<char>(c - 0x10);
    else if (c == 0xFF)
      ch = static_cast<char>(0x9F);
  }
  return text;
}

// The logo stretched over its box; a pixel nearer black than white is a dot.
void DrawLogo(qv::MonoRaster& form, const std::string& programFolder) {
  using namespace qv::print;
  CDib dib;
  if (!AttachLogoBitmap(dib, programFolder)) return;
  const QImage logo =
      dib.Image()
          .scaled(kRecorderLogoWidth, kRecorderLogoHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation)
          .convertToFormat(QImage::Format_RGB32);
  dib.Release();
  for (int y = 0; y < logo.height(); ++y)
    for (int x = 0; x < logo.width(); ++x)
      if (qGray(logo.pixel(x, y)) < 128) form.SetInk(kRecorderLogoX + x, kRecorderLogoY + y);
}

}  // namespace

namespace qv {

MonoRaster LogHeadingForm(const HeaderInfo* header, const std::string& programFolder) {
  using namespace qv::print;
  MonoRaster form(kRecorderHeadingWidth, kRecorderHeadingHeight);
  // The thin rules with the 1-dot pen, which leaves a line's end dot out.
  for (const HeadingRule& r : HeadingRules())
    if (r.onRecorder && !r.thick) form.FillRect(r.x0, r.y0, r.x1 - (r.x1 > r.x0), r.y1 - (r.y1 > r.y0));
  DrawLogo(form, programFolder);
  for (const HeadingRule& r : HeadingRules())
    if (r.onRecorder && r.thick) {
      const int frame[][2] = {{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}, {r.x0, r.y0}};
      StrokePolyline(form, frame, 5, 4);
    }
  if (header == nullptr) return form;
  for (const HeadingText& t : HeadingTexts()) {
    // The log name in capitals: a copy, the header record stays as it is.
    const std::string text = t.capitals ? Capitals(t.Text(*header)) : t.Text(*header);
    const int x = t.recX1 >= 0 ? CGulton::CenterGlyphs(t.recX, t.recX1, static_cast<int>(text.size())) : t.recX;
    DrawChartText(form, x, t.recY, text, kFont);
  }
  return form;
}

}  // namespace qv

void CGulton::PrintLogHeading(const HeaderInfo* header) {
  // Drawn before the recorder is locked: a missing logo shows its message.
  SendHeadingForm(qv::LogHeadingForm(header, g_strProgramFolder));
}
