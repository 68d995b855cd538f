#include "tests/acceptance/depth_outputs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "curveview/curveview.h"
#include "logview/model/layout.h"
#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "print/recorder/gulton.h"
#include "tests/support/run_tool.h"

namespace qvtest {

DepthSamples ViewSamples(CCurveView& view, int physicalChannel, double metresPerUnit) {
  return RowSamples(view.Rows(), view.Curves(), physicalChannel, metresPerUnit);
}

DepthSamples RowSamples(const curveview::CurveRows& rows, const std::vector<CurveRecord>& curves, int physicalChannel,
                        double metresPerUnit) {
  DepthSamples shown;
  std::lock_guard<std::mutex> lock(rows.DisplayLock());
  const auto k = std::find_if(curves.begin(), curves.end(),
                              [&](const auto& c) { return c.physicalChannel == physicalChannel; });
  if (k == curves.end()) return shown;
  for (int i = 0; i < curveview::kHistoryLength; ++i) {
    int depth = 0;
    if (rows.RowDepth(i, &depth))
      shown.emplace_back(depth / 1000.0 * metresPerUnit, rows.DisplayValue(static_cast<int>(k - curves.begin()), i));
  }
  return shown;
}

// ---- the chart recorder's paper

struct ChartTape::Paper {
  mutable std::mutex mutex;
  // The depth the recorder was last set to (hundredths of the depth unit)
  // and the rows plotted since: the paper is advanced to that depth, and
  // each row moves it on by a line.
  bool started = false;
  int startDepth = 0;
  int rowsSinceStart = 0;
  std::vector<std::string> captions;
  struct Row {
    int startDepth = 0;
    int line = 0;  // lines after the start depth
    std::vector<int> values;  // one per legend entry
  };
  std::vector<Row> rows;
};

namespace {

class TapeRecorder final : public curveview::CurveChartRecorder {
 public:
  explicit TapeRecorder(std::shared_ptr<ChartTape::Paper> paper) : paper_(std::move(paper)) {}
  void SendPrintrexStart() override {}
  int LineFeed(int count) override { return count; }
  void SetStartDepth(int depth) override {
    std::lock_guard lock(paper_->mutex);
    paper_->startDepth = depth;
    paper_->rowsSinceStart = 0;
    paper_->started = true;
  }
  void AdvanceToDepth() override {}
  void PrintPlotTrackHeader(InscriptionList* list, bool) override {
    std::lock_guard lock(paper_->mutex);
    paper_->captions.clear();
    for (const auto& i : *list) paper_->captions.push_back(i->caption);
    list->clear();
  }
  void PlotCurveRow(const int* values, int count, int, bool) override {
    std::lock_guard lock(paper_->mutex);
    const int curves = static_cast<int>(paper_->captions.size());
    if (curves == 0 || count % curves != 0) return;
    for (int r = 0; r < count / curves; ++r)
      paper_->rows.push_back({paper_->startDepth, paper_->rowsSinceStart++,
                              std::vector<int>(values + static_cast<size_t>(r) * curves,
                                               values + static_cast<size_t>(r + 1) * curves)});
  }
  void FinishPlot() override {}
  void RepeatPlotTrackHeader() override {}
  void EjectToFormMark() override {}
  void BuildGridTemplate() override {}
  void ClearInscriptions() override {}
  void SetScaleEnd(int, int, const std::string&) override {}
  void SetScaleRange(int, const std::string&, const std::string&) override {}
  void SetCurveStyle(int, int) override {}
  void PrintLogHeading(const curveview::ChartLogTexts&) override {}
  void PrintRemarks(const curveview::ChartLogTexts&) override {}
  void PrintTrailerText(const curveview::ChartLogTexts&) override {}

 private:
  std::shared_ptr<ChartTape::Paper> paper_;
};

}  // namespace

ChartTape::ChartTape() : paper_(std::make_shared<Paper>()) {
  previous_ = curveview::SetChartRecorderFactory(
      [paper = paper_](const curveview::ChartRecorderArgs&) { return std::make_unique<TapeRecorder>(paper); });
}

ChartTape::~ChartTape() {
  curveview::SetChartRecorderFactory(previous_);
}

DepthSamples ChartTape::Samples(int position, int scale, bool upward, double metresPerUnit) const {
  std::lock_guard lock(paper_->mutex);
  DepthSamples out;
  if (!paper_->started || position < 1) return out;
  // A line of the recorder's paper is 1/200 inch: at 1:N it stands for N
  // times that of depth.
  const double line = 0.0254 / 200 * scale;
  for (const Paper::Row& row : paper_->rows) {
    if (static_cast<size_t>(position) > row.values.size()) continue;
    const int v = row.values[static_cast<size_t>(position - 1)];
    if (v == kNoCurveValue) continue;
    out.emplace_back(row.startDepth / 100.0 * metresPerUnit + (upward ? -1.0 : 1.0) * row.line * line, v);
  }
  return out;
}

std::vector<std::string> ChartTape::Captions() const {
  std::lock_guard lock(paper_->mutex);
  return paper_->captions;
}

int ChartTape::Rows() const {
  std::lock_guard lock(paper_->mutex);
  return static_cast<int>(paper_->rows.size());
}

namespace {

// The x of the pure red dots of a row of IMAGE (the curve under test).
std::vector<int> RedDots(const QImage& image, int y) {
  std::vector<int> xs;
  for (int x = 0; x < image.width(); ++x) {
    const QRgb c = image.pixel(x, y);
    if (qRed(c) > 160 && qGreen(c) < 110 && qBlue(c) < 110) xs.push_back(x);
  }
  return xs;
}

// The curve of PHYSICALCHANNEL alone, in pure red, while a job runs.
class RedCurve {
 public:
  RedCurve(std::vector<CurveRecord>& curves, int physicalChannel) : curves_(curves) {
    for (CurveRecord& c : curves_) {
      saved_.emplace_back(c.headerFlag, c.lineColour);
      const bool it = c.physicalChannel == physicalChannel;
      c.headerFlag = it ? 1 : 0;
      if (it) c.lineColour = 0x0000FF;  // red (a COLORREF)
    }
  }
  ~RedCurve() {
    for (size_t i = 0; i < curves_.size() && i < saved_.size(); ++i) {
      curves_[i].headerFlag = saved_[i].first;
      curves_[i].lineColour = saved_[i].second;
    }
  }

 private:
  std::vector<CurveRecord>& curves_;
  std::vector<std::pair<int, std::uint32_t>> saved_;
};

}  // namespace

int WidestScreenStroke(QWidget& view, std::vector<CurveRecord>& curves, int legendHeight, int physicalChannel) {
  RedCurve red(curves, physicalChannel);
  const QImage image = view.grab().toImage();
  // A red rule down the whole picture (the cement-bond view's gates over its
  // waveforms) is no part of the curve.
  std::vector<int> reds(static_cast<std::size_t>(image.width()), 0);
  for (int y = legendHeight; y < image.height(); ++y)
    for (int x : RedDots(image, y)) ++reds[static_cast<std::size_t>(x)];
  const int rows = image.height() - legendHeight;
  std::vector<std::vector<int>> dots;
  for (int y = legendHeight; y < image.height(); ++y) {
    std::vector<int> xs = RedDots(image, y);
    std::erase_if(xs, [&](int x) { return reds[static_cast<std::size_t>(x)] > rows * 9 / 10; });
    dots.push_back(std::move(xs));
  }
  // A run that joins the curve above it to the curve below it is the curve
  // stepping between two readings; a stroke from the track's edge has no
  // curve above or below its edge end.
  const auto curveNear = [&](std::size_t row, int x) {
    for (std::size_t r : {row - 1, row + 1})
      if (r < dots.size())
        for (int d : dots[r])
          if (std::abs(d - x) <= 2) return true;
    return false;
  };
  int widest = 0;
  for (std::size_t r = 0; r < dots.size(); ++r) {
    const std::vector<int>& xs = dots[r];
    if (xs.empty()) continue;
    widest = std::max(widest, 1);  // the curve is drawn
    if (curveNear(r, xs.front()) && curveNear(r, xs.back())) continue;
    widest = std::max(widest, xs.back() - xs.front() + 1);
  }
  return widest;
}

// ---- the printed page

std::string PrintCurveToPdf(qv::print::LogPagePrinter* printer, std::vector<CurveRecord>& curves, int physicalChannel,
                            const std::string& folder, QWidget* parent) {
  if (!printer) return {};
  RedCurve red(curves, physicalChannel);
  const std::string pdf = folder + "/log.pdf";
  std::filesystem::remove(pdf);
  QPrinter& q = printer->Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(300);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer->SetDialogRunner([&](qv::print::CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    for (const char* off : {"continuousMode", "headerPage", "calibrationDetails", "fitToPage", "formMarks"})
      if (auto* box = dlg.findChild<QCheckBox*>(off)) box->setChecked(false);
    dlg.accept();
    q.setOutputFileName(QString::fromStdString(pdf));
    return dlg.result();
  });
  qv::print::PrintLogPages(*printer, parent);
  return std::filesystem::exists(pdf) ? pdf : std::string();
}

namespace {

// The depth labels of each page (pdftotext -bbox): their value and the
// y (points) of their middle. The labels stand centred in the depth track;
// other numbers of the page (the scale ends of the track headers) do not.
// CENTRES gets each page's depth-track centre (points).
std::vector<std::vector<std::pair<double, double>>> DepthLabels(const std::string& pdf, std::vector<double>* centres) {
  std::vector<std::vector<std::pair<double, double>>> pages;
  const std::string bbox = RunTool("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
  static const QRegularExpression word(QStringLiteral(
      "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(-?[0-9]+\\.[0-9][0-9])</word>"));
  size_t at = 0;
  while ((at = bbox.find("<page ", at)) != std::string::npos) {
    const size_t end = bbox.find("</page>", at);
    const QString page = QString::fromStdString(bbox.substr(at, end - at));
    struct Label {
      double value, y, x;
    };
    std::vector<Label> found;
    std::map<long, int> columns;  // labels by their centre x, to the point
    for (auto it = word.globalMatch(page); it.hasNext();) {
      const auto m = it.next();
      const double x = (m.captured(1).toDouble() + m.captured(3).toDouble()) / 2;
      found.push_back({m.captured(5).toDouble(), (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2, x});
      ++columns[std::lround(x)];
    }
    std::vector<std::pair<double, double>> labels;
    long column = 0;
    if (!columns.empty()) {
      column =
          std::max_element(columns.begin(), columns.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
      for (const Label& l : found)
        if (std::abs(l.x - column) <= 1.5) labels.emplace_back(l.value, l.y);
    }
    pages.push_back(std::move(labels));
    centres->push_back(static_cast<double>(column));
    at = end;
  }
  return pages;
}

// Whether a pixel row of a page holds the frame's edge: an unbroken line
// across more than a third of the page (the grid's lines are dotted, a
// legend's line spans one track).
bool FrameLine(const QImage& image, int y) {
  int run = 0, longest = 0;
  for (int x = 0; x < image.width(); ++x) {
    run = qGray(image.pixel(x, y)) < 235 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest > image.width() / 3;
}

// Whether the page shows ink around a point (pixels): a label the page
// clips away (a waveform page's labels past the log's end) stays in the
// file's text but not on the paper.
bool Inked(const QImage& image, double x, double y) {
  for (int v = static_cast<int>(y) - 4; v <= static_cast<int>(y) + 4; ++v)
    for (int u = static_cast<int>(x) - 8; u <= static_cast<int>(x) + 8; ++u)
      if (image.valid(u, v) && qGray(image.pixel(u, v)) < 128) return true;
  return false;
}

}  // namespace

void ForEachPageRow(const std::string& pdf, const std::string& folder, const PageRowReader& read) {
  constexpr int kDpi = 200;
  std::vector<double> centres;
  const auto labels = DepthLabels(pdf, &centres);
  const std::string prefix = folder + "/page";
  RunTool("pdftoppm", {"-r", QString::number(kDpi), QString::fromStdString(pdf), QString::fromStdString(prefix)});
  QDir dir(QString::fromStdString(folder));
  QStringList files = dir.entryList({QStringLiteral("page-*.ppm")}, QDir::Files, QDir::Name);
  for (int p = 0; p < files.size() && p < static_cast<int>(labels.size()); ++p) {
    const auto& l = labels[static_cast<size_t>(p)];
    if (l.size() < 2) continue;  // a page without a log section
    // depth = a + b * y (pixels), by least squares over the page's labels.
    double sy = 0, sd = 0, syy = 0, syd = 0;
    for (const auto& [d, yPt] : l) {
      const double y = yPt * kDpi / 72.0;
      sy += y, sd += d, syy += y * y, syd += y * d;
    }
    const double n = static_cast<double>(l.size());
    const double b = (n * syd - sy * sd) / (n * syy - sy * sy);
    const double a = (sd - b * sy) / n;
    const QImage image(dir.filePath(files[p]));
    // The log section: from a label spacing above the first label to one
    // below the last, within the frame of the tracks (the track headers
    // above, and below at the log's end, hold the curve's legend).
    // The labels the page shows: the run of them from the first one down.
    std::vector<double> ys;
    for (const auto& [d, yPt] : l) ys.push_back(yPt * kDpi / 72.0);
    std::sort(ys.begin(), ys.end());
    double first = 1e9, last = -1e9;
    int shown = 0;
    for (const double y : ys) {
      if (!Inked(image, centres[static_cast<size_t>(p)] * kDpi / 72.0, y)) {
        if (shown > 0) break;
        continue;
      }
      first = std::min(first, y), last = std::max(last, y);
      ++shown;
    }
    if (shown < 2) continue;
    const double spacing = (last - first) / static_cast<double>(shown - 1);
    int from = std::max(0, static_cast<int>(first - spacing));
    int to = std::min(image.height() - 1, static_cast<int>(last + spacing));
    for (int y = static_cast<int>(first); y >= from; --y)
      if (FrameLine(image, y)) {
        from = y;
        break;
      }
    for (int y = static_cast<int>(last); y <= to; ++y)
      if (FrameLine(image, y)) {
        to = y;
        break;
      }
    for (int y = from; y <= to; ++y) read(image, y, a + b * y);
  }
}

DepthSamples PageSamples(const std::string& pdf, const std::string& folder, double metresPerUnit, int* widest) {
  DepthSamples out;
  if (widest) *widest = 0;
  ForEachPageRow(pdf, folder, [&](const QImage& image, int y, double depth) {
    const std::vector<int> xs = RedDots(image, y);
    if (xs.empty()) return;
    if (widest) *widest = std::max(*widest, xs.back() - xs.front() + 1);
    out.emplace_back(depth * metresPerUnit, xs[xs.size() / 2]);
  });
  return out;
}

// ---- the LAS file, through las-js

DepthSamples LasSamples(const std::string& las, const std::string& curve, double metresPerUnit, std::string* error) {
  DepthSamples out;
  const std::string cmd = "NODE_PATH='" QV_NODE_MODULES "' node '" QV_TEST_SOURCE_DIR "/read_las_curve.js' '" + las +
                          "' '" + curve + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) {
    *error = "node could not be started";
    return out;
  }
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  if (::pclose(p) != 0) {
    *error = text;
    return out;
  }
  std::istringstream in(text);
  double depth, value;
  while (in >> depth >> value)
    if (value != -999.25) out.emplace_back(depth * metresPerUnit, value);
  return out;
}

}  // namespace qvtest
