// The small dialogs of the curve views: "New Range" for one end of a scale,
// and the colour picker.
#pragma once

#include <QColorDialog>
#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;

// Asks for a new start or end value of a curve scale.
class CChangeH : public QDialog {
  Q_OBJECT
 public:
  explicit CChangeH(QWidget* parent = nullptr);

  void SetPrompt(const std::string& prompt);
  void SetCurveName(const std::string& name);
  void SetValue(float value);
  float Value() const { return value_; }
  std::string Prompt() const;
  QLineEdit* Edit() const { return edit_; }

  void accept() override;

 private:
  float value_ = 0.0f;
  QLabel* prompt_;
  QLabel* name_;
  QLineEdit* edit_;
};

// The colour picker; the custom-colour part stays closed.
class CColorDlg : public QColorDialog {
  Q_OBJECT
 public:
  explicit CColorDlg(std::uint32_t initial, unsigned flags = 0, QWidget* parent = nullptr);
  // The chosen colour, or the initial one when the dialog was cancelled.
  std::uint32_t GetColor() const;

 private:
  std::uint32_t initial_;
};

// Colour values are kept as 0x00BBGGRR.
QColor FromColourRef(std::uint32_t c);
std::uint32_t ToColourRef(const QColor& c);
// Parses a number typed by the user in the C notation; false when it is none.
bool ParseNumber(const QString& text, double* value);
