// The curve view's page printing: its page source over the view's layout
// records, and File/Page Mode Print and the print preview on the view.
#include "curveview/curveview.h"
#include "logview/print_pages.h"
#include "print/page/qt_print.h"

namespace curveview {

CurvePageSource::CurvePageSource(CCurveView& view, CurveDocument& document, PrintableLog& log)
    : CurvePageSource(
          view.Curves(), view.Tracks(), [&view] { return view.LegendRows(); }, document, log) {}

}  // namespace curveview

// ---------------------------------------------------------------------------
// The view's print commands

void CCurveView::InstallPrintCommands() {
  curveview::InstallPagePrintCommands(
      *this, [this] { return PagePrinter(); }, [this] { return doc_ ? doc_->Printable() : nullptr; });
}

bool CCurveView::OnUpdateFilePrint() const {
  return curveview::CanPrintLog(doc_ ? doc_->Printable() : nullptr);
}

qv::print::LogPagePrinter* CCurveView::PagePrinter() {
  curveview::PrintableLog* log = doc_ ? doc_->Printable() : nullptr;
  if (!log) return nullptr;
  if (!pagePrinter_) {
    pageSource_ = std::make_unique<curveview::CurvePageSource>(*this, *doc_, *log);
    pagePrinter_ = std::make_unique<qv::print::LogPagePrinter>(*pageSource_);
  }
  return pagePrinter_.get();
}

void CCurveView::OnFilePrint() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter()) qv::print::PrintLogPages(*printer, window());
}

void CCurveView::OnFilePrintPreview() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter())
    qv::print::RunPrintPreview(*printer, printer->Printer(), window());
}
