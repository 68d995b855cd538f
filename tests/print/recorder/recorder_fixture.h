// A recorder port for tests: it keeps every write as sent (one entry per
// write), can fail from a given write on, and tells when it was closed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/globals.h"
#include "platform/files/paths.h"
#include "platform/parallel/parallel.h"
#include "print/recorder/gulton.h"
#include "tests/print/capture/recorder_capture.h"
#include "tests/support/test_files.h"

namespace qvtest {

struct PortLog {
  std::mutex mutex;
  std::vector<std::vector<uint8_t>> writes;
  int failAt = 0;  // the first write (1-based) that fails; 0 never
  int attempts = 0;
  int opened = 0;
  int closed = 0;
  bool yield = false;  // give other threads a chance inside every write

  std::vector<uint8_t> Bytes() {
    std::lock_guard lk(mutex);
    std::vector<uint8_t> all;
    for (const auto& w : writes) all.insert(all.end(), w.begin(), w.end());
    return all;
  }
};

class LoggedPort : public qv::ParallelPort {
 public:
  explicit LoggedPort(std::shared_ptr<PortLog> log) : log_(std::move(log)) {
    std::lock_guard lk(log_->mutex);
    ++log_->opened;
  }
  ~LoggedPort() override {
    std::lock_guard lk(log_->mutex);
    ++log_->closed;
  }
  bool Write(const uint8_t* data, size_t n) override {
    bool yield;
    {
      std::lock_guard lk(log_->mutex);
      ++log_->attempts;
      if (log_->failAt && log_->attempts >= log_->failAt) return false;
      log_->writes.emplace_back(data, data + n);
      yield = log_->yield;
    }
    if (yield) std::this_thread::yield();
    return true;
  }

 private:
  std::shared_ptr<PortLog> log_;
};

// Digit d's glyph: row r holds d in its high nibbles and r in its low ones,
// so that every byte tells where it came from.
inline std::array<std::array<uint8_t, 64>, 10> SyntheticGlyphs() {
  std::array<std::array<uint8_t, 64>, 10> g{};
  for (int d = 0; d < 10; ++d)
    for (int r = 0; r < 32; ++r) {
      g[d][r * 2] = static_cast<uint8_t>(d << 4 | (r & 0xF));
      g[d][r * 2 + 1] = static_cast<uint8_t>(0x80 | r);
    }
  return g;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = qv::test::TempDir("recorder");
    qv::SetProgramFolder(dir);
    savedPort = g_nRecorderPort;
    savedModel = g_nRealTimePrinter;
    savedMedium = g_nPrintMedium;
    g_nRecorderPort = 1;
    g_nPrintMedium = 0;
    log = std::make_shared<PortLog>();
    qv::SetParallelPortOpener([this](int) { return std::make_unique<LoggedPort>(log); });
  }
  void TearDown() override {
    qv::SetParallelPortOpener(nullptr);
    qv::SetParallelWriteTimeoutMs(0);
    SetRecorderLockTimeoutMs(0);
    g_nRecorderPort = savedPort;
    g_nRealTimePrinter = savedModel;
    g_nPrintMedium = savedMedium;
    qv::SetProgramFolder("");
    EXPECT_EQ(RecordersInUse(), 0);
  }
  // A plot recorder on linear tracks.
  std::unique_ptr<CGulton> Plot(int verticalKind, int scale, int direction = 0, uint8_t model = 0) {
    return std::make_unique<CGulton>(model, kPrintPlot, verticalKind, linear, scale, 0, direction);
  }

  std::string dir;
  std::shared_ptr<PortLog> log;
  TrackScale linear[5] = {};
  int savedPort = 1, savedModel = 1, savedMedium = 0;
};

}  // namespace qvtest
