#include "tests/acceptance/televiewer_outputs.h"

#include <QImage>
#include <algorithm>
#include <climits>
#include <unordered_map>
#include <utility>

#include "logview/model/track_layout.h"
#include "tools/televiewer/bhtv_view.h"

namespace qvtest {
namespace {

// The mean amplitude of a row's 128 samples.
double MeanAmplitude(const std::uint8_t* samples, int scale) {
  double sum = 0;
  for (int j = 0; j < qv::kRowSamples; ++j) sum += samples[j];
  return sum / qv::kRowSamples / scale;
}

// Rows read off an image log: their values in order, and the rows that carry
// a depth label. Each row between two labels gets its share of the depth
// between them; rows before the first label or after the last get none.
struct LabelledRows {
  std::vector<double> values;
  std::vector<std::pair<size_t, double>> labels;  // row, depth in metres

  DepthSamples Samples(double metresPerUnit) const {
    DepthSamples out;
    for (size_t k = 1; k < labels.size(); ++k) {
      const auto [from, d0] = labels[k - 1];
      const auto [to, d1] = labels[k];
      for (size_t r = from; r < to || (k + 1 == labels.size() && r == to); ++r)
        out.emplace_back(
            (d0 + (d1 - d0) * static_cast<double>(r - from) / static_cast<double>(to - from)) * metresPerUnit,
            values[r]);
    }
    return out;
  }
};

}  // namespace

DepthSamples TeleviewerViewSamples(CBHTVView& view, double metresPerUnit) {
  constexpr int kNewest = qv::TeleviewerRowBuilder::kNewest;
  const std::vector<std::uint8_t> marks = view.ShownMarks();
  // The rows a view as tall as the screen shows.
  const int shown = std::min(view.Images().Height(), static_cast<int>(marks.size()));
  LabelledRows rows;
  int n = qv::FirstDepthLabel(view.ShownDepth(), view.ShownUp());
  for (int g = kNewest; g < shown; ++g) {
    const std::uint8_t* row = view.Images().Amplitude() + static_cast<size_t>(g) * qv::TeleviewerImageStore::kWidth;
    if (row[0] == qv::TeleviewerImageStore::kWhite) break;  // no sweep reached this row
    // An amplitude pixel is twice its sample.
    rows.values.push_back(MeanAmplitude(row, 2));
    if ((marks[static_cast<size_t>(g)] & 0x0F) == qv::kTickMajor) {
      rows.labels.emplace_back(rows.values.size() - 1, n / 2.0);
      n += view.ShownUp() ? 1 : -1;
    }
  }
  return rows.Samples(metresPerUnit);
}

// ---- the televiewer's chart

struct TeleviewerTape::Paper {
  mutable std::mutex mutex;
  bool started = false;
  int number = 0;  // the margin number the next depth tick moves on from
  LabelledRows rows;
};

namespace {

class TeleviewerTapeRecorder final : public qv::TeleviewerChartRecorder {
 public:
  explicit TeleviewerTapeRecorder(std::shared_ptr<TeleviewerTape::Paper> paper) : paper_(std::move(paper)) {}
  void SendPrintrexStart() override {}
  int LineFeed(int count) override { return count; }
  // The recorder's first margin number: the whole metres of the start depth
  // (hundredths), rounded up as the recorder, running upward, rounds it.
  void SetStartDepth(int depth) override {
    std::lock_guard lock(paper_->mutex);
    paper_->number = depth / 100 + (depth % 100 != 0 && depth >= 0 ? 1 : 0);
    paper_->started = true;
  }
  void PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int) override {
    std::lock_guard lock(paper_->mutex);
    for (int i = 0; i < count; ++i) {
      const TeleviewerImageRow& r = rows[i];
      paper_->rows.values.push_back(MeanAmplitude(r.amplitude, 1));
      if (!(r.marks & kRowDepthTick)) continue;
      if (r.marks & kRowLoggingDown) ++paper_->number;
      if (r.marks & kRowLoggingUp) --paper_->number;
      if (paper_->started) paper_->rows.labels.emplace_back(paper_->rows.values.size() - 1, paper_->number);
    }
  }
  void PrintTeleviewerHeader() override {}
  void PrintTeleviewerFooter() override {}
  void PrintLogHeading(const curveview::ChartLogTexts&) override {}
  void PrintRemarks(const curveview::ChartLogTexts&) override {}
  void PrintTrailerText(const curveview::ChartLogTexts&) override {}
  void EjectToFormMark() override {}

 private:
  std::shared_ptr<TeleviewerTape::Paper> paper_;
};

}  // namespace

TeleviewerTape::TeleviewerTape() : paper_(std::make_shared<Paper>()) {
  previous_ = qv::SetTeleviewerRecorderFactory(
      [paper = paper_](const qv::TeleviewerChartArgs&) { return std::make_unique<TeleviewerTapeRecorder>(paper); });
}

TeleviewerTape::~TeleviewerTape() {
  qv::SetTeleviewerRecorderFactory(previous_);
}

DepthSamples TeleviewerTape::Samples(double metresPerUnit) const {
  std::lock_guard lock(paper_->mutex);
  return paper_->rows.Samples(metresPerUnit);
}

int TeleviewerTape::Rows() const {
  std::lock_guard lock(paper_->mutex);
  return static_cast<int>(paper_->rows.values.size());
}

// ---- the printed page

DepthSamples TeleviewerPageSamples(const std::string& pdf, const std::string& folder, double metresPerUnit) {
  // The strip's colours index the televiewer colour table by the sample
  // itself: each dot is read back as the index of the nearest colour.
  std::unordered_map<QRgb, int> index;
  const auto sampleOf = [&](QRgb c) {
    const auto it = index.find(c);
    if (it != index.end()) return it->second;
    int best = 0, nearest = INT_MAX;
    for (int i = 0; i < qv::kBhtvColours; ++i) {
      const std::uint32_t t = qv::BhtvColourTable[static_cast<size_t>(i)];
      const int dr = qRed(c) - static_cast<int>(t >> 16 & 0xFF), dg = qGreen(c) - static_cast<int>(t >> 8 & 0xFF),
                db = qBlue(c) - static_cast<int>(t & 0xFF);
      const int d = dr * dr + dg * dg + db * db;
      if (d < nearest) nearest = d, best = i;
    }
    return index[c] = best;
  };
  DepthSamples out;
  ForEachPageRow(pdf, folder, [&](const QImage& image, int y, double depth) {
    // The strip's dots run from dark red through orange to yellow: red well
    // above blue, which neither the white paper nor the black lines are.
    double sum = 0;
    int dots = 0;
    for (int x = 0; x < image.width() / 2; ++x) {
      const QRgb c = image.pixel(x, y);
      if (qRed(c) - qBlue(c) < 40) continue;
      sum += sampleOf(c);
      ++dots;
    }
    if (dots > 20) out.emplace_back(depth * metresPerUnit, sum / dots);
  });
  return out;
}

}  // namespace qvtest
