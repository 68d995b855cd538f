// Data exchange of the header dialogs. An edit remembers the text it was
// given; saving takes the control's text only when the user changed it, so
// opening and confirming a dialog never rounds a stored value.
#pragma once

#include <string>

#include "platform/docview/dialog.h"

class QPlainTextEdit;
class QLineEdit;

// Texts, integers and floats (shown with 6 significant digits). A float or
// integer that does not read fails the exchange with the framework's box.
void ExchangeText(qv::DataExchange& dx, QLineEdit* edit, std::string& value);
void ExchangeInt(qv::DataExchange& dx, QLineEdit* edit, int& value);
void ExchangeFloat(qv::DataExchange& dx, QLineEdit* edit, float& value);

// A multi-line edit and its text with CR LF line breaks (as stored).
void ExchangeLines(qv::DataExchange& dx, QPlainTextEdit* edit, std::string& crlfText);

// The control of a dialog or page with the given id.
template <typename T>
T* Control(QWidget* parent, int id) {
  return parent->findChild<T*>(QString::number(id));
}
