// The two panels of the control bars: a one-line message line (also the
// coloured bar titles) and the black value display with large digits.
#pragma once

#include <QLabel>
#include <QWidget>
#include <string>

#include "app/core/colorref.h"

class CMessageLine : public QWidget {
  Q_OBJECT
 public:
  enum Alignment { kLeft = 1, kCentre = 256 };
  explicit CMessageLine(QWidget* parent = nullptr);
  void Init(int alignment, COLORREF background, COLORREF textColour);
  // Does nothing when the text is shown already (an alert is not repeated).
  // An alert paints the line once in white on red; the next repaint for any
  // other reason shows the line's own colours again.
  void SetMessage(const std::string& text, int alert = 0);
  // The text as stored (a text too wide for the line is shortened for good).
  const std::string& Text() const { return text_; }
  // The colours of the last paint (for tests).
  QColor PaintedBackground() const { return paintedBackground_; }
  QColor PaintedText() const { return paintedText_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  COLORREF background_ = RGB(192, 192, 192);
  COLORREF textColour_ = RGB(0, 0, 0);
  std::string text_;
  int alignment_ = kLeft;
  bool alertOnce_ = false;
  QColor paintedBackground_, paintedText_;
};

class CDisplay : public QLabel {
  Q_OBJECT
 public:
  explicit CDisplay(QWidget* parent = nullptr);
  void Init(int colourCode);
  // Takes the colour code always; the text only when it changed (shown with
  // one trailing blank that keeps the digits off the frame).
  void SetValue(const std::string& text, int colourCode);
  const std::string& Value() const { return text_; }
  // Widens the display (never narrows it) so that the widest text it will
  // show, with its trailing blank, fits inside the frame in the display's
  // font; Init sets that font, so call this after it.
  void HoldText(const std::string& widest);
  int ColourCode() const { return colourCode_; }
  // Cyan for a set point (99), yellow otherwise.
  QColor TextColour() const;
  // The display's font, or a smaller one when the text would not fit.
  QFont DrawnFont() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string text_;
  int colourCode_ = 0;
};

// The colour the bars use for button faces.
COLORREF ButtonFaceColour();
