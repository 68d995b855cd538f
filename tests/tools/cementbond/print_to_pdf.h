// Printing a waveform view's log into a PDF file as File/Print does, with
// the print dialog answered (single pages, A4, 200 dpi, no margins), and
// running poppler's tools over the result.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <string>

#include "platform/text/msgbox.h"
#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "tools/cementbond/cbl_view.h"

namespace cbltest {

// The output of a program, empty when it did not finish.
inline std::string Tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString();
}

// Prints the view's log into pdf; false when the print command was not available.
inline bool PrintToPdf(CCBLView& view, const std::string& pdf) {
  qv::print::LogPagePrinter& printer = *view.PagePrinter();
  QPrinter& q = printer.Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(200);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer.SetDialogRunner([&q, pdf](qv::print::CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    dlg.OptionsPage()->findChild<QCheckBox*>("continuousMode")->setChecked(false);
    dlg.accept();
    q.setOutputFileName(QString::fromStdString(pdf));
    return dlg.result();
  });
  qv::MessageRecorder boxes;  // the missing logo's box
  if (!view.OnUpdateFilePrint()) return false;
  view.OnFilePrint();
  return true;
}

}  // namespace cbltest
