#include "devices/tbdevice/sonic.h"

#include <chrono>
#include <thread>

#include "fixture.h"

namespace {

// 480 samples of 1 with 100 from the arrival on (and, when given, from..to).
std::vector<int8_t> Step(int arrival, int burstFrom = -1, int burstTo = -1) {
  std::vector<int8_t> s(480, 1);
  for (int i = 0; i < 480; ++i)
    if ((arrival >= 0 && i >= arrival) || (i >= burstFrom && i <= burstTo)) s[i] = 100;
  return s;
}

}  // namespace

// Arrivals the short/long energy ratio finds, with the windows in quarter samples.
TEST(ArrivalPicking, KnownArrivals) {
  struct Case {
    const char* name;
    std::vector<int8_t> wave;
    int start, shortW, longW;
    float threshold;
    int pick;
  } cases[] = {
      {"step, near defaults", Step(200), 0, 25, 200, 2.0f, 198},
      {"step, high threshold", Step(200), 0, 25, 200, 50.0f, 199},
      {"step, far defaults", Step(230), 0, 10, 400, 2.5f, 230},
      {"silence", std::vector<int8_t>(480, 0), 0, 25, 200, 2.0f, 0},
      {"no change", std::vector<int8_t>(480, 1), 0, 25, 200, 2.0f, 0},
      {"already above at start 0", Step(-1, 47, 52), 0, 25, 200, 2.0f, 1},
      {"already above at a later start", Step(-1, 57, 62), 40, 25, 200, 2.0f, 10},
      {"windows past the end", std::vector<int8_t>(480, 1), 1900, 25, 200, 2.0f, 0},
      {"nonsense parameters", Step(200), -400, 100000, -5, 2.0f, 0},
      {"zero windows", Step(200), 0, 0, 0, 2.0f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(tbdev::PickArrival(c.wave.data(), c.start, c.shortW, c.longW, c.threshold), c.pick);
  }
}

class SonicTest : public TbdeviceTest {
 public:
  // The twenty segments of one shot: near then far, 0-9 each.
  void SendShot(const std::vector<int8_t>& nearWave, const std::vector<int8_t>& farWave, uint8_t gain) {
    for (int far = 0; far < 2; ++far) {
      for (int n = 0; n < 10; ++n) {
        std::vector<uint8_t> r(71, 0);
        r[0] = 0x10;  // depth 16
        r[8] = uint8_t(n | (far ? 0x80 : 0));
        r[9] = gain;
        for (int i = 0; i < 48; ++i) r[10 + i] = uint8_t((far ? farWave : nearWave)[48 * n + i]);
        r[58] = 0x11;  // the unit's own picks (used without the waveform program)
        r[60] = 0x22;
        r[62] = 5;
        r[64] = 6;
        r[66] = 0x33;
        r[68] = 7;
        unit->QueueRecord(r);
      }
    }
  }
  // Reads the twenty segments; returns the companion packet of the last near one.
  SixChannelPacket ReadShot() {
    SixChannelPacket p{}, lastNear{};
    for (int k = 0; k < 20; ++k) {
      CblWaveformSegment seg{};
      EXPECT_EQ(GetSonicArrival(&seg, &p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
      if (k == 9) lastNear = p;
    }
    return lastNear;
  }
  void StartFullWave() {
    LoggingModeBlock on{2, 4, 1000, 11, 0};
    ASSERT_EQ(SetLoggingMode(&on), 0u);
  }
};

TEST_F(SonicTest, UnitPicksWithoutTheWaveformProgram) {
  BringUp();
  StartFullWave();
  SendShot(Step(150), Step(230), 9);
  const SixChannelPacket p = ReadShot();
  const uint16_t expect[6] = {0x11, 0x22, 5, 6, 0x33, 7};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.channel[i], expect[i]);
  EXPECT_EQ(p.checksum, tb::SixChannelChecksum(p));
  EXPECT_EQ(tbdev::SharedBlock()->dataReady, 0) << "the block is not written without the program";
}

TEST_F(SonicTest, LibraryPicksAndHandsThePairOver) {
  WriteText("WAVPR001.EXE", "");
  BringUp();
  StartFullWave();
  SharedSonicBlock* b = tbdev::SharedBlock();
  SendShot(Step(150), Step(230), 9);
  SixChannelPacket p = ReadShot();
  EXPECT_EQ(p.channel[0], 148 * 8);
  EXPECT_EQ(b->nearPick, 148 * 8);
  EXPECT_EQ(b->farPick, 230 * 8);
  EXPECT_EQ(b->nearGain, 9);
  ASSERT_EQ(b->dataReady, 1);
  EXPECT_EQ(b->readOffset, 0);
  SonicWaveRecord w{};
  ASSERT_EQ(get_far_wave_data(&w), 1);
  EXPECT_EQ(w.pick, 230 * 8);
  EXPECT_EQ(w.sample[229], 1);
  EXPECT_EQ(w.sample[230], 100);

  // A second shot before the pair was taken goes to the other buffer; the
  // pair stays readable, and the time difference follows the spacing factor.
  b->spacingFactor = 2.0f;
  SendShot(Step(100), Step(300), 4);
  p = ReadShot();
  EXPECT_EQ(p.channel[0], 98 * 8);
  EXPECT_EQ(p.channel[1], 230 * 8) << "the far pick of the last shot";
  EXPECT_EQ(p.channel[4], (230 - 148) * 8) << "time difference of the first shot with factor 1";
  EXPECT_EQ(b->readOffset, 0);
  ASSERT_EQ(get_near_wave_data(&w), 1);
  EXPECT_EQ(w.sample[150], 100);
  EXPECT_EQ(w.sample[149], 1) << "still the first shot";
  EXPECT_EQ(tbdev::State().timeDifference, (300 - 98) * 8 / 2);

  // Taken: the next shot swaps the buffers.
  clear_spawn_status();
  EXPECT_EQ(get_near_wave_data(&w), 0);
  SendShot(Step(120), Step(200), 4);
  ReadShot();
  EXPECT_EQ(b->readOffset, 1024);
  ASSERT_EQ(get_near_wave_data(&w), 1);
  EXPECT_EQ(w.sample[119], 1);
  EXPECT_EQ(w.sample[120], 100);
  EXPECT_EQ(get_near_wave_data(nullptr), 0);
}

// The waveform program runs as its own process: started by sonde command
// 106, it takes each pair through the exports, sets the picking parameters,
// and ends when asked.
TEST_F(SonicTest, WaveformProgramAcrossProcesses) {
  WriteText("WAVPR001.EXE", std::string("#!/bin/sh\nexec \"") + TBDEVICE_CHILD + "\" \"" + QV_PROGRAM_DIR +
                                "/libtbdevice.so\" wave > wave.txt 2>&1\n");
  fs::permissions(folder / "WAVPR001.EXE", fs::perms::owner_all);
  BringUp();
  StartFullWave();
  SharedSonicBlock* b = tbdev::SharedBlock();
  SondeCommandBlock start{106, 0, 0};
  for (int i = 0; i < 3; ++i) SendSondeCommand(&start);
  ASSERT_EQ(b->spawned, 1);

  auto waitFor = [](const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return done();
  };
  SendShot(Step(150), Step(230), 9);
  ReadShot();
  ASSERT_TRUE(waitFor([b] { return b->dataReady == 0; })) << "the program did not take the pair";
  EXPECT_FLOAT_EQ(b->spacingFactor, 4.0f) << "parameters set by the program";
  EXPECT_EQ(b->nearLongWindow, 160);
  b->terminate = 1;
  ASSERT_TRUE(waitFor([b] { return b->spawned == 0; })) << "the program did not end";
  EXPECT_EQ(ReadText("wave.txt"), "pair near 9 1184 1 100 far 9 1840 1 100\ndone\n");
}
