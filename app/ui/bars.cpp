#include "bars.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <mutex>
#include <set>
#include <shared_mutex>
#include <thread>

#include "app/core/control_logic.h"
#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/core/log_frame.h"
#include "app/ui/frames.h"
#include "app/ui/pemmaro_app.h"
#include "app/ui/sonde_test_dlg.h"
#include "app/ui/sources.h"
#include "platform/docview/docview.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

std::atomic<CSondeControl*> g_pSondeControl{nullptr};
std::atomic<CWinchControl*> g_pWinchControl{nullptr};
std::atomic<CReplayControl*> g_pReplayControl{nullptr};

namespace {

constexpr unsigned kStrOff = 32307;
constexpr unsigned kStrSondeControl = 32306;
constexpr unsigned kStrError = 32208;
constexpr unsigned kStrLoggingStopped = 32183;
constexpr unsigned kStrFeet = 32081;
constexpr unsigned kStrMetres = 32082;
constexpr unsigned kStrFeetPerMinute = 32314;
constexpr unsigned kStrMetresPerMinute = 32315;
constexpr unsigned kStrReady = 32359;
constexpr unsigned kStrWinchControl = 32358;
constexpr unsigned kStrReplayControl = 32296;
constexpr unsigned kStrNearSurface = 32530;

// How near the surface a rising sonde draws the warning, in thousandths of
// the depth unit: 10 m, or 30 ft.
constexpr int kSurfaceZoneMetres = 10000;
constexpr int kSurfaceZoneFeet = 30000;

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);

std::atomic<unsigned> g_stopPauseMs{500};

// The sonde line's text for the power state: the powered sonde, or "Off".
std::string SondePowerText(bool on) {
  if (!on) return qv::LoadString(kStrOff);
  return g_strSondeSerialNo.empty() ? g_strCurrentSonde
                                    : qv::FormatC("%s [%s]", g_strCurrentSonde.c_str(), g_strSondeSerialNo.c_str());
}

// Calls from worker threads hold the gate shared while they look at a bar;
// a dying bar takes it exclusively to leave the set of live bars.
std::shared_mutex g_gate;
std::set<const void*> g_live;

void Enliven(const void* bar) {
  std::unique_lock lk(g_gate);
  g_live.insert(bar);
}

void Bury(const void* bar) {
  std::unique_lock lk(g_gate);
  g_live.erase(bar);
}

// Runs post(…) for a bar that is still alive, under the gate.
template <class F>
void WhileAlive(const void* bar, F&& post) {
  std::shared_lock lk(g_gate);
  if (g_live.count(bar)) post();
}

// Runs fn at once on the GUI thread, else queues it for a bar still alive.
template <class F>
void OnGui(QObject* bar, F fn) {
  if (qv::IsGuiThread())
    fn();
  else
    WhileAlive(bar, [&] { qv::PostToGui(bar, std::move(fn)); });
}

QString Str(unsigned id) { return qv::QStr(qv::LoadString(id)); }

QPushButton* MakeButton(QWidget* parent, int id, const char* text, bool checkable) {
  auto* b = new QPushButton(QString::fromLatin1(text), parent);
  b->setObjectName(QString::number(id));
  b->setCheckable(checkable);
  b->setFocusPolicy(Qt::NoFocus);
  b->setMinimumWidth(40);
  qv::DialogBar::ApplyPrompt(b, static_cast<unsigned>(id));
  return b;
}

CDisplay* MakeDisplay(QWidget* parent, int id) {
  auto* d = new CDisplay(parent);
  d->setObjectName(QString::number(id));
  d->setMinimumWidth(70);
  return d;
}

CMessageLine* MakeLine(QWidget* parent, int id) {
  auto* l = new CMessageLine(parent);
  l->setObjectName(QString::number(id));
  return l;
}

// Clears a sonde or winch pointer only when it still names this bar.
template <class T>
void Forget(std::atomic<T*>& global, T* bar) {
  T* expected = bar;
  global.compare_exchange_strong(expected, nullptr);
}

}  // namespace

// ===========================================================================
CSondeControl::CSondeControl(QWidget* parent)
    : qv::DialogBar(parent), powerOn_(g_bSondePowerOn != 0), statusPost_(this), messagePost_(this) {
  setObjectName(QString::number(kIdSondeControlBar));
  power_ = MakeButton(this, kIdSondePower, "PWR", true);
  stop_ = MakeButton(this, kIdSondeStop, "STP", true);
  pause_ = MakeButton(this, kIdPause, "PSE", true);
  record_ = MakeButton(this, kIdRecord, "REC", true);
  send_ = MakeButton(this, kIdSend, "Send", true);
  commands_ = new QComboBox(this);
  commands_->setObjectName(QString::number(kIdCommandList));
  commands_->setMinimumWidth(120);
  ApplyPrompt(commands_, kIdCommandList);
  value_ = new QLineEdit(this);
  value_->setObjectName(QString::number(kIdCommandValue));
  value_->setMaximumWidth(80);
  ApplyPrompt(value_, kIdCommandValue);
  current_ = MakeDisplay(this, 2396);
  voltage_ = MakeDisplay(this, 2379);
  logTime_ = MakeDisplay(this, 2394);
  message_ = MakeLine(this, 2382);
  title_ = MakeLine(this, 2395);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  grid->addWidget(title_, 0, 0, 1, 6);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {power_, stop_, pause_, record_}) buttons->addWidget(b);
  grid->addLayout(buttons, 1, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Log Time:"), this), 1, 2);
  grid->addWidget(logTime_, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Supply:"), this), 1, 4);
  auto* supply = new QHBoxLayout;
  supply->addWidget(voltage_);
  supply->addWidget(new QLabel(QStringLiteral("[V]"), this));
  supply->addWidget(current_);
  supply->addWidget(new QLabel(QStringLiteral("[mA]"), this));
  grid->addLayout(supply, 1, 5);
  grid->addWidget(send_, 2, 0);
  grid->addWidget(commands_, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("Status"), this), 2, 2);
  grid->addWidget(value_, 2, 3);
  grid->addWidget(message_, 2, 4, 1, 2);

  connect(power_, &QPushButton::clicked, this, [this] { OnSondePower(); });
  connect(record_, &QPushButton::clicked, this, [this] { OnRecord(); });
  connect(pause_, &QPushButton::clicked, this, [this] { OnPause(); });
  connect(stop_, &QPushButton::clicked, this, [this] { OnStop(); });
  connect(send_, &QPushButton::clicked, this, [this] { OnSend(); });
  connect(commands_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnCommandSelected(); });
  Enliven(this);
}

CSondeControl::~CSondeControl() {
  Bury(this);
  Forget(g_pSondeControl, this);
}

void CSondeControl::SetStopPause(unsigned ms) { g_stopPauseMs = ms; }

QPushButton* CSondeControl::Button(int id) const {
  switch (id) {
    case kIdSondePower: return power_;
    case kIdSondeStop: return stop_;
    case kIdPause: return pause_;
    case kIdRecord: return record_;
    case kIdSend: return send_;
    default: return nullptr;
  }
}

bool CSondeControl::InitControls(bool newLog) {
  newLog_ = newLog;
  powerOn_ = g_bSondePowerOn != 0;
  power_->setChecked(powerOn_);
  for (QPushButton* b : {stop_, record_, pause_}) b->setEnabled(powerOn_ && newLog);
  send_->setEnabled(powerOn_);
  message_->Init(CMessageLine::kLeft, ButtonFaceColour(), kBlack);
  // A new window (a replay's end reopens the idle one) keeps showing the
  // powered sonde while the power stays on.
  message_->SetMessage(SondePowerText(powerOn_));
  title_->Init(CMessageLine::kCentre, kNavy, kWhite);
  title_->SetMessage(qv::LoadString(kStrSondeControl));
  current_->Init(0);
  voltage_->Init(0);
  logTime_->Init(0);
  // The log time is always eight characters, wider than the other values.
  logTime_->HoldText("00:00:00");
  current_->SetValue("0", -1);
  voltage_->SetValue("0", -1);
  logTime_->SetValue("00:00:00", -1);
  g_pSondeControl = this;
  // Kind-1 messages of every thread reach the bar of the moment.
  SetMessageLineSink(kSondeMessageLine, [](const std::string& text) {
    if (CSondeControl* bar = g_pSondeControl) bar->ShowMessage(text);
  });
  LoadCommandList();
  return true;
}

void CSondeControl::LoadCommandList() {
  list_.clear();
  commands_->clear();
  if (Sources().sondeCommands) list_ = Sources().sondeCommands(g_strCurrentSonde, g_strSondeSerialNo);
  for (const qv::SondeCommandRecord& r : list_) commands_->addItem(qv::QStr(r.CommandName));
  commands_->setCurrentIndex(commands_->count() > 0 ? 0 : -1);
  OnCommandSelected();
}

const qv::SondeCommandRecord* CSondeControl::Selected() const {
  const int sel = commands_->currentIndex();
  return sel >= 0 && static_cast<size_t>(sel) < list_.size() ? &list_[static_cast<size_t>(sel)] : nullptr;
}

void CSondeControl::OnCommandSelected() {
  if (commands_->count() == 0) {
    commands_->setEnabled(false);
    value_->setEnabled(false);
    return;
  }
  commands_->setEnabled(true);
  value_->setEnabled(true);
  const qv::SondeCommandRecord* r = Selected();
  if (!r) {
    qv::Beep(qv::MB_ICONSTOP);
    return;
  }
  previousCode_ = currentCode_;
  currentCode_ = r->CommandCode;
  if (CommandTakesValue(r->CommandStatus, nullptr)) {
    value_->setReadOnly(false);
    value_->setText(qv::QStr(qv::FormatC("%d", r->ParameterLSB + 256 * r->ParameterMSB)));
  } else {
    value_->setReadOnly(true);
    value_->clear();
  }
}

void CSondeControl::OnSend() {
  LogDocumentShell* doc = ActiveLogDocument();
  if (!doc || !powerOn_) return;
  qv::SondeCommandRecord* r = const_cast<qv::SondeCommandRecord*>(Selected());
  if (!r) {
    send_->setChecked(false);
    qv::Beep(qv::MB_ICONSTOP);
    return;
  }
  bool failed = false;
  int maximum = 0;
  const bool takesValue = CommandTakesValue(r->CommandStatus, &maximum);
  if (takesValue) {
    int v = 0;
    if (AcceptCommandValue(qv::StdStr(value_->text()), maximum, &v)) {
      r->ParameterLSB = static_cast<int16_t>(v & 0xFF);
      r->ParameterMSB = static_cast<int16_t>((v >> 8) & 0xFF);
    } else {
      failed = true;
    }
  }
  SondeCommandBlock block{r->CommandCode, r->ParameterLSB, r->ParameterMSB};
  if (!failed) failed = doc->SendSondeCommand(&block) == 0;
  if (failed) {
    qv::Beep(0);
    value_->setText(Str(kStrError));
  } else if (takesValue) {
    value_->setText(qv::QStr(qv::FormatC("%d", r->ParameterLSB + 256 * r->ParameterMSB)));
  } else {
    value_->setText(qv::QStr(r->CommandStatus));
  }
  send_->setChecked(false);
}

void CSondeControl::OnSondePower() {
  LogDocumentShell* doc = ActiveLogDocument();
  SondePowerBlock block{};
  qv::AcquisitionSetup setup;
  const bool loaded =
      Sources().acquisitionSetup && Sources().acquisitionSetup(&setup, g_strCurrentSonde, g_strSondeSerialNo);
  if (powerOn_) {
    if (doc) doc->SetSondePower(&block);
    powerOn_ = false;
  } else if (doc && loaded) {
    block.voltage = static_cast<int16_t>(setup.Voltage);
    block.currentLimit = static_cast<int16_t>(setup.CurrentLimit);
    block.polarity = static_cast<int16_t>(setup.Polarity);
    if (g_pAcquisitionSetup) {
      g_pAcquisitionSetup->Voltage = setup.Voltage;
      g_pAcquisitionSetup->CurrentLimit = setup.CurrentLimit;
      g_pAcquisitionSetup->Polarity = setup.Polarity;
    }
    // Power counts as on only when the unit took the switch.
    powerOn_ = doc->SetSondePower(&block) != 0;
  } else {
    powerOn_ = false;
  }
  g_bSondePowerOn = powerOn_ ? 1 : 0;
  message_->SetMessage(SondePowerText(powerOn_), 0);
  record_->setEnabled(powerOn_ && g_bLogDocumentOpen);
  stop_->setEnabled(g_bLogDocumentOpen != 0);
  send_->setEnabled(powerOn_);
  power_->setChecked(powerOn_);
}

void CSondeControl::OnRecord() {
  g_bLoggingPaused = 0;
  LogDocumentShell* doc = ActiveLogDocument();
  if (!doc || (doc->LogState() == 0 && !doc->IsTestMode()) || recording_) {
    // Nothing to do: the radio group must not show REC pressed for it.
    record_->setChecked(recording_);
    return;
  }
  recording_ = true;
  if (doc->LogState() == 99) {
    qv::ShowMessageBox(qv::LoadString(kStrLoggingStopped));
  } else if (doc->StartLogging(0) == 0 || doc->ResumeWriter() == 0) {
    // The document has said why it could not start. The bar is not
    // recording: the next REC tries again (and is told again), and STP has
    // no recording to end.
    recording_ = false;
    record_->setChecked(false);
    return;
  }
  record_->setChecked(true);
  pause_->setEnabled(true);
  pause_->setChecked(false);
  stop_->setChecked(false);
}

void CSondeControl::SwitchLoggingOff() {
  LoggingModeBlock off{};
  qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
  SetLoggingMode(&off);
}

void CSondeControl::OnPause() {
  g_bLoggingPaused = 1;
  LogDocumentShell* doc = ActiveLogDocument();
  if (!doc || (!recording_ && !doc->IsTestMode())) {
    pause_->setChecked(false);
    return;
  }
  recording_ = false;
  if (doc->LogState() != 0)
    SwitchLoggingOff();
  else
    doc->StopLogging(4);
  pause_->setEnabled(false);
  pause_->setChecked(true);
  record_->setChecked(false);
  stop_->setChecked(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(g_stopPauseMs.load()));
}

void CSondeControl::OnStop() {
  LogDocumentShell* doc = ActiveLogDocument();
  if (!doc || (!recording_ && !doc->IsTestMode())) {
    stop_->setChecked(false);
    return;
  }
  recording_ = false;
  if (doc->LogState() != 0)
    SwitchLoggingOff();
  else
    doc->StopLogging(99);
  record_->setEnabled(false);
  record_->setChecked(false);
  pause_->setEnabled(false);
  pause_->setChecked(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(g_stopPauseMs.load()));
}

bool CSondeControl::UpdateStatus(int elapsedMs, uint8_t current, uint8_t voltageCode, int sondeValue) {
  if (qv::IsGuiThread()) {
    UpdateStatusNow(elapsedMs, current, voltageCode, sondeValue);
  } else {
    WhileAlive(this, [&] {
      statusPost_.Post([this, elapsedMs, current, voltageCode, sondeValue] {
        UpdateStatusNow(elapsedMs, current, voltageCode, sondeValue);
      });
    });
  }
  return true;
}

void CSondeControl::UpdateStatusNow(int elapsedMs, int current, int voltageCode, int sondeValue) {
  logTime_->SetValue(FormatLogTime(elapsedMs), -1);
  current_->SetValue(FormatSupplyCurrent(current), -1);
  voltage_->SetValue(FormatSupplyVoltage(voltageCode), -1);
  const int32_t value = powerOn_ ? sondeValue : 0;
  if (value == lastReply_ && previousCode_ == currentCode_) return;
  lastReply_ = value;
  std::string text;
  if (SondeReplyText(currentCode_, value, &text)) value_->setText(qv::QStr(text));
}

void CSondeControl::ShowMessage(const std::string& text) {
  if (qv::IsGuiThread())
    ShowMessageNow(text);
  else
    WhileAlive(this, [&] { messagePost_.Post([this, text] { ShowMessageNow(text); }); });
}

void CSondeControl::ShowMessageNow(const std::string& text) {
  if (text.empty())
    message_->SetMessage(qv::FormatC("%s [%s]", g_strCurrentSonde.c_str(), g_strSondeSerialNo.c_str()), 0);
  else
    message_->SetMessage(text, 1);
}

// ===========================================================================
CWinchControl::CWinchControl(QWidget* parent)
    : qv::DialogBar(parent),
      powerOn_(g_bWinchPowerOn != 0),
      direction_(g_nWinchDirection),
      speedSetPoint_(g_nWinchSpeed),
      readingsPost_(this),
      messagePost_(this) {
  setObjectName(QString::number(kIdWinchControlBar));
  power_ = MakeButton(this, kIdWinchPower, "PWR", true);
  stop_ = MakeButton(this, kIdWinchStop, "STP", true);
  down_ = MakeButton(this, kIdDown, "DN", true);
  up_ = MakeButton(this, kIdUp, "UP", true);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QString::number(kIdSpeedSlider));
  slider_->setTickPosition(QSlider::TicksBelow);
  ApplyPrompt(slider_, kIdSpeedSlider);
  depthUnit_ = new QLabel(this);
  speedUnit_ = new QLabel(this);
  depth_ = MakeDisplay(this, 2051);
  tension_ = MakeDisplay(this, 2456);
  speed_ = MakeDisplay(this, 2400);
  message_ = MakeLine(this, 2503);
  title_ = MakeLine(this, 2507);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  grid->addWidget(title_, 0, 0, 1, 6);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {power_, stop_, down_, up_}) buttons->addWidget(b);
  grid->addLayout(buttons, 1, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Depth:"), this), 1, 2);
  grid->addWidget(depth_, 1, 3);
  grid->addWidget(depthUnit_, 1, 4);
  grid->addWidget(slider_, 2, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Speed:"), this), 2, 2);
  grid->addWidget(speed_, 2, 3);
  grid->addWidget(speedUnit_, 2, 4);
  grid->addWidget(new QLabel(QStringLiteral("Cable-\ntension:"), this), 1, 5);
  grid->addWidget(tension_, 2, 5);
  grid->addWidget(message_, 3, 0, 1, 6);

  connect(power_, &QPushButton::clicked, this, [this] { OnPower(); });
  connect(stop_, &QPushButton::clicked, this, [this] { OnStop(); });
  connect(down_, &QPushButton::clicked, this, [this] { OnDown(); });
  connect(up_, &QPushButton::clicked, this, [this] { OnUp(); });
  connect(slider_, &QSlider::sliderMoved, this, [this] { OnHScroll(false); });
  connect(slider_, &QSlider::sliderReleased, this, [this] { OnHScroll(true); });
  connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
    if (action == QAbstractSlider::SliderMove) return;  // dragging: sliderMoved reports it
    // Clicks and keys move the slider after this signal; take the new position then.
    QMetaObject::invokeMethod(this, [this] { OnHScroll(false); OnHScroll(true); }, Qt::QueuedConnection);
  });
  Enliven(this);
  qApp->installEventFilter(this);
}

CWinchControl::~CWinchControl() {
  delete modalStop_;
  Bury(this);
  HandOnState();
  Forget(g_pWinchControl, this);
}

void CWinchControl::HandOnState() {
  // What the next winch bar starts from. Kept current with every change, as
  // a closing log's window may go only after the next window's bar is built.
  g_bWinchPowerOn = powerOn_ ? 1 : 0;
  g_nWinchSpeed = speedSetPoint_;
  g_nWinchDirection = direction_;
}

QPushButton* CWinchControl::Button(int id) const {
  switch (id) {
    case kIdWinchPower: return power_;
    case kIdWinchStop: return stop_;
    case kIdDown: return down_;
    case kIdUp: return up_;
    default: return nullptr;
  }
}

void CWinchControl::UpdateUnitLabels() {
  const bool feet = g_nDepthUnits != 0;
  depthUnit_->setText(Str(feet ? kStrFeet : kStrMetres));
  speedUnit_->setText(Str(feet ? kStrFeetPerMinute : kStrMetresPerMinute));
}

bool CWinchControl::InitControls() {
  dragging_ = false;
  power_->setChecked(powerOn_);
  stop_->setEnabled(powerOn_);
  stop_->setChecked(false);
  up_->setEnabled(powerOn_);
  up_->setChecked(powerOn_ && direction_ == 1);
  down_->setEnabled(powerOn_);
  down_->setChecked(powerOn_ && direction_ == 2);
  depth_->Init(0);
  // Four digits before the point in the full font; deeper holes logged in
  // feet are drawn smaller rather than cut (see CDisplay::paintEvent).
  depth_->HoldText("9999.99");
  UpdateUnitLabels();
  ShowDepth(0);
  tension_->Init(2);
  ShowTension(0);
  speed_->Init(0);
  ShowSpeed(0, false);
  message_->Init(CMessageLine::kLeft, ButtonFaceColour(), kBlack);
  message_->SetMessage(qv::LoadString(kStrReady));
  title_->Init(CMessageLine::kCentre, kNavy, kWhite);
  title_->SetMessage(qv::LoadString(kStrWinchControl));
  LoadWinchSetup();
  g_pWinchControl = this;
  SetMessageLineSink(kWinchMessageLine, [](const std::string& text) {
    if (CWinchControl* bar = g_pWinchControl) bar->ShowMessage(text);
  });
  return true;
}

void CWinchControl::LoadWinchSetup() {
  const qv::AcquisitionSetup* setup = g_pAcquisitionSetup;
  maxSpeed_ = setup ? setup->MaxSpeed : 0;
  dacFactor_ = setup ? WinchDacFactor(setup->DAC1, setup->SP1) : 0.01;
  const QSignalBlocker quiet(slider_);
  slider_->setRange(0, std::max(0, maxSpeed_));
  slider_->setSingleStep(std::max(1, maxSpeed_ / 100));
  slider_->setPageStep(std::max(1, maxSpeed_ / 10));
  slider_->setTickInterval(std::max(1, maxSpeed_ / 10));
  slider_->setValue(std::abs(speedSetPoint_));
  slider_->setEnabled(powerOn_);
}

void CWinchControl::OnPower() {
  powerOn_ = !powerOn_;
  LoadWinchSetup();
  dragging_ = false;
  if (!powerOn_) OnStop();
  up_->setEnabled(powerOn_);
  up_->setChecked(false);
  down_->setEnabled(powerOn_);
  down_->setChecked(powerOn_);
  if (powerOn_) OnDown();  // switching on always starts downward at the set point
  stop_->setEnabled(powerOn_);
  stop_->setChecked(false);
  slider_->setEnabled(powerOn_);
  power_->setChecked(powerOn_);
  HandOnState();
  PlaceModalStop();
}

void CWinchControl::OnStop() {
  direction_ = 0;
  speedSetPoint_ = 0;
  SendWinchCommand(0, true);
  if (LogDocumentShell* doc = ActiveLogDocument()) doc->SetWinchMode(false);
  stop_->setChecked(true);
  up_->setChecked(false);
  down_->setChecked(false);
  HandOnState();
}

void CWinchControl::OnDown() {
  direction_ = 2;
  HandOnState();
  SendWinchCommand(speedSetPoint_, true);
  down_->setChecked(true);
  up_->setChecked(false);
  stop_->setChecked(false);
}

void CWinchControl::OnUp() {
  direction_ = 1;
  HandOnState();
  SendWinchCommand(speedSetPoint_, true);
  up_->setChecked(true);
  down_->setChecked(false);
  stop_->setChecked(false);
}

void CWinchControl::SendWinchCommand(int speed, bool showIt) {
  WinchControlBlock block{static_cast<uint8_t>(direction_), WinchDacValue(speed, dacFactor_)};
  if (LogDocumentShell* doc = ActiveLogDocument()) doc->SetWinch(&block);
  if (showIt) {
    ShowSpeed(speed, false);
    const QSignalBlocker quiet(slider_);
    slider_->setValue(std::abs(speed));
  }
}

void CWinchControl::OnHScroll(bool endScroll) {
  const int p = slider_->value();
  if (p < 0 || p > maxSpeed_) return;
  if (endScroll) {
    speedSetPoint_ = p;
    HandOnState();
    if (direction_ == 1 || direction_ == 2)
      SendWinchCommand(p, false);
    else if (direction_ != 0)
      SendWinchCommand(0, false);
    dragging_ = false;
  } else {
    dragging_ = true;
    ShowSpeed(p, true);
  }
}

bool CWinchControl::UpdateReadings(int tension, int depth, int speed) {
  if (!qv::IsGuiThread()) {
    WhileAlive(this, [&] { readingsPost_.Post([this, tension, depth, speed] { UpdateReadings(tension, depth, speed); }); });
    return true;
  }
  ShowTension(tension);
  ShowSpeed(speed, false);
  ShowDepth(depth);
  WatchSurface(depth);
  return true;
}

bool CWinchControl::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::WindowBlocked || type == QEvent::WindowUnblocked) {
    if (watched == window()) windowBlocked_ = type == QEvent::WindowBlocked;
    // Once the modal list has settled: a nested dialog blocks the one that
    // holds the stand-in, and closing it unblocks that one again.
    QMetaObject::invokeMethod(this, [this] { PlaceModalStop(); }, Qt::QueuedConnection);
  }
  return qv::DialogBar::eventFilter(watched, event);
}

void CWinchControl::PlaceModalStop() {
  QWidget* host = windowBlocked_ && powerOn_ && isVisible() ? QApplication::activeModalWidget() : nullptr;
  if (host == window()) host = nullptr;
  if (modalStop_ && (!host || modalStop_->parentWidget() != host)) delete modalStop_;
  if (!host) return;
  if (!modalStop_) {
    modalStop_ = new QPushButton(stop_->text(), host);
    modalStop_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    modalStop_->setObjectName(stop_->objectName());
    modalStop_->setToolTip(stop_->toolTip());
    modalStop_->setIcon(stop_->icon());
    connect(modalStop_, &QPushButton::clicked, this, [this] { OnStop(); });
  }
  modalStop_->setGeometry(QRect(stop_->mapToGlobal(QPoint(0, 0)), stop_->size()));
  modalStop_->show();
  modalStop_->raise();
}

void CWinchControl::WatchSurface(int depth) {
  // Rising: the winch is driven up, or the depth falls (a winch run by
  // hand); a depth that stands keeps what the last move showed, so that a
  // still sonde does not make the warning come and go.
  const bool rising = direction_ == 1 || (haveDepth_ && (depth < lastDepth_ || (depth == lastDepth_ && surfaceWarned_)));
  const bool warn =
      watchesSurface_ && rising && depth < (g_nDepthUnits != 0 ? kSurfaceZoneFeet : kSurfaceZoneMetres);
  lastDepth_ = depth;
  haveDepth_ = true;
  if (warn == surfaceWarned_) return;
  surfaceWarned_ = warn;
  if (warn) {
    message_->SetMessage(qv::LoadString(kStrNearSurface), 1);
    qv::Beep(qv::MB_ICONEXCLAMATION);
  } else if (message_->Text() == qv::LoadString(kStrNearSurface)) {
    message_->SetMessage(qv::LoadString(kStrReady), 0);  // a later message stays
  }
}

void CWinchControl::ShowSpeed(int speed, bool setPoint) {
  OnGui(this, [this, speed, setPoint] { ShowSpeedNow(speed, setPoint); });
}

void CWinchControl::ShowSpeedNow(int speed, bool setPoint) {
  if (setPoint)
    speed_->SetValue(FormatWinchSpeed(speed), 99);
  else if (!dragging_)
    speed_->SetValue(FormatWinchSpeed(speed), -1);
}

void CWinchControl::ShowDepth(int depth) {
  OnGui(this, [this, depth] { depth_->SetValue(FormatWinchDepth(depth), -1); });
}

void CWinchControl::ShowTension(int tension) {
  OnGui(this, [this, tension] { tension_->SetValue(FormatWinchTension(tension), -1); });
}

void CWinchControl::ShowMessage(const std::string& text) {
  if (qv::IsGuiThread())
    ShowMessageNow(text);
  else
    WhileAlive(this, [&] { messagePost_.Post([this, text] { ShowMessageNow(text); }); });
}

void CWinchControl::ShowMessageNow(const std::string& text) {
  if (text.empty())
    message_->SetMessage(qv::LoadString(kStrReady), 0);
  else
    message_->SetMessage(text, 1);
}

// ===========================================================================
CReplayControl::CReplayControl(QWidget* parent) : qv::DialogBar(parent) {
  setObjectName(QString::number(kIdReplayControlBar));
  stop_ = MakeButton(this, kIdStopReplay, "STP", false);
  restart_ = MakeButton(this, kIdRestartReplay, "RESTART", true);
  pause_ = MakeButton(this, kIdPauseReplay, "PAUSE", true);
  replay_ = MakeButton(this, kIdReplayData, "UP", true);
  print_ = MakeButton(this, kIdPrintDirect, "PRINT", true);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QString::number(kIdReplaySlider));
  slider_->setTickPosition(QSlider::TicksBelow);
  position_ = new QLabel(QStringLiteral("none"), this);
  position_->setObjectName(QStringLiteral("2294"));
  title_ = MakeLine(this, 2298);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  grid->addWidget(title_, 0, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Sonde:"), this), 1, 0);
  grid->addWidget(position_, 1, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {stop_, restart_, pause_, replay_, print_}) buttons->addWidget(b);
  grid->addLayout(buttons, 2, 0, 1, 2);
  auto* speed = new QGroupBox(QStringLiteral("Replay speed"), this);
  auto* speedLayout = new QHBoxLayout(speed);
  speedLayout->addWidget(slider_);
  grid->addWidget(speed, 2, 2);
  connect(slider_, &QSlider::valueChanged, this, [this] { OnHScroll(); });
  // The buttons send their commands to the active log document.
  if (qv::Application* app = qv::Application::Instance())
    for (QPushButton* b : {stop_, restart_, pause_, replay_, print_}) app->BindButton(b, b->objectName().toInt(), false);
  Enliven(this);
}

CReplayControl::~CReplayControl() {
  Bury(this);
  Forget(g_pReplayControl, this);
}

QPushButton* CReplayControl::Button(int id) const {
  switch (id) {
    case kIdStopReplay: return stop_;
    case kIdRestartReplay: return restart_;
    case kIdPauseReplay: return pause_;
    case kIdReplayData: return replay_;
    case kIdPrintDirect: return print_;
    default: return nullptr;
  }
}

bool CReplayControl::InitControls() {
  {
    const QSignalBlocker quiet(slider_);
    slider_->setRange(1, 100);
    slider_->setSingleStep(2);
    slider_->setPageStep(10);
    slider_->setTickInterval(10);
    slider_->setValue(50);
  }
  title_->Init(CMessageLine::kLeft, kGrey, kWhite);
  title_->SetMessage(qv::LoadString(kStrReplayControl), 0);
  g_pReplayControl = this;
  return true;
}

void CReplayControl::OnHScroll() {
  LogDocumentShell* doc = ActiveLogDocument();
  const int pos = slider_->value();
  if (doc && pos <= 100) doc->ComputePollInterval(pos);
}

void CReplayControl::EnablePrintDirect(bool enable) {
  OnGui(this, [this, enable] { print_->setEnabled(enable); });
}

void CReplayControl::DisableReplayButtons() {
  OnGui(this, [this] {
    for (QPushButton* b : {replay_, restart_, pause_}) {
      b->setChecked(false);
      b->setEnabled(false);
    }
  });
}

void CReplayControl::ShowPaused() {
  OnGui(this, [this] {
    replay_->setChecked(false);
    pause_->setChecked(true);
    restart_->setChecked(false);
  });
}

void CReplayControl::UncheckPrintDirect() {
  OnGui(this, [this] { print_->setChecked(false); });
}

bool CReplayControl::SetPositionText(const std::string& text) {
  OnGui(this, [this, text] { position_->setText(qv::QStr(text)); });
  return true;
}

// ---------------------------------------------------------------------------
// The frame the log documents reach: the bars of the moment, the sonde test
// window and the application's idle document. Installed with the bars, which
// every frame of the program holds.

namespace {

class ProgramLogFrame final : public LogFrame {
 public:
  void UpdateSondeStatus(int elapsedMs, uint8_t current, uint8_t voltageCode, int sondeValue) override {
    if (CSondeControl* bar = g_pSondeControl) bar->UpdateStatus(elapsedMs, current, voltageCode, sondeValue);
  }
  void UpdateWinchReadings(int tension, int depth, int speed) override {
    if (CWinchControl* bar = g_pWinchControl) bar->UpdateReadings(tension, depth, speed);
  }
  void ShowReplayPaused() override {
    if (CReplayControl* bar = g_pReplayControl) bar->ShowPaused();
  }
  void DisableReplayButtons() override {
    if (CReplayControl* bar = g_pReplayControl) bar->DisableReplayButtons();
  }
  void UncheckPrintDirect() override {
    if (CReplayControl* bar = g_pReplayControl) bar->UncheckPrintDirect();
  }
  void TestSonde(QWidget* parent) override { CSondeTestDlg::OnTestSonde(parent); }
  void CloseSondeTestFor(const LogDocumentShell* doc) override { CSondeTestDlg::CloseFor(doc); }
  void RunCalibration() override {
    if (Tools().calibration) Tools().calibration();
  }
  void ReopenIdleDocument() override {
    if (auto* app = qobject_cast<CPemmaroApp*>(qv::Application::Instance()))
      QTimer::singleShot(0, app, [app] {
        if (!g_bWatchdogStop) app->OpenIdleDocument();
      });
  }
};

// Never destroyed: a monitor thread may still report while the program exits.
[[maybe_unused]] LogFrame* const g_programLogFrame = [] {
  LogFrame* frame = new ProgramLogFrame;
  SetLogFrame(frame);
  return frame;
}();

}  // namespace
