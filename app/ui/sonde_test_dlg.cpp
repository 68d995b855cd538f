#include "sonde_test_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include <algorithm>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/bars.h"
#include "platform/docview/qtext.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "app/newlog/new_log.h"

namespace {

constexpr unsigned kStrStartTest = 32006;
constexpr unsigned kStrStopTest = 32007;
constexpr unsigned kStrPowerOn = 32373;

// Dialog units in pixels, from the average width and the height of the
// dialog's font, so that the texts fit whatever font the desktop gives.
struct DialogUnits {
  int cx = 6, cy = 13;
  explicit DialogUnits(const QFontMetrics& fm) {
    cx = std::max(1, (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2);
    cy = std::max(1, fm.height());
  }
  QRect operator()(int x, int y, int w, int h) const { return QRect(x * cx / 4, y * cy / 8, w * cx / 4, h * cy / 8); }
};

template <class W>
W* Place(W* w, unsigned id, const QRect& r) {
  w->setObjectName(QString::number(id));
  w->setGeometry(r);
  return w;
}

QString Str(unsigned id) { return qv::QStr(qv::LoadString(id)); }

QPointer<CSondeTestDlg> g_sondeTest;

}  // namespace

SondeTestLookups& SondeTestSources() {
  static SondeTestLookups lookups{[](const std::string& s) { return qv::GetToolType(s, false); },
                                  [](const std::string& s) { return qv::GetComStd(s, false); }};
  return lookups;
}

void UseDatabaseSondeTestSources() {
  SondeTestSources() = SondeTestLookups{[](const std::string& s) { return qv::GetToolType(s, false); },
                                        [](const std::string& s) { return qv::GetComStd(s, false); }};
}

// ===========================================================================
CDataMonitor::CDataMonitor(QWidget* parent)
    : QFrame(parent), trace_(std::make_shared<qv::SharedTrace>()), repaint_(this) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  trace_->SetOnChange([this] { Changed(); });
}

bool CDataMonitor::Create(const std::string& title, const QRect& rect, QWidget* parent, unsigned id, bool imageMode,
                          int samples) {
  title_ = title;
  if (parent && parentWidget() != parent) setParent(parent);
  setObjectName(QString::number(id));
  setGeometry(rect);
  const QRect client = contentsRect();
  trace_->Create(client.width(), client.height(), imageMode, samples);
  show();
  return true;
}

void CDataMonitor::ShowData(const void* data, int type, int marker, int threshold) {
  trace_->ShowData(data, type, marker, threshold);
}

void CDataMonitor::SetZoom(int horizontal, int vertical) { trace_->SetZoom(horizontal, vertical); }

void CDataMonitor::Changed() {
  repaint_.Post([this] { update(); });
}

void CDataMonitor::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const qv::MonitorTrace t = trace_->Snapshot();
  const QRect client = contentsRect();
  QPainter p(this);
  p.setClipRect(client);
  p.translate(client.topLeft());
  const QColor face(240, 240, 240);
  if (t.ImageMode()) {
    if (t.Samples() > 0 && t.Height() > 0) {
      const QImage image(t.Image().data(), t.Samples(), t.Height(), t.Samples(), QImage::Format_Grayscale8);
      p.drawImage(QRect(0, 0, client.width(), client.height()), image);
    } else {
      p.fillRect(QRect(0, 0, client.width(), client.height()), face);
    }
  } else {
    p.fillRect(QRect(0, 0, client.width(), client.height()), face);
    const int threshold = t.ThresholdLine();
    if (threshold >= 0) {
      p.setPen(QColor(170, 170, 170));
      p.drawLine(0, threshold, t.Width(), threshold);
    }
    std::vector<QPoint> pts;
    pts.reserve(static_cast<size_t>(t.PointsDrawn()));
    for (int i = 0; i < t.PointsDrawn(); ++i) pts.emplace_back(t.Points()[static_cast<size_t>(i)].x, t.Points()[static_cast<size_t>(i)].y);
    const int marker = t.MarkerPoint();
    if (marker >= 0) {
      p.setPen(QColor(170, 170, 170));
      p.drawLine(pts[static_cast<size_t>(marker)].x(), 0, pts[static_cast<size_t>(marker)].x(), t.Height());
      p.setPen(QColor(210, 0, 0));
      p.drawPolyline(pts.data(), marker + 1);
      p.setPen(Qt::black);
      p.drawPolyline(pts.data() + marker, static_cast<int>(pts.size()) - marker);
    } else if (!pts.empty()) {
      p.setPen(Qt::black);
      p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    }
  }
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  p.setFont(font);
  p.setPen(QColor(255, 0, 0));
  p.drawText(QPoint(5, 5 + QFontMetrics(font).ascent()), qv::QStr(title_));
}

// ===========================================================================
CSondeTestDlg::CSondeTestDlg(QWidget* parent) : qv::Dialog(parent), errorPost_(this) {
  const DialogUnits Du(fontMetrics());
  setWindowTitle(QStringLiteral("Sonde Test Utility"));
  setModal(false);
  setFixedSize(Du(0, 0, 356, 211).size());
  frame_ = Place(new QGroupBox(QStringLiteral("Data output from sonde"), this), kIdTestFrame, Du(7, 5, 232, 160));
  channelCaption_ = Place(new QLabel(QStringLiteral("Channel"), this), kIdTestChannelCaption, Du(248, 5, 40, 9));
  valueCaption_ = Place(new QLabel(QStringLiteral("Value (CPS)"), this), kIdTestValueCaption, Du(292, 5, 58, 9));
  separator1_ = Place(new QFrame(this), kIdTestSeparator1, Du(248, 15, 102, 1));
  separator1_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  for (int i = 0; i < 12; ++i) {
    numbers_.push_back(Place(new QLabel(QString::number(i + 1), this), static_cast<unsigned>(kIdTestFirstNumber + i),
                             Du(252, 18 + 10 * i, 24, 9)));
    auto* value = Place(new QLabel(QStringLiteral("99999"), this), static_cast<unsigned>(kIdTestFirstValue + i),
                        Du(292, 18 + 10 * i, 58, 9));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    values_.push_back(value);
  }
  separator2_ = Place(new QFrame(this), kIdTestSeparator2, Du(248, 139, 102, 1));
  separator2_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  auto* errorCaption = new QLabel(QStringLiteral("Reported hardware errors:"), this);
  errorCaption->setGeometry(Du(7, 168, 120, 9));
  error_ = Place(new QLabel(QStringLiteral("No error"), this), kIdTestError, Du(7, 178, 232, 20));
  error_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  error_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  showData_ = Place(new QCheckBox(QStringLiteral("Show Data"), this), kIdTestShowData, Du(248, 145, 50, 14));
  start_ = Place(new QPushButton(Str(kStrStartTest), this), kIdTestStart, Du(302, 145, 48, 14));
  cable_ = Place(new QPushButton(QStringLiteral("Cable Settings"), this), kIdTestCableSettings, Du(248, 163, 50, 14));
  cableIf_ = Place(new QPushButton(QStringLiteral("Test Cable IF"), this), kIdTestCableIf, Du(302, 163, 48, 14));
  close_ = Place(new QPushButton(QStringLiteral("Close"), this), kIdTestClose, Du(302, 190, 48, 14));
  for (QPushButton* b : {start_, cable_, cableIf_, close_}) b->setAutoDefault(false);
  zoomCaption_ = Place(new QLabel(QStringLiteral("Window Zoom"), this), kIdTestZoomCaption, Du(7, 200, 56, 9));
  vCaption_ = Place(new QLabel(QStringLiteral("V"), this), kIdTestVCaption, Du(66, 200, 6, 9));
  vZoom_ = Place(new QSlider(Qt::Horizontal, this), kIdTestVZoom, Du(73, 199, 66, 11));
  hCaption_ = Place(new QLabel(QStringLiteral("H"), this), kIdTestHCaption, Du(146, 200, 6, 9));
  hZoom_ = Place(new QSlider(Qt::Horizontal, this), kIdTestHZoom, Du(153, 199, 66, 11));
  for (QWidget* w : std::initializer_list<QWidget*>{zoomCaption_, vCaption_, vZoom_, hCaption_, hZoom_}) w->hide();

  connect(start_, &QPushButton::clicked, this, [this] { OnStartTest(); });
  connect(showData_, &QCheckBox::clicked, this, [this] { OnShowData(); });
  connect(cable_, &QPushButton::clicked, this, [this] { OnCableSettings(); });
  connect(cableIf_, &QPushButton::clicked, this, [this] { OnTestCableIF(); });
  connect(close_, &QPushButton::clicked, this, [this] { OnClose(); });
  connect(hZoom_, &QSlider::valueChanged, this, [this] { OnHScroll(); });
  connect(vZoom_, &QSlider::valueChanged, this, [this] { OnHScroll(); });
  connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
}

CSondeTestDlg::~CSondeTestDlg() { OnDestroy(); }

CSondeTestDlg* CSondeTestDlg::Current() { return g_sondeTest.data(); }

void CSondeTestDlg::CloseFor(const LogDocumentShell* doc) {
  CSondeTestDlg* dlg = g_sondeTest.data();
  if (dlg && doc && dlg->doc_ == doc) dlg->OnClose();
}

CSondeTestDlg* CSondeTestDlg::OnTestSonde(QWidget* parent) {
  if (g_sondeTest || g_bUtilityActive) return g_sondeTest.data();
  auto* dlg = new CSondeTestDlg(parent);
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  if (!dlg->Create()) {
    delete dlg;
    return nullptr;
  }
  g_sondeTest = dlg;
  dlg->show();
  return dlg;
}

bool CSondeTestDlg::Create() {
  EnsureInitialised();
  return created_;
}

bool CSondeTestDlg::OnInitDialog() {
  doc_ = ActiveLogDocument();
  sonde_ = g_strCurrentSonde;
  if (sonde_.empty() || !doc_) return false;
  const int toolType = SondeTestSources().toolType ? SondeTestSources().toolType(sonde_) : -1;
  const int comStd = SondeTestSources().comStd ? SondeTestSources().comStd(sonde_) : 0;
  const qv::SondeTestLayout layout = qv::LayoutForTool(toolType, comStd);
  if (layout.family == qv::TestFamily::None) return false;

  // The panels fill the frame below its caption, 6 pixels in from every side.
  const QRect area = frame_->geometry().adjusted(6, 6 + fontMetrics().height(), -6, -6);
  const std::vector<qv::PanelRect> rects = qv::StackPanels({area.x(), area.y(), area.width(), area.height()},
                                                           static_cast<int>(layout.panels.size()), layout.gap);
  std::vector<std::shared_ptr<qv::SharedTrace>> traces;
  for (size_t i = 0; i < layout.panels.size(); ++i) {
    auto* panel = new CDataMonitor(this);
    const qv::PanelRect& r = rects[i];
    panel->Create(layout.panels[i].title, QRect(r.x, r.y, r.width, r.height), this,
                  static_cast<unsigned>(kIdTestFirstPanel + static_cast<int>(i)), layout.panels[i].imageMode,
                  layout.samples);
    panels_.push_back(panel);
    traces.push_back(panel->Trace());
  }
  if (layout.zoomControls) {
    hZoom_->setRange(1, 5);
    vZoom_->setRange(1, 10);
    hZoom_->setValue(1);
    vZoom_->setValue(1);
    for (QWidget* w : std::initializer_list<QWidget*>{zoomCaption_, vCaption_, vZoom_, hCaption_, hZoom_}) w->show();
  }
  engine_ = std::make_unique<qv::SondeTestEngine>(toolType, comStd, doc_, static_cast<qv::SondeTestHost*>(this),
                                                  std::move(traces));
  timer_.start(400);
  showData_->setChecked(false);
  InitTestState();
  if (QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  created_ = true;
  return true;
}

void CSondeTestDlg::InitTestState() {
  ShowValueFields();
  update();
  g_bUtilityActive = 1;
  if (engine_ && engine_->Running()) OnStartTest();
}

void CSondeTestDlg::ShowValueFields() {
  const bool show = engine_ && engine_->Layout().valueFields;
  const int enabled = engine_ ? engine_->Layout().enabledFields : 0;
  channelCaption_->setVisible(show);
  valueCaption_->setVisible(show);
  for (int i = 0; i < 12; ++i) {
    numbers_[static_cast<size_t>(i)]->setVisible(show);
    values_[static_cast<size_t>(i)]->setVisible(show);
    numbers_[static_cast<size_t>(i)]->setEnabled(i < enabled);
    values_[static_cast<size_t>(i)]->setEnabled(i < enabled);
  }
}

void CSondeTestDlg::OnStartTest() {
  if (!engine_) return;
  if (!g_bSondePowerOn && !engine_->Running()) {
    qv::ShowMessageBox(qv::LoadString(kStrPowerOn), {}, qv::MB_OK | qv::MB_ICONSTOP);
    return;
  }
  StartStopTest(engine_->Running());
}

void CSondeTestDlg::StartStopTest(bool stop) {
  if (!engine_) return;
  EnableShowData(false);
  timer_.stop();
  if (engine_->StartStopTest(stop)) {
    EnableShowData(engine_->Layout().family != qv::TestFamily::Televiewer);
    start_->setText(Str(kStrStopTest));
  } else {
    start_->setText(Str(kStrStartTest));
  }
}

void CSondeTestDlg::StopWorker() {
  EnableShowData(false);
  timer_.stop();
  if (engine_) engine_->StopWorker();
}

void CSondeTestDlg::EnableShowData(bool enable) {
  showData_->setChecked(false);
  showData_->setEnabled(enable);
}

void CSondeTestDlg::OnShowData() {
  if (showData_->isChecked())
    timer_.start(400);
  else
    timer_.stop();
}

void CSondeTestDlg::OnTimer() {
  if (!engine_) return;
  const std::array<std::string, 12> texts = engine_->ValueTexts();
  for (size_t i = 0; i < 12; ++i) values_[i]->setText(qv::QStr(texts[i]));
}

void CSondeTestDlg::OnCableSettings() {
  if (!doc_) return;
  StartStopTest(true);
  doc_->OnChangeCableOptions();
}

void CSondeTestDlg::OnTestCableIF() {
  if (!g_bSondePowerOn) {
    qv::ShowMessageBox(qv::LoadString(kStrPowerOn), {}, qv::MB_OK | qv::MB_ICONSTOP);
    return;
  }
  StartStopTest(true);
  if (doc_) doc_->OnScopeShot();
  StopWorker();
  if (engine_) engine_->RestoreMonitorMode();
}

void CSondeTestDlg::OnHScroll() {
  if (engine_) engine_->SetZoom(hZoom_->value(), vZoom_->value());
}

void CSondeTestDlg::OnClose() {
  OnDestroy();
  close();
}

void CSondeTestDlg::OnDestroy() {
  if (destroyed_ || !created_) return;
  destroyed_ = true;
  StopWorker();
  engine_->RestoreMonitorMode();
  g_bUtilityActive = 0;
  engine_.reset();
  for (CDataMonitor* panel : panels_) delete panel;
  panels_.clear();
}

void CSondeTestDlg::closeEvent(QCloseEvent* event) {
  OnDestroy();
  // Closing always ends the window (the dialog's own handler would ask
  // reject() again, which lands back here).
  QWidget::closeEvent(event);
}

void CSondeTestDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  qv::Dialog::keyPressEvent(event);
}

void CSondeTestDlg::ShowErrorText(const std::string& text) {
  QPointer<QLabel> label(error_);
  const QString q = qv::QStr(text);
  errorPost_.Post([label, q] {
    if (label) label->setText(q);
  });
}

void CSondeTestDlg::UpdateBars(int timeMs, uint8_t status1, uint8_t status2, int sondeValue, int tension, int depth,
                               int speed) {
  if (CSondeControl* bar = g_pSondeControl) bar->UpdateStatus(timeMs, status1, status2, sondeValue);
  if (CWinchControl* bar = g_pWinchControl) bar->UpdateReadings(tension, depth, speed);
}
