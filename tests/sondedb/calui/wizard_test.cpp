// The calibration wizard driven through its handlers on virtual time against
// scripted unit answers: every regime's run, the files it writes, the fits it
// refuses and the channels it turns away.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <ctime>
#include <functional>
#include <utility>
#include <unistd.h>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "platform/docview/qtext.h"
#include "platform/docview/translation.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "sondedb/calui/command.h"
#include "sondedb/calui/wizard.h"
#include "tests/sondedb/fixture.h"
#include "tests/support/qt_app.h"

// The active document as the calibration command sees it: monitoring the
// unit with a six-channel sonde's bytes.
class CLogDoc : public LogDocumentShell {
public:
  int LogState() const override { return -1; }
  bool IsTestMode() const override { return false; }
  bool IsIdleDocument() const override { return true; }
  bool HasLiveDepth() const override { return true; }
  int StartLogging(int) override { return 0; }
  int ResumeWriter() override { return 0; }
  void StopLogging(int) override {}
  int SendSondeCommand(SondeCommandBlock*) override { return 1; }
  int SetSondePower(SondePowerBlock*) override { return 1; }
  int SetWinch(WinchControlBlock*) override { return 1; }
  void SetWinchMode(bool) override {}
  void ComputePollInterval(int) override {}
  void SetDepth(int) override {}
  bool IsMonitoring() const override { return true; }
  void SetDepthPolling(bool on) override { polling.push_back(on); }
  std::vector<bool> polling;
  uint8_t ComStd() const override { return 2; }
  uint8_t ToolType() const override { return 1; }
  void OnReplayEnd(bool) override {}
  std::string CalibrationFile() const override { return {}; }
  bool CalibrationIsDataFile() const override { return false; }
};

namespace {

// What the scripted unit answers: every packet carries these counts (rate
// 50), a quarter of a second after the previous one.
std::array<uint16_t, 6> g_counts{};
int32_t g_packetMs = 0;
uint32_t g_now = 0;
std::vector<LoggingModeBlock> g_modes;
std::vector<int16_t> g_commands;

uint32_t g_modeStatus = 0;  // what the next logging-mode call answers (then 0)
uint32_t ScriptedMode(LoggingModeBlock* b) {
  g_modes.push_back(*b);
  g_packetMs = 0;
  return std::exchange(g_modeStatus, 0);
}
uint8_t g_rate = 50;
uint32_t ScriptedRead(SixChannelPacket* p, AnalogStatusBlock*, int) {
  *p = SixChannelPacket{};
  g_packetMs += 250;
  p->time = g_packetMs;
  p->rate = g_rate;
  for (size_t c = 0; c < 6; ++c) p->channel[c] = g_counts[c];
  return TB_STATUS_DATA;
}
uint32_t ScriptedCommand(SondeCommandBlock* b) {
  g_commands.push_back(b->code);
  return 0;
}

std::time_t Day(int d) {
  std::tm tm{};
  tm.tm_year = 105, tm.tm_mon = 2, tm.tm_mday = d, tm.tm_hour = 10, tm.tm_isdst = -1;
  return mktime(&tm);
}

std::string Golden(const char* name) {
  return sdbtest::ReadFile(std::string(QV_TEST_SOURCE_DIR "/golden/") + name);
}

struct Channel {
  const char* title;
  int physical;
  int regime;
  int method;
  int points;
  const char* unit;
  int validity;
};

// The sonde of every run: density, the neutron pair (far detector listed
// first), gamma, two calipers and a raw channel that is not calibrated.
const Channel kChannels[] = {
    {"DEN", 1, 1, 1, 2, "g/cc", 180}, {"FAR", 3, 2, 1, 2, "cps", 90}, {"NEU", 2, 2, 1, 2, "pu", 90},
    {"GR", 4, 4, 1, 2, "API", 365},   {"CAL", 5, 7, 1, 3, "mm", 30},  {"CAL2", 6, 8, 2, 4, "in", 30},
    {"RAW", 7, 0, 1, 0, "cps", -1},
};

class Wizard : public sdbtest::SondeDbTest {
 protected:
  void SetUp() override {
    qvtest::App();
    SondeDbTest::SetUp();
    Sql("INSERT INTO SONDE (Sonde, Name, Abbreviation, SerialNumber, Type, ComStd, Voltage, CurrentLimit, Polarity,"
        " CALIBFILE) VALUES (1, 'Density Neutron Caliper', 'KSTQ', '77', 1, 2, 120, 80, 90, 'KSTQ77')");
    g_strCurrentSonde = "KSTQ";
    mkdir(qv::CalibrationFolder().c_str(), 0755);
    set.filePath = qv::JoinPath(qv::CalibrationFolder(), "KSTQ77.cal");
    set.sondeName = "Density Neutron Caliper";
    set.abbreviation = "KSTQ";
    set.serialNumber = "77";
    for (const Channel& c : kChannels) {
      auto rec = std::make_unique<ChannelCalibration>();
      rec->shortTitle = c.title;
      rec->physicalChannel = c.physical;
      rec->regime = c.regime;
      rec->method = c.method;
      rec->coefficientCount = c.points;
      rec->unit = c.unit;
      rec->validity = c.validity;
      rec->calibratable = c.regime != 0 && c.method != 0;
      if (c.points > 0) rec->coefficients = kIdentityCoefficients;
      set.channels.push_back(std::move(rec));
    }
    sdbtest::WriteFile(set.filePath, "[General]\r\nSonde=KSTQ\r\nSerialNo=77\r\n");
    beeps = 0;
    g_rate = 50;
    previousBeep_ = qv::SetBeepHandler([this](unsigned) { ++beeps; });
  }
  void TearDown() override {
    qv::SetBeepHandler(previousBeep_);
    SondeDbTest::TearDown();
  }

  std::unique_ptr<CSondenCalibration> Open(std::time_t now) {
    qv::CalibrationWizardServices s;
    s.device = qv::CountingDevice{};
    s.device.setLoggingMode = &ScriptedMode;
    s.device.getSonde6ChannelPacket = &ScriptedRead;
    s.device.sendSondeCommand = &ScriptedCommand;
    s.clock = {[] { return ++g_now; }, [](uint32_t ms) { g_now += ms; }};
    s.now = [now] { return now; };
    auto w = std::make_unique<CSondenCalibration>(nullptr, s);
    w->m_pCalibSet = &set;
    w->EnsureInitialised();
    return w;
  }
  static void Select(CSondenCalibration& w, const char* title) {
    auto* list = static_cast<QComboBox*>(w.Item(CSondenCalibration::kChannelList));
    list->setCurrentIndex(list->findText(title));
    w.OnSelchangeChannel();
  }
  static void Type(CSondenCalibration& w, int id, const char* text) {
    static_cast<QLineEdit*>(w.Item(id))->setText(text);
  }
  static bool Shown(CSondenCalibration& w, int id) { return !w.Item(id)->isHidden(); }
  static std::string StepText(CSondenCalibration& w) {
    return static_cast<QPushButton*>(w.Item(CSondenCalibration::kStepButton))->text().toStdString();
  }
  // Save, then Finish: the wizard ends with OK.
  static void SaveAndFinish(CSondenCalibration& w) {
    ASSERT_EQ(w.Step(), 100);
    EXPECT_EQ(StepText(w), qv::QStr(qv::LoadString(32304)).toStdString());  // Save
    w.OnContinue();
    ASSERT_EQ(w.Step(), 101);
    EXPECT_EQ(StepText(w), qv::QStr(qv::LoadString(32220)).toStdString());  // Finish
    w.OnContinue();
    EXPECT_EQ(w.EndCode(), qv::IDOK);
  }
  std::string HistoryPath() const { return qv::SiblingPath(set.filePath, ".hst"); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes_) out.push_back(b.text);
    return out;
  }

  CalibrationSet set;
  int beeps = 0;

 private:
  std::function<void(unsigned)> previousBeep_;
};

TEST_F(Wizard, EveryRegimeWritesTheCalibrationAndItsHistory) {
  {
    SCOPED_TRACE("density");
    auto w = Open(Day(7));
    Select(*w, "DEN");
    EXPECT_EQ(w->Step(), 10);
    EXPECT_EQ(w->PromptText(), qv::LoadString(32015));
    w->OnContinue();  // power pause
    EXPECT_EQ(w->PromptText(), qv::LoadString(32039));
    EXPECT_TRUE(Shown(*w, CSondenCalibration::kOpenCaliper));
    g_counts = {1200, 0, 0, 0, 0, 0};
    w->OnContinue();  // aluminium
    EXPECT_EQ(w->PromptText(), qv::LoadString(32010));
    g_counts = {3600, 0, 0, 0, 0, 0};
    w->OnContinue();  // water
    EXPECT_TRUE(Shown(*w, CSondenCalibration::kJig1Edit));
    EXPECT_FALSE(Shown(*w, CSondenCalibration::kPrompt));
    Type(*w, CSondenCalibration::kJig2Edit, "");  // empty: the water default
    w->OnContinue();
    EXPECT_EQ(w->PromptText(),
              "Average Counts in\nJig 1: \t1200 cps\nJig 2: \t3600 cps\n\nNormalisation coefficient determined:\n\n"
              "A0 = -5076.9995\nA1 = 4.4658");
    EXPECT_TRUE(Shown(*w, CSondenCalibration::kTrace));
    SaveAndFinish(*w);
  }
  {
    SCOPED_TRACE("neutron");
    auto w = Open(Day(8));
    Select(*w, "FAR");  // the pair's lower channel (NEU) receives the coefficients
    EXPECT_EQ(w->SelectedIndex(), 2);
    EXPECT_EQ(w->Step(), 20);
    g_counts = {0, 6000, 12000, 0, 0, 0};
    w->OnContinue();
    EXPECT_EQ(w->PromptText(),
              "Average LONG count:  12000\nAverage SHORT count: 6000\nRatio: 2.0000\n\n"
              "Enter expected ratio and press 'Continue'");
    Type(*w, CSondenCalibration::kValueEdit, "2.5");
    w->OnContinue();
    EXPECT_EQ(w->PromptText(), "Correction factor determined:\n\nA1 = 0.80");
    EXPECT_FALSE(Shown(*w, CSondenCalibration::kTrace));
    SaveAndFinish(*w);
  }
  {
    SCOPED_TRACE("gamma");
    auto w = Open(Day(9));
    Select(*w, "GR");
    g_counts = {0, 0, 0, 100, 0, 0};
    w->OnContinue();
    EXPECT_EQ(w->PromptText(), qv::LoadString(32035));
    g_counts = {0, 0, 0, 1100, 0, 0};
    w->OnContinue();
    EXPECT_EQ(w->PromptText(), qv::LoadString(32036));
    Type(*w, CSondenCalibration::kValueEdit, "200");
    w->OnContinue();
    EXPECT_EQ(w->PromptText(),
              "Average Counts in\nBackground: \t100 cps\nAPI-Jig: \t1100 cps\n\nNormalisation coefficient "
              "determined:\n\nA1 = 0.2000");
    SaveAndFinish(*w);
  }
  {
    SCOPED_TRACE("caliper with arm commands");
    auto w = Open(Day(10));
    Select(*w, "CAL");
    EXPECT_EQ(w->Step(), 70);
    EXPECT_TRUE(Shown(*w, CSondenCalibration::kUnitEdit));
    Type(*w, CSondenCalibration::kUnitEdit, "inch");
    w->OnContinue();
    EXPECT_EQ(set.channels[4]->unit, "inch");
    g_commands.clear();
    w->OnOpenCaliper();
    w->OnCloseCaliper();
    EXPECT_EQ(g_commands, (std::vector<int16_t>{105, 105, 105, 105, 105, 135, 135, 135, 135, 135, 135, 135, 135, 135,
                                                135}));
    w->OnContinue();
    EXPECT_EQ(w->PromptText(), qv::LoadString(32011));
    // The offered jig count is the channel's point count; 5 jigs are refused
    // with a beep.
    EXPECT_EQ(static_cast<QLineEdit*>(w->Item(CSondenCalibration::kValueEdit))->text(), "3");
    Type(*w, CSondenCalibration::kValueEdit, "5");
    w->OnContinue();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(w->Step(), 72);
    Type(*w, CSondenCalibration::kValueEdit, "3");
    w->OnContinue();
    EXPECT_EQ(w->Step(), 73);
    EXPECT_EQ(w->PromptText(), "Place sonde for caliper calibration into jig 1 and enter jig size.");
    // Continue without a jig value asks for one.
    w->OnContinue();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::LoadString(32379)});
    const std::array<std::pair<const char*, uint16_t>, 3> jigs{{{"50", 1000}, {"80", 2000}, {"120", 4000}}};
    for (const auto& [size, count] : jigs) {
      Type(*w, CSondenCalibration::kValueEdit, size);
      g_counts = {0, 0, 0, 0, count, 0};
      w->OnContinue();
    }
    EXPECT_EQ(w->PromptText(), "Normalisation coefficients determined:\n\nA0 = 13.333\nA1 = 0.04\nA2 = -3.3333E-06");
    SaveAndFinish(*w);
  }
  {
    SCOPED_TRACE("caliper without arm commands");
    auto w = Open(Day(11));
    Select(*w, "CAL2");
    w->OnContinue();
    EXPECT_FALSE(Shown(*w, CSondenCalibration::kOpenCaliper));
    EXPECT_EQ(w->PromptText(), qv::LoadString(32011));
    Type(*w, CSondenCalibration::kValueEdit, "4");
    w->OnContinue();
    const std::array<std::pair<const char*, uint16_t>, 4> jigs{{{"2", 500}, {"4", 1500}, {"7", 2500}, {"12", 3500}}};
    for (const auto& [size, count] : jigs) {
      Type(*w, CSondenCalibration::kValueEdit, size);
      g_counts = {0, 0, 0, 0, 0, count};
      w->OnContinue();
    }
    SaveAndFinish(*w);
  }
  {
    SCOPED_TRACE("density again: the history keeps what this save overwrites");
    auto w = Open(Day(12));
    Select(*w, "DEN");
    w->OnContinue();
    g_counts = {1000, 0, 0, 0, 0, 0};
    w->OnContinue();
    g_counts = {3000, 0, 0, 0, 0, 0};
    w->OnContinue();
    Type(*w, CSondenCalibration::kJig1Edit, "300");
    Type(*w, CSondenCalibration::kJig2Edit, "10000");
    w->OnContinue();
    SaveAndFinish(*w);
  }
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::LoadString(32379)});
  EXPECT_EQ(sdbtest::ReadFile(set.filePath), Golden("regimes.cal"));
  EXPECT_EQ(sdbtest::ReadFile(HistoryPath()), Golden("regimes.hst"));
}


// Drives a wizard from its selection to the fit with the counts given.
using Script = std::function<void(CSondenCalibration&)>;

TEST_F(Wizard, RefusedFitsShowWhyAndSaveNothing) {
  struct Case {
    const char* what;
    const char* channel;
    Script run;
    unsigned text;
  };
  const Case cases[] = {
      {"gamma: background not below the API jig", "GR",
       [](CSondenCalibration& w) {
         g_counts = {0, 0, 0, 500, 0, 0};
         w.OnContinue();
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "200");
         w.OnContinue();
       },
       34003},
      {"neutron: expected ratio 0", "NEU",
       [](CSondenCalibration& w) {
         g_counts = {0, 6000, 12000, 0, 0, 0};
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "0");
         w.OnContinue();
       },
       34002},
      {"neutron: no near count", "NEU",
       [](CSondenCalibration& w) {
         g_counts = {0, 0, 12000, 0, 0, 0};
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "2");
         w.OnContinue();
       },
       34002},
      {"density: jig counts within one of each other", "DEN",
       [](CSondenCalibration& w) {
         w.OnContinue();
         g_counts = {1000, 0, 0, 0, 0, 0};
         w.OnContinue();
         g_counts = {1001, 0, 0, 0, 0, 0};
         w.OnContinue();
         w.OnContinue();
       },
       34000},
      {"caliper: two jigs with one count", "CAL2",
       [](CSondenCalibration& w) {
         g_counts = {0, 0, 0, 0, 0, 800};
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "2");
         w.OnContinue();
         for (const char* size : {"5", "10"}) {
           Type(w, CSondenCalibration::kValueEdit, size);
           w.OnContinue();
         }
       },
       34000},
  };
  const std::string before = sdbtest::ReadFile(set.filePath);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes_.clear();
    ::unlink(HistoryPath().c_str());
    auto w = Open(Day(20));
    Select(*w, c.channel);
    c.run(*w);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, qv::LoadString(c.text));
    EXPECT_EQ(boxes_[0].flags & qv::MB_ICONSTOP, qv::MB_ICONSTOP);
    EXPECT_EQ(w->PromptText(), qv::LoadString(c.text));
    EXPECT_FALSE(Shown(*w, CSondenCalibration::kStepButton)) << "only Abort is left";
    EXPECT_FALSE(Shown(*w, CSondenCalibration::kTrace));
    w->OnContinue();
    EXPECT_EQ(w->EndCode(), 0);
    w->OnCancel();
    EXPECT_EQ(w->EndCode(), qv::IDCANCEL);
    EXPECT_EQ(sdbtest::ReadFile(set.filePath), before);
    EXPECT_EQ(sdbtest::ReadFile(HistoryPath()),
              "******  CALIBRATION-HISTORY FILE ******\r\nFile created: 20 Mar 05\r\n\r\n");
  }
}

TEST_F(Wizard, CountsAboveTheRangeAreRefusedAndCountedAgain) {
  struct Case {
    const char* what;
    const char* channel;
    size_t slot;       // the channel whose count runs over
    Script reach;      // up to the counting step
    std::string next;  // the prompt once the count is good
  };
  const Case cases[] = {
      {"density, jig 1", "DEN", 0, [](CSondenCalibration& w) { w.OnContinue(); }, qv::LoadString(32010)},
      {"neutron, the far detector", "NEU", 2, [](CSondenCalibration&) {}, "Average LONG count:  2000"},
      {"gamma, the API jig", "GR", 3,
       [](CSondenCalibration& w) {
         g_rate = 50;
         w.OnContinue();
         g_rate = 25;
       },
       qv::LoadString(32036)},
      {"caliper, a jig", "CAL2", 5,
       [](CSondenCalibration& w) {
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "2");
         w.OnContinue();
         Type(w, CSondenCalibration::kValueEdit, "5");
       },
       qv::FormatC(qv::LoadString(32012).c_str(), 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = Open(Day(21));
    Select(*w, c.channel);
    // Rate byte 25 doubles the counts: 40000 reads as 80000 cps.
    g_counts = {1000, 1000, 1000, 1000, 1000, 1000};
    g_counts[c.slot] = 40000;
    g_rate = 25;
    c.reach(*w);
    boxes_.clear();
    const int step = w->Step();
    w->OnContinue();
    const std::string warning = qv::FormatC(qv::LoadString(34006).c_str(), 80000.0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{warning});
    EXPECT_EQ(w->PromptText(), warning);
    EXPECT_EQ(w->Step(), step) << "the point is not taken";
    EXPECT_TRUE(Shown(*w, CSondenCalibration::kStepButton));
    // Continue counts again.
    g_counts[c.slot] = 1000;
    w->OnContinue();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{warning});
    EXPECT_EQ(w->PromptText().substr(0, c.next.size()), c.next);
    w->OnCancel();
  }
}

TEST_F(Wizard, ChannelsAndSetsItTurnsAway) {
  auto add = [&](const char* title, int physical, int regime, int points) {
    auto rec = std::make_unique<ChannelCalibration>();
    rec->shortTitle = title;
    rec->physicalChannel = physical;
    rec->regime = regime;
    rec->method = 1;
    rec->calibratable = 1;
    rec->coefficientCount = points;
    if (points > 0) rec->coefficients = kIdentityCoefficients;
    set.channels.push_back(std::move(rec));
  };
  set.channels.clear();
  add("SPL", 1, 3, 2);
  add("ODD", 2, 9, 2);
  add("NEU", 3, 2, 2);
  add("BARE", 4, 4, 0);
  struct Case {
    const char* channel;
    std::vector<std::string> boxes;
    unsigned prompt;
    int endCode;
  };
  const Case cases[] = {
      {"SPL", {qv::LoadString(32106)}, 32145, 0},
      {"ODD", {}, 32105, 0},
      {"NEU", {}, 32103, 0},
      {"BARE", {qv::LoadString(32104)}, 32034, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channel);
    boxes_.clear();
    auto w = Open(Day(21));
    Select(*w, c.channel);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(w->PromptText(), qv::LoadString(c.prompt));
    EXPECT_EQ(w->EndCode(), c.endCode);
    if (c.endCode == 0) {
      EXPECT_EQ(w->Step(), 0);
      EXPECT_FALSE(Shown(*w, CSondenCalibration::kStepButton));
    }
  }
  // Nothing to calibrate: only Abort is of use.
  for (auto& rec : set.channels) rec->calibratable = 0;
  auto none = Open(Day(21));
  EXPECT_EQ(none->PromptText(), qv::LoadString(32038));
  EXPECT_FALSE(Shown(*none, CSondenCalibration::kChannelList));
  EXPECT_EQ(none->EndCode(), 0);
  // A set without a sonde name ends the wizard at once.
  set.sondeName.clear();
  EXPECT_EQ(Open(Day(21))->Run(), -1);
}

TEST_F(Wizard, SondeMissingFromTheDatabaseEndsThePowerPause) {
  set.abbreviation = "NONE";
  auto w = Open(Day(22));
  Select(*w, "GR");
  w->OnContinue();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::LoadString(32179)});
  EXPECT_EQ(w->EndCode(), -1);
}

TEST_F(Wizard, CalibrationThatCannotBeWrittenIsNotFinished) {
  set.filePath = folder_ + "/no-such-folder/KSTQ77.cal";
  auto w = Open(Day(26));
  Select(*w, "GR");
  g_counts = {0, 0, 0, 100, 0, 0};
  w->OnContinue();
  g_counts = {0, 0, 0, 1100, 0, 0};
  w->OnContinue();
  Type(*w, CSondenCalibration::kValueEdit, "200");
  w->OnContinue();
  ASSERT_EQ(w->Step(), 100);
  boxes_.clear();
  w->OnContinue();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::FormatC(qv::LoadString(34005).c_str(), set.filePath.c_str())});
  EXPECT_EQ(w->Step(), 100) << "Save stays offered; Finish never comes";
  EXPECT_EQ(StepText(*w), "Save");
  EXPECT_EQ(w->EndCode(), 0);
}

TEST_F(Wizard, EnterNeverClosesAndAbortClosesTheArms) {
  auto w = Open(Day(23));
  Select(*w, "CAL");
  w->OnContinue();
  w->OnOpenCaliper();
  w->OnOK();
  EXPECT_EQ(w->EndCode(), 0);
  g_commands.clear();
  g_modes.clear();
  w->OnCancel();
  EXPECT_EQ(w->EndCode(), qv::IDCANCEL);
  EXPECT_EQ(g_commands, std::vector<int16_t>{135});
  EXPECT_TRUE(g_modes.empty()) << "no logging mode around the close on abort";
}

// What the trace draws, for the two-jig line of the density regime (the
// counts the simulated unit gave, the default references, whose largest
// label is widest), a three-jig caliper curve, and three jigs of nearly one
// count and close sizes (as a sonde hanging still gives), whose labels must
// not print over each other.
TEST_F(Wizard, TraceDrawsTheJigPointsAndTheFittedCurve) {
  struct Case {
    const char* title;
    size_t channel;
    std::vector<std::pair<const char*, uint16_t>> jigs;  // reference, count
    double tolerance;  // of the curve at a jig (the density line's slope is single precision)
    int redAtLeast;    // pixels of the curve inside the plot
  };
  const Case cases[] = {
      {"DEN", 0, {{"282", 1110}, {"11000", 731}}, 1e-3, 50},
      {"CAL2", 5, {{"100", 1000}, {"150", 2000}, {"300", 4000}}, 1e-9, 50},
      {"CAL2", 5, {{"100", 1145}, {"150", 1150}, {"300", 1160}}, 1e-6, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    auto w = Open(Day(24));
    Select(*w, c.title);
    w->OnContinue();
    if (w->Regime() == 1) {
      for (const auto& jig : c.jigs) {
        g_counts = {jig.second, 0, 0, 0, 0, 0};
        w->OnContinue();
      }
      Type(*w, CSondenCalibration::kJig1Edit, c.jigs[0].first);
      Type(*w, CSondenCalibration::kJig2Edit, c.jigs[1].first);
      w->OnContinue();
    } else {
      Type(*w, CSondenCalibration::kValueEdit, std::to_string(c.jigs.size()).c_str());
      w->OnContinue();
      for (const auto& [size, count] : c.jigs) {
        Type(*w, CSondenCalibration::kValueEdit, size);
        g_counts = {0, 0, 0, 0, 0, count};
        w->OnContinue();
      }
    }
    ASSERT_EQ(w->Step(), 100);
    auto* trace = static_cast<CCorrectionTrace*>(w->Item(CSondenCalibration::kTrace));
    ASSERT_FALSE(trace->isHidden());
    const int m = CSondenCalibration::kMargin;
    const int h = trace->PlotHeight();
    ASSERT_EQ(w->CurvePoints().size(), static_cast<size_t>(h - m)) << "one point per pixel row above the axis";
    const QImage image = trace->grab().toImage();
    ASSERT_EQ(image.width(), trace->width());
    const int g = CCorrectionTrace::kGutter;
    auto colour = [&](int x, int y) { return image.pixelColor(g + x, y); };
    // The curve passes through every jig point; its pixels are red.
    const qv::TraceScale scale = w->Scale();
    int red = 0;
    for (const qv::TracePoint& pt : w->CurvePoints())
      if (pt.x > m + 1 && pt.x < trace->PlotWidth() - 2 && pt.y > 1 && colour(pt.x, pt.y) == QColor(255, 0, 0)) ++red;
    EXPECT_GE(red, c.redAtLeast);
    const Coefficients& coefficients = *set.channels[c.channel]->coefficients;
    for (size_t i = 0; i < c.jigs.size(); ++i) {
      const int y = (h - m) - static_cast<int>(c.jigs[i].second * scale.y + 0.5);
      const int x = static_cast<int>(w->References()[i] * scale.x) + m;
      EXPECT_NEAR(qv::EvaluateCalibration(coefficients, c.jigs[i].second), w->References()[i], c.tolerance);
      // The jig's count line and reference line are drawn in black.
      EXPECT_EQ(colour((x + trace->PlotWidth()) / 2 + 1, y), QColor(Qt::black)) << i;
      EXPECT_EQ(colour(x, (y + h - m) / 2 + 1), QColor(Qt::black)) << i;
    }
    // The axes: the count axis at the margin, whole from the top to the
    // reference axis (no legend or curve over it), the reference axis above
    // the margin.
    for (int y = 0; y <= h - m; ++y) EXPECT_EQ(colour(m, y), QColor(Qt::black)) << "count axis at row " << y;
    EXPECT_EQ(colour(trace->PlotWidth() / 2 + 3, h - m), QColor(Qt::black));
    // The curve stays in the quadrant of the axes, off the count labels.
    int strayRed = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == QColor(255, 0, 0) && (x - g <= m || y >= h - m)) ++strayRed;
    EXPECT_EQ(strayRed, 0);
    // The reference labels under the axis are whole: no ink in the trace's
    // first or last column below it.
    const QColor face = image.pixelColor(0, h - 1);
    for (int y = h - m + 2; y < h; ++y) {
      EXPECT_EQ(image.pixelColor(0, y), face) << "left edge, row " << y;
      EXPECT_EQ(image.pixelColor(image.width() - 1, y), face) << "right edge, row " << y;
    }
    // Every label stands apart (a label drawn over another would hide it):
    // left of the ticks and above the reference labels stand "CPS" and one
    // count per jig, separated by blank rows; the reference labels under the
    // axis are separated by blank columns wider than any gap in a number.
    auto inked = [&](int x, int y) { return image.pixelColor(x, y) != face; };
    int countLines = 0;
    bool previous = false;
    for (int y = 0; y < h - m + 5; ++y) {
      bool any = false;
      for (int x = 0; x < g + m - 5 && !any; ++x) any = inked(x, y);
      if (any && !previous) ++countLines;
      previous = any;
    }
    EXPECT_EQ(countLines, static_cast<int>(c.jigs.size()) + 1);
    std::vector<bool> column(static_cast<size_t>(image.width()), false);
    for (int x = 0; x < image.width(); ++x)
      for (int y = h - m + 6; y < h; ++y) column[static_cast<size_t>(x)] = column[static_cast<size_t>(x)] || inked(x, y);
    int separations = 0, blank = 0;
    bool seenInk = false;
    for (bool ink : column) {
      if (ink) {
        if (seenInk && blank >= 6) ++separations;
        seenInk = true;
        blank = 0;
      } else {
        ++blank;
      }
    }
    EXPECT_EQ(separations, static_cast<int>(c.jigs.size()) - 1);
  }
}

TEST_F(Wizard, CalibrationCommandRunsTheWizardAndRecordsTheChannel) {
  Sql("INSERT INTO CHANNEL (CHANNEL, SONDE, CHANNELPHYSIC, CHANNELLOGIC, REGIME, FORMULA, CalibrationPoints, Unit,"
      " HeaderShort, NEXTUPDATE, LASTUPDATE) VALUES (11, 1, 4, 1, 4, 1, 2, 'API', 'GR', 365, '01/02/03')");
  // A sonde calibrated for the first time: its file is made from the template.
  Sql("UPDATE SONDE SET CALIBFILE = NULL");
  ::unlink(set.filePath.c_str());
  sdbtest::WriteFile(qv::JoinPath(qv::CalibrationFolder(), "Default.cal"),
                     sdbtest::ReadFile(QV_TEST_SOURCE_DIR "/../../../resources/Calibration/Default.cal"));
  CLogDoc doc;
  SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return d; });
  g_pActiveDoc = &doc;
  qv::CalibrationWizardServices services;
  services.device.setLoggingMode = &ScriptedMode;
  services.device.getSonde6ChannelPacket = &ScriptedRead;
  services.clock = {[] { return ++g_now; }, [](uint32_t ms) { g_now += ms; }};
  services.now = [] { return Day(25); };
  int runs = 0;
  const qv::CalibrationWizardRunner gamma = [&](CSondenCalibration& w) {
    ++runs;
    w.EnsureInitialised();
    Select(w, "GR");
    g_counts = {0, 0, 0, 100, 0, 0};
    w.OnContinue();
    g_counts = {0, 0, 0, 1100, 0, 0};
    w.OnContinue();
    Type(w, CSondenCalibration::kValueEdit, "200");
    w.OnContinue();
    SaveAndFinish(w);
    return w.EndCode();
  };
  auto modes = [] {
    std::vector<std::array<int, 4>> out;
    for (const LoggingModeBlock& b : g_modes) out.push_back({b.comStd, b.toolType, b.value, b.mode});
    return out;
  };
  using Modes = std::vector<std::array<int, 4>>;
  const std::array<int, 4> off{0, 0, 0, 0}, monitor{2, 1, 1000, 14};

  // Sonde power off: nothing reaches the unit.
  g_bSondePowerOn = 0;
  g_modes.clear();
  qv::RunCalibrationCommand(nullptr, services, gamma);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::LoadString(32373)});
  EXPECT_TRUE(g_modes.empty());

  // The unit does not take the logging switch-off: no wizard, monitoring back.
  g_bSondePowerOn = 1;
  boxes_.clear();
  g_modes.clear();
  g_modeStatus = 0x0081;
  qv::RunCalibrationCommand(nullptr, services, gamma);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{qv::LoadString(32151)});
  EXPECT_EQ(modes(), (Modes{off, off, monitor}));
  EXPECT_EQ(doc.polling, (std::vector<bool>{false, true})) << "depth polling pauses while the wizard runs";

  // A finished calibration is recorded in the channel's row.
  boxes_.clear();
  g_modes.clear();
  qv::RunCalibrationCommand(nullptr, services, gamma);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(BoxTexts().empty());
  const Modes seen = modes();
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), off);
  EXPECT_EQ(Modes(seen.end() - 2, seen.end()), (Modes{off, monitor}));
  EXPECT_EQ(Value("SELECT * FROM CHANNEL WHERE CHANNEL = 11", "LASTUPDATE"),
            qv::FormatFileDate("%m/%d/%y", std::time(nullptr)));
  EXPECT_EQ(qv::GetProfileText(qv::JoinPath(qv::CalibrationFolder(), "KSTQ77.cal"), "Channel4", "Coefficient1"), "0.2");

  g_pActiveDoc = nullptr;
  SetLogDocumentResolver(nullptr);
  g_bSondePowerOn = 0;
}


// Under a Japanese locale the counting keeps the prompt shown and adds its
// error line to it: the prompt gives back the translated text it was given,
// not the question marks CP1252 would make of it.
TEST_F(Wizard, ATranslatedPromptComesBackAsItWasPut) {
  ASSERT_TRUE(qv::InstallJapanese(qv::JapaneseCatalogue(QStringLiteral(QV_PROGRAM_DIR))));
  auto w = Open(Day(10));
  Select(*w, "DEN");
  EXPECT_EQ(w->PromptText(), qv::LoadString(32015));
  EXPECT_EQ(qv::QStr(w->PromptText() + qv::LoadString(32102)),
            QStringLiteral("密度校正のためゾンデをアルミニウムブロックに置き、準備ができたら「続行」をクリックしてください。"
                           "\n通信エラー"));
  qv::RemoveTranslation();
}


// The calibration file holds the table's texts ("Count rate: ...", "... CPS
// at ...") as they are, whatever the display language.
TEST_F(Wizard, AJapaneseCalibrationWritesTheSameFileAsAnEnglishOne) {
  std::string written[2];
  for (int japanese = 0; japanese < 2; ++japanese) {
    SCOPED_TRACE(japanese ? "Japanese" : "English");
    if (japanese) {
      ASSERT_TRUE(qv::InstallJapanese(qv::JapaneseCatalogue(QStringLiteral(QV_PROGRAM_DIR))));
    }
    sdbtest::WriteFile(set.filePath, "[General]\r\nSonde=KSTQ\r\nSerialNo=77\r\n");
    {
      auto w = Open(Day(8));
      Select(*w, "FAR");
      g_counts = {0, 6000, 12000, 0, 0, 0};
      w->OnContinue();
      Type(*w, CSondenCalibration::kValueEdit, "2.5");
      w->OnContinue();
      SaveAndFinish(*w);
    }
    {
      auto w = Open(Day(9));
      Select(*w, "GR");
      g_counts = {0, 0, 0, 100, 0, 0};
      w->OnContinue();
      g_counts = {0, 0, 0, 1100, 0, 0};
      w->OnContinue();
      Type(*w, CSondenCalibration::kValueEdit, "200");
      w->OnContinue();
      SaveAndFinish(*w);
    }
    written[japanese] = sdbtest::ReadFile(set.filePath);
    qv::RemoveTranslation();
  }
  EXPECT_NE(written[0].find("Count rate: "), std::string::npos) << written[0];
  EXPECT_NE(written[0].find(" CPS at "), std::string::npos) << written[0];
  EXPECT_EQ(written[1], written[0]);
}

}  // namespace
