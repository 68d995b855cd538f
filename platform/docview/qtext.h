// Texts cross into Qt here. The program's own texts and the files it reads are
// bytes of the file code page (platform/text/codepage.h: CP1252, or CP932
// under a Japanese locale, as written on Windows); decoding happens only at
// the widgets.
#pragma once

#include <QString>
#include <string>

namespace qv {

QString QStr(const std::string& bytes);
QString QStr(const char* bytes);
// Characters the file code page cannot hold become '?'.
std::string StdStr(const QString& text);
// The characters of TEXT the file code page cannot hold, each once; empty
// when StdStr keeps the whole text.
QString UnstorableText(const QString& text);
// A window text given as a literal (UTF-8), in the display language; the
// translation is installed by platform/docview/translation.h.
QString Tr(const char* english);

// Gives a dialog's widget its control id as object name (tests and the
// dialog's own lookups find controls by it) and returns the widget.
template <class W>
W* Named(W* w, int id) {
  w->setObjectName(QString::number(id));
  return w;
}

}  // namespace qv
