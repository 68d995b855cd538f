// A new user's first log: a program folder as the build lays it out (the
// shipped sonde database, calibration files and header template, nothing
// else), File/New Log with what the wizard takes from the database for a
// shipped sonde, the winch lowered with the bar's own slider, REC and STP.
// The log reads the simulated well through the shipped calibration: every
// value of the exported LAS file lies inside the channel's display scale and
// is in the channel's unit, not in the unit's counts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabBar>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/globals.h"
#include "app/startup/startup.h"
#include "app/ui/frames.h"
#include "app/ui/log_wizard.h"
#include "app/ui/sonde_test_dlg.h"
#include "app/ui/sys_settings.h"
#include "curveview/curveview.h"
#include "devices/simulator/unit/sonde_data.h"
#include "devices/simulator/unit/well.h"
#include "header/header.h"
#include "header/section_access.h"
#include "header/ui/header_editor.h"
#include "logdoc/engine/channel_processor.h"
#include "logdoc/flowmeter/hpfm_dlg.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "logdoc/records/records.h"
#include "logdoc/replayui/replay_dlg.h"
#include "logdoc/ui/log_doc.h"
#include "app/logwindows/open_logs.h"
#include "logtools/las/las_export.h"
#include "platform/docview/translation.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/acceptance/simulated_program.h"
#include "tests/support/qt_app.h"
#include "tools/cementbond/fpg_dialogs.h"

namespace {

using FirstLogTest = qvtest::SimulatedProgram;
using qvtest::BoundaryDepth;
using qvtest::LasRows;
using qvtest::TrueBoundary;

TEST_F(FirstLogTest, EveryShippedCurveSondeLogsTheWellInItsUnitsInsideItsScales) {
  struct Case {
    const char* sonde;
    const char* extension;
  } cases[] = {{"KSTQ", "LOG"}, {"TWCH", "LGX"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sonde);
    Start(c.sonde);
    // Above the shoe in the pipe, down through the open hole's first beds.
    CLogDoc* doc = Record(1800, 60000);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->Setup().calibrationFile, (folder / "Calibration" / (std::string(c.sonde) + "1001.cal")).string());
    const int32_t from = 1800;

    // The LAS file of every curve of the log, calibrated by its header.
    const std::string data = (folder / "DATA" / (std::string("FIRST.") + c.extension)).string();
    HeaderInfo header;
    ASSERT_EQ(ReadHeaderInfo(data, &header), 1);
    CurveArray curves;
    ASSERT_EQ(ReadCurveRecords(data, &curves), 1);
    ASSERT_GE(curves.size(), 6u);
    const bool twelve = std::string(c.extension) == "LGX";
    LasChannels channels;
    for (const auto& curve : curves) channels.push_back(curve.get());
    const std::string las = ExportAll(data, twelve, header, curves);
    const auto rows = LasRows(las);
    ASSERT_GT(rows.size(), 100u) << las.substr(0, 2000);
    if (getenv("QV_DUMP")) std::cerr << las.substr(0, 4000);

    // The curve lines name the units; the depth is the first column.
    const qv::sim::Well& well = qv::sim::DefaultWell();
    for (size_t k = 0; k < channels.size(); ++k) {
      const CurveRecord& curve = *channels[k];
      SCOPED_TRACE(curve.shortTitle);
      EXPECT_NE(las.find("." + curve.unit + " "), std::string::npos) << curve.unit;
      const size_t column = (twelve ? 2 : 1) + k;  // a twelve-channel log has a TIME column
      std::vector<double> values;
      for (const auto& row : rows) {
        ASSERT_GT(row.size(), column);
        if (row[column] != kLasNull) values.push_back(row[column]);
      }
      ASSERT_GT(values.size(), rows.size() / 2) << "values, not nulls";
      const auto [low, high] = std::minmax_element(values.begin(), values.end());
      EXPECT_GE(*low, curve.scaleMinimum) << curve.unit;
      EXPECT_LE(*high, curve.scaleMaximum) << curve.unit;
      // The temperature of the well at the log's middle depth, in degrees.
      if (curve.shortTitle == "TEMP") {
        std::vector<double> sorted = values;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        EXPECT_NEAR(sorted[sorted.size() / 2], well.At((from + 600) / 100.0).temperature, 0.5);
      }
      if (curve.shortTitle == "GAM") {
        EXPECT_GT(*high - *low, 30) << "the beds show";
      }
    }

    Finish();
  }
}

// The well's limestone gives way to shale at 45.0 m. Logged down and up, each
// curve that steps there shows the boundary where the well has it, within a
// depth step, on the depth track and in the LAS export, whatever its
// sensor's offset on the sonde. The data file keeps the records at the
// counter's depth (the sonde's bottom): there a channel's boundary lies its
// sensor's offset deeper. A program set up for feet puts it at 147.6 ft:
// the unit then counts 0.05 ft, not 1 cm. Depths are compared in metres.
TEST_F(FirstLogTest, BedBoundaryLandsAtItsDepthLoggedDownAndUp) {
  constexpr double kBoundary = 45.0, lo = kBoundary - 2, hi = kBoundary + 2;
  // The view keeps the last 5 m at 1:50 (a shown row finer than a depth
  // step): each log ends where its newest aligned row lies 2.5 m past the
  // boundary, a sonde length (2.5 m, 3.2 m) behind the counter logging down.
  struct Case {
    const char* sonde;
    const char* extension;
    uint8_t toolType;
    int logMode;
    bool feet;
    int32_t from, to;                 // counts: centimetres, or twentieths of a foot
    std::vector<std::string> curves;  // those that step at the boundary
  } cases[] = {
      {"KSTQ", "LOG", 1, qv::kLogModeDown, false, 3800, 5026, {"GAM", "SPR", "N64"}},
      {"KSTQ", "LOG", 1, qv::kLogModeUp, false, 5400, 4225, {"GAM", "SPR", "N64"}},
      {"TWCH", "LGX", 8, qv::kLogModeDown, false, 3800, 5096, {"GAM", "DEN", "NPHI"}},
      {"TWCH", "LGX", 8, qv::kLogModeUp, false, 5400, 4225, {"GAM", "DEN", "NPHI"}},
      {"KSTQ", "LOG", 1, qv::kLogModeDown, true, 2493, 3298, {"GAM", "SPR", "N64"}},
  };
  depthScaleIndex = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sonde) + (c.logMode == qv::kLogModeUp ? " up" : " down") + (c.feet ? " in feet" : ""));
    logMode = c.logMode;
    feet = c.feet;
    Start(c.sonde);
    CLogDoc* doc = Record(c.from, std::abs(c.to - c.from) * 50);  // 20 counts a second
    ASSERT_NE(doc, nullptr);
    CCurveView* view = doc->CurveView();
    ASSERT_NE(view, nullptr);

    const std::string data = (folder / "DATA" / (std::string("FIRST.") + c.extension)).string();
    const bool twelve = std::string(c.extension) == "LGX";
    HeaderInfo header;
    ASSERT_EQ(ReadHeaderInfo(data, &header), 1);
    const double metres = c.feet ? 0.3048 : 1.0;  // of the log's depth unit
    const double step = std::abs(header.Step) / 1000.0 * metres;
    ASSERT_GT(step, 0);
    CurveArray curves;
    ASSERT_EQ(ReadCurveRecords(data, &curves), 1);
    const auto rows = LasRows(ExportAll(data, twelve, header, curves));
    const std::string raw = ReadAll(data);
    const size_t recordSize = twelve ? qv::TwelveChannelFileRecord::kSize : qv::SixChannelFileRecord::kSize;
    const long long records = static_cast<long long>(raw.size() / recordSize);
    ASSERT_GT(records, 200);
    ChannelFilter filters[16];
    ASSERT_EQ(ReadChannelFilters(data, filters), 1);
    const auto models = qv::sim::SondeChannels(1, c.toolType);

    for (const std::string& title : c.curves) {
      SCOPED_TRACE(title);
      const auto it = std::find_if(curves.begin(), curves.end(), [&](const auto& k) { return k->shortTitle == title; });
      ASSERT_NE(it, curves.end());
      const CurveRecord& curve = **it;
      const int channel = curve.physicalChannel - 1;
      ASSERT_LT(static_cast<size_t>(channel), models.size());
      const qv::sim::ChannelModel& model = models[static_cast<size_t>(channel)];
      ASSERT_EQ(model.shortTitle, title);
      const double offset = filters[channel].Offset / 100.0;  // metres above the sonde's bottom
      ASSERT_EQ(filters[channel].Offset, model.offset) << "the unit places the sensor where the sonde file does";

      // The data file: record k lies k steps from the header's start depth.
      std::vector<std::pair<double, double>> file;
      for (long long k = 0; k < records; ++k) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(raw.data()) + k * recordSize;
        double v;
        if (twelve)
          v = qv::TwelveChannelFileRecord::Decode(std::span<const std::uint8_t, 64>(p, 64)).values[channel];
        else
          v = qv::SixChannelFileRecord::Decode(std::span<const std::uint8_t, 14>(p, 14)).Scaled(channel);
        file.emplace_back(
            qv::RecordDepthAt(header.LogMode, header.Startdepth, header.EndDepth, header.Step, k) / 1000.0 * metres, v);
      }
      EXPECT_NEAR(BoundaryDepth(file, lo + offset, hi + offset),
                  TrueBoundary(file, model, offset, lo + offset, hi + offset), step)
          << "data file";

      // The LAS export.
      const size_t column = (twelve ? 2 : 1) + static_cast<size_t>(it - curves.begin());
      std::vector<std::pair<double, double>> las;
      for (const auto& row : rows)
        if (row.size() > column && row[column] != kLasNull) las.emplace_back(row[0] * metres, row[column]);
      EXPECT_NEAR(BoundaryDepth(las, lo, hi), TrueBoundary(las, model, 0, lo, hi), step) << "LAS";
      // Gamma steps evenly about the boundary (the resistivities do not): 45.0 m is 147.6 ft.
      if (c.feet && title == "GAM") {
        EXPECT_NEAR(BoundaryDepth(las, lo, hi) / metres, 147.6, 0.1 + step / metres) << "LAS in feet";
      }

      // The depth track is pinned in metres: in feet its shown rows are
      // coarser than a step (about 0.1 ft at 1:50).
      if (c.feet) continue;

      // The depth track: every shown row with the depth it is labelled with.
      std::vector<std::pair<double, double>> shown;
      {
        auto& viewRows = view->Rows();
        std::lock_guard<std::mutex> lock(viewRows.DisplayLock());
        const auto& viewCurves = view->Curves();
        const auto k = std::find_if(viewCurves.begin(), viewCurves.end(),
                                    [&](const auto& v) { return v.physicalChannel == curve.physicalChannel; });
        ASSERT_NE(k, viewCurves.end());
        for (int i = 0; i < 2400; ++i) {
          int depth = 0;
          if (viewRows.RowDepth(i, &depth))
            shown.emplace_back(depth / 1000.0 * metres,
                               viewRows.DisplayValue(static_cast<int>(k - viewCurves.begin()), i));
        }
      }
      const auto [top, bottom] = std::minmax_element(shown.begin(), shown.end());
      ASSERT_FALSE(shown.empty());
      ASSERT_LT(top->first, lo);
      ASSERT_GT(bottom->first, hi);
      // The track labels a row 25 steps back where the value left the window
      // 26 records back, and a shown row is itself 1/7874 m of depth times
      // the scale's 50.
      const double row = 50 / 7874.015625;
      EXPECT_NEAR(BoundaryDepth(shown, lo, hi), TrueBoundary(shown, model, 0, lo, hi), step + row) << "depth track";
    }
    Finish();
  }
}

// ---- the same program under a Japanese locale

const QString kCatalogue = qv::JapaneseCatalogue(QStringLiteral(QV_PROGRAM_DIR));

// The catalogue's texts: the English ones that have a Japanese text, and
// those kept as they are (units, names). A table text of two lines counts
// line by line: a status prompt and a tip.
struct Catalogue {
  std::set<QString> english, kept;
};

Catalogue ReadCatalogue() {
  Catalogue out;
  QFile file(QStringLiteral(QV_TEST_SOURCE_DIR "/../../../app/i18n/quorva_ja.ts"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"source") source = xml.readElementText();
    if (xml.name() == u"translation") {
      std::set<QString>& into = xml.readElementText() != source ? out.english : out.kept;
      for (const QString& line : source.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) into.insert(line.trimmed());
    }
  }
  out.english.erase(QString());
  return out;
}

// Every text a window shows: titles, labels, buttons, group boxes, tabs, tips
// and the items of its menus.
void ShownTexts(QWidget* window, std::vector<QString>* out) {
  const auto actions = [out](const QWidget* w, auto& self) -> void {
    for (QAction* a : w->actions()) {
      out->push_back(a->text());
      if (QMenu* m = a->menu()) {
        out->push_back(m->title());
        self(m, self);
      }
    }
  };
  out->push_back(window->windowTitle());
  actions(window, actions);
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) && !qobject_cast<QMenu*>(w)) continue;
    out->push_back(w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) out->push_back(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) out->push_back(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) out->push_back(g->title());
    if (auto* t = qobject_cast<QTabBar*>(w))
      for (int i = 0; i < t->count(); ++i) out->push_back(t->tabText(i));
    actions(w, actions);
  }
}

// The window's texts that are still English texts of ours: those of the
// catalogue, and any other all-English words on it (a text the catalogue
// missed). The items of lists are the database's and the user's.
std::vector<QString> EnglishLeft(QWidget* window) {
  static const Catalogue catalogue = ReadCatalogue();
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
  std::vector<QString> shown, left;
  ShownTexts(window, &shown);
  for (const QString& text : shown)
    for (QString line : text.split(QLatin1Char('\n'))) {
      line = line.trimmed();
      const bool english = std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x3000; });
      if (catalogue.english.count(line) || line.contains(QChar(qv::kTranslatedMarkChar)) ||
          (english && line.contains(word) && !catalogue.kept.count(line)))
        left.push_back(line);
    }
  for (QComboBox* c : window->findChildren<QComboBox*>())
    for (int i = 0; i < c->count(); ++i)
      if (catalogue.english.count(c->itemText(i))) left.push_back(c->itemText(i));
  return left;
}

// The texts a window cuts: a push button narrower than its text, or a label
// placed by hand (a layout gives a label the room of its text).
std::vector<QString> CutTexts(QWidget* window) {
  std::vector<QString> cut;
  const auto tooNarrow = [](const QWidget* w, QString text, int room) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    for (const QString& line : text.split(QLatin1Char('\n')))
      if (w->fontMetrics().horizontalAdvance(line) > room) return true;
    return false;
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    if (auto* b = qobject_cast<QPushButton*>(w)) {
      if (tooNarrow(b, b->text(), b->width() - 4)) cut.push_back(b->text());
      continue;
    }
    if (w->parentWidget()->layout()) continue;
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (l->text().isEmpty() || l->textFormat() == Qt::RichText) continue;
      if (l->wordWrap() ? l->heightForWidth(l->width()) > l->height() : tooNarrow(l, l->text(), l->contentsRect().width()))
        cut.push_back(l->text());
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (!b->text().isEmpty() && b->sizeHint().width() > b->width()) cut.push_back(b->text());
    }
  }
  return cut;
}

std::string Joined(const std::vector<QString>& texts) {
  return QStringList(texts.begin(), texts.end()).join(QStringLiteral(" | ")).toStdString();
}

TEST_F(FirstLogTest, UnderAJapaneseLocaleTheWindowsShowNoEnglishOfOurs) {
  ASSERT_TRUE(qv::InstallJapanese(kCatalogue));
  Start("KSTQ");
  QWidget* main = QApplication::activeWindow();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && !qobject_cast<QMenu*>(w)) {
      if (qobject_cast<QMainWindow*>(w)) main = w;
      EXPECT_EQ(Joined(EnglishLeft(w)), "") << "main window";
    }
  ASSERT_NE(main, nullptr);
  main->resize(1024, 768);  // the smallest screen the program is used on
  qvtest::Settle();
  EXPECT_EQ(Joined(CutTexts(main)), "") << "main window";
  EXPECT_EQ(qvtest::ClashingMnemonics(main).join(QStringLiteral(" | ")).toStdString(), "") << "menus";

  // The dialogs laid out by hand, the settings, the heat-pulse flowmeter and
  // the free-pipe gates.
  {
    CSondeTestDlg test(main);
    CSysSettings settings(main);
    CAboutDlg about(main);
    CHPFMDlg flowmeter;
    CFPGDialog gates(nullptr, main);
    for (QDialog* dlg : std::initializer_list<QDialog*>{&test, &settings, &about, &flowmeter, &gates}) {
      dlg->show();
      qvtest::Settle();
      EXPECT_EQ(Joined(EnglishLeft(dlg)), "") << dlg->windowTitle().toStdString();
      EXPECT_EQ(Joined(CutTexts(dlg)), "") << dlg->windowTitle().toStdString();
      EXPECT_EQ(qvtest::ClashingMnemonics(dlg).join(QStringLiteral(" | ")).toStdString(), "")
          << dlg->windowTitle().toStdString();
      dlg->hide();
    }
  }

  {
    CLogWizard wizard(main);
    wizard.show();
    qvtest::Settle();
    EXPECT_EQ(Joined(EnglishLeft(&wizard)), "") << "wizard, first page";
    EXPECT_EQ(Joined(CutTexts(&wizard)), "") << "wizard, first page";
    ASSERT_TRUE(wizard.SetActivePage(1));
    qvtest::Settle();
    EXPECT_EQ(Joined(EnglishLeft(&wizard)), "") << "wizard, second page";
    EXPECT_EQ(Joined(CutTexts(&wizard)), "") << "wizard, second page";
    wizard.hide();
  }

  CLogDoc* doc = Record(1800, 5000);
  ASSERT_NE(doc, nullptr);
  const std::string data = (folder / "DATA" / "FIRST.LOG").string();
  // Before Finish, which takes the log's folder away.
  CReplayDlg replay("FIRST", data, nullptr);
  replay.show();
  qvtest::Settle();
  ASSERT_EQ(replay.FilterType()->count(), 4) << "the log's header was read";
  EXPECT_EQ(Joined(EnglishLeft(&replay)), "") << "replay settings";
  EXPECT_EQ(Joined(CutTexts(&replay)), "") << "replay settings";
  EXPECT_EQ(replay.Coefficients()->currentText().toStdString(), qv::Tr("Header").toStdString())
      << "the log's own coefficients are chosen";
  EXPECT_EQ(replay.FilterType()->itemText(0).toStdString(), qv::Tr("None").toStdString());
  replay.hide();
  Finish();
  qv::RemoveTranslation();
}

TEST_F(FirstLogTest, AJapaneseRunWritesTheSameFilesAsAnEnglishOne) {
  std::map<std::string, std::string> written[2];
  for (int japanese = 0; japanese < 2; ++japanese) {
    SCOPED_TRACE(japanese ? "Japanese" : "English");
    if (japanese) {
      ASSERT_TRUE(qv::InstallJapanese(kCatalogue));
    }
    Start("KSTQ");
    CLogDoc* doc = Record(1800, 20000);
    ASSERT_NE(doc, nullptr);
    const std::string data = (folder / "DATA" / "FIRST.LOG").string();
    HeaderInfo header;
    ASSERT_EQ(ReadHeaderInfo(data, &header), 1);
    CurveArray curves;
    ASSERT_EQ(ReadCurveRecords(data, &curves), 1);
    ExportAll(data, false, header, curves);
    // Closing the program completes the header with the trailer lines.
    app->ExitInstance();
    app.reset();
    qvtest::Settle();
    for (const auto& entry : fs::directory_iterator(folder / "DATA"))
      written[japanese][entry.path().filename().string()] = ReadAll(entry.path());
    Finish();
    qv::RemoveTranslation();
  }
  ASSERT_GE(written[0].size(), 3u);  // the data file, its header and the LAS file
  for (const auto& [name, bytes] : written[0]) {
    ASSERT_EQ(written[1].count(name), 1u) << name;
    EXPECT_TRUE(written[1][name] == bytes) << name << " differs";
  }
  EXPECT_EQ(written[1].size(), written[0].size());
}

}  // namespace
