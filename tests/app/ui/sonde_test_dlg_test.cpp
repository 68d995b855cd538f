// The sonde test dialog driven offscreen against the simulated unit: a
// six-channel, a televiewer and a cement-bond sonde, what the value fields
// and panels show, and that closing or stopping leaves the unit monitoring.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <chrono>
#include <thread>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/sonde_test_dlg.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/support/stub_log_document.h"
#include "tests/support/qt_app.h"

namespace {

using qvtest::App;
using qvtest::Settle;
using Bytes = std::vector<uint8_t>;

class SondeTestDoc : public StubLogDocument {
public:
  std::atomic<bool> monitoring{true};
  int cableDialogs = 0;
  uint8_t ComStd() const override { return 2; }
  uint8_t ToolType() const override { return 1; }
  void SetMonitoring(bool on) override { monitoring = on; }
  void OnChangeCableOptions() override { ++cableDialogs; }
};

Bytes SixRecord(uint8_t rate, uint16_t count) {
  Bytes r(23, 0);
  r[8] = 21;
  r[9] = rate;
  r[10] = uint8_t(count);
  r[11] = uint8_t(count >> 8);
  r[22] = uint8_t(21 + rate + count);
  return r;
}

// Counts the pixels of a colour in a widget's picture.
int Pixels(QWidget* w, QRgb colour) {
  const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
  return n;
}

class SondeTestDlgTest : public TbdeviceTest {
public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    App();
    BringUp();
    qv::TestPauses() = {0, 0, 30000};
    g_bHardwarePresent = 1;
    g_bSondePowerOn = 1;
    g_bUtilityActive = 0;
    g_nDepthUnits = 0;
    g_nTimeStep = 150;
    g_nDepthStepMetric = 10;
    g_strCurrentSonde = "KSTQ";
    SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return reinterpret_cast<SondeTestDoc*>(d); });
    g_pActiveDoc = reinterpret_cast<CLogDoc*>(&doc);
    SondeTestSources() = {[this](const std::string&) { return toolType; },
                          [this](const std::string&) { return comStd; }};
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([](unsigned) {});
  }
  void TearDown() override {
    if (CSondeTestDlg* dlg = CSondeTestDlg::Current()) delete dlg;
    Settle();
    g_pActiveDoc = nullptr;
    g_bUtilityActive = 0;
    UseDatabaseSondeTestSources();
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
    EXPECT_TRUE(unit->ProtocolErrors().empty());
    TbdeviceTest::TearDown();
  }

  CSondeTestDlg* Open(int tool, int std) {
    toolType = tool;
    comStd = std;
    return CSondeTestDlg::OnTestSonde(nullptr);
  }

  // Moves the unit's clock until pred holds (the worker polls in real time).
  template <class P>
  bool PumpUntil(P pred, int stepMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!pred()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      clock->Advance(static_cast<uint64_t>(stepMs));
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      Settle();
    }
    Settle();
    return true;
  }
  bool WaitFor(const std::function<bool()>& pred) { return PumpUntil(pred, 0); }


  SondeTestDoc doc;
  int toolType = 1;
  int comStd = 2;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
};

}  // namespace

TEST_F(SondeTestDlgTest, SixChannelSondeShowsCountsPerSecond) {
  CSondeTestDlg* dlg = Open(1, 2);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(g_bUtilityActive, 1);
  EXPECT_EQ(CSondeTestDlg::OnTestSonde(nullptr), dlg);  // one window at a time
  EXPECT_TRUE(dlg->Panels().empty());
  EXPECT_TRUE(dlg->Value(1)->isVisibleTo(dlg));
  EXPECT_TRUE(dlg->Value(6)->isEnabled());
  EXPECT_FALSE(dlg->Value(7)->isEnabled());
  EXPECT_FALSE(dlg->Number(12)->isEnabled());

  // Without sonde power the test does not start.
  g_bSondePowerOn = 0;
  dlg->StartButton()->click();
  ASSERT_EQ(boxes, std::vector<std::string>{"Please switch sonde power ON and retry!"});
  EXPECT_FALSE(dlg->Engine()->Running());
  g_bSondePowerOn = 1;

  dlg->StartButton()->click();
  ASSERT_TRUE(dlg->Engine()->Running());
  EXPECT_EQ(dlg->StartButton()->text(), "Stop Test");
  EXPECT_TRUE(dlg->ShowDataButton()->isEnabled());
  EXPECT_FALSE(doc.monitoring);
  dlg->ShowDataButton()->click();
  EXPECT_TRUE(dlg->TimerActive());

  ASSERT_TRUE(PumpUntil([&] { return dlg->Engine()->ValueTexts()[0] != "n/a"; }, 150));
  dlg->OnTimer();
  const SixChannelPacket p = dlg->Engine()->LastPacket();
  EXPECT_EQ(dlg->Value(1)->text().toStdString(), std::to_string(p.channel[0] * 50 / p.rate));
  EXPECT_EQ(dlg->Value(7)->text(), "n/a");
  EXPECT_EQ(dlg->ErrorText()->text().left(5), "MCS: ");

  // The unit's queue runs dry, then a packet with rate byte 0 arrives.
  ASSERT_TRUE(WaitFor([&] { return unit->QueuedRecords() == 0; }));
  unit->QueueRecord(SixRecord(25, 100));
  ASSERT_TRUE(WaitFor([&] { return dlg->Engine()->ValueTexts()[0] == "200"; }));
  unit->QueueRecord(SixRecord(0, 100));
  ASSERT_TRUE(WaitFor([&] { return dlg->Engine()->ValueTexts()[0] == "n/a"; }));
  dlg->OnTimer();
  EXPECT_EQ(dlg->Value(1)->text(), "n/a");

  // Close ends the worker, returns the unit to monitoring and frees the utility flag.
  unit->ClearJournal();
  dlg->findChild<QPushButton*>("2267")->click();
  Settle();
  EXPECT_FALSE(CSondeTestDlg::Current());
  EXPECT_EQ(g_bUtilityActive, 0);
  EXPECT_TRUE(doc.monitoring);
  EXPECT_EQ(LoggingModes(), (std::vector<Bytes>{{0, 0, 0, 0, 0}, {2, 1, 0xE8, 0x03, 14}}));
  const size_t journal = unit->Journal().size();
  clock->Advance(1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(unit->Journal().size(), journal);  // nothing polls any more
}

TEST_F(SondeTestDlgTest, TeleviewerSweepsScrollAsGreyImages) {
  CSondeTestDlg* dlg = Open(2, 12);
  ASSERT_TRUE(dlg);
  ASSERT_EQ(dlg->Panels().size(), 2u);
  EXPECT_EQ(dlg->Panels()[0]->Title(), "Amplitude");
  EXPECT_EQ(dlg->Panels()[1]->Title(), "Travel Time");
  EXPECT_EQ(dlg->Panels()[0]->objectName(), "2490");
  EXPECT_FALSE(dlg->Value(1)->isVisibleTo(dlg));
  // Stacked halves inside the frame.
  EXPECT_EQ(dlg->Panels()[0]->geometry().bottom() + 1, dlg->Panels()[1]->geometry().top());

  dlg->StartButton()->click();
  ASSERT_TRUE(dlg->Engine()->Running());
  EXPECT_FALSE(dlg->ShowDataButton()->isEnabled());  // no values for sweeps
  CDataMonitor* amplitude = dlg->Panels()[0];
  ASSERT_TRUE(PumpUntil([&] { return amplitude->Trace()->Snapshot().Image()[0] != qv::MonitorTrace::kBlankLevel; }, 10));
  // The wall's amplitude (about 48 of 63) shows as dark grey across the newest line.
  const QImage shot = amplitude->grab().toImage();
  const QRgb newest = shot.pixel(shot.width() / 2, amplitude->contentsRect().top());
  EXPECT_EQ(qRed(newest), qGreen(newest));
  EXPECT_LT(qRed(newest), 64);
  EXPECT_GT(Pixels(amplitude, qRgb(255, 0, 0)), 0);  // the title

  // Escape closes it like Close.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(dlg, &escape);
  Settle();
  EXPECT_FALSE(CSondeTestDlg::Current());
  EXPECT_EQ(g_bUtilityActive, 0);
  EXPECT_EQ(LoggingModes().back(), (Bytes{2, 1, 0xE8, 0x03, 14}));
}

TEST_F(SondeTestDlgTest, CementBondWaveformsAndCableSettingsStopTheTest) {
  CSondeTestDlg* dlg = Open(5, 3);
  ASSERT_TRUE(dlg);
  ASSERT_EQ(dlg->Panels().size(), 2u);
  EXPECT_EQ(dlg->Panels()[1]->Title(), "Far Receiver");
  EXPECT_EQ(dlg->Panels()[0]->geometry().bottom() + 2, dlg->Panels()[1]->geometry().top());
  dlg->StartButton()->click();
  ASSERT_TRUE(dlg->Engine()->Running());
  EXPECT_TRUE(dlg->ShowDataButton()->isEnabled());
  CDataMonitor* nearPanel = dlg->Panels()[0];
  // The wave train after the arrival swings well away from the middle line
  // once a whole record is on show (the next record's first segment shows it).
  auto swing = [&] {
    const qv::MonitorTrace t = nearPanel->Trace()->Snapshot();
    int most = 0;
    for (int i = 0; i < t.PointsDrawn(); ++i) most = std::max(most, std::abs(t.Points()[size_t(i)].y - t.Height() / 2));
    return most;
  };
  EXPECT_EQ(dlg->Engine()->PollInterval(), 10);
  ASSERT_TRUE(PumpUntil([&] { return swing() > nearPanel->Trace()->Snapshot().Height() / 8; }, 3));
  EXPECT_EQ(nearPanel->Trace()->Snapshot().PointsDrawn(), 240);
  EXPECT_GT(Pixels(nearPanel, qRgb(0, 0, 0)), 100);  // the trace in black
  EXPECT_EQ(dlg->ErrorText()->text().indexOf("Sequence"), -1);

  dlg->findChild<QPushButton*>("2511")->click();
  EXPECT_FALSE(dlg->Engine()->Running());
  EXPECT_EQ(dlg->StartButton()->text(), "Start Test");
  EXPECT_EQ(doc.cableDialogs, 1);
  EXPECT_TRUE(doc.monitoring);

  // A document that goes closes the test beside it, not one beside another.
  dlg->StartButton()->click();
  ASSERT_TRUE(dlg->Engine()->Running());
  SondeTestDoc other;
  CSondeTestDlg::CloseFor(&other);
  EXPECT_EQ(CSondeTestDlg::Current(), dlg);
  CSondeTestDlg::CloseFor(&doc);
  Settle();
  EXPECT_FALSE(CSondeTestDlg::Current());
  EXPECT_EQ(g_bUtilityActive, 0);
  EXPECT_EQ(LoggingModes().back(), (Bytes{2, 1, 0xE8, 0x03, 14}));
}

TEST_F(SondeTestDlgTest, DialogEndsAtOnceWithoutSomethingToTest) {
  EXPECT_FALSE(Open(3, 0));  // no tool family of its own
  EXPECT_FALSE(Open(11, 0));
  g_strCurrentSonde.clear();
  EXPECT_FALSE(Open(1, 2));
  g_strCurrentSonde = "KSTQ";
  g_pActiveDoc = nullptr;
  EXPECT_FALSE(Open(1, 2));
  EXPECT_EQ(g_bUtilityActive, 0);
  g_pActiveDoc = reinterpret_cast<CLogDoc*>(&doc);
  // Another utility is active: nothing opens.
  g_bUtilityActive = 1;
  EXPECT_FALSE(Open(1, 2));
  g_bUtilityActive = 0;
  // A sonic sonde of an unknown standard opens without panels; its zoom controls show.
  CSondeTestDlg* dlg = Open(10, 30);
  ASSERT_TRUE(dlg);
  EXPECT_TRUE(dlg->Panels().empty());
  EXPECT_TRUE(dlg->HZoom()->isVisibleTo(dlg));
  EXPECT_EQ(dlg->HZoom()->maximum(), 5);
  EXPECT_EQ(dlg->VZoom()->maximum(), 10);
  dlg->StartButton()->click();
  EXPECT_FALSE(dlg->Engine()->Running());
  Settle();
  EXPECT_EQ(dlg->ErrorText()->text().left(5), "MCS: ");
}
