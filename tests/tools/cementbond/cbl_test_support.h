// Shared pieces of the waveform-log tests (cement bond, full-wave sonic): a
// view that keeps what it was given, a pipe-size answer, and a log whose
// unit reads come from the test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/text/msgbox.h"
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

inline SixChannelPacket Companion(std::uint16_t base) {
  SixChannelPacket p{};
  p.flags = 21;
  p.rate = 50;
  for (int i = 0; i < 6; ++i) p.channel[i] = static_cast<std::uint16_t>(base + i);
  return p;
}

// The output of a shell command.
inline std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

// A test folder as the program folder (with its Header folder), a view and
// the message boxes, for logs fed by the test.
template <class Log>
class FedLogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("QV_TEST_TMP");
    folder_ =
        std::filesystem::path(tmp ? tmp : std::filesystem::temp_directory_path().string()) /
        ("fed-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "Header");
    g_strProgramFolder = folder_.string();
    g_nDepthUnits = 0;
  }
  void TearDown() override {
    SetMessageLineSink(kWinchMessageLine, nullptr);
    g_strProgramFolder.clear();
    std::filesystem::remove_all(folder_);
  }
  // A log set up as a live one would be, without touching a unit.
  void Prepare(Log& log, int logMode, int depthStep) {
    log.Setup().logMode = logMode;
    log.Setup().depthStep = depthStep;
    log.SetView(&view_);
    ASSERT_TRUE(log.InitialiseTool(1));
  }
  std::filesystem::path folder_;
  FakeView view_;
  qv::MessageRecorder boxes_;
};

inline CblWaveformSegment MakeSegment(int number, bool far, int depth = 0, int time = 0, std::int8_t fill = 0) {
  CblWaveformSegment s{};
  s.depth = depth;
  s.time = time;
  s.flags = static_cast<std::uint8_t>((number & 15) | (far ? 0x80 : 0));
  for (auto& v : s.sample) v = fill;
  return s;
}

// For the show programs: the log's clock runs in real time, moving the
// simulated unit's clock along.
template <class UnitClock>
qv::LogClock RealTimeClock(std::shared_ptr<UnitClock> clock) {
  return {[clock](std::uint32_t ms, qv::Event& stop) {
            clock->Advance(ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return stop.IsSet();
          },
          [clock] { return static_cast<std::uint32_t>(clock->NowMs()); }, [] { return std::time_t{0}; }};
}

// The program folder's header template with the free-pipe gates given (µs).
inline void WriteGateTemplate(const std::string& folder, int nearStart, int nearEnd, int farStart, int farEnd) {
  std::filesystem::create_directories(folder + "/Header");
  std::ofstream(folder + "/Header/STANDARD.HED", std::ios::binary)
      << "[General]\r\nIdent=QUORVANTA\r\n[FreePipeGateNear]\r\nPipeSize=80\r\nSondeDiameter=60\r\nLeftGate="
      << nearStart << "\r\nRightGate=" << nearEnd
      << "\r\n[FreePipeGateFar]\r\nPipeSize=80\r\nSondeDiameter=60\r\nLeftGate=" << farStart
      << "\r\nRightGate=" << farEnd << "\r\n";
}

}  // namespace cbltest
