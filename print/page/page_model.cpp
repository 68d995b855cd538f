#include "print/page/page_model.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "platform/docview/dialog.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/trace/trace.h"
#include "print/page/heading.h"
#include "print/page/print_dialog.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsNoRoom = 33600;
// The first log page's header row and data stand this many dots lower with
// form-mark detection, clear of the printer's mark sensor.
constexpr int kFormMarkOffset = 310;
constexpr int kTrailerGap = 100;

}  // namespace

LogPagePrinter::LogPagePrinter(PagePrintSource& source)
    : source_(source), printer_(QPrinter::HighResolution), logoFolder_([] { return ProgramFolder(); }) {
  InitPrintSettings(&settings_);
}

LogPagePrinter::~LogPagePrinter() = default;

bool LogPagePrinter::OnPreparePrinting(PrintInfo& info) {
  settings_.scale = source_.DepthScale();
  info.minPage = 1;
  info.maxPage = 0xFFFF;
  if (!info.preview) {
    CQVPrintDlg dlg(&printer_, source_.LogMode() == 10);
    dlg.SetSettings(&settings_);
    dlg.SetChain(source_.FollowChain() ? 1 : 0);
    const int result = runDialog_ ? qv::RunAsModal([&] { return runDialog_(dlg); }) : dlg.exec();
    if (result != QDialog::Accepted) return false;
    info.copies = printer_.copyCount();
    // The loop prints every copy as a job of its own.
    printer_.setCopyCount(1);
    if (printer_.outputFormat() == QPrinter::PdfFormat) info.outputFile = printer_.outputFileName().toStdString();
  }
  settings_.orientation = std::int16_t(OrientationOf(printer_));
  device_ = std::make_unique<QPrinterDevice>(printer_, raw_);
  info.device = device_.get();
  return true;
}

void LogPagePrinter::PrepareReplay(PrintDevice& dc, bool again) {
  headerRowHeight_ = 0;
  if (!again) ComputePageGeometry(settings_, dc.Caps(), source_.HasCalibrationPage());
  source_.BeginReplay(settings_, again);
}

void LogPagePrinter::OnBeginPrinting(PrintDevice& dc, PrintInfo&) {
  reopen_ = false;
  newFile_ = false;
  trailer_ = GdiRect{};
  trailerPending_ = false;
  stopped_ = false;
  PrepareReplay(dc, false);
}

void LogPagePrinter::OnPrepareDC(PrintDevice& dc, PrintInfo& info) {
  const bool heading = info.currentPage == 1 && settings_.headerPage;
  const int wanted = heading ? 2 : settings_.orientation;
  Trace(heading ? "--- HeaderPage ---\n  Page = %d\n  PageOrientation = %d\n  OriginalOrientation = %d\n"
                : "--- DefaultPage ---\n  Page = %d\n  PageOrientation = %d\n  OriginalOrientation = %d\n",
        info.currentPage, wanted, int(settings_.orientation));
  if (dc.Orientation() != wanted && !dc.SetOrientation(wanted)) Trace("  ResetDC() failed!\n");
  if (stopped_) info.continuePrinting = false;
}

void LogPagePrinter::Stop(PrintInfo& info) {
  ShowMessageId(kIdsNoRoom, MB_OK | MB_ICONEXCLAMATION);
  trailerPending_ = false;
  stopped_ = true;
  info.continuePrinting = false;
}

void LogPagePrinter::OnPrint(PrintDevice& dc, PrintInfo& info) {
  QPainter* painter = dc.Painter();
  if (painter == nullptr) {
    info.continuePrinting = false;
    return;
  }
  if (info.currentPage == 1) {
    source_.SaveWellInfo(2);
    reopen_ = true;
  }
  do {
    newFile_ = reopen_;
    if (reopen_) {
      source_.ReopenReplay();
      PrepareReplay(dc, true);
    }
    PrintPage(*painter, info);
    reopen_ = false;
    if (!info.continuePrinting && !stopped_ && source_.FollowChain() && source_.SaveWellInfo(1)) {
      reopen_ = true;
      info.continuePrinting = true;
    }
  } while (!stopped_ && trailer_.bottom < settings_.height && reopen_ && !settings_.separatePages);
  if (trailerPending_) {
    trailer_.top = 0;
    trailer_.bottom = 0;
  } else {
    trailer_ = GdiRect{};
  }
}

void LogPagePrinter::PrintPage(QPainter& dc, PrintInfo& info) {
  const int p = info.currentPage;
  PrintSettings& s = settings_;
  if (trailerPending_) {
    // A page of its own for the trailer: when it does not fit even here it
    // never will.
    if (!DrawTrailerBox(&dc, &s, source_.Trailer(), &trailer_)) return Stop(info);
    trailerPending_ = false;
    info.continuePrinting = false;
    return;
  }
  if (p == 1 && s.headerPage) {
    DrawLogHeading(&dc, &s, source_.Header(), source_.DataPath(), logoFolder_());
    return;
  }
  if (source_.HasCalibrationPage() && s.calibrationDetails && p == s.firstLogPage - 1) {
    if (DrawCalibrationTable(&dc, &s, source_.Calibrations())) return;
    --s.firstLogPage;
  }
  const bool fresh = trailer_.IsEmpty();
  const bool first = p == s.firstLogPage;
  int o = 0;
  if (first) {
    const int lower = s.formMarks == 1 ? kFormMarkOffset : 0;
    headerRowHeight_ = source_.PrintTrackHeaders(dc, s, s.top + lower);
    o = headerRowHeight_ + lower;
  } else if (!s.continuousMode) {
    headerRowHeight_ = source_.PrintTrackHeaders(dc, s, s.top);
    o = headerRowHeight_;
  } else if (newFile_) {
    headerRowHeight_ = source_.PrintTrackHeaders(dc, s, fresh ? s.top : trailer_.bottom);
    o = headerRowHeight_;
  }
  const int n = s.continuousMode ? 0 : DrawPageNumber(&dc, &s, p);
  int a = s.height - o - n;
  if (!fresh) a -= kTrailerGap + trailer_.bottom;
  if (a <= 0) {
    Trace("No space left on page: continue with next\n");
    if (fresh) return Stop(info);
    trailer_.bottom += -a;
    return;
  }
  if (s.fitToPage) {
    const double span = std::abs(source_.ReplayEndDepth() - source_.ReplayStartDepth());
    const double r = source_.Imperial() ? span * double(0.012f) / a / s.inchPerPixel : span / a / s.mmPerPixel;
    s.scale = (int(r / 10) + 1) * 10;
  }
  LogSectionArea area;
  area.top = (fresh ? s.top : trailer_.bottom + kTrailerGap) + o;
  area.height = a;
  area.page = p;
  area.firstLogPage = first;
  area.newFile = newFile_;
  const LogSectionResult r = source_.PrintLogSection(dc, s, area);
  trailer_ = GdiRect{r.left, r.dataEnd, r.right, r.dataEnd + kTrailerGap};
  info.continuePrinting = r.goesOn;
  if (r.goesOn) return;
  if (s.fitToPage && !source_.ClosingWithFit()) return;
  if (headerRowHeight_ > 0 && trailer_.top + headerRowHeight_ <= s.height) {
    const int h = source_.PrintTrackHeaders(dc, s, trailer_.top);
    trailer_.top += h;
    trailer_.bottom = trailer_.top;
    headerRowHeight_ = 0;
    if (DrawTrailerBox(&dc, &s, source_.Trailer(), &trailer_)) {
      trailerPending_ = false;
      info.continuePrinting = false;
    } else {
      trailerPending_ = true;
      info.continuePrinting = true;
    }
    return;
  }
  // The closing row does not fit below the data: the next page repeats the
  // header row and closes there. A fresh page that drew no record and still
  // cannot close never will.
  if (fresh && r.rows == 0) return Stop(info);
  info.continuePrinting = true;
}

void LogPagePrinter::OnEndPrinting(PrintDevice&, PrintInfo&) {
  source_.SaveWellInfo(2);
  source_.EndReplay();
}

void PrintLogPages(LogPagePrinter& printer, QWidget* parent) {
  PrinterQueueChannel raw(printer.Printer());
  printer.SetRawChannel(&raw);
  OnFilePrint(printer, QtPrintJobHooks(parent));
  printer.SetRawChannel(nullptr);
}

}  // namespace qv::print
