#include "panels.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/core/globals.h"
#include "platform/docview/qtext.h"

namespace {
QColor Q(COLORREF c) {
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QFont PanelFont(int pixelHeight, int weight) {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixelHeight > 1 ? pixelHeight : 1);
  f.setWeight(static_cast<QFont::Weight>(weight));
  return f;
}
}  // namespace

COLORREF ButtonFaceColour() {
  const QColor c = QApplication::palette().color(QPalette::Button);
  return RGB(c.red(), c.green(), c.blue());
}

CMessageLine::CMessageLine(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(16);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CMessageLine::sizeHint() const {
  return QSize(200, 18);
}

void CMessageLine::Init(int alignment, COLORREF background, COLORREF textColour) {
  alignment_ = alignment;
  background_ = background;
  textColour_ = textColour;
  update();
}

void CMessageLine::SetMessage(const std::string& text, int alert) {
  if (text == text_) return;
  text_ = text;
  alertOnce_ = alert != 0;
  repaint();
}

void CMessageLine::paintEvent(QPaintEvent*) {
  const bool alert = alertOnce_;
  alertOnce_ = false;
  paintedBackground_ = alert ? QColor(255, 0, 0) : Q(background_);
  paintedText_ = alert ? QColor(255, 255, 255) : Q(textColour_);
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, paintedBackground_);
  // Windows fonts fill their cell height; the characters take most of it.
  p.setFont(PanelFont(r.height() * 3 / 4, 400));
  p.setPen(paintedText_);
  const QFontMetrics fm(p.font());
  QString text = qv::QStr(text_);
  while (!text.isEmpty() && fm.horizontalAdvance(text) > r.width()) {
    text.chop(1);
    text_.pop_back();  // the shortened text stays
  }
  const int baseline = r.bottom() - fm.descent();
  if (alignment_ == kCentre)
    p.drawText(QPoint(r.left() + r.width() / 2 - fm.horizontalAdvance(text) / 2, baseline), text);
  else
    p.drawText(QPoint(r.left() + 3, baseline), text);
}

CDisplay::CDisplay(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setMinimumHeight(22);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
}

void CDisplay::Init(int colourCode) {
  colourCode_ = colourCode;
  QFont f = font();
  f.setFamily(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(std::max(8, minimumHeight() - 4));
  f.setWeight(QFont::Medium);
  setFont(f);
}

void CDisplay::HoldText(const std::string& widest) {
  const QMargins m = contentsMargins();
  const int needed =
      QFontMetrics(font()).horizontalAdvance(qv::QStr(widest + " ")) + 2 * frameWidth() + m.left() + m.right();
  setMinimumWidth(std::max(minimumWidth(), needed));
}

QColor CDisplay::TextColour() const {
  return colourCode_ == 99 ? QColor(0, 255, 255) : QColor(255, 255, 0);
}

void CDisplay::SetValue(const std::string& text, int colourCode) {
  colourCode_ = colourCode;  // an unchanged text shows the new colour with the next repaint
  if (text == text_) return;
  text_ = text;
  setText(qv::QStr(text + " "));
}

QFont CDisplay::DrawnFont() const {
  // A value wider than the display is drawn in a smaller font rather than cut
  // on the left, where it would read as another number.
  QFont f = font();
  const int room = contentsRect().width();
  while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(text()) > room) f.setPixelSize(f.pixelSize() - 1);
  return f;
}

void CDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setFont(DrawnFont());
  p.setPen(TextColour());
  p.drawText(contentsRect(), Qt::AlignRight | Qt::AlignVCenter, text());
}
