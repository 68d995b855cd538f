// Shared pieces of the waveform-log tests (cement bond, full-wave sonic): a
// view that keeps what it was given, a pipe-size answer, and a log whose
// unit reads come from the test.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "tools/cementbond/cbl_document.h"

namespace cbltest {

struct Row {
  CblWaveformSegment segment;
  SixChannelPacket packet;
  std::array<double, 6> values;
};

class FakeView : public qv::WaveformSink {
 public:
  explicit FakeView(const qv::WaveformLogDocument* doc = nullptr) : doc_(doc) {}
  // The log whose current packet goes with each row.
  void SetDocument(const qv::WaveformLogDocument* doc) { doc_ = doc; }
  void AddDepthRow(const CblWaveformSegment& segment, const double values[6]) override {
    std::lock_guard<std::mutex> lock(m_);
    Row r{segment, doc_ ? doc_->Packet() : SixChannelPacket{}, {}};
    std::copy(values, values + 6, r.values.begin());
    rows_.push_back(r);
  }
  void ResetDisplay(bool live) override { (live ? liveResets : replayResets)++; }
  void Redraw() override { ++redraws; }
  std::vector<Row> Rows() const {
    std::lock_guard<std::mutex> lock(m_);
    return rows_;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> lock(m_);
    return rows_.size();
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_);
    rows_.clear();
  }
  int liveResets = 0, replayResets = 0, redraws = 0;

 private:
  const qv::WaveformLogDocument* doc_;
  mutable std::mutex m_;
  std::vector<Row> rows_;
};

// Answers the pipe-size question with fixed values (or keeps the offered ones).
class PipeSizeAnswer : public qv::PipeSizeService {
 public:
  void Ask(qv::PipeSizeValues& values) override {
    ++asked;
    offered = values;
    if (answer) values = *answer;
  }
  int asked = 0;
  qv::PipeSizeValues offered;
  const qv::PipeSizeValues* answer = nullptr;
};

// A waveform log whose unit reads the test queues.
template <class Document>
class FedLogOf : public Document {
 public:
  struct Read {
    CblWaveformSegment segment;
    SixChannelPacket packet;  // used for a near segment
    std::uint32_t word;
  };
  using Document::InitialiseTool;
  std::deque<Read> reads;

 protected:
  std::uint32_t ReadArrival(CblWaveformSegment* segment, SixChannelPacket* packet, int) override {
    if (reads.empty()) return 0;  // no data
    Read r = reads.front();
    reads.pop_front();
    *segment = r.segment;
    if ((r.segment.flags & 0x80) == 0) *packet = r.packet;
    return r.word;
  }
};
using FedLog = FedLogOf<qv::CCBLDocument>;

inline CblWaveformSegment MakeSegment(int number, bool far, int depth = 0, int time = 0, std::int8_t fill = 0) {
  CblWaveformSegment s{};
  s.depth = depth;
  s.time = time;
  s.flags = static_cast<std::uint8_t>((number & 15) | (far ? 0x80 : 0));
  for (auto& v : s.sample) v = fill;
  return s;
}

}  // namespace cbltest
