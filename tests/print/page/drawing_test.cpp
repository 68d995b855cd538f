#include "print/page/drawing.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <map>
#include <vector>

#include "header/header_info.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "print/page/gdi_text.h"
#include "print/page/heading.h"
#include "print/page/track_grid.h"
#include "tests/print/page/bmp_fixtures.h"
#include "tests/print/page/recording_device.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

using namespace qv::print;
using qvtest::RecordingDevice;

// A portrait A4 page at DPI in page mode.
PrintSettings Page(int dpi) {
  PrintSettings s;
  PrinterCaps c;
  c.logPixelsX = c.logPixelsY = dpi;
  c.physicalWidth = dpi == 300 ? 2480 : 4961;
  c.physicalHeight = dpi == 300 ? 3508 : 7016;
  c.horzRes = c.physicalWidth;
  c.vertRes = c.physicalHeight;
  s.continuousMode = 0;
  ComputePageGeometry(s, c, true);
  return s;
}

struct Canvas {
  explicit Canvas(int dpi = 300) : device(5000, 7100, dpi), painter(&device) {}
  qvtest::RecordingEngine& Drawn() { return device.Engine(); }
  RecordingDevice device;
  QPainter painter;
};

// A display language other than the table's for the scope of a test: the
// printed page keeps the table's texts whatever the screen shows.
struct OtherLanguage {
  OtherLanguage() {
    qv::SetStringTranslator([](unsigned, const char* t) { return std::string(qv::kTranslatedMark) + "JA " + t; });
  }
  ~OtherLanguage() { qv::SetStringTranslator(nullptr); }
};

double Ascent(QPainter& p) {
  return QFontMetricsF(p.font(), p.device()).ascent();
}
// The ascent of the font of CELL dots the routines draw with.
double Ascent(QPainter& p, int cell) {
  return QFontMetricsF(PrintFont(p, cell), p.device()).ascent();
}

TEST(FittedText, ShortensByTwoDotsUntilItFits) {
  qvtest::App();
  for (const char* fits : {"ABCDEFGH", "ABCDE..", "ABCD..", "ABC..", "AB..", "A.."}) {
    Canvas c;
    c.painter.setFont(PrintFont(c.painter, 40));
    const int room = TextWidth(c.painter, fits);
    DrawFittedText("ABCDEFGH", 0, 100, 100 + room, 50, &c.painter);
    ASSERT_EQ(c.Drawn().texts.size(), 1u) << fits;
    EXPECT_EQ(c.Drawn().texts[0].text, fits);
  }
  Canvas c;
  c.painter.setFont(PrintFont(c.painter, 40));
  DrawFittedText("ABCDEFGH", 0, 100, 100 + TextWidth(c.painter, "A..") - 1, 50, &c.painter);
  EXPECT_TRUE(c.Drawn().texts.empty());
  DrawFittedText("ABCDEFGH", 0, 0, 100, 50, nullptr);  // no device: nothing
}

TEST(FittedText, AlignmentsPlaceTheReferencePoint) {
  qvtest::App();
  Canvas c;
  c.painter.setFont(PrintFont(c.painter, 40));
  const double w = QFontMetricsF(c.painter.font(), &c.device).horizontalAdvance("WELL");
  DrawFittedText("WELL", 0, 100, 700, 50, &c.painter);
  DrawFittedText("WELL", 1, 100, 700, 50, &c.painter);
  DrawFittedText("WELL", 2, 100, 700, 50, &c.painter);
  const auto& t = c.Drawn().texts;
  ASSERT_EQ(t.size(), 3u);
  EXPECT_NEAR(t[0].origin.x(), 100, 0.01);
  EXPECT_NEAR(t[1].origin.x() + w / 2, 400, 0.01);
  EXPECT_NEAR(t[2].origin.x() + w, 700, 0.01);
  for (const auto& d : t) EXPECT_NEAR(d.origin.y(), 50 + Ascent(c.painter), 0.01);  // top of the cell at y
}

TEST(PrintFontTest, CellHeightIsAscentPlusDescent) {
  qvtest::App();
  for (int dpi : {300, 600}) {
    Canvas c(dpi);
    for (int cell : {12, 35, 71, 142}) {
      c.painter.setFont(PrintFont(c.painter, cell));
      EXPECT_NEAR(TextHeight(c.painter), cell, 1) << dpi << " " << cell;
    }
  }
}

TEST(RoundToDecimalsTest, HalvesAwayFromZero) {
  struct Case {
    double value;
    int decimals;
    double rounded;
  } cases[] = {{1.234, 2, 1.23}, {1.235, 2, 1.24}, {-1.26, 1, -1.3}, {-1.24, 1, -1.2},
               {2.5, 0, 3.0},    {-2.5, 0, -3.0},  {0.0, 3, 0.0},    {123.456, -1, 120.0}};
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(RoundToDecimals(c.value, c.decimals), c.rounded) << c.value << " " << c.decimals;
}

TEST(PageNumber, BandHeightAndCentredText) {
  qvtest::App();
  OtherLanguage japanese;
  PrintSettings s = Page(600);
  Canvas c(600);
  EXPECT_EQ(DrawPageNumber(&c.painter, &s, 2), 142);
  ASSERT_EQ(c.Drawn().texts.size(), 1u);
  const auto& t = c.Drawn().texts[0];
  EXPECT_EQ(t.text, "Page 2");
  const int bandTop = s.top + s.height - 142;
  EXPECT_GT(t.origin.y(), bandTop + 71);  // top of the text at the band's centre
  EXPECT_LT(t.origin.y(), s.top + s.height);
  PrintSettings s300 = Page(300);
  EXPECT_EQ(DrawPageNumber(nullptr, &s300, 1), 70);
}

TEST(MarkerTriangle, TipTwoAndAHalfMillimetresRight) {
  qvtest::App();
  Canvas c;
  const double mm = MmPerPixel(300);
  DrawMarkerTriangle(&c.painter, 100, 200, mm);
  ASSERT_EQ(c.Drawn().shapes.size(), 1u);
  const QPolygonF& p = c.Drawn().shapes[0].points;
  ASSERT_GE(p.size(), 3);
  EXPECT_EQ(p[0], QPointF(100, 200 + 8));   // 0.75 mm = 8 dots
  EXPECT_EQ(p[1], QPointF(100 + 29, 200));  // 2.5 mm = 29 dots
  EXPECT_EQ(p[2], QPointF(100, 200 - 8));
  EXPECT_EQ(c.Drawn().shapes[0].brush.color(), QColor(Qt::black));
}

TEST(TrailerBox, TwoLinesMakeFourRowsAndAHalf) {
  qvtest::App();
  PrintSettings s = Page(300);
  TrailerText text{"first", "", "second", ""};
  Canvas c;
  GdiRect box{200, 1000, 1800, 1100};
  ASSERT_TRUE(DrawTrailerBox(&c.painter, &s, &text, &box));
  // The font: width / 68 for a portrait page (2126 / 68 = 31).
  c.painter.setFont(PrintFont(c.painter, s.width / 68));
  const int cy = TextHeight(c.painter);
  EXPECT_EQ(box.top, 1000 + cy);
  EXPECT_EQ(box.bottom, box.top + 4 * cy + cy / 2);
  const auto& d = c.Drawn();
  ASSERT_EQ(d.shapes.size(), 1u);
  EXPECT_EQ(d.shapes[0].pen.width(), 5);  // 0.4 mm at 300 dpi
  ASSERT_EQ(d.texts.size(), 2u);
  EXPECT_EQ(d.texts[0].text, "first");
  EXPECT_EQ(d.texts[1].text, "second");
  EXPECT_NEAR(d.texts[0].origin.x(), 200 + cy, 0.01);
  EXPECT_NEAR(d.texts[1].origin.y() - d.texts[0].origin.y(), cy + cy / 2, 0.01);
}

TEST(TrailerBox, NoLinesOrNoRoom) {
  qvtest::App();
  PrintSettings s = Page(300);
  Canvas c;
  TrailerText none;
  GdiRect box{200, 1000, 1800, 1100};
  EXPECT_TRUE(DrawTrailerBox(&c.painter, &s, &none, &box));
  EXPECT_EQ(box, (GdiRect{200, 1000, 1800, 1100}));
  TrailerText one{"only", "", "", ""};
  GdiRect low{200, s.height - 40, 1800, s.height};
  EXPECT_FALSE(DrawTrailerBox(&c.painter, &s, &one, &low));
  EXPECT_GT(low.bottom, s.height);  // where it would have gone
  EXPECT_TRUE(c.Drawn().texts.empty());
  EXPECT_TRUE(c.Drawn().shapes.empty());
}

TEST(CurveLegend, CaptionEndsAndLineSample) {
  qvtest::App();
  CurveRecord curve;
  curve.shortTitle = "GR";
  curve.unit = "API";
  curve.scaleMinimum = 0;
  curve.scaleMaximum = 150;
  curve.lineColour = 0x0000FF;  // red
  struct Case {
    int minimumLeft, style;
    bool colour;
    const char *left, *right;
    int penWidth;
    QColor pen;
  } cases[] = {{1, 0, true, "0.00", "150.00", 3, Qt::red}, {0, 4, false, "150.00", "0.00", 6, Qt::black}};
  for (const Case& k : cases) {
    curve.scaleFlag = k.minimumLeft;
    curve.printLineStyle = k.style;
    Canvas c;
    c.painter.setFont(PrintFont(c.painter, 20));
    DrawCurveLegend(&c.painter, QRect(100, 500, 600, 90), 20, &curve, k.colour);
    const auto& d = c.Drawn();
    ASSERT_EQ(d.texts.size(), 3u);
    EXPECT_EQ(d.texts[0].text, "GR  API");
    EXPECT_EQ(d.texts[1].text, k.left);
    EXPECT_EQ(d.texts[2].text, k.right);
    EXPECT_NEAR(d.texts[1].origin.x(), 100, 0.01);
    ASSERT_FALSE(d.paths.empty());
    EXPECT_EQ(d.paths[0].second.width(), k.penWidth);
    EXPECT_EQ(d.paths[0].second.color(), k.pen);
    const QRectF sample = d.paths[0].first.boundingRect();
    EXPECT_EQ(sample.left(), 100);
    EXPECT_EQ(sample.right(), 700);
    EXPECT_EQ(sample.top(), 590 - 10);
  }
}

TEST(ScaleHeaders, TicksAtTenthsAndQuarters) {
  qvtest::App();
  PrintSettings s = Page(300);
  CurveRecord curve;
  curve.shortTitle = "WF";
  curve.unit = "us";
  curve.scaleMinimum = 200;
  curve.scaleMaximum = 1200;
  curve.scaleFlag = 0;  // the ten-division header ignores the mirrored scale
  Canvas c;
  DrawTenDivisionScaleHeader(&c.painter, QRect(100, 500, 1000, 90), 20, &curve, &s);
  auto& d = c.Drawn();
  ASSERT_EQ(d.texts.size(), 3u);
  EXPECT_EQ(d.texts[1].text, "200.00");
  EXPECT_EQ(d.texts[2].text, "1200.00");
  ASSERT_EQ(d.lines.size(), 12u);  // base line and 11 ticks
  EXPECT_EQ(d.lines[0].line, QLineF(100, 590, 1100, 590));
  EXPECT_EQ(d.lines[2].line, QLineF(200, 590, 200, 590 - 23));  // 2 mm ticks
  EXPECT_EQ(d.lines[11].line.x1(), 1100);
  Canvas q;
  DrawLinearScaleHeader(&q.painter, QRect(100, 500, 1000, 90), &curve, &s);
  EXPECT_EQ(q.Drawn().lines.size(), 6u);  // base line and 5 ticks
  ASSERT_EQ(q.Drawn().texts.size(), 6u);
  EXPECT_EQ(q.Drawn().texts[0].text, "WF");
  // The azimuths of the ticks above them, the ends inside the box.
  const char* degrees[] = {"0", "90", "180", "270", "360"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(q.Drawn().texts[static_cast<size_t>(i) + 1].text, degrees[i]);
  EXPECT_NEAR(q.Drawn().texts[1].origin.x(), 100, 0.01);
  EXPECT_LT(q.Drawn().texts[5].origin.x(), 1100);
  EXPECT_GT(q.Drawn().texts[5].origin.x(), 1000);
  EXPECT_LT(q.Drawn().texts[3].origin.y(), 590 - 23);  // above the ticks
}

TEST(ReferencePoints, CountValueAndUnit) {
  struct Case {
    const char *point, *count, *value, *unit;
  } cases[] = {
      {"1234 at 50.0 API", "1234", "50.0", "API"},
      {"1234 CPS at 50 API", "1234", "50", "API"},
      {"1234", "1234", "00000", ""},  // no blank: the text is the count
      {"", "00000", "00000", ""},
      {" 12 at 5", "00000", "5", ""},
      {"77 at 3.5", "77", "3.5", ""},
      {"88 at", "88", "", ""},
  };
  for (const Case& c : cases) {
    const ReferencePointText r = SplitReferencePoint(c.point);
    EXPECT_EQ(r.count, c.count) << c.point;
    EXPECT_EQ(r.value, c.value) << c.point;
    EXPECT_EQ(r.unit, c.unit) << c.point;
  }
}

TEST(CalibrationPage, BlocksSideBySideSkippingNullEntries) {
  qvtest::App();
  OtherLanguage japanese;
  PrintSettings s = Page(300);
  CalibrationArray cals;
  cals.push_back(std::make_unique<ChannelCalibration>());
  cals.back()->shortTitle = "GRA";
  cals.back()->referencePoints = {"100 CPS at 0 API", "900 CPS at 200 API"};
  cals.back()->coefficients = Coefficients{1.5, 0.25, 0, 0};
  cals.push_back(nullptr);
  cals.push_back(std::make_unique<ChannelCalibration>());
  cals.back()->shortTitle = "DENB";
  Canvas c;
  ASSERT_TRUE(DrawCalibrationTable(&c.painter, &s, &cals));
  const double ux = s.width / 160.0, uy = s.height / 88.0;
  const QPoint base = GridToDevice(0, 3, s.left, s.top, ux, uy);
  auto& d = c.Drawn();
  ASSERT_EQ(d.Texts("CALIBRATION CONSTANTS").size(), 1u);
  const auto a = d.Texts("GRA"), b = d.Texts("DENB");
  ASSERT_EQ(a.size(), 2u);  // reference points and coefficients
  ASSERT_EQ(b.size(), 2u);
  EXPECT_NEAR(a[0].origin.x(), base.x() + int(5 * ux) + int(27 * ux), 0.01);
  EXPECT_NEAR(b[0].origin.x(), base.x() + int(80 * ux) + int(27 * ux), 0.01);
  EXPECT_DOUBLE_EQ(a[0].origin.y(), b[0].origin.y());
  EXPECT_TRUE(a[0].bold);
  EXPECT_EQ(d.Texts("VALUE 0   ").size(), 2u);
  EXPECT_EQ(d.Texts("COEFFICIENT 3").size(), 2u);
  EXPECT_EQ(d.Texts("1.5").size(), 1u);
  EXPECT_EQ(d.Texts("0.25").size(), 1u);
  EXPECT_EQ(d.Texts("900").size(), 1u);
  EXPECT_EQ(d.Texts("200").size(), 1u);
  EXPECT_EQ(d.Texts("API").size(), 2u);
  EXPECT_EQ(d.Texts("0").size(), 4u + 2u + 1u);  // DENB's coefficients, GRA's last two, GRA's value 0
  EXPECT_EQ(d.Texts("00000").size(), 2u * 2u + 4u * 2u);
  CalibrationArray empty;
  Canvas e;
  EXPECT_FALSE(DrawCalibrationTable(&e.painter, &s, &empty));
  EXPECT_FALSE(DrawCalibrationTable(&e.painter, &s, nullptr));
  EXPECT_TRUE(e.Drawn().texts.empty() && e.Drawn().shapes.empty());
}

// ---- the log heading

TEST(HeadingForm, TablesHoldEveryCellOfBothRenderings) {
  EXPECT_EQ(HeadingRules().size(), 22u);
  int onRecorder = 0;
  for (const HeadingRule& r : HeadingRules()) {
    EXPECT_LE(r.c1, 280);
    EXPECT_LE(r.r1, kHeadingRows);
    if (!r.onRecorder) continue;
    ++onRecorder;
    EXPECT_LT(r.x1, kRecorderHeadingWidth);
    EXPECT_LT(r.y1, kRecorderHeadingHeight);
  }
  EXPECT_EQ(onRecorder, 20);
  for (const HeadingText& t : HeadingTexts()) {
    EXPECT_LT(t.col0, t.col1);
    EXPECT_LE(t.col1, 150);
    EXPECT_LT(t.recY, kRecorderHeadingHeight);
    EXPECT_TRUE(t.label != nullptr || t.field != nullptr);
  }
  HeaderInfo h;
  h.KellyBushing = 12.345f;
  h.RunNo2 = 7;
  h.Cnty = "Kerr";
  std::map<std::string, std::string> seen;
  for (const HeadingText& t : HeadingTexts()) seen[std::to_string(t.recX) + "," + std::to_string(t.recY)] = t.Text(h);
  EXPECT_EQ(seen["1070,780"], "12.35");
  EXPECT_EQ(seen["740,990"], "7");
  EXPECT_EQ(seen["200,630"], "Kerr");
  EXPECT_EQ(seen["20,1290"],
            "MAX TEMP \xB0"
            "C");
}

TEST(HeadingForm, GridScalesWithTheArea) {
  PrintSettings s = Page(300);
  HeadingGrid g = HeadingGridOf(s);
  EXPECT_DOUBLE_EQ(g.ux, s.height / 300.0);  // portrait log pages: the area turned
  EXPECT_DOUBLE_EQ(g.uy, s.width / 52.0);
  EXPECT_EQ(g.At(0, 0), QPoint(s.top + int(4 * g.ux), s.left));
  PrintSettings twice = s;
  twice.width *= 2, twice.height *= 2, twice.top = 0, twice.left = 0;
  s.top = s.left = 0;
  EXPECT_NEAR(HeadingGridOf(twice).At(150, 52).x(), 2 * HeadingGridOf(s).At(150, 52).x(), 1);
  twice.orientation = 2;
  EXPECT_DOUBLE_EQ(HeadingGridOf(twice).ux, twice.width / 300.0);
}

TEST(HeadingForm, HeaderNameCutsOnlyTheFileName) {
  EXPECT_EQ(HeadingHeaderName("C:\\DATA\\WELL1.LOG"), "C:\\DATA\\WELL1.hed");
  EXPECT_EQ(HeadingHeaderName("/data/WELL1."), "/data/WELL1.hed");
  EXPECT_EQ(HeadingHeaderName("/data/run.2/WELL1"), "/data/run.2/WELL1.hed");
  EXPECT_EQ(HeadingHeaderName("WELL1"), "WELL1.hed");
}

std::string WriteLogo(const std::string& dir, const std::string& name) {
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary) << qvtest::MakeBmp({.width = 2, .height = 1, .pixels = std::string(8, '\0')});
  return path;
}

TEST(LogHeading, EmptyRecordPrintsLabelsZerosAndLogo) {
  qvtest::App();
  const std::string folder = qv::test::TempDir("print_page");
  WriteLogo(folder, "logo.bmp");
  PrintSettings s = Page(300);
  HeaderInfo empty;
  Canvas c;
  qv::MessageRecorder boxes;
  DrawLogHeading(&c.painter, &s, &empty, "C:\\DATA\\WELL1.LOG", folder);
  EXPECT_TRUE(boxes.Shown().empty());
  auto& d = c.Drawn();
  const HeadingGrid g = HeadingGridOf(s);
  EXPECT_EQ(d.Texts("0.00").size(), 39u);
  EXPECT_EQ(d.Texts("0").size(), 6u);
  for (const char* label : {"COMPANY", "WELL", "FIELD", "LAT.:", "OTHER SERVICES", "Perm. Datum", "KB", "DATE",
                            "WITNESSED BY", "BIT RECORD", "CASING RECORD", "WEIGHT", "TREMARIN BORVANIC TECHNOLOGY"})
    EXPECT_EQ(d.Texts(label).size(), 1u) << label;
  // A label starts 3 columns into its cell, its top on the row.
  const auto company = d.Texts("COMPANY");
  EXPECT_NEAR(company[0].origin.x(), g.At(0, 13).x() + int(3 * g.ux), 0.01);
  EXPECT_NEAR(company[0].origin.y() - Ascent(c.painter, int(g.uy)), g.At(0, 13).y() + int(g.uy), 1.0);
  EXPECT_EQ(company[0].pixelSize, PrintFont(c.painter, int(g.uy)).pixelSize());
  ASSERT_EQ(d.Texts("REMARKS     ( C:\\DATA\\WELL1.hed )").size(), 1u);
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_EQ(d.images[0].topLeft(), QPointF(g.At(0, 0) + QPoint(10, 10)));
  EXPECT_EQ(d.images[0].bottomRight(), QPointF(g.At(50, 13) - QPoint(10, 10)));
  // The frames thick, the rules thin.
  int thick = 0;
  for (const auto& sh : d.shapes) thick += sh.pen.width() == FramePenWidth(s.mmPerPixel);
  EXPECT_EQ(thick, 2);
  EXPECT_EQ(d.lines.size(), 20u);
}

TEST(LogHeading, LongValuesShortenedAndNoLogoWithoutABox) {
  qvtest::App();
  const std::string folder = qv::test::TempDir("print_page");
  PrintSettings s = Page(300);
  HeaderInfo h;
  h.Company = std::string(200, 'W');
  h.Comment[9] = "last remark";
  h.LogName = "gamma";
  Canvas c;
  qv::MessageRecorder boxes;
  DrawLogHeading(&c.painter, &s, &h, "WELL1", folder);
  EXPECT_TRUE(boxes.Ids().empty()) << "a folder without a logo has none";
  auto& d = c.Drawn();
  EXPECT_TRUE(d.images.empty());
  bool shortened = false;
  for (const auto& t : d.texts) shortened |= t.text.startsWith("WWW") && t.text.endsWith("..");
  EXPECT_TRUE(shortened);
  const HeadingGrid g = HeadingGridOf(s);
  const auto last = d.Texts("last remark");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_NEAR(last[0].origin.y() - Ascent(c.painter, int(g.uy)), g.At(0, 3).y() + 12 * int(g.uy), 1.0);
  EXPECT_EQ(d.Texts("REMARKS     ( WELL1.hed )").size(), 1u);
  EXPECT_EQ(d.Texts("gamma").size(), 1u);
  // Without a record: frames, rules and logo only.
  Canvas bare;
  DrawLogHeading(&bare.painter, &s, nullptr, "WELL1", folder);
  EXPECT_TRUE(bare.Drawn().texts.empty());
  EXPECT_EQ(bare.Drawn().lines.size(), 20u);
}

TEST(LogHeading, TallLogoKeepsItsProportions) {
  qvtest::App();
  const std::string folder = qv::test::TempDir("print_page");
  std::ofstream(folder + "/LOGO.BMP", std::ios::binary)
      << qvtest::MakeBmp({.width = 1, .height = 2, .pixels = std::string(8, '\0')});
  PrintSettings s = Page(300);
  Canvas c;
  DrawLogHeading(&c.painter, &s, nullptr, "x", folder);
  ASSERT_EQ(c.Drawn().images.size(), 1u);
  const QRectF r = c.Drawn().images[0];
  EXPECT_NEAR(r.width(), r.height() / 2, 1);
}

// ---- the grid of a printed log section

// Rows where a solid depth line crosses x = 17 of a linear column drawn at
// 300 dpi from depth 0 over 1000 dot rows: the first row of each line.
std::vector<int> DepthLineRows(bool fitToPage, bool fitSpacing, int scale) {
  qvtest::App();
  PrintSettings s;
  s.mmPerPixel = 25.4 / 300;
  s.inchPerPixel = 1.0 / 300;
  s.height = 2000;
  s.scale = scale;
  s.fitToPage = fitToPage ? 1 : 0;
  std::vector<TrackRecord> tracks(2);
  tracks[0].gridStyle = 0x10000000;  // linear
  const std::vector<CurveRecord> curves;
  TrackGridLog log;
  log.curves = &curves;
  log.tracks = &tracks;
  log.fitSpacing = fitSpacing;
  log.span = 100000;  // 100 m
  QImage image(320, 1000, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter dc(&image);
    PrintTrackGrid(dc, s, QRect(10, 0, 300, 1000), 1, log);
  }
  std::vector<int> starts;
  bool in = false;
  for (int y = 0; y < image.height(); ++y) {
    const bool ink = image.pixel(17, y) != qRgb(255, 255, 255);
    if (ink && !in) starts.push_back(y);
    in = ink;
  }
  return starts;
}

// Under fit to page the full-wave (and sonic) page spaces its depth lines by
// the depth span: 100 m on a page of 2000 dots at 300 dpi (16.9 cm) is 5.9 m
// a centimetre, so a line every 10 m, 196.85 dots apart at 1:600, each on
// the first row past its place. The cement-bond page keeps 10 mm of paper.
TEST(TrackGrid, FitToPageSpacesTheFullWaveGridByTheDepthSpan) {
  PrintSettings s;
  s.mmPerPixel = 25.4 / 300;
  s.inchPerPixel = 1.0 / 300;
  s.height = 2000;
  EXPECT_DOUBLE_EQ(FitMajorSpacing(s, false, 100000), 10000);
  EXPECT_DOUBLE_EQ(FitMajorSpacing(s, true, 100000), 20000);  // 15 ft an inch of 6.67 inches
  EXPECT_DOUBLE_EQ(FitMajorSpacing(s, false, 1e12), 10000000) << "the last of the set";
  EXPECT_EQ(DepthLineRows(true, true, 600), (std::vector<int>{0, 196, 393, 590, 787, 984}));
  const std::vector<int> byScale{0, 117, 235, 353, 471, 589, 707, 825, 943};
  EXPECT_EQ(DepthLineRows(true, false, 600), byScale) << "the cement-bond page";
  EXPECT_EQ(DepthLineRows(false, true, 600), byScale) << "not fitted";
}

}  // namespace
