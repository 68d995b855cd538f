// The remarks and trailer blocks, and the sending of every text block: a
// block goes out between the model's start and end commands, one raster
// command with its 216 bytes per line.
#include <algorithm>
#include <cstring>
#include <functional>

#include "app/core/globals.h"
#include "header/header_info.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"
#include "print/recorder/text_blocks.h"

namespace {

constexpr unsigned kIdsRemarksTitle = 32370;
constexpr int kHeadingColumns = 1213;
constexpr int kHeadingRows = 1693;

void InkDot(uint8_t* line, int dot) {
  line[dot / 8] = static_cast<uint8_t>(line[dot / 8] | (0x80 >> (dot % 8)));
}

// The frame of an upright block HEIGHT dots high, with the 4-dot pen.
void FrameBlock(qv::MonoRaster& form, int height) {
  const int frame[][2] = {{5, 0}, {qv::kTextBlockWidth, 0}, {qv::kTextBlockWidth, height}, {5, height}, {5, 0}};
  qv::StrokePolyline(form, frame, 5, 4);
}

}  // namespace

namespace qv {

MonoRaster RemarksForm(const HeaderInfo* header, const std::string& fileName) {
  MonoRaster form(kTextBlockWidth, kRemarksHeight);
  FrameBlock(form, kRemarksHeight);
  form.FillRect(5, 45, kTextBlockWidth - 1, 45);  // the 1-dot rule, its end dot left out
  DrawChartText(form, 20, 10, kCompanyBanner, kTextBlockFont);
  const std::string title = LoadFileString(kIdsRemarksTitle);
  DrawChartText(form, 20, 55, FormatC(title.c_str(), "REMARKS", SiblingPath(fileName, ".hed").c_str()), kTextBlockFont);
  if (header != nullptr)
    for (int i = 0; i < 10; ++i) DrawChartText(form, 40, 95 + 30 * i, header->Comment[i], kTextBlockFont);
  return form;
}

std::vector<std::string> TrailerLines(const TrailerText& text) {
  std::vector<std::string> lines;
  for (const std::string* t : {&text.Text1, &text.Text2, &text.Text3, &text.Text4})
    if (!t->empty()) lines.push_back(*t);
  return lines;
}

MonoRaster TrailerForm(const TrailerText& text) {
  const std::vector<std::string> lines = TrailerLines(text);
  if (lines.empty()) return MonoRaster(kTextBlockWidth, 0);
  // The sample "Äq" measures the font's cell, which is the height asked for.
  const int cy = kTextBlockFont;
  const int n = static_cast<int>(lines.size());
  const int height = n * cy + 5 * n + 40;
  MonoRaster form(kTextBlockWidth, height);
  FrameBlock(form, height);
  for (int i = 0; i < n; ++i) DrawChartText(form, 20, 20 + i * (cy + 5), lines[static_cast<size_t>(i)], cy);
  return form;
}

}  // namespace qv

void CGulton::SendTextBlockLines(int count, bool heading, const std::function<void(int, uint8_t*)>& compose) {
  Hold hold(*this);
  SelectMedium(g_nPrintMedium);
  SendStartSequence();
  LineFeed(1);
  uint8_t line[kRasterBytes];
  for (int i = 0; i < count; ++i) {
    std::memset(line, 0, sizeof line);
    compose(i, line);
    SendRasterLine(line);
  }
  LineFeed(1);
  const bool gulton = !endGraphics_.empty();
  if (heading && gulton) LineFeed(2);
  EndRaster();
}

void CGulton::SendHeadingForm(const qv::MonoRaster& form) {
  const int rows = std::min(form.Height(), kHeadingRows);
  const int columns = std::min(form.Width(), kHeadingColumns);
  const bool turned = direction_ == 1;
  SendTextBlockLines(kHeadingColumns, true, [&](int i, uint8_t* line) {
    const int column = turned ? kHeadingColumns - 1 - i : i;
    if (column >= columns) return;
    // Upright the form's bottom row lands on dot 1692 + 4; turned its top
    // row on dot 0.
    for (int r = 0; r < rows; ++r)
      if (form.Ink(column, r)) InkDot(line, turned ? r : 1696 - r);
  });
}

void CGulton::SendTextBlock(const qv::MonoRaster& form) {
  const int width = std::min(form.Width(), qv::kTextBlockWidth);
  const int height = form.Height();
  const bool turned = direction_ == 1;
  SendTextBlockLines(height, false, [&](int i, uint8_t* line) {
    const int row = turned ? height - 1 - i : i;
    for (int x = 0; x < width; ++x)
      if (form.Ink(x, row)) InkDot(line, turned ? qv::kTextBlockWidth - 1 - x : x);
  });
}

void CGulton::PrintRemarks(const HeaderInfo* header, const std::string& fileName) {
  SendTextBlock(qv::RemarksForm(header, fileName));
}

void CGulton::PrintTrailerText(const TrailerText* text) {
  // Without a line nothing goes out, not even the start of graphics.
  if (text == nullptr || qv::TrailerLines(*text).empty()) return;
  SendTextBlock(qv::TrailerForm(*text));
}
