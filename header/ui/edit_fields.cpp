#include "header/ui/edit_fields.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <cfloat>
#include <cmath>

#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace {

constexpr unsigned kNotInteger = 61712;
constexpr unsigned kNotNumber = 61715;
constexpr const char* kShown = "qvShownText";

void Show(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  edit->setProperty(kShown, text);
}

bool Changed(QWidget* edit, const QString& text) {
  return !edit->property(kShown).isValid() || edit->property(kShown).toString() != text;
}

void Complain(qv::DataExchange& dx, QWidget* edit, unsigned id) {
  if (dx.Failed()) return;
  qv::ShowMessageBox(qv::LoadString(id), {}, qv::MB_OK | qv::MB_ICONEXCLAMATION);
  dx.Fail(edit);
}

}  // namespace

void ExchangeText(qv::DataExchange& dx, QLineEdit* edit, std::string& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) return Show(edit, qv::QStr(value));
  if (Changed(edit, edit->text()) && qv::DDV_Storable(dx, edit, edit->text())) value = qv::StdStr(edit->text());
}

void ExchangeInt(qv::DataExchange& dx, QLineEdit* edit, int& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) return Show(edit, QString::number(value));
  if (!Changed(edit, edit->text())) return;
  int v = 0;
  if (!qv::ParseInt(qv::StdStr(edit->text()), &v)) return Complain(dx, edit, kNotInteger);
  value = v;
}

void ExchangeFloat(qv::DataExchange& dx, QLineEdit* edit, float& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) return Show(edit, qv::QStr(qv::FormatC("%.*g", FLT_DIG, static_cast<double>(value))));
  if (!Changed(edit, edit->text())) return;
  double v = 0;
  // A number beyond the range of a float would be stored as infinity.
  if (!qv::ParseDouble(qv::StdStr(edit->text()), &v) || std::fabs(v) > FLT_MAX) return Complain(dx, edit, kNotNumber);
  value = static_cast<float>(v);
}

void ExchangeLines(qv::DataExchange& dx, QPlainTextEdit* edit, std::string& crlfText) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) {
    QString text = qv::QStr(crlfText);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    edit->setPlainText(text);
    edit->setProperty(kShown, edit->toPlainText());
    return;
  }
  const QString text = edit->toPlainText();
  if (!Changed(edit, text) || !qv::DDV_Storable(dx, edit, text)) return;
  // Line breaks become CR LF whatever the edit holds; a lone CR is dropped.
  std::string lines = qv::StdStr(text);
  std::string out;
  for (char c : lines) {
    if (c == '\r') continue;
    if (c == '\n') out += '\r';
    out += c;
  }
  crlfText = out;
}
