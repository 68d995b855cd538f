// The page model every page-printing log view shares: the log heading page,
// the calibration page, the log pages with their track-header rows, page
// numbers and log sections, the closing header row and trailer box of each
// file, chained files following each other, and the replay rebuilt after the
// job. A view supplies its document's replay operations and draws its own
// track headers and log sections through PagePrintSource; the model drives
// them from the print loop's hooks.
#pragma once

#include <QPrinter>
#include <functional>
#include <memory>
#include <string>

#include "print/page/drawing.h"
#include "print/page/print_loop.h"
#include "print/page/print_settings.h"
#include "print/page/qt_print.h"

struct HeaderInfo;
struct TrailerText;

namespace qv::print {

class CQVPrintDlg;

// Where a page's log section may draw: from `top` down `height` dots.
struct LogSectionArea {
  int top = 0;
  int height = 0;
  int page = 0;
  bool firstLogPage = false;  // the first page carrying log data
  bool newFile = false;       // a file (the first, or the next of a chain) begins here
};

// What a log section drew.
struct LogSectionResult {
  bool goesOn = false;  // records remain for the next page
  int rows = 0;         // rows of records drawn
  int dataEnd = 0;      // y below the last row drawn
  int left = 0;         // left edge of the first track and right edge of the last
  int right = 0;
};

// What a view and its document offer the page model.
class PagePrintSource {
 public:
  virtual ~PagePrintSource() = default;
  virtual std::string Title() const = 0;
  virtual int LogMode() const = 0;     // 10 time, 11 up, 12 down
  virtual int DepthScale() const = 0;  // the document's 1:N
  virtual bool Imperial() const = 0;
  virtual bool FollowChain() const = 0;
  virtual int ReplayStartDepth() const = 0;
  virtual int ReplayEndDepth() const = 0;
  virtual const HeaderInfo* Header() const = 0;
  virtual std::string DataPath() const = 0;
  virtual const TrailerText* Trailer() const = 0;
  virtual const CalibrationArray* Calibrations() const = 0;  // null without calibration
  // Whether the view prints a calibration page at all.
  virtual bool HasCalibrationPage() const { return true; }
  // Whether a log fitted to one page still gets its closing row and trailer.
  virtual bool ClosingWithFit() const { return false; }
  // 1: on to the next file of the chain (false when there is none or its
  // header cannot be read); 2: back to the first file.
  virtual bool SaveWellInfo(int mode) = 0;
  // A new replay reader over the file the document now stands at.
  virtual bool ReopenReplay() = 0;
  // The replay set-up of the current file for printing: rewind, printing
  // mode, direction, depth window, the settings' printDepth and
  // printEndDepth, channel offsets and curve pens.
  virtual void BeginReplay(PrintSettings& settings, bool again) = 0;
  // After the job: the reader over the first file with the header's whole
  // range, rewound and out of printing mode.
  virtual void EndReplay() = 0;
  // The row of track headers with its top at Y; returns its height.
  virtual int PrintTrackHeaders(QPainter& dc, const PrintSettings& settings, int y) = 0;
  // Draws the log's next records into AREA.
  virtual LogSectionResult PrintLogSection(QPainter& dc, PrintSettings& settings, const LogSectionArea& area) = 0;
};

// The program folder the heading's logo is taken from.
using LogoFolder = std::function<std::string()>;

// The page model over a source: the print hooks of a view.
class LogPagePrinter : public PrintingView {
 public:
  explicit LogPagePrinter(PagePrintSource& source);
  ~LogPagePrinter() override;

  PrintSettings& Settings() { return settings_; }
  const PrintSettings& Settings() const override { return settings_; }
  QPrinter& Printer() { return printer_; }
  // Runs the print dialog (the program: exec(); tests fill and accept it).
  void SetDialogRunner(std::function<int(CQVPrintDlg&)> runner) { runDialog_ = std::move(runner); }
  // Where form-mark bytes go (the program: the printer's queue).
  void SetRawChannel(RawChannel* raw) { raw_ = raw; }
  void SetLogoFolder(LogoFolder folder) { logoFolder_ = std::move(folder); }

  bool OnPreparePrinting(PrintInfo& info) override;
  void OnBeginPrinting(PrintDevice& dc, PrintInfo& info) override;
  void OnPrepareDC(PrintDevice& dc, PrintInfo& info) override;
  void OnPrint(PrintDevice& dc, PrintInfo& info) override;
  void OnEndPrinting(PrintDevice& dc, PrintInfo& info) override;
  std::string DocumentTitle() const override { return source_.Title(); }

  // Whether a log in STATE may be printed: only a replayed log, whose recorded
  // files the printout reads again (a live log has no replay of its files and
  // before REC nothing recorded), and not while it runs (0) nor once stopped
  // for good (99).
  static bool CanPrint(bool hasDocument, int state, bool live) {
    return hasDocument && !live && state != 0 && state != 99;
  }

 private:
  void PrepareReplay(PrintDevice& dc, bool again);
  void PrintPage(QPainter& dc, PrintInfo& info);
  void Stop(PrintInfo& info);

  PagePrintSource& source_;
  PrintSettings settings_;
  QPrinter printer_;
  std::unique_ptr<QPrinterDevice> device_;
  RawChannel* raw_ = nullptr;
  std::function<int(CQVPrintDlg&)> runDialog_;
  LogoFolder logoFolder_;

  bool reopen_ = false;
  bool newFile_ = false;  // the section of this page begins a file
  int headerRowHeight_ = 0;
  GdiRect trailer_;
  bool trailerPending_ = false;
  bool stopped_ = false;
};

// File/Page Mode Print of a log view: the print loop over PRINTER in the
// running program, the form-mark bytes going to the chosen printer's queue.
void PrintLogPages(LogPagePrinter& printer, QWidget* parent);

}  // namespace qv::print
