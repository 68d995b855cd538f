#include "print/page/print_loop.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QProcess>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/msgbox.h"
#include "print/page/drawing.h"
#include "print/page/qt_print.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

using namespace qv::print;
using Log = std::vector<std::string>;

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[3];
  for (unsigned char c : bytes) snprintf(b, sizeof b, "%02X", c), out += b;
  return out;
}

// A spooler that writes down every call into the shared log.
class FakeDevice : public PrintDevice {
 public:
  explicit FakeDevice(Log& log) : log_(log) {}
  bool StartDoc(const std::string& name, const std::string&) override {
    log_.push_back("StartDoc " + name);
    return ++docs_ != failDoc;
  }
  int StartPage() override {
    log_.push_back("StartPage");
    return ++pages_ == failPage ? -1 : 1;
  }
  int EndPage() override {
    log_.push_back("EndPage");
    return 1;
  }
  void EndDoc() override { log_.push_back("EndDoc"); }
  void AbortDoc() override { log_.push_back("AbortDoc"); }
  void Passthrough(const std::string& bytes) override { log_.push_back("raw " + Hex(bytes)); }
  QPainter* Painter() override { return nullptr; }
  PrinterCaps Caps() const override {
    PrinterCaps c;
    c.logPixelsX = c.logPixelsY = 300;
    c.horzRes = 2400;
    c.vertRes = 3300;
    return c;
  }
  int Orientation() const override { return 1; }
  bool SetOrientation(int) override { return true; }
  std::string DeviceName() const override { return "Fake Laser"; }
  std::string PortName() const override { return "LPT1:"; }

  int failDoc = -1;   // StartDoc number that fails (from 1)
  int failPage = -1;  // StartPage number that fails (from 1)

 private:
  Log& log_;
  int docs_ = 0;
  int pages_ = 0;
};

// A view of PAGES pages; the last page clears the continue flag.
class FakeView : public PrintingView {
 public:
  FakeView(Log& log, FakeDevice& device) : log_(log), device_(device) {}
  bool OnPreparePrinting(PrintInfo& info) override {
    info.device = &device_;
    info.copies = copies;
    info.fromPage = from;
    info.toPage = to;
    return accept;
  }
  void OnBeginPrinting(PrintDevice&, PrintInfo&) override {
    ++copy_;
    log_.push_back("begin");
  }
  void OnPrepareDC(PrintDevice&, PrintInfo& info) override {
    log_.push_back("prepare " + std::to_string(info.currentPage));
  }
  void OnPrint(PrintDevice&, PrintInfo& info) override {
    log_.push_back("print " + std::to_string(info.currentPage));
    if (copy_ == cancelCopy && info.currentPage == 1) RequestPrintAbort();
    if (pages > 0 && info.currentPage >= pages) info.continuePrinting = false;
  }
  void OnEndPrinting(PrintDevice&, PrintInfo&) override { log_.push_back("end"); }
  const PrintSettings& Settings() const override { return settings; }
  std::string DocumentTitle() const override { return title; }

  PrintSettings settings;
  int copies = 1, from = 1, to = 0xFFFF, pages = 2, cancelCopy = -1;
  bool accept = true;
  std::string title = "WELL1.LOG";

 private:
  Log& log_;
  FakeDevice& device_;
  int copy_ = 0;
};

class FakeStatus : public PrintStatus {
 public:
  explicit FakeStatus(Log& log) : log_(log) { log_.push_back("status made"); }
  ~FakeStatus() override { log_.push_back("status gone"); }
  void SetTexts(const std::string& d, const std::string& p, const std::string& port) override {
    log_.push_back("status " + d + " | " + p + " | " + port);
  }
  void SetPage(const std::string& page) override { log_.push_back("status " + page); }
  void Show() override {}

 private:
  Log& log_;
};

struct Job {
  Log log;
  FakeDevice device{log};
  FakeView view{log, device};
  PrintJobHooks Hooks() {
    PrintJobHooks h;
    h.makeStatus = [this] { return std::make_unique<FakeStatus>(log); };
    h.enableMainWindow = [this](bool on) { log.push_back(on ? "main on" : "main off"); };
    return h;
  }
  // The calls without the status and main-window lines.
  Log Spooler() const {
    Log out;
    for (const std::string& l : log)
      if (l.rfind("status", 0) != 0 && l.rfind("main", 0) != 0) out.push_back(l);
    return out;
  }
};

const Log kTwoPageCopy = {
    "begin",     "StartDoc WELL1.LOG", "prepare 1", "StartPage", "prepare 1", "print 1",   "EndPage",
    "prepare 2", "StartPage",          "prepare 2", "print 2",   "EndPage",   "prepare 3", "EndDoc",
    "raw 1B4E",  "raw 1B4F",           "raw 0C",    "end"};

Log Times(const Log& part, int n) {
  Log out;
  for (int i = 0; i < n; ++i) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(PrintLoop, EachCopyIsAJobFollowedByTheFormMarks) {
  Job job;
  job.view.copies = 3;
  OnFilePrint(job.view, job.Hooks());
  EXPECT_EQ(job.Spooler(), Times(kTwoPageCopy, 3));
  EXPECT_EQ(job.log.front(), "status made");
  EXPECT_EQ(job.log.back(), "status gone");
}

TEST(PrintLoop, RangesCopiesAndNames) {
  {
    Job job;  // 5 to 2 runs downward
    job.view.from = 5, job.view.to = 2, job.view.pages = 0, job.view.settings.formMarks = 0;
    OnFilePrint(job.view, job.Hooks());
    Log pages;
    for (const std::string& l : job.log)
      if (l.rfind("print ", 0) == 0) pages.push_back(l);
    EXPECT_EQ(pages, (Log{"print 5", "print 4", "print 3", "print 2"}));
    EXPECT_EQ(job.Spooler().back(), "end");
    EXPECT_EQ(job.Spooler()[job.Spooler().size() - 2], "EndDoc");
  }
  {
    Job job;  // no copies: the status dialog comes and goes, nothing prints
    job.view.copies = 0;
    OnFilePrint(job.view, job.Hooks());
    EXPECT_EQ(job.log, (Log{"status made", "main on", "status gone"}));
  }
  {
    Job job;  // a cancelled dialog prints nothing
    job.view.accept = false;
    OnFilePrint(job.view, job.Hooks());
    EXPECT_TRUE(job.log.empty());
  }
  {
    Job job;  // the title is spooled and shown with its first 31 characters
    job.view.title = "0123456789012345678901234567890123456789";
    job.view.pages = 1;
    OnFilePrint(job.view, job.Hooks());
    EXPECT_EQ(job.Spooler()[1], "StartDoc 0123456789012345678901234567890");
    EXPECT_EQ(job.log[3], "status 0123456789012345678901234567890 | Fake Laser | on LPT1:");
    EXPECT_EQ(job.log[6], "status Page 1");
  }
}

TEST(PrintLoop, FailedStartEndsTheCommandWithItsMessage) {
  Job job;
  job.view.copies = 3;
  job.device.failDoc = 2;
  qv::MessageRecorder boxes;
  OnFilePrint(job.view, job.Hooks());
  Log expected = kTwoPageCopy;
  expected.insert(expected.end(), {"begin", "StartDoc WELL1.LOG", "end"});
  EXPECT_EQ(job.Spooler(), expected);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Could not start print job.");
  // The main window is on again and the status dialog gone before the box.
  const auto gone = std::find(job.log.begin(), job.log.end(), "status gone");
  ASSERT_NE(gone, job.log.end());
  EXPECT_EQ(*std::prev(gone), "end");
  EXPECT_EQ(*std::prev(gone, 2), "main on");
}

TEST(PrintLoop, FailedPageAbortsTheCopyAndTheNextCopyRuns) {
  Job job;
  job.view.copies = 2;
  job.device.failPage = 2;
  OnFilePrint(job.view, job.Hooks());
  Log first = {"begin",     "StartDoc WELL1.LOG", "prepare 1", "StartPage", "prepare 1", "print 1", "EndPage",
               "prepare 2", "StartPage",          "AbortDoc",  "raw 1B4E",  "raw 1B4F",  "raw 0C",  "end"};
  first.insert(first.end(), kTwoPageCopy.begin(), kTwoPageCopy.end());
  EXPECT_EQ(job.Spooler(), first);
}

TEST(PrintLoop, CancelInTheFirstOfThreeCopiesEndsTheCommand) {
  Job job;
  job.view.copies = 3;
  job.view.cancelCopy = 1;
  OnFilePrint(job.view, job.Hooks());
  EXPECT_EQ(job.Spooler(), (Log{"begin", "StartDoc WELL1.LOG", "prepare 1", "StartPage", "prepare 1", "print 1",
                                "EndPage", "AbortDoc", "raw 1B4E", "raw 1B4F", "raw 0C", "end"}));
  // The next command starts afresh.
  Job next;
  next.view.pages = 1;
  next.view.settings.formMarks = 0;
  OnFilePrint(next.view, next.Hooks());
  EXPECT_EQ(next.Spooler(), (Log{"begin", "StartDoc WELL1.LOG", "prepare 1", "StartPage", "prepare 1", "print 1",
                                 "EndPage", "prepare 2", "EndDoc", "end"}));
}

TEST(PrintLoop, MainWindowDisabledWhileEachCopyPrints) {
  Job job;
  job.view.copies = 2;
  job.view.pages = 1;
  OnFilePrint(job.view, job.Hooks());
  Log main;
  for (const std::string& l : job.log)
    if (l.rfind("main", 0) == 0) main.push_back(l);
  EXPECT_EQ(main, (Log{"main off", "main on", "main off", "main on", "main on"}));
}

// ---- the Qt device

class RecordingChannel : public RawChannel {
 public:
  bool Send(const std::string& bytes) override {
    sent.push_back(bytes);
    return true;
  }
  std::vector<std::string> sent;
};

// Two pages: a landscape heading page and a portrait page, each with its number.
class TwoPageView : public PrintingView {
 public:
  explicit TwoPageView(QPrinterDevice& device) : device_(device) {}
  bool OnPreparePrinting(PrintInfo& info) override {
    info.device = &device_;
    return true;
  }
  void OnBeginPrinting(PrintDevice& dc, PrintInfo&) override { ComputePageGeometry(settings, dc.Caps(), false); }
  void OnPrepareDC(PrintDevice& dc, PrintInfo& info) override { dc.SetOrientation(info.currentPage == 1 ? 2 : 1); }
  void OnPrint(PrintDevice& dc, PrintInfo& info) override {
    PrintSettings page = settings;
    ComputePageGeometry(page, dc.Caps(), false);
    DrawPageNumber(dc.Painter(), &page, info.currentPage);
    if (info.currentPage == 2) info.continuePrinting = false;
  }
  void OnEndPrinting(PrintDevice&, PrintInfo&) override {}
  const PrintSettings& Settings() const override { return settings; }
  std::string DocumentTitle() const override { return "two pages"; }
  PrintSettings settings;

 private:
  QPrinterDevice& device_;
};

std::string RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  return p.readAllStandardOutput().toStdString();
}

TEST(QtPrintDevice, PdfJobWithTurnedFirstPageAndNoRawBytes) {
  qvtest::App();
  const std::string dir = qv::test::TempDir("print_page");
  const std::string pdf = dir + "/two.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(300);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setOutputFileName(QString::fromStdString(pdf));
  RecordingChannel raw;
  QPrinterDevice device(printer, &raw);
  TwoPageView view(device);
  OnFilePrint(view, PrintJobHooks{});
  EXPECT_TRUE(raw.sent.empty());  // a PDF file takes no printer bytes
  const std::string info = RunTool("pdfinfo", {"-f", "1", "-l", "2", QString::fromStdString(pdf)});
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  842 x 595 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  595 x 842 pts"), std::string::npos) << info;
  EXPECT_NE(RunTool("pdftotext", {"-f", "2", "-l", "2", QString::fromStdString(pdf), "-"}).find("Page 2"),
            std::string::npos);
}

TEST(QtPrintDevice, PrinterTakesTheFormMarksRaw) {
  qvtest::App();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::NativeFormat);
  RecordingChannel raw;
  QPrinterDevice device(printer, &raw);
  for (const std::string& b : kFormMarkSequences) device.Passthrough(b);
  if (printer.outputFormat() == QPrinter::NativeFormat)
    EXPECT_EQ(raw.sent, (std::vector<std::string>{"\x1B\x4E", "\x1B\x4F", "\x0C"}));
  else
    EXPECT_TRUE(raw.sent.empty());  // no printer here: Qt writes PDF
}

TEST(QtPrintDevice, UnwritableOutputFileFailsTheStart) {
  qvtest::App();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  QPrinterDevice device(printer, nullptr);
  EXPECT_FALSE(device.StartDoc("x", "/nonexistent-folder/out.pdf"));
}

}  // namespace
