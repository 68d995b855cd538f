#include "print/page/print_loop.h"

#include <algorithm>
#include <atomic>

#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsOnPort = 61504;
constexpr unsigned kIdsToFile = 61513;
constexpr unsigned kIdsPage = 61507;
constexpr unsigned kIdsCouldNotStart = 61702;
constexpr size_t kJobNameLength = 31;

std::atomic<bool> g_userAbort{false};

std::string Fill(unsigned id, const std::string& value) {
  std::string text = LoadString(id);
  const size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

void EnableMain(const PrintJobHooks& hooks, bool enabled) {
  if (hooks.enableMainWindow) hooks.enableMainWindow(enabled);
}

}  // namespace

void RequestPrintAbort() {
  g_userAbort = true;
}
void ClearPrintAbort() {
  g_userAbort = false;
}
bool PrintAborted() {
  return g_userAbort;
}

bool PrintAbortProc(const PrintJobHooks& hooks) {
  if (!g_userAbort && hooks.pumpEvents) hooks.pumpEvents();
  return !g_userAbort;
}

std::string JobName(const std::string& title) {
  return title.substr(0, kJobNameLength);
}

bool PrintCopy(PrintingView& view, PrintDevice& dc, PrintInfo& info, PrintStatus* status, const std::string& name,
               const PrintJobHooks& hooks, bool formMarks) {
  info.continuePrinting = true;
  EnableMain(hooks, false);
  view.OnBeginPrinting(dc, info);
  if (status != nullptr) {
    const std::string port =
        info.outputFile.empty() ? Fill(kIdsOnPort, dc.PortName()) : Fill(kIdsToFile, info.outputFile);
    status->SetTexts(name, dc.DeviceName(), port);
    status->Show();
  }
  if (!dc.StartDoc(name, info.outputFile)) {
    EnableMain(hooks, true);
    view.OnEndPrinting(dc, info);
    return false;
  }
  const int from = std::clamp(info.fromPage, info.minPage, info.maxPage);
  const int to = std::clamp(info.toPage, info.minPage, info.maxPage);
  const int step = to < from ? -1 : 1;
  const int end = to == 0xFFFF ? 0xFFFF : to + step;
  bool error = false;
  const std::string pageText = LoadString(kIdsPage);
  for (int page = from; page != end; page += step) {
    info.currentPage = page;
    view.OnPrepareDC(dc, info);
    if (!info.continuePrinting) break;
    if (status != nullptr) status->SetPage(FormatC(pageText.c_str(), unsigned(page)));
    const PrinterCaps caps = dc.Caps();
    info.drawRect = QRect(0, 0, caps.horzRes, caps.vertRes);
    if (dc.StartPage() < 0) {
      error = true;
      break;
    }
    view.OnPrepareDC(dc, info);
    view.OnPrint(dc, info);
    if (dc.EndPage() < 0 || !PrintAbortProc(hooks)) {
      error = true;
      break;
    }
  }
  if (error)
    dc.AbortDoc();
  else
    dc.EndDoc();
  EnableMain(hooks, true);
  // After the document, aborted or not: the printer's form-mark detection.
  if (formMarks && view.Settings().formMarks == 1)
    for (const std::string& bytes : kFormMarkSequences) dc.Passthrough(bytes);
  view.OnEndPrinting(dc, info);
  return true;
}

void OnFilePrint(PrintingView& view, const PrintJobHooks& hooks) {
  PrintInfo info;
  if (!view.OnPreparePrinting(info) || info.device == nullptr) return;
  PrintDevice& dc = *info.device;
  const std::string name = JobName(view.DocumentTitle());
  std::unique_ptr<PrintStatus> status = hooks.makeStatus ? hooks.makeStatus() : nullptr;
  ClearPrintAbort();
  for (int copy = 0; copy < info.copies; ++copy) {
    if (!PrintCopy(view, dc, info, status.get(), name, hooks, true)) {
      status.reset();
      ShowMessageId(kIdsCouldNotStart, MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    // A Cancel ends the command: the copy in progress was aborted above,
    // and no further copy begins.
    if (PrintAborted()) break;
  }
  EnableMain(hooks, true);
}

}  // namespace qv::print
