#include "logdoc/flowmeter/hpfm_dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <thread>
#include <utility>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "logdoc/liveui/live_commands.h"
#include "logdoc/replayui/setup_panels.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "print/recorder/gulton.h"
#include "print/recorder/heat_pulse.h"
#include "print/ui/printer_error.h"

namespace qv {
HeatPulseTiming& HeatPulseTimingTable() {
  static HeatPulseTiming timing;
  return timing;
}
}  // namespace qv

namespace {
constexpr unsigned kStrPowerOn = 32373;
constexpr unsigned kStrAccept = 32374;
constexpr unsigned kStrStore = 32375;
constexpr unsigned kStrResultsFilter = 32376;
constexpr unsigned kStrResultsTitle = 32377;
constexpr unsigned kStrInternal = 32378;
constexpr unsigned kStrFeet = 32081;
constexpr unsigned kStrMetres = 32082;
constexpr int kCmdEqualise = 135;
constexpr int kCmdFireHeaters = 105;

void Wait(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

BarMonitorSink& DefaultBars() {
  static BarMonitorSink bars;
  return bars;
}

qv::DeviceHeatPulseUnit& DefaultUnit() {
  static qv::DeviceHeatPulseUnit unit;
  return unit;
}

void SendCommand(int code) {
  if (LogDocumentShell* doc = ActiveLogDocument()) {
    SondeCommandBlock block{static_cast<int16_t>(code), 255, 255};
    doc->SendSondeCommand(&block);
  }
}

QComboBox* NumberCombo(QWidget* parent, std::initializer_list<int> items) {
  auto* c = new QComboBox(parent);
  for (int v : items) c->addItem(QString::number(v));
  return c;
}
}  // namespace

CHPFMDlg::CHPFMDlg(QWidget* parent) : QDialog(parent), unit_(&DefaultUnit()), bars_(&DefaultBars()) {
  setWindowTitle("Heat Pulse Flowmeter");
  setModal(false);
  display_ = new CDataDisplay(this);
  display_->setMinimumSize(600, 240);
  upperCps_ = new QLabel(this);
  lowerCps_ = new QLabel(this);
  upperCps_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  lowerCps_->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  auto* zero = new QLabel("0", this);
  zero->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* startTime = new QLabel("0", this);
  endTime_ = new QLabel(this);
  endTime_->setAlignment(Qt::AlignRight);
  depth_ = new QLabel("-19999.999", this);
  unit_label_ = new QLabel("m", this);
  auto* interpretationLabel = new QLabel("Interpretation Point:", this);
  interpretation_ = new QLabel(this);
  for (QLabel* l : {interpretationLabel, interpretation_}) l->setStyleSheet("color: red");
  slider_ = new QSlider(Qt::Horizontal, this);
  timeCombo_ = NumberCombo(this, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100});
  cpsCombo_ = NumberCombo(this, {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 30000});
  speedCombo_ = new QComboBox(this);
  equalise_ = new QPushButton("&Equalise", this);
  fire_ = new QPushButton("&Fire Heaters", this);
  accept_ = new QPushButton(QString::fromStdString(qv::LoadString(kStrAccept)), this);
  discard_ = new QPushButton("&Discard", this);
  print_ = new QPushButton("&Print", this);
  exit_ = new QPushButton("&Exit", this);
  for (QPushButton* b : {equalise_, fire_, accept_, discard_, print_, exit_}) b->setAutoDefault(false);

  auto* plot = new QGridLayout;
  plot->addWidget(new QLabel("Temperature Differential [CPS]", this), 0, 0, 1, 3);
  auto* scale = new QVBoxLayout;
  scale->addWidget(upperCps_);
  scale->addStretch();
  scale->addWidget(zero);
  scale->addStretch();
  scale->addWidget(lowerCps_);
  plot->addLayout(scale, 1, 0);
  plot->addWidget(display_, 1, 1, 1, 2);
  plot->addWidget(startTime, 2, 1);
  plot->addWidget(endTime_, 2, 2);
  plot->addWidget(slider_, 3, 1, 1, 2);
  plot->addWidget(new QLabel("Time [seconds]", this), 4, 1, 1, 2, Qt::AlignHCenter);
  auto* side = new QGridLayout;
  int row = 0;
  side->addWidget(new QLabel("Current Depth:", this), row, 0);
  side->addWidget(depth_, row, 1);
  side->addWidget(unit_label_, row++, 2);
  side->addWidget(new QLabel("Timescale [s]", this), row, 0);
  side->addWidget(timeCombo_, row++, 1, 1, 2);
  side->addWidget(new QLabel("CPS scale:", this), row, 0);
  side->addWidget(cpsCombo_, row++, 1, 1, 2);
  side->addWidget(new QLabel("Speed Function:", this), row, 0);
  side->addWidget(speedCombo_, row++, 1, 1, 2);
  side->addWidget(interpretationLabel, row++, 0, 1, 3);
  side->addWidget(interpretation_, row++, 0, 1, 3);
  for (QPushButton* b : {equalise_, fire_, accept_, discard_, print_, exit_}) side->addWidget(b, row++, 0, 1, 3);
  side->setRowStretch(row, 1);
  auto* top = new QHBoxLayout(this);
  top->addLayout(plot, 1);
  top->addLayout(side);

  connect(equalise_, &QPushButton::clicked, this, &CHPFMDlg::OnEqualise);
  connect(fire_, &QPushButton::clicked, this, &CHPFMDlg::OnFireHeaters);
  connect(accept_, &QPushButton::clicked, this, &CHPFMDlg::OnAccept);
  connect(discard_, &QPushButton::clicked, this, &CHPFMDlg::OnDiscard);
  connect(print_, &QPushButton::clicked, this, &CHPFMDlg::OnPrint);
  connect(exit_, &QPushButton::clicked, this, &CHPFMDlg::OnOK);
  connect(slider_, &QSlider::valueChanged, this, &CHPFMDlg::OnHScroll);
  connect(timeCombo_, &QComboBox::activated, this, &CHPFMDlg::OnSelChangeTimescale);
  connect(cpsCombo_, &QComboBox::activated, this, [this] {
    equaliseScale_ = false;  // the user's own choice now
    OnSelChangeCpsScale();
  });
  connect(speedCombo_, &QComboBox::activated, this, &CHPFMDlg::OnSelChangeSpeedFunction);
  pump_.setInterval(10);
  connect(&pump_, &QTimer::timeout, this, &CHPFMDlg::PumpReports);
}

CHPFMDlg::~CHPFMDlg() {
  if (m_bWindow) OnDestroy();
  engine_.StopThread();
}

QPushButton& CHPFMDlg::Button(int id) {
  switch (id) {
    case 2537:
      return *fire_;
    case 2539:
      return *equalise_;
    case 2542:
      return *accept_;
    case 2544:
      return *discard_;
    case 2546:
      return *print_;
    default:
      return *exit_;
  }
}

QString CHPFMDlg::InterpretationText() const {
  return interpretation_->text();
}
QString CHPFMDlg::DepthText() const {
  return depth_->text() + " " + unit_label_->text();
}

bool CHPFMDlg::Create() {
  // The sample array and the plot divide by the time step.
  if (m_nTimeStep <= 0 || !engine_.SetTimeStep(m_nTimeStep)) {
    ReportMessage(DeviceErrorText(kSystemError, kErrOperatingSystem), kErrorBox);
    return false;
  }
  m_bWindow = true;
  display_->SetScales(m_nTimeSpan, m_nTimeStep, m_nCpsRange);
  {
    const QSignalBlocker block(slider_);
    slider_->setRange(0, m_nTimeSpan);
    slider_->setSingleStep(1);
    slider_->setPageStep(1000);
    slider_->setValue(m_nTimeSpan / 2);
  }
  SetDepth(m_nDepth);
  const auto select = [](QComboBox* c, int value) {
    const int i = c->findText(QString::number(value));
    c->setCurrentIndex(i < 0 ? 0 : i);
  };
  select(cpsCombo_, m_nCpsRange);
  select(timeCombo_, m_nTimeSpan / 1000);
  speedCombo_->clear();
  m_LibraryPaths.clear();
  FillUserFunctionCombo(g_strCurrentSonde, speedCombo_, &m_LibraryPaths);
  speedCombo_->addItem(qv::QStr(qv::LoadString(kStrInternal)));
  speedCombo_->setCurrentIndex(speedCombo_->count() - 1);
  engine_.SetState(qv::HeatPulseEngine::kIdle);
  engine_.SetBaseline(0);
  engine_.Results().clear();
  library_.Unload();
  m_nSavedCpsSel = 0;
  display_->Clear();
  OnHScroll();
  g_bUtilityActive = 1;
  pump_.start();
  WriteLabels();
  accept_->setText(qv::QStr(qv::LoadString(kStrAccept)));
  SetButtons(true, false, false, false, false, true);
  show();
  return true;
}

void CHPFMDlg::WriteLabels() {
  endTime_->setText(QString::number(m_nTimeSpan / 1000));
  upperCps_->setText(QString::number(m_nCpsRange));
  lowerCps_->setText(QString::number(-m_nCpsRange));
}

void CHPFMDlg::SetButtons(bool equalise, bool fire, bool accept, bool discard, bool print, bool exit) {
  equalise_->setEnabled(equalise);
  fire_->setEnabled(fire);
  accept_->setEnabled(accept);
  discard_->setEnabled(discard);
  print_->setEnabled(print);
  exit_->setEnabled(exit);
}

void CHPFMDlg::SetDepth(int depth) {
  m_nDepth = depth;
  depth_->setText(QString::asprintf("%.3f", depth / 1000.0));
  unit_label_->setText(qv::QStr(qv::LoadString(g_nDepthUnits == 0 ? kStrMetres : kStrFeet)));
}

void CHPFMDlg::OnEqualise() {
  SendCommand(kCmdEqualise);
  Wait(qv::HeatPulseTimingTable().equaliseWaitMs);
  engine_.SetBaseline(0);
  // A second equalisation keeps the user's scale saved by the first.
  if (!equaliseScale_) m_nSavedCpsSel = cpsCombo_->currentIndex();
  cpsCombo_->setCurrentIndex(cpsCombo_->count() - 1);
  equaliseScale_ = true;
  OnSelChangeCpsScale();
  StartMeasurement(true);
}

void CHPFMDlg::OnFireHeaters() {
  if (engine_.State() != qv::HeatPulseEngine::kIdle) {
    qv::Beep();
    return;
  }
  SendCommand(kCmdFireHeaters);
  RestoreCpsScale();
  OnSelChangeCpsScale();
  StartMeasurement(false);
}

void CHPFMDlg::RestoreCpsScale() {
  if (equaliseScale_ && cpsCombo_->currentIndex() == cpsCombo_->count() - 1) cpsCombo_->setCurrentIndex(m_nSavedCpsSel);
  equaliseScale_ = false;
}

int CHPFMDlg::StartMeasurement(bool equalise) {
  if (!g_bSondePowerOn) {
    qv::ShowMessageBox(qv::LoadString(kStrPowerOn), {}, qv::MB_ICONSTOP);
    return 0;
  }
  SetButtons(false, false, !equalise, true, false, false);
  engine_.StopThread();  // a thread of an earlier start that failed
  LogDocumentShell* doc = ActiveLogDocument();
  if (doc) doc->SetMonitoring(false);
  const LoggingModeBlock off{};
  unit_->SetLoggingMode(off, kDeviceMutexShortWaitMs);
  // The unit delivers at the step the samples are read with (the one of the showing).
  const int step = m_nTimeStep;
  const LoggingModeBlock timed{1, 1, static_cast<int16_t>(step), 10, 0};
  const uint32_t status = unit_->SetLoggingMode(timed, kDeviceMutexShortWaitMs);
  if (status == qv::kHeatPulseLockTimeout) {
    qv::Beep();
    ReportMessage(DeviceErrorText(kSystemError, kErrOperatingSystem), kErrorBox);
    return 0;
  }
  if (status & 0xFF) {
    qv::Beep();
    ReportMessage(DeviceErrorText(kUnitError, static_cast<int>(status & 0xFF)), kErrorBox);
    return 0;
  }
  if (status & 0xFF00) {
    qv::Beep();
    ReportMessage(DeviceErrorText(kProcessorError, static_cast<int>((status >> 8) & 0xFF)), kErrorBox);
    return 0;
  }
  m_nPollPeriod = std::max(1, step / 2);
  engine_.ClearSamples();
  display_->Clear();
  engine_.SetState(equalise ? qv::HeatPulseEngine::kEqualising : qv::HeatPulseEngine::kHeatPulse);
  engine_.StartThread(*unit_, *this, m_nPollPeriod, g_nDepthUnits != 0);
  return 1;
}

int CHPFMDlg::StopMeasurement(bool keep) {
  const int state = engine_.State();
  if (state != qv::HeatPulseEngine::kHeatPulse && state != qv::HeatPulseEngine::kEqualising) return 0;
  if (keep) {
    engine_.SetState(qv::HeatPulseEngine::kKept);
    accept_->setText(qv::QStr(qv::LoadString(kStrStore)));
    SetButtons(false, false, true, true, true, true);
  } else {
    engine_.SetState(qv::HeatPulseEngine::kIdle);
  }
  engine_.StopThread();
  unit_->SetLoggingMode(LoggingModeBlock{}, kDeviceMutexShortWaitMs);
  Wait(qv::HeatPulseTimingTable().modeSwitchWaitMs);
  unit_->SetLoggingMode(LoggingModeBlock{1, 1, 1000, 14, 0}, kDeviceMutexWaitMs);
  if (LogDocumentShell* doc = ActiveLogDocument()) doc->SetMonitoring(true);
  return 1;
}

void CHPFMDlg::OnAccept() {
  const int state = engine_.State();
  if (state == qv::HeatPulseEngine::kHeatPulse) {
    StopMeasurement(true);
  } else if (state == qv::HeatPulseEngine::kKept) {
    engine_.Results().push_back(m_Result);
    engine_.SetState(qv::HeatPulseEngine::kIdle);
    accept_->setText(qv::QStr(qv::LoadString(kStrAccept)));
    SetButtons(true, false, false, false, true, true);
  }
}

void CHPFMDlg::OnDiscard() {
  const int state = engine_.State();
  if (state == qv::HeatPulseEngine::kHeatPulse || state == qv::HeatPulseEngine::kEqualising) StopMeasurement(false);
  if (state == qv::HeatPulseEngine::kEqualising) engine_.TakeBaseline();
  engine_.SetState(qv::HeatPulseEngine::kIdle);
  engine_.ClearSamples();
  display_->Clear();
  if (state == qv::HeatPulseEngine::kEqualising) {
    // The equalisation is over: the plot goes back to the user's scale.
    RestoreCpsScale();
    OnSelChangeCpsScale();
  }
  accept_->setText(qv::QStr(qv::LoadString(kStrAccept)));
  SetButtons(true, state == qv::HeatPulseEngine::kEqualising, false, false, false, true);
}

void CHPFMDlg::OnPrint() {
  HeatPulseResult r;
  r.durationMs = m_nTimeSpan;
  r.plotRange = m_nCpsRange;
  r.samplePeriodMs = m_nTimeStep;
  r.samples.assign(engine_.Samples(), engine_.Samples() + engine_.Count());
  r.baseline = engine_.Baseline();
  r.interpretationTime = m_Result.time;
  r.fluidSpeed = m_Result.speed;
  r.depthText = depth_->text().toStdString();
  r.unitText = unit_label_->text().toStdString();
  r.imperial = g_nDepthUnits != 0;
  const TrackScale noScales[5] = {};
  for (;;) {
    try {
      CGulton recorder(static_cast<uint8_t>(g_nRealTimePrinter.load()), kPrintPlot, kVerticalTime, noScales, -1, 0, 1);
      recorder.SendPrintrexStart();
      recorder.LineFeed(1);
      recorder.PrintHeatPulseResult(r, std::time(nullptr));
      return;
    } catch (const CUserException&) {
      if (qv::ShowMessageBox(qv::LoadString(kStrPrinterCommunicationError), {}, qv::MB_RETRYCANCEL | qv::MB_ICONSTOP) !=
          qv::IDRETRY)
        return;
    }
  }
}

qv::HeatPulseUserFunction CHPFMDlg::UserFunction() {
  if (!library_.userFunction) return {};
  return [this](double* in, double* out) { library_.userFunction(in, out); };
}

void CHPFMDlg::ComputeFluidSpeed() {
  m_Result = engine_.ComputeFluidSpeed(slider_->value(), m_nDepth, g_nDepthUnits != 0, UserFunction());
}

void CHPFMDlg::OnHScroll() {
  ComputeFluidSpeed();
  QString text;
  if (m_Result.speed == qv::kHeatPulseOutOfRange)
    text = QString::asprintf(qv::Tr("Time: %.3f [s], Speed: out of range").toUtf8().constData(), m_Result.time);
  else
    text = QString::asprintf(
        qv::Tr(g_nDepthUnits ? "Time: %.3f [s], Speed: %.3f [ft/min]" : "Time: %.3f [s], Speed: %.3f [m/min]")
            .toUtf8()
            .constData(),
        m_Result.time, m_Result.speed);
  interpretation_->setText(text);
  display_->SetMarker(slider_->value());
}

int CHPFMDlg::SelectedNumber(QComboBox* combo) const {
  const int i = combo->currentIndex() < 0 ? 0 : combo->currentIndex();
  return combo->itemText(i).toInt();
}

void CHPFMDlg::OnSelChangeCpsScale() {
  m_nCpsRange = SelectedNumber(cpsCombo_);
  display_->SetData(m_nTimeSpan, m_nCpsRange, engine_.Samples(), engine_.Count(), engine_.Baseline());
  WriteLabels();
}

void CHPFMDlg::OnSelChangeTimescale() {
  m_nTimeSpan = 1000 * SelectedNumber(timeCombo_);
  int position = slider_->value();
  if (m_nTimeSpan < position) position = m_nTimeSpan / 2;
  display_->SetData(m_nTimeSpan, m_nCpsRange, engine_.Samples(), engine_.Count(), engine_.Baseline());
  {
    const QSignalBlocker block(slider_);
    slider_->setRange(0, m_nTimeSpan);
    slider_->setValue(position);
  }
  OnHScroll();
  WriteLabels();
}

void CHPFMDlg::OnSelChangeSpeedFunction() {
  const int i = speedCombo_->currentIndex();
  LoadUserProcess(i >= 0 && i < static_cast<int>(m_LibraryPaths.size()) ? m_LibraryPaths[static_cast<size_t>(i)]
                                                                        : std::string());
}

bool CHPFMDlg::LoadUserProcess(const std::string& path) {
  library_.Unload();
  bool loaded = true;
  if (!path.empty()) {
    loaded = library_.Load(path, UserFunctionCaller::kFlowmeter);  // tells the user when refused
    if (!loaded) {
      speedCombo_->setCurrentIndex(speedCombo_->count() - 1);
    } else if (library_.init) {
      library_.init();
    }
  }
  OnHScroll();
  return loaded;
}

bool CHPFMDlg::SaveResults() {
  for (;;) {
    qv::FileDialogRequest request;
    request.open = false;
    request.title = qv::LoadString(kStrResultsTitle);
    request.filter = qv::LoadString(kStrResultsFilter);
    request.defaultExt = "txt";
    request.initialFolder = g_strProgramFolder + "\\DATA\\";
    request.parent = this;
    const std::string path = qv::ShowFileDialog(request);
    if (path.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
      if (ReportMessage(DeviceErrorText(kSystemError, kErrOpenDestination), kErrorBox,
                        qv::MB_RETRYCANCEL | qv::MB_ICONSTOP) == qv::IDCANCEL)
        return false;
      continue;
    }
    const std::string text = qv::FormatHeatPulseResults(engine_.Results(), g_nDepthUnits != 0);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      ReportMessage(DeviceErrorText(kSystemError, kErrWriteDestination), kErrorBox, qv::MB_ICONSTOP);
      return false;
    }
    return true;
  }
}

void CHPFMDlg::OnOK() {
  if (!m_bWindow) return;
  if (!engine_.Results().empty()) SaveResults();
  OnDestroy();
  hide();
}

void CHPFMDlg::closeEvent(QCloseEvent* e) {
  e->ignore();
  OnOK();
}

void CHPFMDlg::OnDestroy() {
  m_bWindow = false;
  g_bUtilityActive = 0;
  const int state = engine_.State();
  if (state == qv::HeatPulseEngine::kHeatPulse || state == qv::HeatPulseEngine::kEqualising) {
    Wait(qv::HeatPulseTimingTable().modeSwitchWaitMs);
    StopMeasurement(false);
  }
  engine_.StopThread();
  pump_.stop();
  engine_.Results().clear();
  m_LibraryPaths.clear();
  library_.Unload();
}

// ---- The log thread's reports. The thread only notes them; the dialog's pump
// takes them over on the GUI thread, so no widget is touched from the thread.

void CHPFMDlg::SampleAdded(int run, int index) {
  std::lock_guard<std::mutex> lock(pending_.m);
  pending_.Begin(run);
  pending_.firstNew = std::min(pending_.firstNew, index);
}

void CHPFMDlg::Reading(int run, int depth, int logSpeed, int timeMs, const AnalogStatusBlock& status) {
  // The monitor is held while the flowmeter reads the unit: the bars get the
  // readings from here (the flowmeter has no receiver status of its own).
  bars_->UpdateStatus(timeMs, status.status1, status.status2, 0);
  bars_->UpdateReadings(status.tension, depth, logSpeed);
  std::lock_guard<std::mutex> lock(pending_.m);
  pending_.Begin(run);
  pending_.depthSet = true;
  pending_.depth = depth;
}

void CHPFMDlg::StopRequested(int run, bool keep) {
  std::lock_guard<std::mutex> lock(pending_.m);
  pending_.Begin(run);
  pending_.stop = true;
  pending_.keep = keep;
}

void CHPFMDlg::ReadError(int run, int code) {
  std::lock_guard<std::mutex> lock(pending_.m);
  pending_.Begin(run);
  pending_.error = code;
}

void CHPFMDlg::Pending::Begin(int r) {
  if (r == run) return;
  *this = Pending{};  // reports of an earlier measurement are dropped
  run = r;
}

void CHPFMDlg::PumpReports() {
  Pending p;
  {
    std::lock_guard<std::mutex> lock(pending_.m);
    if (pending_.run != engine_.Run()) return;
    p.run = pending_.run;
    p.firstNew = std::exchange(pending_.firstNew, std::numeric_limits<int>::max());
    p.depthSet = std::exchange(pending_.depthSet, false);
    p.depth = pending_.depth;
    p.stop = std::exchange(pending_.stop, false);
    p.keep = pending_.keep;
    p.error = std::exchange(pending_.error, 0);
  }
  if (p.firstNew != std::numeric_limits<int>::max())
    display_->ComputePoints(engine_.Samples(), engine_.Count(), p.firstNew, engine_.Baseline());
  if (p.depthSet && p.depth != m_nDepth) SetDepth(p.depth);
  if (p.error) {
    qv::Beep();
    ReportMessage(DeviceErrorText(kUnitError, p.error), kSondeMessageLine);
  }
  if (p.stop) StopMeasurement(p.keep);
}
