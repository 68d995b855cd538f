#include "scope_shot_dlg.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cmath>
#include <cstdlib>

#include "logdoc/monitor/live_device.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"

namespace {
constexpr unsigned kStrSnapshot = 32471;
constexpr unsigned kStrGetSamples = 32472;
constexpr int kTimerId = 2;
constexpr int kSampleBufferSize = 12388;

// The scroll code of a bar's action; vertical and horizontal share them.
int ScrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return CScopeShotDlg::SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd:
      return CScopeShotDlg::SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub:
      return CScopeShotDlg::SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd:
      return CScopeShotDlg::SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum:
      return CScopeShotDlg::SB_TOP;
    case QAbstractSlider::SliderToMaximum:
      return CScopeShotDlg::SB_BOTTOM;
    case QAbstractSlider::SliderMove:
      return CScopeShotDlg::SB_THUMBTRACK;
    default:
      return CScopeShotDlg::SB_ENDSCROLL;
  }
}
}  // namespace

CMonitor::CMonitor(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(CScopeShotDlg::kIdPanel));
  setFixedSize(CScopeShotDlg::kPanelWidth, CScopeShotDlg::kPanelHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMonitor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width(), h = height();
  p.fillRect(rect(), Qt::black);
  const QPoint c(w / 2, h / 2);
  const QColor olive(128, 128, 0);
  p.setPen(QPen(olive, 2));
  p.drawLine(0, c.y(), w, c.y());
  p.setPen(QPen(olive, 1));
  for (int x = 50; x < w; x += 50) p.drawLine(x, 0, x, h);
  for (int d = 50; d < h / 2; d += 50) {
    p.drawLine(0, c.y() + d, w, c.y() + d);
    p.drawLine(0, c.y() - d, w, c.y() - d);
  }
  const int level = dialog_ ? dialog_->Level() : 0;
  p.setPen(QPen(QColor(255, 0, 0), 1));
  p.drawLine(0, c.y() + h * level / 255, w, c.y() + h * level / 255);
  p.drawLine(0, c.y() - h * level / 255, w, c.y() - h * level / 255);
  if (dialog_ && !dialog_->Points().empty()) {
    p.setPen(QPen(QColor(255, 255, 0), 1));
    const auto& pts = dialog_->Points();
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
  }
}

void CMonitor::mouseMoveEvent(QMouseEvent* event) {
  if (dialog_) dialog_->OnMouseMove(mapTo(dialog_, event->position().toPoint()));
  QWidget::mouseMoveEvent(event);
}

CScopeShotDlg::CScopeShotDlg(QWidget*, qv::LiveDevice* document)
    : qv::Dialog(nullptr),
      document_(document),
      panel_(new CMonitor(this)),
      snapshot_(new QPushButton(QStringLiteral("Snapshot"), this)),
      positionBar_(new QScrollBar(Qt::Horizontal, this)),
      timeBaseBar_(new QScrollBar(Qt::Vertical, this)),
      timeBaseText_(new QLabel(QStringLiteral("1"), this)) {
  setWindowTitle(QStringLiteral("Cable Transmission Monitor"));
  setMouseTracking(true);
  snapshot_->setObjectName(QString::number(kIdSnapshot));
  positionBar_->setObjectName(QString::number(kIdPosition));
  timeBaseBar_->setObjectName(QString::number(kIdTimeBase));
  timeBaseText_->setObjectName(QString::number(kIdTimeBaseText));
  auto* exit = new QPushButton(QStringLiteral("Exit"), this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(panel_, 0, 0, 1, 3);
  grid->addWidget(timeBaseBar_, 0, 3);
  grid->addWidget(positionBar_, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Time Base:"), this), 2, 0);
  grid->addWidget(timeBaseText_, 2, 1);
  grid->addWidget(snapshot_, 3, 0);
  grid->addWidget(exit, 3, 2);
  connect(snapshot_, &QPushButton::clicked, this, [this] { OnSnapshot(); });
  connect(exit, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
  connect(timeBaseBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnVScroll(ScrollCodeOf(action), timeBaseBar_->sliderPosition()); });
  connect(positionBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnHScroll(ScrollCodeOf(action), positionBar_->sliderPosition()); });
}

CScopeShotDlg::~CScopeShotDlg() {
  timer_.stop();
}

bool CScopeShotDlg::OnInitDialog() {
  qv::Dialog::OnInitDialog();
  if (!panel_) return false;
  panelRect_ = QRect(0, 0, panel_->width(), panel_->height());
  panel_->SetDialog(this);
  samples_.assign(kSampleBufferSize, 0);
  timerId_ = 0;
  scale_ = panelRect_.height() > 0 ? 255.0f / static_cast<float>(panelRect_.height()) : 1.0f;

  {
    const QSignalBlocker quiet(timeBaseBar_);
    timeBaseBar_->setRange(timeBaseLow_, timeBaseHigh_);
    timeBaseBar_->setSliderPosition(1);
  }
  timeBaseText_->setText(QString::number(1u));
  timeBase_ = 1;
  SetPositionRange();

  points_.clear();
  for (int i = 0; i < panelRect_.width(); ++i) points_.emplace_back(i, panelRect_.height() / 2);
  if (points_.empty()) return false;
  panel_->update();

  StartTimer(500);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
  caption_ = qv::StdStr(windowTitle());
  return true;
}

void CScopeShotDlg::SetPositionRange() {
  positionLow_ = 1;
  positionHigh_ = timeBase_ * 100;
  position_ = 1;
  const QSignalBlocker quiet(positionBar_);
  positionBar_->setRange(positionLow_, positionHigh_);
  positionBar_->setSliderPosition(position_);
}

void CScopeShotDlg::StartTimer(int periodMs) {
  timer_.start(periodMs);
  timerId_ = kTimerId;
}

int CScopeShotDlg::TimerPeriod() const {
  return timerId_ ? timer_.interval() : 0;
}

void CScopeShotDlg::OnTimer() {
  FetchSamples();
  UpdateScopeTrace();
}

void CScopeShotDlg::FetchSamples() {
  if (document_ && samples_.size() >= static_cast<size_t>(kSamples)) document_->CopyScopeShot(samples_.data());
}

void CScopeShotDlg::UpdateScopeTrace() {
  const int w = panelRect_.width(), h = panelRect_.height();
  if (w <= 0 || h <= 0 || samples_.size() < static_cast<size_t>(kSamples)) return;
  const int tb = std::max(1, timeBase_);
  const int count = static_cast<int>(static_cast<double>(kSamples) / w / tb);
  if (!points_.empty()) {
    const int start =
        static_cast<int>(static_cast<double>(position_) * kSamples / std::max(1, positionHigh_) * (1.0 - 1.0 / tb));
    for (int i = 0; i < w && i < static_cast<int>(points_.size()); ++i) {
      int best = 0;
      for (int j = 0; j < count; ++j) {
        const long index = static_cast<long>(start) + static_cast<long>(i) * count + j;
        if (index < 0 || index >= kSamples) break;
        const int d = samples_[static_cast<size_t>(index)] - 128;
        if (std::abs(d) >= std::abs(best)) best = d;
      }
      points_[static_cast<size_t>(i)] = QPoint(i, h - static_cast<int>((best + 128) / scale_));
    }
  }
  panel_->update();
}

void CScopeShotDlg::OnVScroll(int code, int) {
  if (code != SB_ENDSCROLL) {
    // The bar only moves as the handler says.
    int tb = timeBase_;
    if (code == SB_LINEDOWN && tb > timeBaseLow_) --tb;
    if (code == SB_LINEUP && tb < timeBaseHigh_) ++tb;
    {
      // Setting the position must not come back here as a thumb move.
      const QSignalBlocker quiet(timeBaseBar_);
      timeBaseBar_->setSliderPosition(tb);
    }
    if (tb != timeBase_) {
      timeBase_ = timeBaseBar_->sliderPosition();
      timeBaseText_->setText(QString::fromStdString(qv::FormatC("%u", static_cast<unsigned>(timeBase_))));
      SetPositionRange();
    }
    UpdateScopeTrace();
  }
}

void CScopeShotDlg::OnHScroll(int code, int position) {
  if (code == SB_ENDSCROLL) return;
  int pos = position_;
  switch (code) {
    case SB_LINELEFT:
      if (pos > positionLow_) pos -= 1;
      break;
    case SB_PAGELEFT:
      if (pos - 9 > positionLow_) pos -= 10;
      break;
    case SB_LINERIGHT:
      if (pos < positionHigh_) pos += 1;
      break;
    case SB_PAGERIGHT:
      if (pos + 9 < positionHigh_) pos += 10;
      break;
    case SB_THUMBTRACK:
      if (static_cast<unsigned>(position) > static_cast<unsigned>(positionLow_) &&
          static_cast<unsigned>(position) < static_cast<unsigned>(positionHigh_))
        pos = position;
      break;
    default:
      break;
  }
  {
    const QSignalBlocker quiet(positionBar_);
    positionBar_->setSliderPosition(pos);
  }
  position_ = positionBar_->sliderPosition();
  UpdateScopeTrace();
}

void CScopeShotDlg::OnSnapshot() {
  if (timerId_) {
    timer_.stop();
    timerId_ = 0;
    snapshot_->setText(qv::QStr(qv::LoadString(kStrGetSamples)));
  } else {
    StartTimer(100);
    snapshot_->setText(qv::QStr(qv::LoadString(kStrSnapshot)));
  }
}

void CScopeShotDlg::OnMouseMove(QPoint point) {
  const QPoint p = panel_->mapFrom(this, point);
  const int h = panelRect_.height();
  // The signal level under the pointer: 128 at the top, 0 at the centre.
  const int level = h > 0 ? static_cast<int>(128 - p.y() / (h / 255.0)) : 0;
  if (panelRect_.contains(p))
    setWindowTitle(qv::QStr(caption_ + qv::FormatC(" - [%d]", level)));
  else
    setWindowTitle(qv::QStr(caption_));
}

void CScopeShotDlg::mouseMoveEvent(QMouseEvent* event) {
  OnMouseMove(event->position().toPoint());
  qv::Dialog::mouseMoveEvent(event);
}

void CScopeShotDlg::OnCancel() {
  samples_.clear();
  samples_.shrink_to_fit();
  timer_.stop();
  timerId_ = 0;
  points_.clear();
  qv::Dialog::OnCancel();
}
