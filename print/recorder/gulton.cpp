#include "gulton.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/core/globals.h"
#include "platform/trace/trace.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton_hold.h"

namespace {

std::atomic<int> g_inUse{0};
std::atomic<uint32_t> g_lockTimeoutMs{3000};

constexpr uint8_t kEsc = 0x1B;
constexpr double kLineMm = 0.127;
constexpr double kTolerance = 0.0635;

// Test page: a 1664 x 400 picture with a frame and "TEST OK".
constexpr int kTestWidth = 1664;
constexpr int kTestHeight = 400;

bool IsPrintrex(uint8_t model) {
  return model == kPrintrex820 || model == kPrintrex840;
}

struct MetricRow {
  int scale;
  double spacing, first;
  int interval;
};
constexpr MetricRow kMetric[] = {{10, 100, 98, 1}, {20, 50, 48, 1},  {40, 50, 48, 2}, {50, 20, 18, 1},  {100, 10, 8, 1},
                                 {200, 10, 8, 2},  {250, 20, 18, 5}, {500, 10, 8, 5}, {1000, 10, 8, 10}};
// Imperial, by feet per inch.
constexpr MetricRow kImperial[] = {
    {5, 25.4, 23.4, 5}, {10, 25.4, 23.4, 10}, {20, 63.5, 62.5, 50}, {50, 25.4, 23.4, 50}, {100, 25.4, 23.4, 100}};

template <size_t N>
const MetricRow* FindRow(const MetricRow (&table)[N], int scale) {
  for (const MetricRow& r : table)
    if (r.scale == scale) return &r;
  return nullptr;
}

}  // namespace

PrintLineStyle RecorderLineStyle(int printStyle) {
  // The screen's print styles at twice the pen width: dots are finer on paper.
  if (printStyle < 1 || printStyle > 8) printStyle = 1;
  const PrintLineStyle screen = PrintLineStyleOf(printStyle - 1);
  return {screen.dashStyle, screen.width * 2};
}

int RecordersInUse() {
  return g_inUse;
}

void SetRecorderLockTimeoutMs(uint32_t ms) {
  g_lockTimeoutMs = ms ? ms : 3000;
}

CGulton::InUse::InUse() {
  ++g_inUse;
}

void CGulton::InUse::Release() {
  if (held_) --g_inUse;
  held_ = false;
}

CGulton::Hold::Hold(CGulton& g) : guard_(g.mutex_, g_lockTimeoutMs) {
  if (!guard_.Acquired()) {
    qv::Trace("CGulton: recorder busy for %u ms\n", g_lockTimeoutMs.load());
    throw CUserException();
  }
}

CGulton::CGulton(uint8_t model, int printType, int verticalKind, const TrackScale* trackScales, int scale,
                 int firstMarkValue, int direction) {
  qv::Trace("Printer Konstruktor:\n");
  std::string error;
  port_ = qv::OpenParallelPort(g_nRecorderPort, &error);
  if (!port_) qv::Trace("CGulton: port LPT%d did not open: %s\n", g_nRecorderPort.load(), error.c_str());
  model_ = model;
  direction_ = direction;
  verticalKind_ = verticalKind;
  scale_ = scale;
  if (IsPrintrex(model_)) {
    qv::Trace("\tPrinter is Printrex\n");
    terminator_ = 0x0D;
    rasterCommand_ = {kEsc, 'Z', 0x01, 0x00};
  } else {
    qv::Trace("\tPrinter is Gulton\n");
    startSequence_ = {kEsc, 'E', 0, 0, 0, 0, 0, 0, kEsc, '0', kEsc, '1'};
    endGraphics_ = {kEsc, '2'};
    terminator_ = 0x0A;
    rasterCommand_ = {kEsc, 'A', '2', '1', '6', '0', '0', '0'};
  }
  printKind_ = printType == kPrintCementBond ? 2 : printType == kPrintPlot ? 0 : 1;
  BuildDigitGlyphs();
  switch (printType) {
    case kPrintPlot:
    case kPrintCementBond: {
      qv::Trace(printType == kPrintPlot ? "\tType is PLOT\n" : "\tType is CBL\n");
      band_ = qv::MonoRaster(kRasterDots, 300);
      bandLineCount_ = 0;
      const int drawers = printType == kPrintPlot ? 12 : 6;
      const PrintLineStyle style = RecorderLineStyle(1);
      for (int i = 0; i < drawers; ++i) drawers_[i].SetStyle(&bandDevice_, style.dashStyle, style.width, 0xFFFFFF);
      trackScales_ = trackScales;
      BuildGridTemplate();
      chartLineCount_ = 0;
      paperPosition_ = 0;
      SetVerticalTables(printType, scale);
      break;
    }
    case kPrintTeleviewer:
    case kPrintTest: {
      qv::Trace(printType == kPrintTest ? "\tType is TEST\n" : "\tType is BHTV\n");
      televiewerBuffers_[0].assign(kRasterDots, 0.0f);
      televiewerBuffers_[1].assign(kRasterDots, 0.0f);
      televiewerTicks_ = {56, 184, 240, 368};
      chartLineCount_ = 8;
      currentNumber_ = firstMarkValue / 100;
      if (firstMarkValue % 100 != 0 && direction_ == 0) ++currentNumber_;
      ComposeMarkNumber(currentNumber_);
      break;
    }
    default:
      break;
  }
  qv::Trace("Printer Konstruktor completed\n");
}

CGulton::~CGulton() {
  CleanUp();
}

void CGulton::SetVerticalTables(int printType, int scale) {
  const MetricRow* row = nullptr;
  if (verticalKind_ == kVerticalImperial) {
    qv::Trace("\tVertical is Imperial\n");
    scale_ = scale / 12;
    nextMajor_ = (printType == kPrintPlot && scale_ == 20) ? 0.0 : 0.1;
    nextIntermediate_ = 0;
    nextMinor_ = 0;
    row = FindRow(kImperial, scale_);
  } else if (verticalKind_ == kVerticalTime) {
    nextMajor_ = 0;
    nextMinor_ = 0;
  } else {
    qv::Trace("\tVertical is Metric\n");
    nextMajor_ = 0;
    nextMinor_ = 2.0;
    row = FindRow(kMetric, scale_);
  }
  // A scale outside the tables carries no margin numbers.
  carriesNumbers_ = row != nullptr;
  if (row) {
    numberSpacing_ = row->spacing;
    nextNumber_ = row->first;
    numberInterval_ = row->interval;
  }
}

void CGulton::CheckPort(bool ok) {
  if (ok) return;
  // The port is closed for good: every later write fails too.
  port_.reset();
  throw CUserException();
}

void CGulton::Write(const uint8_t* bytes, size_t length) {
  Hold hold(*this);
  CheckPort(port_ && port_->Write(bytes, length));
}

int CGulton::LineFeed(int count) {
  Hold hold(*this);
  for (int i = 0; i < count; ++i) Write(&terminator_, 1);
  return count;
}

void CGulton::SendPrintrexStart() {
  if (!IsPrintrex(model_)) return;
  const uint8_t start[] = {kEsc, 'S', 0x00};
  Write(start, sizeof start);
}

void CGulton::SelectMedium(int medium) {
  if (!IsPrintrex(model_) || (medium != 0 && medium != 1)) return;
  const uint8_t select[] = {kEsc, 'T', static_cast<uint8_t>(medium), 0x00};
  Write(select, sizeof select);
}

void CGulton::EjectToFormMark() {
  Hold hold(*this);
  const uint8_t n[] = {kEsc, 'N', 0, 0}, o[] = {kEsc, 'O', 0, 0}, ff[] = {0x0C, 0, 0, 0};
  Write(n, 4);
  Write(o, 4);
  Write(ff, 4);
}

void CGulton::EndRaster() {
  if (!endGraphics_.empty()) Write(endGraphics_.data(), endGraphics_.size());
}

void CGulton::SendRasterLine(const uint8_t* line) {
  // One buffer for every line of the recorder, used under its lock: no
  // allocation per line.
  Hold hold(*this);
  lineBuffer_.assign(rasterCommand_.begin(), rasterCommand_.end());
  lineBuffer_.insert(lineBuffer_.end(), line, line + kRasterBytes);
  Write(lineBuffer_.data(), lineBuffer_.size());
}

void CGulton::SendStartSequence() {
  if (startSequence_.empty()) return;
  Write(startSequence_.data(), 8);
  Write(startSequence_.data() + 8, 2);
  Write(startSequence_.data() + 10, 2);
}

void CGulton::PrintTestPage() {
  Hold hold(*this);
  qv::MonoRaster page(kTestWidth, kTestHeight);
  const int frame[][2] = {{0, 0}, {1660, 0}, {1660, 400}, {0, 400}, {0, 0}};
  qv::StrokePolyline(page, frame, 5, 4);
  qv::DrawChartText(page, 300, 50, "TEST OK", 250);
  SelectMedium(g_nPrintMedium);
  SendStartSequence();
  uint8_t line[kRasterBytes];
  for (int y = 0; y < kTestHeight; ++y) {
    std::memset(line, 0, sizeof line);
    std::memcpy(line, page.Row(y), static_cast<size_t>(page.Stride()));
    SendRasterLine(line);
  }
  EndRaster();
}

void CGulton::CleanUp() {
  // Waits for an operation of another thread to end before the port goes.
  qv::MutexGuard guard(mutex_, g_lockTimeoutMs);
  if (cleanedUp_) return;
  qv::Trace("CGulton Clean up function\n");
  cleanedUp_ = true;
  port_.reset();
  if (printKind_ == 1) {
    televiewerBuffers_[0] = {};
    televiewerBuffers_[1] = {};
    televiewerTicks_ = {};
  } else {
    qv::Trace("\tInscription count: %d\n", static_cast<int>(inscriptions_.size()));
    inscriptions_.clear();
  }
  inUse_.Release();
  qv::Trace("CGulton Clean up function finished\n");
}

// ---------------------------------------------------------------------------
// Depth and margin numbers

void CGulton::SetStartDepth(int depth) {
  Hold hold(*this);
  currentDepth_ = depth;
  int n = depth / 100;
  if (depth % 100 != 0) {
    // Direction 0 takes the lower whole unit, direction 1 the higher.
    if (direction_ == 0 && depth < 0) --n;
    if (direction_ == 1 && depth >= 0) ++n;
  }
  int m = 1;
  if (verticalKind_ == kVerticalImperial || verticalKind_ == kVerticalTime) {
    m = scale_ == 20 ? 50 : scale_;
  } else {
    switch (scale_) {
      case 40:
      case 200:
        m = 2;
        break;
      case 250:
      case 500:
        m = 5;
        break;
      case 1000:
        m = 10;
        break;
      default:
        m = 1;
        break;
    }
  }
  // A scale of 0 (an imperial 1:n below 1:12) has no multiples to align to.
  if (m != 0) {
    const int aligned = (n / m) * m;
    n = (direction_ == 1 && n % m != 0) ? aligned + m : aligned;
  }
  currentNumber_ = n;
  ComposeMarkNumber(currentNumber_);
}

void CGulton::AdvanceToDepth() {
  Hold hold(*this);
  const long long difference = std::llabs(static_cast<long long>(currentNumber_) * 100 - currentDepth_);
  long long lines = 0;
  // Only the scales of the tables move the chart; nothing divides by another.
  if (carriesNumbers_ && scale_ > 0) {
    if (verticalKind_ == kVerticalImperial)
      lines = difference * 200 / (static_cast<long long>(scale_) * 100);
    else if (verticalKind_ != kVerticalTime)
      lines = difference * 78 / scale_;
  }
  FeedLines(static_cast<int>(std::min<long long>(lines, 1 << 30)));
}

void CGulton::ComposeMarkNumber(int value) {
  Hold hold(*this);
  markBuffer_.fill(0);
  if (scale_ < 0) return;
  const long long v = std::llabs(static_cast<long long>(value));
  const long long digits[4] = {v / 1000, v / 100 % 10, v / 10 % 10, v % 10};
  for (int slot = 0; slot < 4; ++slot) {
    const long long d = digits[direction_ == 1 ? 3 - slot : slot];
    if (d < 0 || d > 9) continue;  // a slot for ten thousands and more stays blank
    for (int r = 0; r < 32; ++r) {
      markBuffer_[static_cast<size_t>(r) * 8 + slot * 2] = digitGlyphs_[d][static_cast<size_t>(r) * 2];
      markBuffer_[static_cast<size_t>(r) * 8 + slot * 2 + 1] = digitGlyphs_[d][static_cast<size_t>(r) * 2 + 1];
    }
  }
}

void CGulton::BuildDigitGlyphs() {
  std::array<std::array<uint8_t, 64>, 10> glyphs{};
  for (int d = 0; d < 10; ++d) {
    qv::MonoRaster cell(16, 32);
    const char text[2] = {static_cast<char>('0' + d), 0};
    qv::DrawChartText(cell, 0, 0, text, 35);
    for (int y = 0; y < 32; ++y) {
      glyphs[d][static_cast<size_t>(y) * 2] = cell.Row(y)[0];
      glyphs[d][static_cast<size_t>(y) * 2 + 1] = cell.Row(y)[1];
    }
  }
  SetDigitGlyphs(glyphs);
}

void CGulton::SetDigitGlyphs(const std::array<std::array<uint8_t, 64>, 10>& upright) {
  for (int d = 0; d < 10; ++d) {
    if (direction_ != 1) {
      digitGlyphs_[d] = upright[d];
      continue;
    }
    // Turned by 180 degrees about the cell's centre: row 31 - r read
    // backwards, bits mirrored.
    for (int r = 0; r < 32; ++r) {
      digitGlyphs_[d][static_cast<size_t>(r) * 2] = MirrorBits(upright[d][static_cast<size_t>(31 - r) * 2 + 1]);
      digitGlyphs_[d][static_cast<size_t>(r) * 2 + 1] = MirrorBits(upright[d][static_cast<size_t>(31 - r) * 2]);
    }
  }
}

int CGulton::CenterGlyphs(int left, int right, int count) {
  return left + (right - left) / 2 - 8 * count;
}

// ---------------------------------------------------------------------------
// Grid templates and chart lines

uint8_t CGulton::MirrorBits(uint8_t b) {
  uint8_t out = 0;
  for (int i = 0; i < 8; ++i)
    if (b & (1 << i)) out = static_cast<uint8_t>(out | (0x80 >> i));
  return out;
}

int CGulton::TrackOrigin(int trackCode) const {
  if (direction_ == 1) return trackCode == 1 ? -1725 : trackCode == 3 ? -558 : -1066;
  return trackCode == 1 ? 0 : trackCode == 3 ? 1167 : 662;
}

void CGulton::BuildGridTemplate() {
  Hold hold(*this);
  // Decade steps: the share of a decade from digit a - 1 to digit a.
  double forward[9], reverse[9];
  for (int a = 2; a <= 10; ++a) {
    forward[a - 2] = std::log10(static_cast<double>(a) / (a - 1));
    reverse[10 - a] = forward[a - 2];
  }
  // patterns[template][track]: 64 bytes (512 dots) per track.
  uint8_t patterns[3][3][64] = {};
  std::memset(patterns[0], 0xFF, sizeof patterns[0]);
  patterns[0][0][63] = 0xF8;  // track 1: dots 0 to 508
  patterns[0][1][0] = 0x3F;   // track 2: dots 658 onward
  patterns[0][2][63] = 0xFC;  // track 3: dots 1168 to 1677
  for (int t = 1; t < 3; ++t) {
    patterns[t][0][0] = 0xC0;
    patterns[t][0][63] = 0x18;
    patterns[t][1][0] = 0x10;
    patterns[t][1][63] = 0x01;
    patterns[t][2][63] = 0x04;
  }
  constexpr double kDotMm = 0.12512;
  constexpr double kHalfDot = 0.06256;
  // Sets the dots that fall on the positions NEXT gives, from FIRST on.
  auto dots = [&](uint8_t* pattern, double first, auto next) {
    double p = first;
    for (int k = 0; k * kDotMm < 63.6; ++k) {
      if (std::fabs(k * kDotMm - p) <= kHalfDot) {
        pattern[k / 8] = static_cast<uint8_t>(pattern[k / 8] | (0x80 >> (k % 8)));
        p = next(p);
      }
    }
  };
  const int entry[3] = {0, 2, 3};  // table entries of tracks 1, 2, 3
  for (int track = 0; track < 3; ++track) {
    const TrackScale scale = trackScales_ ? trackScales_[entry[track]] : TrackScale{0, 0};
    const int decades = scale.second;
    if (decades == 0) {
      const double start = track == 1 ? 0.3 : 0.0;
      dots(patterns[1][track], start, [](double p) { return p + 6.35; });
      dots(patterns[2][track], start, [](double p) { return p + 0.635; });
      patterns[1][track][31] |= 0x01;  // the centre dot 255
      patterns[2][track][31] |= 0x01;
      continue;
    }
    const double* table = decades > 0 ? forward : reverse;
    const double width = 63.5 / std::fabs(static_cast<double>(decades));
    // A first digit outside 1 to 9 is read modulo the decade.
    int i = ((scale.first - 1) % 9 + 9) % 9;
    dots(patterns[1][track], table[i] * width, [&](double p) {
      i = (i + 1) % 9;
      return p + table[i] * width;
    });
  }
  for (int t = 0; t < 3; ++t) {
    auto& line = templates_[t];
    line.fill(0);
    std::memcpy(line.data(), patterns[t][0], 64);
    std::memcpy(line.data() + 82, patterns[t][1], 64);
    std::memcpy(line.data() + 146, patterns[t][2], 64);
    if (direction_ == 1) {
      std::array<uint8_t, kRasterBytes> turned{};
      for (int b = 0; b < kRasterBytes; ++b) turned[b] = MirrorBits(line[kRasterBytes - 1 - b]);
      line = turned;
    }
  }
}

void CGulton::StepLine(uint8_t* line) {
  int lineStyle = gridStyle_;
  gridStyle_ = 2;
  auto hit = [this](double& target, double step, double tolerance) {
    if (std::fabs(paperPosition_ - target) >= tolerance) return false;
    target += step;
    return true;
  };
  // Each hit gives this line's template and the one left for the next line.
  auto mark = [&](int thisLine, int nextLine) {
    lineStyle = thisLine;
    gridStyle_ = nextLine;
  };
  if (verticalKind_ == kVerticalImperial) {
    if (scale_ == 20) {
      if (hit(nextMinor_, 2.54, kTolerance)) mark(3, 1);
      if (hit(nextIntermediate_, 12.7, 0.127)) mark(1, 1);
      if (hit(nextMajor_, 63.5, 0.254)) mark(1, 1);
    } else {
      if (hit(nextMinor_, 5.08, kTolerance)) mark(3, 1);
      if (hit(nextMajor_, 25.4, kTolerance)) mark(1, 1);
    }
  } else if (verticalKind_ == kVerticalTime) {
    if (hit(nextMinor_, 2.54, kTolerance)) mark(3, 3);
    if (hit(nextMajor_, 12.7, kTolerance)) mark(1, 1);
  } else {
    if (hit(nextMinor_, 2.0, kTolerance)) mark(3, 3);
    if (hit(nextMajor_, 10.0, kTolerance)) mark(1, 1);
  }
  if (line) std::memcpy(line, templates_[lineStyle - 1].data(), kRasterBytes);
  if (carriesNumbers_ && hit(nextNumber_, numberSpacing_, kTolerance)) {
    numberInProgress_ = 1;
    numberRow_ = 0;
    currentNumber_ += direction_ == 1 ? -numberInterval_ : numberInterval_;
    ComposeMarkNumber(currentNumber_);
  }
  if (line && numberInProgress_ && numberRow_ < 32) {
    std::memcpy(line + (direction_ == 1 ? 138 : 69), markBuffer_.data() + static_cast<size_t>(numberRow_) * 8, 8);
    ++numberRow_;
    if ((numberRow_ == 16 || numberRow_ == 17) && currentNumber_ < 0) line[direction_ == 1 ? 148 : 67] = 0xFF;
  }
  paperPosition_ += kLineMm;
  ++chartLineCount_;
}

void CGulton::ComposeChartLine(uint8_t* line) {
  Hold hold(*this);
  StepLine(line);
}

void CGulton::FeedLines(int count) {
  Hold hold(*this);
  SendRasterLine(templates_[0].data());
  for (int i = 0; i < curveCount_ && i < kPlotDrawers; ++i) {
    drawers_[i].BeginPath();
    drawers_[i].MoveTo(std::abs(TrackOrigin(curveTrack_[i])), 0);
  }
  for (int i = 0; i < count; ++i) StepLine(nullptr);
}

Inscription* CGulton::GetInscription(int index) {
  Hold hold(*this);
  if (index < 0 || index >= static_cast<int>(inscriptions_.size())) return nullptr;
  return inscriptions_[static_cast<size_t>(index)].get();
}

int CGulton::GetCurveStyle(int curve) const {
  if (inscriptions_.empty()) return 1;
  return curve >= 1 && curve <= 20 ? curveStyle_[curve - 1] : 1;
}

// A path of axis-parallel segments stroked with a solid pen WIDTH dots wide,
// centred on the path: a segment covers WIDTH / 2 dots before its line and
// WIDTH - WIDTH / 2 from it on, its ends reaching as far, so corners close.
void qv::StrokePolyline(qv::MonoRaster& r, const int (*points)[2], int count, int width) {
  const int before = width / 2;
  const int after = width - before - 1;
  for (int i = 1; i < count; ++i) {
    const int x0 = std::min(points[i - 1][0], points[i][0]), x1 = std::max(points[i - 1][0], points[i][0]);
    const int y0 = std::min(points[i - 1][1], points[i][1]), y1 = std::max(points[i - 1][1], points[i][1]);
    r.FillRect(x0 - before, y0 - before, x1 + after, y1 + after);
  }
}
