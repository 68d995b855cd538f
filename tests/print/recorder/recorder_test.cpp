// The recorder on its port: the command bytes of each model, the test page
// picture, failing ports (each closes the port and raises), two threads on
// one recorder, and the in-use count.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "print/recorder/chart_text.h"
#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char b[4];
  for (uint8_t c : bytes) {
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

std::string Writes(PortLog& log) {
  std::string out;
  for (const auto& w : log.writes) out += (out.empty() ? "" : " | ") + Hex(w);
  return out;
}

TEST_F(RecorderTest, CommandBytesOfEachModel) {
  const std::string gultonRaster = "1B 41 32 31 36 30 30 30";
  const std::string printrexRaster = "1B 5A 01 00";
  const std::string eject = "1B 4E 00 00 | 1B 4F 00 00 | 0C 00 00 00";
  struct Case {
    const char* operation;
    std::function<void(CGulton&)> run;
    std::string gulton, printrex;
  };
  const Case cases[] = {
      {"SendPrintrexStart", [](CGulton& g) { g.SendPrintrexStart(); }, "", "1B 53 00"},
      {"SelectMedium 0", [](CGulton& g) { g.SelectMedium(0); }, "", "1B 54 00 00"},
      {"SelectMedium 1", [](CGulton& g) { g.SelectMedium(1); }, "", "1B 54 01 00"},
      {"SelectMedium 2", [](CGulton& g) { g.SelectMedium(2); }, "", ""},
      {"LineFeed 2", [](CGulton& g) { EXPECT_EQ(g.LineFeed(2), 2); }, "0A | 0A", "0D | 0D"},
      {"EjectToFormMark", [](CGulton& g) { g.EjectToFormMark(); }, eject, eject},
      {"EndRaster", [](CGulton& g) { g.EndRaster(); }, "1B 32", ""},
  };
  for (uint8_t model : {0, 1, 2}) {
    for (const Case& c : cases) {
      log = std::make_shared<PortLog>();
      {
        CGulton g(model, kPrintTest, 0, nullptr, -1, 0, 1);
        c.run(g);
      }
      EXPECT_EQ(Writes(*log), model == 0 ? c.gulton : c.printrex) << c.operation << " model " << int(model);
    }
    // A fed line is the raster command with template 1 in one write.
    log = std::make_shared<PortLog>();
    {
      auto g = Plot(0, 200, 0, model);
      g->FeedLines(0);
    }
    ASSERT_EQ(log->writes.size(), 1u);
    const std::string command = model == 0 ? gultonRaster : printrexRaster;
    EXPECT_EQ(Hex(log->writes[0]).substr(0, command.size()), command);
    EXPECT_EQ(log->writes[0].size(), (model == 0 ? 8u : 4u) + 216u);
  }
}

TEST_F(RecorderTest, PrintStyleTable) {
  const struct {
    int style;
    unsigned dash;
    int width;
  } cases[] = {{1, 1, 2}, {2, 3, 2}, {3, 2, 2}, {4, 4, 2}, {5, 1, 4}, {6, 3, 4},
               {7, 2, 4}, {8, 4, 4}, {0, 1, 2}, {9, 1, 2}, {-3, 1, 2}};
  for (const auto& c : cases) {
    const PrintLineStyle s = RecorderLineStyle(c.style);
    EXPECT_EQ(s.dashStyle, c.dash) << c.style;
    EXPECT_EQ(s.width, c.width) << c.style;
  }
}

// Runs the test page as the set-up dialog does and decodes what was sent.
DecodedCapture TestPage(PortLog& log, uint8_t model) {
  {
    CGulton g(model, kPrintTest, 0, nullptr, -1, 0, 1);
    g.SendPrintrexStart();
    g.PrintTestPage();
  }
  return DecodeCapture(log.Bytes(), model);
}

TEST_F(RecorderTest, TestPageOfEachModel) {
  if (!qv::ChartFontAvailable()) GTEST_SKIP() << "Liberation Sans is not installed (scripts/deps.sh)";
  const int textWidth = qv::ChartTextWidth("TEST OK", 250);
  ASSERT_GT(textWidth, 600);
  for (uint8_t model : {0, 1, 2}) {
    SCOPED_TRACE(model);
    log = std::make_shared<PortLog>();
    const DecodedCapture d = TestPage(*log, model);
    EXPECT_TRUE(d.problems.empty()) << d.problems.front();
    EXPECT_EQ(TokenSummary(d), model == 0 ? "start ESC 0 ESC 1 raster x400 ESC 2" : "Printrex start paper raster x400");
    // Each raster command travelled with its line in one write.
    size_t rasterWrites = 0;
    for (const auto& w : log->writes) rasterWrites += w.size() == (model == 0 ? 224u : 220u);
    EXPECT_EQ(rasterWrites, 400u);
    ASSERT_EQ(d.lines.size(), 400u);
    auto ink = [&](int x, int y) { return (d.lines[y][x / 8] >> (7 - x % 8)) & 1; };
    for (int y = 0; y < 400; ++y)
      for (int b = 208; b < 216; ++b) ASSERT_EQ(d.lines[y][b], 0) << y << " " << b;
    // The frame: 4 dots wide centred on (0,0)-(1660,400), cut by the picture.
    auto frame = [](int x, int y) { return y <= 1 || y >= 398 || x <= 1 || (x >= 1658 && x <= 1661); };
    int textInk = 0;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 1728; ++x) {
        const bool inFrame = frame(x, y) && x <= 1661;
        if (inFrame) {
          ASSERT_TRUE(ink(x, y)) << x << "," << y;
          continue;
        }
        if (!ink(x, y)) continue;
        ASSERT_TRUE(x >= 300 && x < 300 + textWidth && y >= 50 && y < 300)
            << "ink outside the text at " << x << "," << y;
        ++textInk;
      }
    EXPECT_GT(textInk, 5000);
  }
}

TEST_F(RecorderTest, TestPageLinesAreAPictureNetpbmReads) {
  log = std::make_shared<PortLog>();
  const DecodedCapture d = TestPage(*log, 0);
  const std::string pbm = dir + "/page.pbm";
  ASSERT_TRUE(WritePbm(pbm, d.lines));
  if (std::system("command -v pamfile >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "netpbm is not installed (scripts/deps.sh)";
  const std::string cmd = "pamfile " + pbm + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[256] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, p);
  ::pclose(p);
  const std::string out(buf, n);
  EXPECT_NE(out.find("PBM raw"), std::string::npos) << out;
  EXPECT_NE(out.find("1728 by 400"), std::string::npos) << out;
}

TEST_F(RecorderTest, DecoderReportsStrayBytesAndCutLines) {
  std::vector<uint8_t> bytes = {0x1B, 'E', 0, 0, 0, 0, 0, 0, 0x42, 0x43, 0x0A, 0x1B, 'A', '2', '1', '6', '0', '0', '0'};
  bytes.resize(bytes.size() + 216, 0xFF);
  bytes.push_back(0x0D);  // a Printrex terminator on a Gulton
  bytes.insert(bytes.end(), {0x1B, 'A', '2', '1', '6', '0', '0', '0', 1, 2, 3});
  const DecodedCapture d = DecodeCapture(bytes, 0);
  EXPECT_EQ(TokenSummary(d), "start stray LF raster stray cut raster");
  ASSERT_EQ(d.problems.size(), 3u);
  EXPECT_EQ(d.lines.size(), 1u);
  EXPECT_EQ(d.tokens[1].bytes, (std::vector<uint8_t>{0x42, 0x43}));
}

// A port failing at the k-th write: the operation raises, nothing more is
// written, the port is closed and stays closed.
TEST_F(RecorderTest, APortFailingAtAnyWriteRaisesAndClosesThePort) {
  for (uint8_t model : {0, 1}) {
    const int total = model == 0 ? 3 + 400 + 1 : 1 + 1 + 400;
    for (int k : {1, 2, 3, 200, total}) {
      SCOPED_TRACE(testing::Message() << "model " << int(model) << " failing write " << k);
      log = std::make_shared<PortLog>();
      log->failAt = k;
      {
        CGulton g(model, kPrintTest, 0, nullptr, -1, 0, 1);
        EXPECT_THROW(
            {
              g.SendPrintrexStart();
              g.PrintTestPage();
            },
            CUserException);
        EXPECT_FALSE(g.PortOpen());
        EXPECT_EQ(log->closed, 1);
        EXPECT_EQ(log->attempts, k);
        EXPECT_THROW(g.LineFeed(1), CUserException);
        EXPECT_EQ(log->attempts, k) << "a closed port is not written to again";
        EXPECT_EQ(log->opened, 1);
      }
      EXPECT_EQ(RecordersInUse(), 0);
    }
  }
}

TEST_F(RecorderTest, AMissingDeviceFailsTheFirstWriteAndIsNotCreated) {
  qv::SetParallelPortOpener(nullptr);
  const std::string device = "/dev/lp2";
  if (std::filesystem::exists(device)) GTEST_SKIP() << device << " exists here";
  g_nRecorderPort = 3;
  {
    CGulton g(0, kPrintTest, 0, nullptr, -1, 0, 1);
    EXPECT_FALSE(g.PortOpen());
    EXPECT_THROW(g.PrintTestPage(), CUserException);
  }
  EXPECT_FALSE(std::filesystem::exists(device));
  EXPECT_EQ(RecordersInUse(), 0);
}

TEST_F(RecorderTest, FifosThatNobodyReadsFail) {
  qv::SetParallelPortOpener(nullptr);
  const std::string fifo = dir + "/recorder.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(dir + "/win.ini") << "[ParallelDevices]\r\nLPT1=" << fifo << "\r\n";
  {
    // No reader: the port does not open.
    CGulton g(0, kPrintTest, 0, nullptr, -1, 0, 1);
    EXPECT_FALSE(g.PortOpen());
    EXPECT_THROW(g.LineFeed(1), CUserException);
  }
  EXPECT_EQ(RecordersInUse(), 0);
  // A reader that never reads: the pipe fills and the deadline passes.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  qv::SetParallelWriteTimeoutMs(100);
  {
    CGulton g(0, kPrintTest, 0, nullptr, -1, 0, 1);
    EXPECT_TRUE(g.PortOpen());
    EXPECT_THROW(g.PrintTestPage(), CUserException);
    EXPECT_FALSE(g.PortOpen());
  }
  EXPECT_EQ(RecordersInUse(), 0);
  ::close(reader);
}

TEST_F(RecorderTest, InUseCountsLiveRecorders) {
  {
    CGulton a(0, kPrintTest, 0, nullptr, -1, 0, 1);
    EXPECT_EQ(RecordersInUse(), 1);
    {
      CGulton b(1, kPrintPlot, 0, linear, 200, 0, 0);
      EXPECT_EQ(RecordersInUse(), 2);
      b.CleanUp();
      EXPECT_EQ(RecordersInUse(), 1);
      b.CleanUp();
      EXPECT_EQ(RecordersInUse(), 1);
    }
    EXPECT_EQ(RecordersInUse(), 1) << "the first deletion leaves the other recorder in use";
  }
  EXPECT_EQ(RecordersInUse(), 0);
}

// The display thread feeds lines while the GUI thread prints a block: every
// operation goes out whole.
TEST_F(RecorderTest, TwoThreadsOnOneRecorderKeepTheFraming) {
  log->yield = true;
  {
    auto g = Plot(0, 200);
    std::thread feeder([&] {
      for (int i = 0; i < 300; ++i) {
        g->LineFeed(1);
        g->FeedLines(1);
      }
    });
    for (int i = 0; i < 3; ++i) g->PrintTestPage();
    g->EjectToFormMark();
    feeder.join();
  }
  const DecodedCapture d = DecodeCapture(log->Bytes(), 0);
  EXPECT_TRUE(d.problems.empty());
  // Each test page is one block: no line feed or fed line inside it.
  const std::string page = "start ESC 0 ESC 1 raster x400 ESC 2";
  const std::string summary = TokenSummary(d);
  size_t pages = 0;
  for (size_t at = summary.find("start"); at != std::string::npos; at = summary.find("start", at + 1)) {
    ++pages;
    EXPECT_EQ(summary.compare(at, page.size(), page), 0) << summary.substr(at, 80);
  }
  EXPECT_EQ(pages, 3u);
  EXPECT_EQ(d.lines.size(), 3u * 400 + 300);
}

TEST_F(RecorderTest, ALockNotHadInTimeFailsTheOperation) {
  SetRecorderLockTimeoutMs(50);
  // A port that keeps the first write waiting until it is let go.
  struct SlowPort : qv::ParallelPort {
    std::atomic<bool>* entered;
    std::atomic<bool>* release;
    bool Write(const uint8_t*, size_t) override {
      *entered = true;
      while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return true;
    }
  };
  std::atomic<bool> entered{false}, release{false};
  qv::SetParallelPortOpener([&](int) {
    auto p = std::make_unique<SlowPort>();
    p->entered = &entered;
    p->release = &release;
    return p;
  });
  auto g = Plot(0, 200);
  std::thread holder([&] { g->FeedLines(0); });
  while (!entered) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_THROW(g->LineFeed(1), CUserException);
  EXPECT_TRUE(g->PortOpen()) << "the port belongs to the holder";
  release = true;
  holder.join();
}

}  // namespace
}  // namespace qvtest
