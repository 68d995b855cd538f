// The print loop of every log view. Each copy the user asks for is a print
// job of its own (the log is read again for every copy), the status dialog
// lives for all copies, and after each copy, when the view's settings ask
// for form marks, the form-mark bytes go raw to the printer. The loop drives
// the view's print hooks; print preview runs the same job body.
#pragma once

#include <QRect>
#include <functional>
#include <memory>
#include <string>

#include "print/page/print_settings.h"

class QPainter;

namespace qv::print {

// The device a job prints on: the spooler calls, the painter of the page, and
// a raw channel to the printer that bypasses the driver.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  // OUTPUT: the file the job goes to, empty for the printer.
  virtual bool StartDoc(const std::string& name, const std::string& output) = 0;
  virtual int StartPage() = 0;  // below 0: error
  virtual int EndPage() = 0;    // below 0: error
  virtual void EndDoc() = 0;
  virtual void AbortDoc() = 0;
  // Bytes for the printer itself (nothing where the output is a file).
  virtual void Passthrough(const std::string& bytes) = 0;
  virtual QPainter* Painter() = 0;
  virtual PrinterCaps Caps() const = 0;
  // The paper orientation of the pages that follow (1 portrait, 2 landscape).
  virtual int Orientation() const = 0;
  virtual bool SetOrientation(int orientation) = 0;
  virtual std::string DeviceName() const = 0;
  virtual std::string PortName() const = 0;
};

// One job's print information.
struct PrintInfo {
  PrintDevice* device = nullptr;  // set by the view's OnPreparePrinting
  int minPage = 1, maxPage = 0xFFFF;
  int fromPage = 1, toPage = 0xFFFF;
  int copies = 1;
  std::string outputFile;  // print to file: the file, else empty
  bool preview = false;
  int currentPage = 1;
  bool continuePrinting = true;
  QRect drawRect;
};

// What a view that prints offers the loop.
class PrintingView {
 public:
  virtual ~PrintingView() = default;
  // Runs the print dialog (not in preview) and sets info.device; false ends the command.
  virtual bool OnPreparePrinting(PrintInfo& info) = 0;
  virtual void OnBeginPrinting(PrintDevice& dc, PrintInfo& info) = 0;
  virtual void OnPrepareDC(PrintDevice& dc, PrintInfo& info) = 0;
  virtual void OnPrint(PrintDevice& dc, PrintInfo& info) = 0;
  virtual void OnEndPrinting(PrintDevice& dc, PrintInfo& info) = 0;
  virtual const PrintSettings& Settings() const = 0;
  // The document's title (the frame's title when there is no document).
  virtual std::string DocumentTitle() const = 0;
};

// The printing status dialog: document, printer, port and page, and a Cancel.
class PrintStatus {
 public:
  virtual ~PrintStatus() = default;
  virtual void SetTexts(const std::string& document, const std::string& printer, const std::string& port) = 0;
  virtual void SetPage(const std::string& page) = 0;
  virtual void Show() = 0;
};

// What the loop asks of the program around it.
struct PrintJobHooks {
  // The status dialog of a job (made once per command).
  std::function<std::unique_ptr<PrintStatus>()> makeStatus;
  // Disables the main window while a copy prints and enables it after.
  std::function<void(bool enabled)> enableMainWindow;
  // Keeps the user interface alive between pages (the status dialog's Cancel).
  std::function<void()> pumpEvents;
};

// The user's Cancel for the running command; cleared when a status dialog is
// made, so it holds for the rest of the command.
void RequestPrintAbort();
void ClearPrintAbort();
bool PrintAborted();
// Lets the interface run, then true while the user has not cancelled.
bool PrintAbortProc(const PrintJobHooks& hooks);

// The form-mark bytes sent after each copy, in order: ESC 'N', ESC 'O', form feed.
inline const std::string kFormMarkSequences[3] = {std::string("\x1B\x4E"), std::string("\x1B\x4F"),
                                                  std::string("\x0C")};

// The document name a job is spooled under: the title cut to 31 characters.
std::string JobName(const std::string& title);

// The print command of a view: dialog, then every copy.
void OnFilePrint(PrintingView& view, const PrintJobHooks& hooks);

// One copy: begin, document, pages, end (or abort), with FORM_MARKS the
// form-mark bytes when the view's settings ask for them, and the view's end
// of printing. STATUS may be null (preview). False when the document could
// not be started (the view's end of printing has run).
bool PrintCopy(PrintingView& view, PrintDevice& dc, PrintInfo& info, PrintStatus* status, const std::string& name,
               const PrintJobHooks& hooks, bool formMarks);

}  // namespace qv::print
