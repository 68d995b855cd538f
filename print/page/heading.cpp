#include "print/page/heading.h"

#include <QPainter>

#include "header/header_info.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "print/page/dib.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsRemarksTitle = 32370;
constexpr const char* kBanner = "TREMARIN BORVANIC TECHNOLOGY";

#define QV_STR(f) [](const HeaderInfo& h) { return h.f; }
#define QV_F2(f) [](const HeaderInfo& h) { return FormatC("%.2f", double(h.f)); }
#define QV_INT(f) [](const HeaderInfo& h) { return FormatC("%d", h.f); }

constexpr CellAlign L = CellAlign::Left, C = CellAlign::Centre;

// One row of the well block: label and field side by side.
void Well(std::vector<HeadingText>& t, const char* label, std::string (*field)(const HeaderInfo&), int k, int y) {
  t.push_back({label, nullptr, 0, 25, 13, double(k), L, 20, -1, y, false});
  t.push_back({nullptr, field, 25, 100, 13, double(k), L, 200, -1, y, false});
}

// One row of the run block: the label and the three runs' values.
void Run(std::vector<HeadingText>& t, const char* label, std::string (*r1)(const HeaderInfo&),
         std::string (*r2)(const HeaderInfo&), std::string (*r3)(const HeaderInfo&), int k, int y) {
  t.push_back({label, nullptr, 0, 50, 27, double(k), L, 20, -1, y, false});
  t.push_back({nullptr, r1, 50, 85, 27, double(k), L, 440, -1, y, false});
  t.push_back({nullptr, r2, 85, 120, 27, double(k), L, 740, -1, y, false});
  t.push_back({nullptr, r3, 120, 150, 27, double(k), L, 1040, -1, y, false});
}

// One column of the bit and casing block: runs 1 to 3 below each other.
void Column(std::vector<HeadingText>& t, std::string (*r1)(const HeaderInfo&), std::string (*r2)(const HeaderInfo&),
            std::string (*r3)(const HeaderInfo&), double c0, double c1, int a, int b) {
  t.push_back({nullptr, r1, c0, c1, 47, 1, C, a, b, 1550, false});
  t.push_back({nullptr, r2, c0, c1, 47, 2, C, a, b, 1600, false});
  t.push_back({nullptr, r3, c0, c1, 47, 3, C, a, b, 1650, false});
}

std::vector<HeadingText> MakeTexts() {
  std::vector<HeadingText> t;
  t.push_back({nullptr, QV_STR(Project), 50, 150, 0, 3, C, 400, 1212, 97, false});
  t.push_back({nullptr, QV_STR(LogName), 50, 150, 8, 3, C, 400, 1212, 307, true});
  Well(t, "COMPANY", QV_STR(Company), 1, 480);
  Well(t, "WELL", QV_STR(Wellname), 2, 510);
  Well(t, "FIELD", QV_STR(Fieldname), 3, 540);
  Well(t, "COUNTRY", QV_STR(Country), 4, 570);
  Well(t, "STATE", QV_STR(Stat), 5, 600);
  Well(t, "COUNTY", QV_STR(Cnty), 6, 630);
  Well(t, "LAT.:", QV_STR(Latitude), 7, 660);
  Well(t, "LONG.:", QV_STR(Longitude), 8, 690);
  t.push_back({"OTHER SERVICES", nullptr, 100, 150, 13, 1, L, 800, -1, 440, false});
  t.push_back({nullptr, QV_STR(OtherServices1), 100, 150, 13, 3, L, 800, -1, 480, false});
  t.push_back({nullptr, QV_STR(OtherServices2), 100, 150, 13, 4, L, 800, -1, 520, false});
  t.push_back({nullptr, QV_STR(OtherServices3), 100, 150, 13, 5, L, 800, -1, 560, false});
  t.push_back({nullptr, QV_STR(OtherServices4), 100, 150, 13, 6, L, 800, -1, 600, false});
  t.push_back({nullptr, QV_STR(OtherServices5), 100, 150, 13, 7, L, 800, -1, 640, false});
  t.push_back({"Perm. Datum", nullptr, 0, 25, 23, 0.5, L, 20, -1, 780, false});
  t.push_back({nullptr, QV_STR(PermanentDatum), 25, 50, 23, 0.5, L, 200, -1, 780, false});
  t.push_back({"Log. Datum", nullptr, 0, 25, 23, 1.5, L, 20, -1, 820, false});
  t.push_back({nullptr, QV_STR(LogDatum), 25, 50, 23, 1.5, L, 200, -1, 820, false});
  t.push_back({"Drill Datum", nullptr, 0, 25, 23, 2.5, L, 20, -1, 860, false});
  t.push_back({nullptr, QV_STR(DrillDatum), 25, 50, 23, 2.5, L, 200, -1, 860, false});
  t.push_back({"Elev", nullptr, 60, 75, 23, 0.5, L, 480, -1, 780, false});
  t.push_back({nullptr, QV_STR(Elevation), 75, 110, 23, 0.5, L, 660, -1, 780, false});
  t.push_back({"KB", nullptr, 110, 120, 23, 0.5, L, 890, -1, 780, false});
  t.push_back({nullptr, QV_F2(KellyBushing), 120, 150, 23, 0.5, L, 1070, -1, 780, false});
  t.push_back({"DF", nullptr, 110, 120, 23, 1.5, L, 890, -1, 820, false});
  t.push_back({nullptr, QV_F2(DrillFloor), 120, 150, 23, 1.5, L, 1070, -1, 820, false});
  t.push_back({"GL", nullptr, 110, 120, 23, 2.5, L, 890, -1, 860, false});
  t.push_back({nullptr, QV_F2(GroundLevel), 120, 150, 23, 2.5, L, 1070, -1, 860, false});
  Run(t, "DATE", QV_STR(DateRun1), QV_STR(DateRun2), QV_STR(DateRun3), 1, 960);
  Run(t, "RUN#", QV_INT(RunNo1), QV_INT(RunNo2), QV_INT(RunNo3), 2, 990);
  Run(t, "TYPE OF LOG", QV_STR(LogType1), QV_STR(LogType2), QV_STR(LogType3), 3, 1020);
  Run(t, "DEPTH DRILLER", QV_F2(DepthDriller1), QV_F2(DepthDriller2), QV_F2(DepthDriller3), 4, 1050);
  Run(t, "DEPTH LOGGER", QV_F2(DepthLogger1), QV_F2(DepthLogger2), QV_F2(DepthLogger3), 5, 1080);
  Run(t, "LOG DEEPEST", QV_F2(Deepest1), QV_F2(Deepest2), QV_F2(Deepest3), 6, 1110);
  Run(t, "LOG SHALLOW", QV_F2(Shallow1), QV_F2(Shallow2), QV_F2(Shallow3), 7, 1140);
  Run(t, "FLUID IN HOLE", QV_STR(Fluid1), QV_STR(Fluid2), QV_STR(Fluid3), 8, 1170);
  Run(t, "SALINITY", QV_STR(Salinity1), QV_STR(Salinity2), QV_STR(Salinity3), 9, 1200);
  Run(t, "DENSITY", QV_STR(FluidDensity1), QV_STR(FluidDensity2), QV_STR(FluidDensity3), 10, 1230);
  Run(t, "LEVEL", QV_STR(FluidLevel1), QV_STR(FluidLevel2), QV_STR(FluidLevel3), 11, 1260);
  Run(t,
      "MAX TEMP \xB0"
      "C",
      QV_F2(MaxTemperature1), QV_F2(MaxTemperature2), QV_F2(MaxTemperature3), 12, 1290);
  Run(t, "RIG TIME", QV_STR(RigTime1), QV_STR(RigTime2), QV_STR(RigTime3), 13, 1320);
  Run(t, "RECORDED BY", QV_STR(Engineer1), QV_STR(Engineer2), QV_STR(Engineer3), 14, 1360);
  Run(t, "WITNESSED BY", QV_STR(Witness1), QV_STR(Witness2), QV_STR(Witness3), 15, 1390);
  t.push_back({"RUN#", nullptr, 0, 20, 44, 0.5, C, 43, -1, 1450, false});
  t.push_back({"BIT RECORD", nullptr, 20, 70, 44, 0.5, C, 270, -1, 1450, false});
  t.push_back({"CASING RECORD", nullptr, 70, 150, 44, 0.5, C, 777, -1, 1450, false});
  t.push_back({"SIZE", nullptr, 20, 35, 47, -1.5, C, 181, -1, 1480, false});
  t.push_back({"FROM", nullptr, 35, 55, 47, -1.5, C, 308, -1, 1480, false});
  t.push_back({"TO", nullptr, 55, 70, 47, -1.5, C, 469, -1, 1480, false});
  t.push_back({"SIZE", nullptr, 70, 90, 47, -1.5, C, 603, -1, 1480, false});
  t.push_back({"WEIGHT", nullptr, 90, 110, 47, -1.5, C, 757, -1, 1480, false});
  t.push_back({"FROM", nullptr, 110, 130, 47, -1.5, C, 938, -1, 1480, false});
  t.push_back({"TO", nullptr, 130, 150, 47, -1.5, C, 1115, -1, 1480, false});
  Column(t, QV_INT(RunNo1), QV_INT(RunNo2), QV_INT(RunNo3), 0, 20, 0, 150);
  Column(t, QV_F2(BitRec1), QV_F2(BitRec2), QV_F2(BitRec3), 20, 35, 150, 260);
  Column(t, QV_F2(BitRecFrom1), QV_F2(BitRecFrom2), QV_F2(BitRecFrom3), 35, 55, 260, 420);
  Column(t, QV_F2(BitRecTo1), QV_F2(BitRecTo2), QV_F2(BitRecTo3), 55, 70, 420, 550);
  Column(t, QV_F2(CasRecSize1), QV_F2(CasRecSize2), QV_F2(CasRecSize3), 70, 90, 550, 720);
  Column(t, QV_F2(CasRecWeight1), QV_F2(CasRecWeight2), QV_F2(CasRecWeight3), 90, 110, 720, 890);
  Column(t, QV_F2(CasRecFrom1), QV_F2(CasRecFrom2), QV_F2(CasRecFrom3), 110, 130, 890, 1050);
  Column(t, QV_F2(CasRecTo1), QV_F2(CasRecTo2), QV_F2(CasRecTo3), 130, 150, 1050, 1212);
  return t;
}

#undef QV_STR
#undef QV_F2
#undef QV_INT

}  // namespace

QPoint GridToDevice(double column, double row, int x0, int y0, double ux, double uy) {
  return QPoint(x0 + int((column + 4) * ux), y0 + int(row * uy));
}

HeadingGrid HeadingGridOf(const PrintSettings& s) {
  HeadingGrid g;
  if (s.orientation == 2) {
    g.ux = s.width / double(kHeadingColumns);
    g.uy = s.height / double(kHeadingRows);
    g.x0 = s.left;
    g.y0 = s.top;
  } else {
    g.ux = s.height / double(kHeadingColumns);
    g.uy = s.width / double(kHeadingRows);
    g.x0 = s.top;
    g.y0 = s.left;
  }
  return g;
}

const std::vector<HeadingRule>& HeadingRules() {
  static const std::vector<HeadingRule> rules = {
      {0, 0, 150, 52, true, 0, 0, 1212, 1692, true, true},         // heading frame
      {155, 0, 280, 52, false, 0, 0, 0, 0, true, true},            // remarks frame
      {155, 3, 280, 3, false, 0, 0, 0, 0, true, false},            // remarks rule
      {50, 0, 50, 13, true, 400, 0, 400, 420, false, false},       // logo box right edge
      {50, 8, 150, 8, true, 400, 210, 1212, 210, false, false},    // project / log name
      {0, 13, 150, 13, true, 0, 420, 1212, 420, false, false},     // end of title block
      {100, 13, 100, 23, true, 780, 420, 780, 760, false, false},  // well / other services
      {0, 23, 150, 23, true, 0, 760, 1212, 760, false, false},     // end of well block
      {110, 23, 110, 27, true, 840, 760, 840, 900, false, false},  // before KB, DF, GL
      {0, 27, 150, 27, true, 0, 900, 1212, 900, false, false},     // end of datum block
      {50, 27, 50, 44, true, 400, 900, 400, 1440, false, false},   // run columns
      {85, 27, 85, 44, true, 660, 900, 660, 1440, false, false},
      {120, 27, 120, 44, true, 930, 900, 930, 1440, false, false},
      {0, 44, 150, 44, true, 0, 1440, 1212, 1440, false, false},   // end of run block
      {20, 44, 20, 52, true, 150, 1440, 150, 1692, false, false},  // bit and casing columns
      {70, 44, 70, 52, true, 550, 1440, 550, 1692, false, false},
      {35, 47, 35, 52, true, 260, 1520, 260, 1692, false, false},  // below the group titles
      {55, 47, 55, 52, true, 420, 1520, 420, 1692, false, false},
      {90, 47, 90, 52, true, 720, 1520, 720, 1692, false, false},
      {110, 47, 110, 52, true, 890, 1520, 890, 1692, false, false},
      {130, 47, 130, 52, true, 1050, 1520, 1050, 1692, false, false},
      {0, 47, 150, 47, true, 0, 1520, 1212, 1520, false, false},  // end of group titles
  };
  return rules;
}

const std::vector<HeadingText>& HeadingTexts() {
  static const std::vector<HeadingText> texts = MakeTexts();
  return texts;
}

std::string HeadingHeaderName(const std::string& fileName) {
  return SiblingPath(fileName, ".hed");
}

void DrawLogHeading(QPainter* dc, const PrintSettings* settings, const HeaderInfo* header, const std::string& fileName,
                    const std::string& programFolder) {
  if (dc == nullptr || settings == nullptr) return;
  dc->save();
  const HeadingGrid g = HeadingGridOf(*settings);
  const QPen thick(Qt::black, FramePenWidth(settings->mmPerPixel), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  const QPen thin(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  dc->setFont(PrintFont(*dc, int(g.uy)));
  dc->setBrush(Qt::NoBrush);
  for (const HeadingRule& r : HeadingRules()) {
    dc->setPen(r.thick ? thick : thin);
    const QPoint a = g.At(r.c0, r.r0), b = g.At(r.c1, r.r1);
    if (r.rectangle)
      dc->drawRect(QRect(a, b - QPoint(1, 1)));
    else
      dc->drawLine(a, b);
  }
  dc->setPen(thin);

  // The logo, inside its box; one taller than wide keeps its proportions.
  CDib logo;
  if (AttachLogoBitmap(logo, programFolder)) {
    const QPoint from = g.At(0, 0) + QPoint(10, 10);
    const QPoint to = g.At(50, 13) - QPoint(10, 10);
    QSize box(to.x() - from.x(), to.y() - from.y());
    const QSize size = logo.GetSize();
    if (size.height() > size.width()) box.setWidth(box.height() * size.width() / size.height());
    logo.Draw(dc, from, box);
    logo.Release();
  }

  if (header != nullptr) {
    const int indent = int(3 * g.ux);
    for (const HeadingText& t : HeadingTexts()) {
      const int left = g.At(t.col0, t.row).x();
      const int right = g.At(t.col1, t.row).x();
      const int y = g.At(0, t.row).y() + int(t.rowOffset * g.uy);
      if (t.align == CellAlign::Centre)
        DrawFittedText(t.Text(*header), 1, left, right, y, dc);
      else
        DrawFittedText(t.Text(*header), 0, left + indent, right, y, dc);
    }
    const int left = g.At(155, 0).x();
    const int right = g.At(280, 0).x();
    DrawFittedText(kBanner, 1, left, right, g.At(0, 0).y() + int(1 * g.uy), dc);
    const std::string title = LoadFileString(kIdsRemarksTitle);
    DrawFittedText(FormatC(title.c_str(), "REMARKS", HeadingHeaderName(fileName).c_str()), 0, left + indent, right,
                   g.At(0, 3).y() + int(1 * g.uy), dc);
    for (int i = 1; i <= 10; ++i)
      DrawFittedText(header->Comment[i - 1], 0, left + indent, right, g.At(0, 3).y() + (i + 2) * int(g.uy), dc);
  }
  dc->restore();
}

}  // namespace qv::print
