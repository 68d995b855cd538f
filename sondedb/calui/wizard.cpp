#include "sondedb/calui/wizard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <vector>

#include "app/core/globals.h"
#include "app/newlog/new_log.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "sondedb/calibration/fit.h"

using qv::FormatC;
using qv::LoadString;
using qv::QStr;
using qv::StdStr;

namespace {

constexpr unsigned kStrCaption = 32016;
constexpr unsigned kStrContinue = 32058;
constexpr unsigned kStrSave = 32304;
constexpr unsigned kStrFinish = 32220;
constexpr unsigned kStrSelectChannel = 32041;
constexpr unsigned kStrNoChannel = 32038;
constexpr unsigned kStrFarNotFound = 32103;
constexpr unsigned kStrNotSupported = 32106;
constexpr unsigned kStrNoValidChannel = 32145;
constexpr unsigned kStrRegimeNotFound = 32105;
constexpr unsigned kStrNoCoefficients = 32104;
constexpr unsigned kStrPowerPause = 32042;
constexpr unsigned kStrNoDatabase = 32179;
constexpr unsigned kStrPressOpen = 32039;
constexpr unsigned kStrCountingJig = 32023;
constexpr unsigned kStrPlaceInWater = 32010;
constexpr unsigned kStrDensityResult = 32027;
constexpr unsigned kStrCountingSleeve = 32019;
constexpr unsigned kStrSleeveResult = 32028;
constexpr unsigned kStrExpectedRatio = 32014;
constexpr unsigned kStrRatioResult = 32029;
constexpr unsigned kStrCountingBackground = 32021;
constexpr unsigned kStrPlaceInApiJig = 32035;
constexpr unsigned kStrCountingApiJig = 32022;
constexpr unsigned kStrEnterApiValue = 32036;
constexpr unsigned kStrApiResult = 32031;
constexpr unsigned kStrEnterJigCount = 32011;
constexpr unsigned kStrPlaceInJig = 32012;
constexpr unsigned kStrEnterJigValue = 32379;
constexpr unsigned kStrJigResult = 32040;
constexpr unsigned kStrNotSaved = 34005;
constexpr unsigned kStrCountTooHigh = 34006;
constexpr unsigned kStrCps = 32060;
constexpr unsigned kStrDensityLegend = 32024;
constexpr unsigned kStrJigLegend = 32026;

constexpr uint16_t kLongCountSeconds = 300;
constexpr uint16_t kJigCountSeconds = 15;
constexpr uint32_t kLongPowerPauseMs = 5000;
constexpr uint32_t kShortPowerPauseMs = 3000;
constexpr uint32_t kPauseSliceMs = 50;
constexpr double kAluminiumDefault = 282;
constexpr double kWaterDefault = 11000;

using qv::Named;

}  // namespace

// ===========================================================================
CCorrectionTrace::CCorrectionTrace(CSondenCalibration* owner) : QWidget(owner), owner_(owner) {
  setObjectName(QString::number(CSondenCalibration::kTrace));
}

void CCorrectionTrace::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.translate(kGutter, 0);
  const int m = CSondenCalibration::kMargin;
  const int r = PlotWidth();
  const int b = PlotHeight();
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(13);
  font.setStyleHint(QFont::SansSerif);
  p.setFont(font);
  const QFontMetrics fm(font);

  // The count axis and the reference axis.
  p.setPen(QPen(Qt::black, 2));
  p.drawPolyline(QPolygon({QPoint(m, 0), QPoint(m, b - m), QPoint(r - 1, b - m)}));

  // Labels stand on the dialog's face colour, over any line beneath them.
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(palette().window());
  p.setPen(QPen(Qt::black, 1));
  const qv::TraceScale scale = owner_->Scale();
  const int points = std::max(0, std::min(owner_->PointCount(), kCoefficientSlots));
  std::vector<QString> countTexts, referenceTexts;
  std::vector<qv::LabelSpan> countSpans, referenceSpans;
  for (int i = 0; i < points; ++i) {
    const int y = (b - m) - qv::TracePixel(owner_->Counts()[i] * scale.y + 0.5);
    p.drawLine(m - 4, y, r - 1, y);
    const int x = qv::TracePixel(owner_->References()[i] * scale.x) + m;
    p.drawLine(x, b - m + 5, x, 0);
    // The count on its line, the reference centred under its line.
    countTexts.push_back(QString::number(owner_->Counts()[i]));
    countSpans.push_back({y + 4 - fm.ascent(), fm.height()});
    referenceTexts.push_back(QStr(FormatC("%.1f", owner_->References()[i])));
    const int width = fm.horizontalAdvance(referenceTexts.back());
    referenceSpans.push_back({x + 1 - width / 2, width});
  }
  // Labels of nearly equal counts or sizes move apart; the counts stay below
  // "CPS", the references inside the trace.
  const std::vector<int> countAt = qv::SpreadLabels(countSpans, 1, fm.height(), b);
  const std::vector<int> referenceAt = qv::SpreadLabels(referenceSpans, 8, -kGutter + 1, r - 1);
  for (int i = 0; i < points; ++i) {
    const size_t k = static_cast<size_t>(i);
    p.drawText(m - 7 - fm.horizontalAdvance(countTexts[k]), countAt[k] + fm.ascent(), countTexts[k]);
    p.drawText(referenceAt[k], b - m + 5 + fm.ascent(), referenceTexts[k]);
  }
  // What the axes carry: counts up the left, the jig values along the
  // bottom (where a rising calibration curve leaves room). The legend wraps
  // at its blanks to stay right of the count axis.
  p.drawText(m - 7 - fm.horizontalAdvance(QStr(LoadString(kStrCps))), fm.ascent(), QStr(LoadString(kStrCps)));
  const unsigned legendId = owner_->Regime() == 1 ? kStrDensityLegend : kStrJigLegend;
  const QString legend = QStr(FormatC(LoadString(legendId).c_str(), owner_->LegendUnit().c_str()));
  p.drawText(QRect(m + 4, 0, r - 4 - (m + 4), b - m - 4), Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap, legend);

  // The curve stays in the quadrant the axes span: left of the count axis
  // it would cross the count labels.
  p.setBackgroundMode(Qt::TransparentMode);
  p.setClipRect(QRect(m + 1, 0, r - (m + 1), b - m));
  p.setPen(QPen(QColor(255, 0, 0), 1));
  const auto& curve = owner_->CurvePoints();
  QPolygon line;
  const size_t n = std::min(curve.size(), static_cast<size_t>(std::max(0, b - m)));
  for (size_t i = 0; i < n; ++i) line << QPoint(curve[i].x, curve[i].y);
  if (line.size() > 1) p.drawPolyline(line);
}

// ===========================================================================
CSondenCalibration::CSondenCalibration(QWidget* parent, qv::CalibrationWizardServices services)
    : qv::Dialog(parent),
      services_(std::move(services)),
      counter_(services_.device, services_.clock, this),
      list_(Named(new QComboBox(this), kChannelList)),
      prompt_(Named(new QLabel(QStringLiteral("Textfeld"), this), kPrompt)),
      stepButton_(Named(new QPushButton(this), kStepButton)),
      abort_(Named(new QPushButton(QStringLiteral("&Abort"), this), kAbort)),
      value_(Named(new QLineEdit(this), kValueEdit)),
      unit_(Named(new QLineEdit(this), kUnitEdit)),
      open_(Named(new QPushButton(QStringLiteral("Open Caliper"), this), kOpenCaliper)),
      close_(Named(new QPushButton(QStringLiteral("Close Caliper"), this), kCloseCaliper)),
      progress_(Named(new QProgressBar(this), kProgress)),
      rateLabel_(Named(new QLabel(QStringLiteral("Count Rate:"), this), kRateLabel)),
      rateValue_(Named(new QLabel(QStringLiteral("9999.99"), this), kRateValue)),
      rateUnit_(Named(new QLabel(QStringLiteral("CPS"), this), kRateUnit)),
      refGroup_(Named(new QGroupBox(QStringLiteral("Adjust Reference Values"), this), kReferenceGroup)),
      jig1Label_(Named(new QLabel(QStringLiteral("Jig 1:"), this), kJig1Label)),
      jig2Label_(Named(new QLabel(QStringLiteral("Jig 2:"), this), kJig2Label)),
      jig1_(Named(new QLineEdit(this), kJig1Edit)),
      jig2_(Named(new QLineEdit(this), kJig2Edit)),
      trace_(new CCorrectionTrace(this)) {
  setFixedSize(640, 372);
  list_->setGeometry(12, 12, 220, 24);
  unit_->setGeometry(244, 12, 100, 24);
  prompt_->setGeometry(12, 46, 332, 150);
  prompt_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  prompt_->setWordWrap(true);
  value_->setGeometry(12, 202, 120, 24);
  refGroup_->setGeometry(12, 196, 332, 58);
  jig1Label_->setGeometry(24, 222, 44, 22);
  jig1_->setGeometry(70, 220, 90, 24);
  jig2Label_->setGeometry(176, 222, 44, 22);
  jig2_->setGeometry(222, 220, 90, 24);
  open_->setGeometry(12, 262, 120, 28);
  close_->setGeometry(140, 262, 120, 28);
  progress_->setGeometry(12, 298, 332, 18);
  rateLabel_->setGeometry(12, 322, 80, 20);
  rateValue_->setGeometry(96, 322, 70, 20);
  rateValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  rateUnit_->setGeometry(172, 322, 40, 20);
  trace_->setGeometry(356, 12, 272, 304);
  stepButton_->setGeometry(428, 332, 96, 28);
  abort_->setGeometry(532, 332, 96, 28);

  for (QWidget* w : std::initializer_list<QWidget*>{stepButton_, value_, unit_, open_, close_, progress_, rateLabel_,
                                                    rateValue_, rateUnit_, refGroup_, jig1Label_, jig2Label_, jig1_,
                                                    jig2_, trace_})
    w->hide();
  trace_->setEnabled(false);

  connect(stepButton_, &QPushButton::clicked, this, [this] { OnContinue(); });
  connect(abort_, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(list_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelchangeChannel(); });
  connect(open_, &QPushButton::clicked, this, [this] { OnOpenCaliper(); });
  connect(close_, &QPushButton::clicked, this, [this] { OnCloseCaliper(); });
  connect(value_, &QLineEdit::textChanged, this, [this] { OnChangeValue(); });
}

CSondenCalibration::~CSondenCalibration() { history_.Close(); }

int CSondenCalibration::Run() {
  EnsureInitialised();
  if (endCode_ != 0) return endCode_;
  exec();
  return endCode_ != 0 ? endCode_ : qv::IDCANCEL;
}

void CSondenCalibration::End(int code) {
  if (endCode_ == 0) endCode_ = code;
  EndDialog(code == qv::IDOK ? QDialog::Accepted : code == qv::IDCANCEL ? QDialog::Rejected : code);
}

QWidget* CSondenCalibration::Item(int id) const {
  if (id == kTrace) return trace_;
  return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// The prompt as the program put it there: a translated text would not
// survive the way back through CP1252.
std::string CSondenCalibration::PromptText() const {
  return prompt_->text() == QStr(promptText_) ? promptText_ : StdStr(prompt_->text());
}

ChannelCalibration* CSondenCalibration::Record() const {
  if (!m_pCalibSet || selected_ < 0 || static_cast<size_t>(selected_) >= m_pCalibSet->channels.size()) return nullptr;
  return m_pCalibSet->channels[static_cast<size_t>(selected_)].get();
}

void CSondenCalibration::Show(int id, bool shown) {
  if (QWidget* w = Item(id)) w->setVisible(shown);
}

void CSondenCalibration::Focus(int id) {
  if (QWidget* w = Item(id)) w->setFocus();
}

void CSondenCalibration::SetStepText(unsigned id) { stepButton_->setText(QStr(LoadString(id))); }

void CSondenCalibration::Prompt(unsigned id) { SetPrompt(LoadString(id)); }

// --- what counting shows ----------------------------------------------------
std::string CSondenCalibration::Prompt() const { return PromptText(); }
void CSondenCalibration::SetPrompt(const std::string& text) {
  promptText_ = text;
  prompt_->setText(QStr(text));
}

void CSondenCalibration::ShowProgress(unsigned range) {
  progress_->setRange(0, static_cast<int>(range));
  progress_->setValue(0);
  progress_->show();
}

void CSondenCalibration::StepProgress() {
  if (progress_->value() < progress_->maximum()) progress_->setValue(progress_->value() + 1);
}

void CSondenCalibration::HideProgress() { progress_->hide(); }

void CSondenCalibration::ShowRate(bool shown) {
  for (QLabel* l : {rateLabel_, rateValue_, rateUnit_}) l->setVisible(shown);
  Pump();
}

void CSondenCalibration::SetRate(const std::string& text) { rateValue_->setText(QStr(text)); }

void CSondenCalibration::Pump() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

// --- opening and selection --------------------------------------------------
bool CSondenCalibration::OnInitDialog() {
  openedAt_ = services_.now();
  qv::Dialog::OnInitDialog();
  CalibrationSet* set = m_pCalibSet;
  if (set && !set->sondeName.empty()) {
    setWindowTitle(QStr(FormatC(LoadString(kStrCaption).c_str(), set->sondeName.c_str())));
    for (size_t i = 0; i < set->channels.size() && i < 256; ++i) {
      const ChannelCalibration* rec = set->channels[i].get();
      if (rec && rec->calibratable) list_->addItem(QStr(rec->shortTitle), static_cast<int>(i));
    }
    list_->setCurrentIndex(-1);
    if (list_->count() > 0) {
      Prompt(kStrSelectChannel);
      list_->show();
      list_->setFocus();
    } else {
      Prompt(kStrNoChannel);
      list_->hide();
      abort_->setFocus();
    }
  }
  if (!set || set->sondeName.empty() || set->channels.empty()) {
    End(-1);
    return false;
  }
  jigCount_ = pointCount_ = step_ = jigIndex_ = 0;
  history_.Open(set->filePath, openedAt_);
  return true;
}

void CSondenCalibration::DoDataExchange(qv::DataExchange& dx) {
  // An empty value edit is no entry (the jig step asks for one itself).
  if (!dx.Saving() || !value_->text().isEmpty()) qv::DDX_Text(dx, value_, enteredValue_);
  qv::DDX_Text(dx, unit_, unitText_);
  if (dx.Saving()) caption_ = StdStr(list_->currentText());
}

void CSondenCalibration::OnChangeValue() { valueChanged_ = true; }

void CSondenCalibration::InvalidChannel(unsigned promptId) {
  list_->setCurrentIndex(-1);
  stepButton_->hide();
  value_->hide();
  Prompt(promptId);
  abort_->setFocus();
  step_ = 0;
}

void CSondenCalibration::OnSelchangeChannel() {
  selected_ = 0;
  if (list_->currentIndex() < 0) {
    step_ = 0;
    return;
  }
  selected_ = list_->currentData().toInt();
  ChannelCalibration* rec = Record();
  if (!rec) {
    step_ = 0;
    return;
  }
  prompt_->show();
  stepButton_->show();
  stepButton_->setEnabled(true);
  SetStepText(kStrContinue);
  stepButton_->setFocus();
  caption_ = rec->shortTitle;
  unitText_.clear();
  regime_ = rec->regime & 0xFF;
  switch (regime_) {
    case 1:
      Prompt(32015);
      step_ = 1;
      break;
    case 2: {
      // The pair's lower physical channel is the near detector and receives
      // the coefficients; the other is the far detector.
      int found = -1;
      for (size_t i = 0; i < m_pCalibSet->channels.size(); ++i) {
        const ChannelCalibration* other = m_pCalibSet->channels[i].get();
        if (static_cast<int>(i) != selected_ && other && other->regime == 2) {
          found = static_cast<int>(i);
          break;
        }
      }
      if (found < 0) {
        InvalidChannel(kStrFarNotFound);
        return;
      }
      const ChannelCalibration* other = m_pCalibSet->channels[static_cast<size_t>(found)].get();
      if (other->physicalChannel < rec->physicalChannel) {
        farChannel_ = rec->physicalChannel;
        selected_ = found;
      } else {
        farChannel_ = other->physicalChannel;
      }
      Prompt(32013);
      step_ = 2;
      break;
    }
    case 4:
      Prompt(32034);
      step_ = 4;
      break;
    case 7:
    case 8:
      Prompt(32009);
      unitText_ = rec->unit;
      unit_->show();
      unit_->setFocus();
      step_ = regime_;
      break;
    case 0:
    case 3:
    case 5:
    case 6:
      qv::ShowMessageBox(LoadString(kStrNotSupported), "", qv::MB_OK | qv::MB_ICONSTOP);
      InvalidChannel(kStrNoValidChannel);
      return;
    default:
      stepButton_->hide();
      Prompt(kStrRegimeNotFound);
      abort_->setFocus();
      jigCount_ = pointCount_ = 0;
      step_ = 0;
      break;
  }
  rec = Record();
  if (!rec->coefficients) {
    qv::ShowMessageBox(LoadString(kStrNoCoefficients), "", qv::MB_OK);
    End(-1);
    return;
  }
  for (int i = 0; i < rec->UsableCoefficientCount(); ++i) (*rec->coefficients)[static_cast<size_t>(i)] = 0;
  step_ *= 10;
  unit_->setText(QStr(unitText_));
  update();
}

// --- the steps --------------------------------------------------------------
void CSondenCalibration::Pause(uint32_t ms) {
  Pump();
  for (uint32_t done = 0; done < ms; done += kPauseSliceMs) {
    services_.clock.sleep(std::min(kPauseSliceMs, ms - done));
    Pump();
  }
}

// The sonde's supply is read while the voltage settles; the caller switched
// the power on before the wizard ran.
bool CSondenCalibration::PowerPause(uint32_t ms) {
  Prompt(kStrPowerPause);
  stepButton_->hide();
  abort_->hide();
  auto db = qv::OpenSondeDatabase();
  qv::SondePowerValues power;
  const int read = db ? qv::GetSondePower(&power, db.get(), m_pCalibSet->abbreviation, m_pCalibSet->serialNumber) : 0;
  qv::CloseSondeDatabase(db);
  if (!read) {
    qv::ShowMessageBox(LoadString(kStrNoDatabase), "", qv::MB_OK);
    End(-1);
    return false;
  }
  Pause(ms);
  return true;
}

qv::CountingSetup CSondenCalibration::CountSetup() const {
  qv::CountingSetup s;
  s.comStd = static_cast<uint8_t>(qv::GetSondeComStd(g_strCurrentSonde));
  s.toolType = static_cast<uint8_t>(qv::GetToolType(g_strCurrentSonde, false));
  s.timeStep = static_cast<int16_t>(g_nTimeStep.load());
  s.channel = Record() ? Record()->physicalChannel : 1;
  return s;
}

void CSondenCalibration::Count(uint16_t seconds) { counter_.CountPackets(CountSetup(), seconds); }

uint16_t CSondenCalibration::CountOf(int physicalChannel) const { return counter_.Count(physicalChannel); }

// A count above 65535 cannot be held as a calibration point: made from the
// clipped value the fit would be wrong without anyone knowing. The user is
// told, and the step counts again when Continue is pressed.
bool CSondenCalibration::CountsInRange(std::initializer_list<int> physicalChannels) {
  for (int channel : physicalChannels) {
    if (!counter_.AboveCountRange(channel)) continue;
    const std::string text =
        FormatC(LoadString(kStrCountTooHigh).c_str(), counter_.Averages()[static_cast<size_t>(channel - 1)]);
    qv::ShowMessageBox(text, "", qv::MB_OK | qv::MB_ICONWARNING);
    SetPrompt(text);
    prompt_->show();
    abort_->show();
    stepButton_->show();
    stepButton_->setFocus();
    return false;
  }
  return true;
}

void CSondenCalibration::OnOpenCaliper() { counter_.OpenCaliper(CountSetup()); }

void CSondenCalibration::OnCloseCaliper() { counter_.CloseCaliper(CountSetup()); }

void CSondenCalibration::OnCancel() {
  counter_.CloseOnAbort();
  End(qv::IDCANCEL);
}

bool CSondenCalibration::TakeFit(const qv::FitResult& fit) {
  ChannelCalibration* rec = Record();
  if (!fit.ok || !rec || !rec->coefficients) {
    qv::ShowMessageBox(fit.error, "", qv::MB_OK | qv::MB_ICONSTOP);
    SetPrompt(fit.error);
    stepButton_->hide();
    value_->hide();
    abort_->show();
    abort_->setFocus();
    step_ = 0;
    return false;
  }
  *rec->coefficients = fit.c;
  return true;
}

void CSondenCalibration::StepPowerAndCaliper(uint32_t pauseMs, bool arms) {
  if (!PowerPause(pauseMs)) return;
  abort_->show();
  stepButton_->show();
  SetStepText(kStrContinue);
  if (arms) {
    Prompt(kStrPressOpen);
    open_->show();
    close_->show();
  } else {
    Prompt(kStrEnterJigCount);
    value_->setFocus();
    value_->show();
  }
}

void CSondenCalibration::StepJigCount() {
  ChannelCalibration* rec = Record();
  unitText_ = rec->unit;
  const double entered = enteredValue_;
  enteredValue_ = 0;
  value_->clear();
  // Only 2, 3 or 4 jigs make a fit (a value far out of range must not wrap
  // into one).
  if (!(entered >= 2 && entered < kCoefficientSlots + 1)) {
    value_->setFocus();
    qv::Beep(0xFFFFFFFFu);
    return;
  }
  jigCount_ = static_cast<int>(entered);
  SetPrompt(FormatC(LoadString(kStrPlaceInJig).c_str(), 1));
  value_->setFocus();
  pointCount_ = 0;
  valueChanged_ = false;
  value_->selectAll();
  step_ = step_ == 72 ? 73 : 82;
}

void CSondenCalibration::StepJig() {
  value_->selectAll();
  if (!valueChanged_) {
    qv::ShowMessageBox(LoadString(kStrEnterJigValue), "", qv::MB_OK);
    value_->setFocus();
    return;
  }
  valueChanged_ = false;
  if (jigIndex_ >= kCoefficientSlots) return;
  ChannelCalibration* rec = Record();
  references_[static_cast<size_t>(jigIndex_)] = enteredValue_;
  SetPrompt(FormatC(LoadString(kStrCountingJig).c_str(), static_cast<int>(kJigCountSeconds), jigIndex_ + 1));
  stepButton_->hide();
  abort_->hide();
  Count(kJigCountSeconds);
  if (!CountsInRange({rec->physicalChannel})) {
    // The same jig is counted again with the value already entered.
    valueChanged_ = true;
    return;
  }
  counts_[static_cast<size_t>(jigIndex_)] = CountOf(rec->physicalChannel);
  ++jigIndex_;
  ++pointCount_;
  stepButton_->show();
  abort_->show();
  if (pointCount_ < jigCount_) {
    SetPrompt(FormatC(LoadString(kStrPlaceInJig).c_str(), jigIndex_ + 1));
    value_->setFocus();
    return;
  }
  unitText_.clear();
  value_->hide();
  double counts[kCoefficientSlots];
  for (int i = 0; i < pointCount_; ++i) counts[i] = counts_[static_cast<size_t>(i)];
  if (!TakeFit(qv::FitJigPoints(counts, references_.data(), pointCount_))) return;
  trace_->show();
  ComputeCorrectionCurve();
  std::string text = LoadString(kStrJigResult);
  for (int i = 0; i < pointCount_; ++i) text += FormatC("\nA%d = %.5G", i, (*rec->coefficients)[static_cast<size_t>(i)]);
  SetPrompt(text);
  SetStepText(kStrSave);
  stepButton_->setFocus();
  step_ = 100;
}

void CSondenCalibration::OnContinue() {
  // A value that is not a number has been reported by the exchange; the
  // steps that take a value then wait for a valid one.
  const bool exchanged = UpdateData(true);
  list_->hide();
  unit_->hide();
  ChannelCalibration* rec = Record();
  const int channel = rec ? rec->physicalChannel : 0;
  switch (step_) {
    case 10:
      StepPowerAndCaliper(kLongPowerPauseMs, true);
      if (endCode_ == 0) step_ = 11;
      break;
    case 11:
      SetPrompt(FormatC(LoadString(kStrCountingJig).c_str(), static_cast<int>(kLongCountSeconds), 1));
      Count(kLongCountSeconds);
      if (!CountsInRange({channel})) break;
      jig1Count_ = CountOf(channel);
      Prompt(kStrPlaceInWater);
      abort_->show();
      stepButton_->show();
      step_ = 12;
      break;
    case 12:
      stepButton_->hide();
      abort_->hide();
      SetPrompt(FormatC(LoadString(kStrCountingJig).c_str(), static_cast<int>(kLongCountSeconds), 2));
      Count(kLongCountSeconds);
      if (!CountsInRange({channel})) break;
      jig2Count_ = CountOf(channel);
      stepButton_->show();
      abort_->show();
      prompt_->hide();
      jig1_->setText(QStr(FormatC("%d", static_cast<int>(kAluminiumDefault))));
      jig2_->setText(QStr(FormatC("%d", static_cast<int>(kWaterDefault))));
      for (QWidget* w : std::initializer_list<QWidget*>{refGroup_, jig1Label_, jig2Label_, jig1_, jig2_}) w->show();
      step_ = 13;
      break;
    case 13: {
      prompt_->show();
      for (QWidget* w : std::initializer_list<QWidget*>{refGroup_, jig1Label_, jig2Label_, jig1_, jig2_}) w->hide();
      double r1 = qv::AtofC(StdStr(jig1_->text()).c_str());
      if (r1 == 0) r1 = kAluminiumDefault;
      double r2 = qv::AtofC(StdStr(jig2_->text()).c_str());
      if (r2 == 0) r2 = kWaterDefault;
      references_ = {r1, r2, 0, 0};
      counts_ = {jig1Count_, jig2Count_, 0, 0};
      pointCount_ = 2;
      if (!TakeFit(qv::FitTwoJigLine(jig1Count_, r1, jig2Count_, r2))) break;
      legendUnit_ = rec->unit;
      SetPrompt(FormatC(LoadString(kStrDensityResult).c_str(), static_cast<unsigned>(jig1Count_),
                        static_cast<unsigned>(jig2Count_), (*rec->coefficients)[0], (*rec->coefficients)[1]));
      trace_->show();
      ComputeCorrectionCurve();
      abort_->show();
      SetStepText(kStrSave);
      stepButton_->setFocus();
      step_ = 100;
      break;
    }
    case 20: {
      if (!PowerPause(kShortPowerPauseMs)) break;
      SetPrompt(FormatC(LoadString(kStrCountingSleeve).c_str(), static_cast<int>(kLongCountSeconds)));
      Count(kLongCountSeconds);
      if (!CountsInRange({channel, farChannel_})) break;
      nearCount_ = CountOf(channel);
      farCount_ = CountOf(farChannel_);
      pointCount_ = 2;
      counts_ = {static_cast<uint16_t>(nearCount_), static_cast<uint16_t>(farCount_), 0, 0};
      references_ = {0, 0, 0, 0};
      const double ratio = nearCount_ != 0 ? static_cast<double>(farCount_) / nearCount_ : 0.0;
      SetPrompt(FormatC(LoadString(kStrSleeveResult).c_str(), static_cast<long>(farCount_),
                        static_cast<long>(nearCount_), ratio));
      abort_->show();
      stepButton_->show();
      value_->show();
      value_->setFocus();
      unitText_.clear();
      caption_ = LoadString(kStrExpectedRatio);
      step_ = 21;
      break;
    }
    case 21:
      if (!exchanged) break;
      caption_ = rec->shortTitle;
      value_->hide();
      expectedRatio_ = enteredValue_;
      if (!TakeFit(qv::FitRatioCorrection(nearCount_, farCount_, expectedRatio_))) break;
      SetPrompt(FormatC(LoadString(kStrRatioResult).c_str(), (*rec->coefficients)[1]));
      SetStepText(kStrSave);
      stepButton_->setFocus();
      step_ = 100;
      break;
    case 40:
      if (!PowerPause(kShortPowerPauseMs)) break;
      SetPrompt(FormatC(LoadString(kStrCountingBackground).c_str(), static_cast<int>(kLongCountSeconds)));
      Count(kLongCountSeconds);
      if (!CountsInRange({channel})) break;
      background_ = CountOf(channel);
      Prompt(kStrPlaceInApiJig);
      abort_->show();
      stepButton_->show();
      step_ = 41;
      break;
    case 41:
      abort_->hide();
      stepButton_->hide();
      SetPrompt(FormatC(LoadString(kStrCountingApiJig).c_str(), static_cast<int>(kLongCountSeconds)));
      Count(kLongCountSeconds);
      if (!CountsInRange({channel})) break;
      apiCount_ = CountOf(channel);
      unitText_ = rec->unit;
      Prompt(kStrEnterApiValue);
      abort_->show();
      stepButton_->show();
      value_->show();
      value_->setFocus();
      step_ = 42;
      break;
    case 42:
      if (!exchanged) break;
      expectedRatio_ = enteredValue_;
      references_ = {0, expectedRatio_, 0, 0};
      counts_ = {background_, apiCount_, 0, 0};
      pointCount_ = 2;
      if (!TakeFit(qv::FitApiCorrection(background_, apiCount_, expectedRatio_))) break;
      SetPrompt(FormatC(LoadString(kStrApiResult).c_str(), static_cast<unsigned>(background_),
                        static_cast<unsigned>(apiCount_), (*rec->coefficients)[1]));
      value_->hide();
      SetStepText(kStrSave);
      stepButton_->setFocus();
      step_ = 100;
      break;
    case 70:
    case 80:
      rec->unit = unitText_;
      legendUnit_ = unitText_;
      unitText_.clear();
      enteredValue_ = rec->coefficientCount;
      value_->setText(QStr(qv::FormatNumber(enteredValue_)));
      StepPowerAndCaliper(kLongPowerPauseMs, step_ == 70);
      if (endCode_ == 0) step_ = step_ == 70 ? 71 : 81;
      break;
    case 71:
      Prompt(kStrEnterJigCount);
      value_->setFocus();
      abort_->show();
      value_->show();
      stepButton_->show();
      SetStepText(kStrContinue);
      step_ = 72;
      break;
    case 72:
    case 81:
      if (exchanged) StepJigCount();
      break;
    case 73:
    case 82:
      if (exchanged || !valueChanged_) StepJig();
      break;
    case 100:
      Save();
      break;
    case 101:
      End(qv::IDOK);
      break;
    default:
      break;
  }
  update();
}

void CSondenCalibration::Save() {
  ChannelCalibration* rec = Record();
  if (!rec) return;
  qv::CalibrationMeasurement m;
  m.regime = regime_;
  m.pointCount = pointCount_;
  for (size_t i = 0; i < references_.size(); ++i) {
    m.references[i] = references_[i];
    m.counts[i] = counts_[i];
  }
  m.nearCount = nearCount_;
  m.farCount = farCount_;
  m.expectedRatio = expectedRatio_;
  if (!qv::SaveChannelCalibration(*m_pCalibSet, *rec, m, &history_, services_.now())) {
    // The date of a calibration that did not reach its file must not be
    // recorded as done.
    qv::ShowMessageBox(FormatC(LoadString(kStrNotSaved).c_str(), m_pCalibSet->filePath.c_str()), "",
                       qv::MB_OK | qv::MB_ICONSTOP);
    return;
  }
  SetStepText(kStrFinish);
  stepButton_->setFocus();
  step_ = 101;
}

void CSondenCalibration::ComputeCorrectionCurve() {
  const ChannelCalibration* rec = Record();
  scale_ = qv::CorrectionTraceScale(references_.data(), counts_.data(), pointCount_, trace_->PlotWidth(),
                                    trace_->PlotHeight());
  curve_ = qv::CorrectionCurve(rec && rec->coefficients ? *rec->coefficients : Coefficients{}, pointCount_, scale_,
                               0, trace_->PlotHeight());
  trace_->update();
}

// The channel's title and the unit stand where the list and the unit edit
// were once those are hidden.
void CSondenCalibration::paintEvent(QPaintEvent* event) {
  qv::Dialog::paintEvent(event);
  QPainter p(this);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(14);
  font.setWeight(QFont::DemiBold);
  p.setFont(font);
  if (!caption_.empty())
    p.drawText(list_->geometry().adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, QStr(caption_));
  if (!unitText_.empty())
    p.drawText(unit_->geometry().adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, QStr(unitText_));
}
