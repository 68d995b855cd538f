#include "print/page/print_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace qv::print {

namespace {

QCheckBox* Check(QWidget* parent, QVBoxLayout* box, const char* name, const char* text) {
  auto* c = new QCheckBox(QString::fromLatin1(text), parent);
  c->setObjectName(QString::fromLatin1(name));
  box->addWidget(c);
  return c;
}

}  // namespace

CQVPrintDlg::CQVPrintDlg(QPrinter* printer, bool fixedScale, QWidget* parent)
    : QPrintDialog(printer, parent), controller_(fixedScale) {
  // Copies and collation stay; the page range is not offered: every job
  // prints the whole log.
  setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies |
             QAbstractPrintDialog::PrintShowPageSize);
  setMinMax(1, 0xFFFF);
  setPrintRange(QAbstractPrintDialog::AllPages);

  options_ = new QWidget;
  options_->setObjectName(QStringLiteral("logOptions"));
  options_->setWindowTitle(QStringLiteral("Log"));
  auto* box = new QVBoxLayout(options_);
  continuous_ = Check(options_, box, "continuousMode", "Support continuous mode");
  auto* scaleRow = new QHBoxLayout;
  scaleCaption_ = new QLabel(QStringLiteral("Print with Scale of 1:"), options_);
  scale_ = new QLineEdit(options_);
  scale_->setObjectName(QStringLiteral("scale"));
  scale_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), scale_));
  scaleRow->addWidget(scaleCaption_);
  scaleRow->addWidget(scale_);
  scaleRow->addStretch();
  box->addLayout(scaleRow);
  fit_ = Check(options_, box, "fitToPage", "Fit depth range to single page");
  header_ = Check(options_, box, "headerPage", "Print header page");
  separate_ = Check(options_, box, "separatePages", "Log on separate page");
  formMarks_ = Check(options_, box, "formMarks", "Detect form marks");
  calibration_ = Check(options_, box, "calibrationDetails", "Print calibration details");
  box->addStretch();
  setOptionTabs({options_});
  // The range group of Qt's own page stays out of sight: its controls would
  // only ever show "all pages".
  if (QWidget* range = findChild<QWidget*>(QStringLiteral("gbPrintRange"))) range->hide();

  connect(fit_, &QCheckBox::clicked, this, [this](bool checked) {
    controller_.OnFitToPage(checked);
    scale_->setEnabled(controller_.controls.scaleEnabled);
  });
}

bool CQVPrintDlg::OnInitDialog() {
  if (!controller_.OnInitDialog()) return false;
  Load();
  return true;
}

int CQVPrintDlg::exec() {
  if (!OnInitDialog()) return QDialog::Rejected;
  return QPrintDialog::exec();
}

void CQVPrintDlg::accept() {
  Save();
  if (!controller_.OnOK()) {
    scale_->setFocus();
    scale_->selectAll();
    return;
  }
  QPrintDialog::accept();
}

void CQVPrintDlg::Load() {
  const PrintOptionControls& c = controller_.controls;
  continuous_->setChecked(c.continuousMode != 0);
  scale_->setText(QString::fromStdString(c.scaleText));
  fit_->setChecked(c.fitToPage != 0);
  header_->setChecked(c.headerPage != 0);
  separate_->setChecked(c.separatePages != 0);
  formMarks_->setChecked(c.formMarks != 0);
  calibration_->setChecked(c.calibrationDetails != 0);
  fit_->setEnabled(c.fitEnabled);
  separate_->setEnabled(c.separateEnabled);
  scale_->setEnabled(c.scaleEnabled);
  scale_->setVisible(c.scaleVisible);
  scaleCaption_->setVisible(c.scaleVisible);
}

void CQVPrintDlg::Save() {
  PrintOptionControls& c = controller_.controls;
  c.continuousMode = continuous_->isChecked();
  c.scaleText = scale_->text().toStdString();
  c.fitToPage = fit_->isChecked();
  c.headerPage = header_->isChecked();
  c.separatePages = separate_->isChecked();
  c.formMarks = formMarks_->isChecked();
  c.calibrationDetails = calibration_->isChecked();
}

PrinterCaps CapsOf(const QPrinter& printer) {
  PrinterCaps caps;
  const int dpi = printer.resolution();
  caps.logPixelsX = dpi;
  caps.logPixelsY = dpi;
  const QRect page = printer.pageLayout().paintRectPixels(dpi);
  const QRect paper = printer.pageLayout().fullRectPixels(dpi);
  caps.horzRes = page.width();
  caps.vertRes = page.height();
  caps.physicalWidth = paper.width();
  caps.physicalHeight = paper.height();
  caps.physicalOffsetX = page.left() - paper.left();
  caps.physicalOffsetY = page.top() - paper.top();
  if (printer.colorMode() == QPrinter::Color) {
    caps.planes = 1;
    caps.bitsPixel = 24;
    caps.numColors = -1;
  }
  return caps;
}

int OrientationOf(const QPrinter& printer) {
  return printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

void SetOrientation(QPrinter& printer, int orientation) {
  printer.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

}  // namespace qv::print
