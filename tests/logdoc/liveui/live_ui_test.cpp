// The live document's dialogs and bars on the offscreen platform against the
// simulated unit: the monitor thread's readings reaching the winch bar, the
// cable settings dialog and the cable scope.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <chrono>
#include <thread>

#include "app/core/control_logic.h"
#include "app/core/globals.h"
#include "app/ui/bars.h"
#include "logdoc/liveui/cable_dlg.h"
#include "logdoc/liveui/live_commands.h"
#include "logdoc/liveui/scope_shot_dlg.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "platform/dao/dao.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "sondedb/acquisition.h"
#include "sondedb/sondedb.h"
#include "tests/logdoc/monitor/fixture.h"
#include "tests/support/qt_app.h"

namespace {

using Bytes = std::vector<uint8_t>;
using livetest::WaitFor;
using qvtest::Settle;

// Queued calls that reach the GUI thread.
struct QueuedCallCounter : QObject {
  int calls = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MetaCall) ++calls;
    return false;
  }
};

// The bars' sink, counting what the monitor thread hands it.
struct CountingSink : qv::MonitorSink {
  BarMonitorSink bars;
  std::atomic<int> readings{0};
  std::atomic<int> lastDepth{-1};
  void UpdateStatus(int t, uint8_t a, uint8_t b, int r) override { bars.UpdateStatus(t, a, b, r); }
  void UpdateReadings(int tension, int depth, int speed) override {
    ++readings;
    lastDepth = depth;
    bars.UpdateReadings(tension, depth, speed);
  }
};

class LiveUi : public livetest::LiveUnitTest {
 public:
  void SetUp() override {
    LiveUnitTest::SetUp();
    qvtest::App();
    fs::create_directories(folder / "SondeDB");
    qv::SetProgramFolder(folder.string());
    std::string error;
    ASSERT_TRUE(qv::CreateSondeDatabase((folder / "SondeDB" / "quorva.db").string(), &error)) << error;
    Sql("INSERT INTO CABLE (CABLETYPE, NAME, ACTIVE) VALUES (3, 'Seven conductor', 0)");
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r);
      return qv::IDOK;
    });
    g_nDepthUnits = 0;
    g_bSondePowerOn = 0;
    g_pAcquisitionSetup = &setup;
    g_pCableInterface = &cable;
  }
  void TearDown() override {
    Settle();
    g_pAcquisitionSetup = nullptr;
    g_pCableInterface = nullptr;
    qv::SetMessageBoxHandler(prevBox);
    qv::SetProgramFolder("");
    LiveUnitTest::TearDown();
  }
  void Sql(const std::string& sql) {
    qv::dao::Database db;
    db.Open((folder / "SondeDB" / "quorva.db").string());
    db.Execute(sql);
  }

  qv::AcquisitionSetup setup;
  CableInterfaceBlock cable{};
  std::vector<qv::MessageBoxRequest> boxes;
  qv::MessageBoxHandler prevBox;
};

TEST_F(LiveUi, DepthReportsReachTheWinchBarCoalesced) {
  CWinchControl winch;
  winch.InitControls();
  CSondeControl sonde;
  sonde.InitControls(false);
  qv::sim::UnitState s = unit->State();
  s.analog = {57, 30, 0};  // supply current and voltage code
  unit->SetState(s);
  Settle();
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  CountingSink sink;
  qv::MonitorThread monitor(device, &sink);
  ASSERT_TRUE(monitor.Start(false));
  // Twenty depth reports while the GUI thread is busy elsewhere.
  for (int k = 1; k <= 20; ++k) {
    MoveTo(100 * k);
    ASSERT_TRUE(WaitFor([&] { return sink.lastDepth == 1000 * k; })) << k;
  }
  ASSERT_TRUE(monitor.Stop(10000));
  EXPECT_EQ(sink.readings, 20);
  EXPECT_EQ(winch.DepthDisplay()->Value(), FormatWinchDepth(0)) << "no worker touched the widget";

  QueuedCallCounter counter;
  qApp->installEventFilter(&counter);
  Settle();
  qApp->removeEventFilter(&counter);
  EXPECT_GE(counter.calls, 1);
  EXPECT_LE(counter.calls, 3) << "the readings, the sonde status and the ready line, once each at most";
  EXPECT_EQ(winch.DepthDisplay()->Value(), FormatWinchDepth(20000)) << "the newest depth is shown";
  EXPECT_EQ(winch.MessageLine()->Text(), "Ready");
  EXPECT_EQ(sonde.CurrentDisplay()->Value(), "57");
  EXPECT_EQ(sonde.VoltageDisplay()->Value(), "120.0");
}

// Runs the cable dialog as the user would: checks what it shows, types the
// new values and presses "Set".
struct CableEntry {
  std::string threshold, drive, gain, pulseWidth, baudrate;
};

TEST_F(LiveUi, CableDialogRoundTripsThroughTheSetUpAndTheUnit) {
  // The unit's cable interface on the wire: threshold, type, drive, gain,
  // pulse width, bit rate (3 bytes).
  qv::sim::UnitState s = unit->State();
  s.cable = {70, 3, 0xF6, 90, 30, 0x80, 0x25, 0x00};
  unit->SetState(s);

  auto show = [](CCableDlg& dlg, const CableEntry& expect, const CableEntry* type) {
    dlg.EnsureInitialised();
    EXPECT_EQ(dlg.Edit(CCableDlg::kIdThreshold)->text().toStdString(), expect.threshold);
    EXPECT_EQ(dlg.Edit(CCableDlg::kIdDrive)->text().toStdString(), expect.drive);
    EXPECT_EQ(dlg.Edit(CCableDlg::kIdGain)->text().toStdString(), expect.gain);
    EXPECT_EQ(dlg.Edit(CCableDlg::kIdPulseWidth)->text().toStdString(), expect.pulseWidth);
    EXPECT_EQ(dlg.Edit(CCableDlg::kIdBaudrate)->text().toStdString(), expect.baudrate);
    EXPECT_EQ(dlg.CableTypeList()->currentText().toStdString(), "Seven conductor");
    EXPECT_TRUE(dlg.CableTypeList()->isEnabled());
    if (!type) {
      dlg.OnCancel();
      return qv::IDCANCEL;
    }
    dlg.Edit(CCableDlg::kIdThreshold)->setText(QString::fromStdString(type->threshold));
    dlg.Edit(CCableDlg::kIdDrive)->setText(QString::fromStdString(type->drive));
    dlg.Edit(CCableDlg::kIdGain)->setText(QString::fromStdString(type->gain));
    dlg.Edit(CCableDlg::kIdPulseWidth)->setText(QString::fromStdString(type->pulseWidth));
    dlg.Edit(CCableDlg::kIdBaudrate)->setText(QString::fromStdString(type->baudrate));
    dlg.OnOK();
    return dlg.result() == QDialog::Accepted ? qv::IDOK : qv::IDCANCEL;
  };

  const CableEntry fromUnit{"70", "-10", "90", "30", "9600"};
  const CableEntry typed{"200", "-12", "100", "40", "19200"};
  unit->ClearJournal();
  ChangeCableOptions(device, nullptr, [&](CCableDlg& dlg) { return show(dlg, fromUnit, &typed); });
  EXPECT_TRUE(boxes.empty());

  // Into the set-up, each value under its own name, and saved.
  auto cableOf = [](const qv::AcquisitionSetup& a) {
    return std::vector<int>{a.Threshold, a.Drive, a.Gain, a.PulseWidth, a.BaudRate, a.CableType, a.CableActive};
  };
  const std::vector<int> expected{200, -12, 100, 40, 19200, 3, 1};
  EXPECT_EQ(cableOf(setup), expected);
  qv::AcquisitionSetup saved;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&saved, "KSTQ", ""), 1);
  EXPECT_EQ(cableOf(saved), expected);

  // To the unit, in the wire order of the cable interface.
  auto sent = SentWith(qv::sim::kCmdSetCable);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].data, (Bytes{200, 3, 0xF4, 100, 40, 0x00, 0x4B, 0x00}));
  EXPECT_EQ(cable.threshold, 200);
  EXPECT_EQ(cable.pulseWidth, 40);

  // Read back from the unit, the dialog shows the same values again; Cancel
  // sends nothing.
  unit->ClearJournal();
  ChangeCableOptions(device, nullptr, [&](CCableDlg& dlg) { return show(dlg, typed, nullptr); });
  EXPECT_TRUE(SentWith(qv::sim::kCmdSetCable).empty());
  EXPECT_EQ(SentWith(qv::sim::kCmdGetCable).size(), 1u);
}

TEST_F(LiveUi, CableDialogRefusesValuesOutOfRange) {
  struct Case {
    int id;
    const char* text;
    bool accepted;
  } cases[] = {
      {CCableDlg::kIdGain, "128", false},       {CCableDlg::kIdGain, "-1", false},
      {CCableDlg::kIdGain, "127", true},        {CCableDlg::kIdThreshold, "-1", false},
      {CCableDlg::kIdThreshold, "256", false},  {CCableDlg::kIdThreshold, "255", true},
      {CCableDlg::kIdDrive, "128", false},      {CCableDlg::kIdDrive, "-128", true},
      {CCableDlg::kIdPulseWidth, "4", false},   {CCableDlg::kIdPulseWidth, "256", false},
      {CCableDlg::kIdPulseWidth, "5", true},    {CCableDlg::kIdPulseWidth, "255", true},
      {CCableDlg::kIdBaudrate, "x", false},
  };
  for (const Case& c : cases) {
    setup = {};
    boxes.clear();
    CCableDlg dlg;
    dlg.EnsureInitialised();
    dlg.Edit(c.id)->setText(c.text);
    dlg.OnOK();
    EXPECT_EQ(dlg.result() == QDialog::Accepted, c.accepted) << c.id << " " << c.text;
    EXPECT_EQ(boxes.size(), c.accepted ? 0u : 1u) << c.id << " " << c.text;
    if (!c.accepted) {
      EXPECT_EQ(setup.Gain, 0) << "nothing taken from a refused dialog";
    }
  }
}

TEST_F(LiveUi, CableDialogWithThePowerOnAndAFailedSave) {
  qv::sim::UnitState s = unit->State();
  s.cable = {64, 0, 64, 64, 25, 0x12, 0x7A, 0x00};
  unit->SetState(s);
  g_bSondePowerOn = 1;
  g_pAcquisitionSetup = nullptr;  // nothing to save into: the save fails
  unit->ClearJournal();
  ChangeCableOptions(device, nullptr, [&](CCableDlg& dlg) {
    dlg.EnsureInitialised();
    EXPECT_FALSE(dlg.CableTypeList()->isEnabled()) << "the cable type is fixed while the sonde is powered";
    EXPECT_TRUE(dlg.Edit(CCableDlg::kIdGain)->isEnabled());
    dlg.Edit(CCableDlg::kIdGain)->setText("33");
    dlg.OnOK();
    return dlg.result() == QDialog::Accepted ? qv::IDOK : qv::IDCANCEL;
  });
  g_bSondePowerOn = 0;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Database error: Cable Parameters could not be saved.");
  EXPECT_EQ(boxes[0].flags & qv::MB_ICONEXCLAMATION, unsigned(qv::MB_ICONEXCLAMATION));
  auto sent = SentWith(qv::sim::kCmdSetCable);
  ASSERT_EQ(sent.size(), 1u) << "the unit gets the values all the same";
  EXPECT_EQ(sent[0].data[3], 33);
}

int CountColour(const QImage& img, QRgb colour) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
  return n;
}

TEST_F(LiveUi, ScopeShowsTheUnitsCableSignal) {
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  qv::MonitorThread monitor(device, nullptr);
  ASSERT_TRUE(monitor.Start(false));
  std::vector<uint8_t> shot(CScopeShotDlg::kSamples, 0);
  ShowScopeShot(device, nullptr, [&](CScopeShotDlg& dlg) {
    EXPECT_TRUE(device.ScopeMode());
    MoveTo(2500, 3000);  // the unit makes a shot every 3000 ms
    EXPECT_TRUE(WaitFor([&] {
      device.CopyScopeShot(shot.data());
      return shot[0] != 0;
    }));
    dlg.EnsureInitialised();
    EXPECT_EQ(dlg.TimerPeriod(), 500);
    dlg.OnTimer();
    // Each column shows the sample of largest deviation of its 20.
    const auto& pts = dlg.Points();
    EXPECT_EQ(pts.size(), size_t(CScopeShotDlg::kPanelWidth));
    const float scale = 255.0f / CScopeShotDlg::kPanelHeight;
    for (int i : {0, 7, 300, 599}) {
      int best = 0;
      for (int j = 0; j < 20; ++j) {
        const int d = shot[static_cast<size_t>(i * 20 + j)] - 128;
        if (std::abs(d) >= std::abs(best)) best = d;
      }
      EXPECT_EQ(pts[static_cast<size_t>(i)], QPoint(i, CScopeShotDlg::kPanelHeight - int((best + 128) / scale))) << i;
    }
    const QImage img = dlg.Panel()->grab().toImage();
    EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0u) << "black panel";
    EXPECT_EQ(img.pixel(50, 5) & 0xFFFFFF, qRgb(128, 128, 0) & 0xFFFFFF) << "olive grid";
    EXPECT_GT(CountColour(img, qRgb(255, 255, 0)), CScopeShotDlg::kPanelWidth) << "the yellow trace";
    dlg.OnCancel();
    EXPECT_EQ(dlg.TimerPeriod(), 0);
    return qv::IDCANCEL;
  });
  EXPECT_FALSE(device.ScopeMode());
  EXPECT_FALSE(unit->State().logging) << "the unit is left with logging off";
  EXPECT_TRUE(monitor.Stop(10000));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(LiveUi, ScopeTraceTimeBasePositionAndCaption) {
  CScopeShotDlg dlg(nullptr, nullptr);
  dlg.EnsureInitialised();
  dlg.layout()->activate();
  auto& buf = dlg.SampleBuffer();
  std::fill(buf.begin(), buf.begin() + CScopeShotDlg::kSamples, 128);
  buf[0] = 100;
  buf[1] = 156;  // the same deviation later: it wins
  buf[5 * 20 + 19] = 255;
  dlg.OnTimer();  // no document: the buffer stays as it is
  EXPECT_EQ(dlg.Points()[0], QPoint(0, 100));
  EXPECT_EQ(dlg.Points()[1], QPoint(1, 128));
  EXPECT_EQ(dlg.Points()[5], QPoint(5, 0));

  // The time base: the down arrow at 1 and the up arrow at 10 change nothing.
  dlg.OnVScroll(CScopeShotDlg::SB_LINEDOWN, 0);
  EXPECT_EQ(dlg.TimeBase(), 1);
  for (int i = 0; i < 9; ++i) dlg.OnVScroll(CScopeShotDlg::SB_LINEUP, 0);
  EXPECT_EQ(dlg.TimeBase(), 10);
  EXPECT_EQ(dlg.TimeBaseText()->text(), "10");
  EXPECT_EQ(dlg.PositionHigh(), 1000);
  EXPECT_EQ(dlg.Position(), 1);
  dlg.OnHScroll(CScopeShotDlg::SB_THUMBTRACK, 500);
  dlg.OnVScroll(CScopeShotDlg::SB_LINEUP, 0);
  EXPECT_EQ(dlg.TimeBase(), 10);
  EXPECT_EQ(dlg.Position(), 500) << "an unchanged time base keeps the position";

  struct Step {
    int code, thumb, position;
  } steps[] = {
      {CScopeShotDlg::SB_THUMBTRACK, 1000, 500},  // the bounds themselves are refused
      {CScopeShotDlg::SB_THUMBTRACK, 10, 10},    {CScopeShotDlg::SB_PAGELEFT, 0, 10},  // 10 - 9 is not above 1
      {CScopeShotDlg::SB_LINELEFT, 0, 9},        {CScopeShotDlg::SB_THUMBTRACK, 999, 999},
      {CScopeShotDlg::SB_PAGERIGHT, 0, 999},     {CScopeShotDlg::SB_LINERIGHT, 0, 1000},
      {CScopeShotDlg::SB_LINERIGHT, 0, 1000},    {CScopeShotDlg::SB_PAGELEFT, 0, 990},
      {CScopeShotDlg::SB_PAGERIGHT, 0, 1000},
  };
  for (const Step& s : steps) {
    dlg.OnHScroll(s.code, s.thumb);
    EXPECT_EQ(dlg.Position(), s.position) << s.code << " " << s.thumb;
    EXPECT_EQ(dlg.PositionBar()->sliderPosition(), s.position);
  }
  // Time base 10 at position 1000: the window starts at sample 11059, two
  // samples a column.
  buf[11059] = 255;
  buf[11061] = 0;
  dlg.UpdateScopeTrace();
  EXPECT_EQ(dlg.Points()[0], QPoint(0, 0));
  EXPECT_EQ(dlg.Points()[1], QPoint(1, CScopeShotDlg::kPanelHeight));
  EXPECT_EQ(dlg.Points()[2], QPoint(2, 128));

  // Snapshot freezes the trace, a second click refreshes ten times a second.
  dlg.OnSnapshot();
  EXPECT_EQ(dlg.TimerPeriod(), 0);
  EXPECT_EQ(dlg.SnapshotButton()->text(), "Get Samples");
  dlg.OnSnapshot();
  EXPECT_EQ(dlg.TimerPeriod(), 100);
  EXPECT_EQ(dlg.SnapshotButton()->text(), "Snapshot");

  // The level under the pointer in the caption.
  CMonitor* panel = dlg.Panel();
  dlg.OnMouseMove(panel->mapTo(&dlg, QPoint(10, 0)));
  EXPECT_EQ(dlg.windowTitle(), "Cable Transmission Monitor - [128]");
  dlg.OnMouseMove(panel->mapTo(&dlg, QPoint(10, CScopeShotDlg::kPanelHeight / 2)));
  EXPECT_EQ(dlg.windowTitle(), "Cable Transmission Monitor - [0]");
  dlg.OnMouseMove(panel->mapTo(&dlg, QPoint(-3, 10)));
  EXPECT_EQ(dlg.windowTitle(), "Cable Transmission Monitor");
  EXPECT_EQ(dlg.Level(), 0) << "the level lines stay on the centre";
  dlg.OnCancel();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

}  // namespace
