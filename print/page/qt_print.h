// The Qt side of the print loop: a print device over QPrinter, the raw
// channel that carries the form-mark bytes to a printer queue, the status
// dialog, and print preview running the loop's job body.
#pragma once

#include <QDialog>
#include <QPainter>
#include <memory>
#include <string>

#include "print/page/print_loop.h"

class QLabel;
class QPrinter;
class QWidget;

namespace qv::print {

// Bytes sent to a printer past its driver.
class RawChannel {
 public:
  virtual ~RawChannel() = default;
  virtual bool Send(const std::string& bytes) = 0;
};

// The raw channel of a CUPS queue: each block goes to the queue as a raw
// job of its own ("lp -d QUEUE -o raw").
class QueueRawChannel : public RawChannel {
 public:
  explicit QueueRawChannel(std::string queue) : queue_(std::move(queue)) {}
  bool Send(const std::string& bytes) override;

 private:
  std::string queue_;
};

// The raw channel of the printer chosen in a print dialog: its queue is
// taken from the printer when the bytes are sent.
class PrinterQueueChannel : public RawChannel {
 public:
  explicit PrinterQueueChannel(QPrinter& printer) : printer_(printer) {}
  bool Send(const std::string& bytes) override;

 private:
  QPrinter& printer_;
};

// A print device over a QPrinter. The painter begins at the first page, so
// that page is laid out in the orientation the view chose for it.
class QPrinterDevice : public PrintDevice {
 public:
  // RAW: where form-mark bytes go; null, or a printer writing a PDF file,
  // sends nothing. PREVIEW: the pages go to the preview, never to a file.
  QPrinterDevice(QPrinter& printer, RawChannel* raw, bool preview = false);
  ~QPrinterDevice() override;
  bool StartDoc(const std::string& name, const std::string& output) override;
  int StartPage() override;
  int EndPage() override { return 1; }
  void EndDoc() override;
  void AbortDoc() override;
  void Passthrough(const std::string& bytes) override;
  QPainter* Painter() override { return &painter_; }
  PrinterCaps Caps() const override;
  int Orientation() const override;
  bool SetOrientation(int orientation) override;
  std::string DeviceName() const override;
  std::string PortName() const override;

 private:
  QPrinter& printer_;
  RawChannel* raw_;
  bool preview_;
  // The preview lays every page out in one orientation: a page asked for in
  // the other one is drawn turned by 90 degrees onto it.
  int wanted_ = 0;
  bool Turned() const;
  QPainter painter_;
};

// The modeless printing status dialog; its Cancel cancels the command.
class PrintStatusDialog : public QDialog, public PrintStatus {
  Q_OBJECT
 public:
  explicit PrintStatusDialog(QWidget* parent);
  void SetTexts(const std::string& document, const std::string& printer, const std::string& port) override;
  void SetPage(const std::string& page) override;
  void Show() override;

 protected:
  void reject() override;

 private:
  QLabel* document_;
  QLabel* page_;
  QLabel* printer_;
  QLabel* port_;
};

// The hooks of the running program: the status dialog over PARENT, the main
// window disabled while a copy prints, events pumped between pages.
PrintJobHooks QtPrintJobHooks(QWidget* parent);

// Print preview: the framework's preview dialog over PRINTER, whose pages are
// drawn by the loop's job body (one copy, no form marks).
void RunPrintPreview(PrintingView& view, QPrinter& printer, QWidget* parent);

}  // namespace qv::print
