#include "print/page/qt_print.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QVBoxLayout>

#include "platform/docview/qtext.h"
#include "platform/trace/trace.h"
#include "print/page/print_dialog.h"

namespace qv::print {

bool PrinterQueueChannel::Send(const std::string& bytes) {
  return QueueRawChannel(printer_.printerName().toStdString()).Send(bytes);
}

bool QueueRawChannel::Send(const std::string& bytes) {
  QProcess lp;
  lp.start(QStringLiteral("lp"),
           {QStringLiteral("-d"), QString::fromStdString(queue_), QStringLiteral("-o"), QStringLiteral("raw")});
  if (!lp.waitForStarted(3000)) {
    Trace("raw printer bytes: lp could not be started\n");
    return false;
  }
  lp.write(bytes.data(), qint64(bytes.size()));
  lp.closeWriteChannel();
  if (!lp.waitForFinished(10000) || lp.exitCode() != 0) {
    Trace("raw printer bytes: lp failed for %s\n", queue_.c_str());
    return false;
  }
  return true;
}

QPrinterDevice::QPrinterDevice(QPrinter& printer, RawChannel* raw, bool preview)
    : printer_(printer), raw_(preview ? nullptr : raw), preview_(preview) {}

QPrinterDevice::~QPrinterDevice() {
  if (painter_.isActive()) painter_.end();
}

bool QPrinterDevice::StartDoc(const std::string& name, const std::string& output) {
  if (painter_.isActive()) painter_.end();
  printer_.setDocName(QStr(name));
  if (preview_) return true;
  if (printer_.outputFormat() == QPrinter::PdfFormat && output.empty() && printer_.outputFileName().isEmpty())
    return false;
  if (!output.empty()) {
    printer_.setOutputFileName(QString::fromStdString(output));
    // The spooler would refuse a file it cannot write: so does this job.
    QFile probe(QString::fromStdString(output));
    const bool existed = probe.exists();
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    probe.close();
    if (!existed) probe.remove();
  }
  return printer_.isValid();
}

int QPrinterDevice::StartPage() {
  if (!painter_.isActive()) {
    if (!painter_.begin(&printer_)) return -1;
  } else if (!printer_.newPage()) {
    return -1;
  }
  painter_.resetTransform();
  if (Turned()) {
    painter_.translate(printer_.pageLayout().paintRectPixels(printer_.resolution()).width(), 0);
    painter_.rotate(90);
  }
  return 1;
}

bool QPrinterDevice::Turned() const {
  return preview_ && wanted_ != 0 && wanted_ != OrientationOf(printer_);
}

void QPrinterDevice::EndDoc() {
  if (painter_.isActive()) painter_.end();
}

void QPrinterDevice::AbortDoc() {
  if (painter_.isActive()) {
    printer_.abort();
    painter_.end();
  }
}

void QPrinterDevice::Passthrough(const std::string& bytes) {
  if (raw_ == nullptr || printer_.outputFormat() == QPrinter::PdfFormat) return;
  raw_->Send(bytes);
}

PrinterCaps QPrinterDevice::Caps() const {
  PrinterCaps caps = CapsOf(printer_);
  if (Turned()) {
    std::swap(caps.horzRes, caps.vertRes);
    std::swap(caps.physicalWidth, caps.physicalHeight);
    std::swap(caps.physicalOffsetX, caps.physicalOffsetY);
  }
  return caps;
}

int QPrinterDevice::Orientation() const {
  return Turned() ? wanted_ : OrientationOf(printer_);
}

bool QPrinterDevice::SetOrientation(int orientation) {
  if (preview_) {
    wanted_ = orientation == 2 ? 2 : 1;
    return true;
  }
  qv::print::SetOrientation(printer_, orientation);
  return OrientationOf(printer_) == (orientation == 2 ? 2 : 1);
}

std::string QPrinterDevice::DeviceName() const {
  if (printer_.outputFormat() == QPrinter::PdfFormat) return "PDF";
  return StdStr(printer_.printerName());
}

std::string QPrinterDevice::PortName() const {
  if (printer_.outputFormat() == QPrinter::PdfFormat) return StdStr(printer_.outputFileName());
  return StdStr(printer_.printerName());
}

PrintStatusDialog::PrintStatusDialog(QWidget* parent) : QDialog(parent) {
  ClearPrintAbort();
  setWindowTitle(QCoreApplication::applicationName());
  setModal(false);
  auto* box = new QVBoxLayout(this);
  box->addWidget(new QLabel(QStringLiteral("Printing"), this));
  auto* form = new QFormLayout;
  document_ = Named(new QLabel(this), 201);
  page_ = Named(new QLabel(this), 204);
  printer_ = Named(new QLabel(this), 202);
  port_ = Named(new QLabel(this), 203);
  form->addRow(QStringLiteral("Document :"), document_);
  form->addRow(QStringLiteral("Page :"), page_);
  form->addRow(QStringLiteral("Printer :"), printer_);
  form->addRow(QStringLiteral("Port :"), port_);
  box->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &PrintStatusDialog::reject);
  box->addWidget(buttons);
}

void PrintStatusDialog::SetTexts(const std::string& document, const std::string& printer, const std::string& port) {
  document_->setText(QStr(document));
  printer_->setText(QStr(printer));
  port_->setText(QStr(port));
}

void PrintStatusDialog::SetPage(const std::string& page) {
  page_->setText(QStr(page));
}

void PrintStatusDialog::Show() {
  show();
  raise();
  QCoreApplication::processEvents();
}

void PrintStatusDialog::reject() {
  RequestPrintAbort();
}

PrintJobHooks QtPrintJobHooks(QWidget* parent) {
  PrintJobHooks hooks;
  hooks.makeStatus = [parent]() -> std::unique_ptr<PrintStatus> { return std::make_unique<PrintStatusDialog>(parent); };
  QWidget* main = parent != nullptr ? parent->window() : nullptr;
  hooks.enableMainWindow = [main](bool enabled) {
    if (main != nullptr) main->setEnabled(enabled);
  };
  hooks.pumpEvents = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); };
  return hooks;
}

void RunPrintPreview(PrintingView& view, QPrinter& printer, QWidget* parent) {
  PrintInfo prepare;
  prepare.preview = true;
  if (!view.OnPreparePrinting(prepare)) return;
  QPrintPreviewDialog preview(&printer, parent);
  preview.resize(900, 1000);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&view](QPrinter* target) {
    QPrinterDevice device(*target, nullptr, true);
    PrintInfo info;
    info.preview = true;
    info.device = &device;
    PrintCopy(view, device, info, nullptr, JobName(view.DocumentTitle()), PrintJobHooks{}, false);
  });
  preview.exec();
}

}  // namespace qv::print
