// The channel processing pinned by tables: when a value comes out of the delay
// window, what the filters make of a window, the calibration, and what the
// user function is given, for logs recorded up, down and in time.
#include "logdoc/engine/channel_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace qv {
namespace {

SixChannelPacket Packet(std::uint16_t count, std::uint8_t rate = 50) {
  SixChannelPacket p;
  p.rate = rate;
  for (int i = 0; i < 6; ++i) p.channel[i] = count;
  return p;
}

TwelveChannelRecord Record(float value, std::uint32_t mask = 0xFFF) {
  TwelveChannelRecord r;
  r.mask = mask;
  for (int i = 0; i < 12; ++i) r.value[i] = value;
  return r;
}

// The user function of the tests: keeps its inputs; output i is input i plus
// 1000, or input 1 plus 1000 where input i is 0 (so that a six-channel log has
// twelve outputs), 0 while input 1 is 0 too.
std::array<double, 14> g_lastIn;
void PlusThousand(double* in, double* out) {
  for (int i = 0; i < 14; ++i) g_lastIn[i] = in[i];
  for (int i = 0; i < 12; ++i) {
    const double v = in[i] != 0.0 ? in[i] : in[0];
    out[i] = v == 0.0 ? 0.0 : v + 1000.0;
  }
}

// Feeds records k = 0, 1, ... whose value is k + 1 and returns, per record,
// column `column` of the result row.
std::vector<double> Feed(ChannelProcessor& p, int channels, int records, int column,
                         std::optional<std::span<const int>> print = std::nullopt) {
  std::vector<double> out;
  for (int k = 0; k < records; ++k) {
    const auto row = channels == 6 ? p.ProcessSixChannel(Packet(static_cast<std::uint16_t>(k + 1)), {}, print)
                                   : p.ProcessTwelveChannel(Record(static_cast<float>(k + 1)), {}, print);
    out.push_back(row[column]);
  }
  return out;
}

// The number of records a value needs to reach the result row (-1: never).
int Lag(const std::vector<double>& out) {
  for (std::size_t k = 0; k < out.size(); ++k)
    if (out[k] != 0.0) return static_cast<int>(k) - static_cast<int>(std::fmod(out[k], 1000.0)) + 1;
  return -1;
}

TEST(ChannelProcessor, LagThroughTheDelayWindow) {
  struct Case {
    const char* what;
    int channels, logMode, sondeLength, offset;
    bool userFunction;
    int column, lag;
  } cases[] = {
      {"up, offset 0", 6, kLogModeUp, 500, 0, false, 0, 26},
      {"up, offset 7", 6, kLogModeUp, 500, 7, false, 0, 33},
      {"down, offset 0", 6, kLogModeDown, 500, 0, false, 0, 526},
      {"down, offset = sonde length", 6, kLogModeDown, 500, 500, false, 0, 26},
      {"down, offset above sonde length", 6, kLogModeDown, 10, 70, false, 0, -1},
      {"down, negative offset beyond the window", 6, kLogModeDown, 10, -5, false, 0, -1},
      {"time log ignores offsets", 6, kLogModeTime, 500, 300, false, 0, 26},
      {"twelve channels, up, offset 2", 12, kLogModeUp, 0, 2, false, 11, 28},
      {"user function outputs, up", 6, kLogModeUp, 0, 0, true, 0, 52},
      {"six-channel user output 7 passes the output window too", 6, kLogModeUp, 0, 0, true, 6, 52},
      {"twelve-channel user output 12", 12, kLogModeUp, 0, 0, true, 11, 52},
  };
  for (const auto& c : cases) {
    ChannelProcessorSetup s;
    s.channels = c.channels;
    s.logMode = c.logMode;
    s.sondeLengthSteps = c.sondeLength;
    s.depthStep = 100;
    for (auto& ch : s.channelSettings) ch.offsetSteps = c.offset;
    if (c.userFunction) s.userFunction = PlusThousand;
    ChannelProcessor p(s);
    const auto out = Feed(p, c.channels, 600, c.column);
    EXPECT_EQ(Lag(out), c.lag) << c.what;
    // The entry counts as a reading from the record on which the first
    // value comes out, never before (the empty window's zeros are not data).
    ChannelProcessor q(s);
    int ready = -1;
    for (int k = 0; k < 600 && ready < 0; ++k) {
      Feed(q, c.channels, 1, c.column);
      if (q.OutputReady(c.column)) ready = k;
    }
    EXPECT_EQ(ready, c.lag) << c.what;
  }
}

TEST(ChannelProcessor, ReadinessStartsAgainAfterClearAndNeverForMissingChannels) {
  ChannelProcessorSetup s;
  s.logMode = kLogModeUp;
  ChannelProcessor p(s);
  Feed(p, 6, 30, 0);
  EXPECT_TRUE(p.OutputReady(0));
  EXPECT_FALSE(p.OutputReady(6)) << "a six-channel log has no channel 7";
  EXPECT_FALSE(p.OutputReady(-1));
  EXPECT_FALSE(p.OutputReady(12));
  p.Clear();
  EXPECT_FALSE(p.OutputReady(0)) << "a rewound replay starts from nothing";

  // Records without a reading (a replay's zero records past the end of a
  // file) carry the readings before them out, then show none of their own.
  ChannelProcessor q(s);
  Feed(q, 6, 40, 0);
  RecordStamp none;
  none.reading = false;
  std::vector<bool> ready;
  for (int k = 0; k < 30; ++k) {
    q.ProcessSixChannel(Packet(0), none);
    ready.push_back(q.OutputReady(0));
  }
  EXPECT_EQ(std::count(ready.begin(), ready.end(), true), 26) << "the lag of 26 still comes out";
  EXPECT_FALSE(ready.back());
}

TEST(ChannelProcessor, WindowRows) {
  struct Case {
    int logMode, sondeLength, offset, rows;
  } cases[] = {{kLogModeUp, 500, 0, 552},    {kLogModeDown, 10, 70, 122}, {kLogModeUp, 0, 0, 52},
               {kLogModeTime, 500, 9, 1000}, {kLogModeUp, -4, -9, 52},    {kLogModeUp, 5, 2000000000, 57}};
  for (const auto& c : cases) {
    ChannelProcessorSetup s;
    s.logMode = c.logMode;
    s.sondeLengthSteps = c.sondeLength;
    for (auto& ch : s.channelSettings) ch.offsetSteps = c.offset;
    EXPECT_EQ(ChannelProcessor(s).WindowRows(), c.rows) << c.logMode << " " << c.sondeLength << " " << c.offset;
  }
}

TEST(ChannelProcessor, PrintOffsetsReplaceTheLogsOwnRows) {
  ChannelProcessorSetup s;
  s.logMode = kLogModeDown;
  s.sondeLengthSteps = 500;
  ChannelProcessor p(s);
  // Channel 1 at 51 + 4, channel 2 where the block ends: 51.
  const std::vector<int> block = {0, 0, 0, 0, 0, 0, 0, 4};
  EXPECT_EQ(Lag(Feed(p, 6, 100, 0, block)), 30);
  p.Clear();
  EXPECT_EQ(Lag(Feed(p, 6, 100, 1, block)), 26);
}

TEST(DelayWindow, Filters) {
  struct Case {
    int type, width;
    double value;
  } cases[] = {
      {2, 5, 5.0},         {1, 5, 5.0},   {3, 5, 5.0},  // window 1, 9, 3, 7, 5 at rows 23..27
      {4, 5, 0.0},         {255, 3, 0.0},               // unknown kinds give 0.0
      {0, 5, 3.0},         {2, 1, 3.0},   {1, 0, 3.0},  // no filter: the value at row 25
      {1, 3, 19.0 / 3},    {2, 4, 7.0},                 // even width reads rows 23..26
      {1, 999, 25.0 / 51},                              // clamped to rows 0..50
  };
  for (const auto& c : cases) {
    DelayWindow w(60, 2);
    const double values[] = {1, 9, 3, 7, 5};
    for (int i = 0; i < 5; ++i) w.Write(23 + i, 1, values[i]);
    w.Write(51, 1, 1000.0);  // beyond row 50: never part of a filter
    EXPECT_DOUBLE_EQ(w.Output(1, c.type, c.width), c.value) << c.type << "/" << c.width;
  }
}

TEST(DelayWindow, RotationAndBounds) {
  DelayWindow w(52, 1);
  w.Write(51, 0, 7.0);
  w.Write(52, 0, 9.0);  // outside: nothing written
  w.Write(-1, 0, 9.0);
  w.Write(0, 3, 9.0);
  for (int k = 0; k < 26; ++k) w.Rotate();
  EXPECT_EQ(w.At(25, 0), 7.0);
  w.Rotate();
  EXPECT_EQ(w.At(25, 0), 0.0);
  EXPECT_EQ(w.At(51, 0), 0.0);  // the row that came round is clear
  EXPECT_EQ(w.Output(5, 0, 0), 0.0);
}

TEST(ChannelProcessor, FilteredChannelOutput) {
  // Median of width 5 over a single spike: the spike never reaches the output.
  ChannelProcessorSetup s;
  s.logMode = kLogModeUp;
  s.channelSettings[0] = {2, 5, 0};
  ChannelProcessor p(s);
  double peak = 0;
  for (int k = 0; k < 80; ++k) {
    const auto row = p.ProcessSixChannel(Packet(k == 40 ? 5000 : 10), {});
    if (k > 30) peak = std::max(peak, row[0]);
  }
  EXPECT_EQ(peak, 10.0);
}

TEST(ChannelProcessor, ScalingAndCalibration) {
  struct Case {
    std::uint16_t count;
    std::uint8_t rate;
    bool on;
    std::optional<Coefficients> c;
    double raw, calibrated;
  } cases[] = {
      {100, 0, false, std::nullopt, 100, 100},
      {100, 25, false, Coefficients{1, 2, 3, 4}, 200, 200},
      {100, 50, true, std::nullopt, 100, 100},
      {2, 50, true, Coefficients{1, 2, 3, 4}, 2, 1 + 4 + 12 + 32},
      {10, 100, true, Coefficients{-0.5, 0, 0, 1}, 5, 124.5},
  };
  for (const auto& c : cases) {
    ChannelProcessorSetup s;
    s.calibrationOn = c.on;
    s.calibration[0] = c.c;
    ChannelProcessor p(s);
    p.ProcessSixChannel(Packet(c.count, c.rate), {});
    EXPECT_DOUBLE_EQ(p.RawValues()[0], c.raw) << c.count << "/" << +c.rate;
    EXPECT_DOUBLE_EQ(p.CalibratedValues()[0], c.calibrated) << c.count << "/" << +c.rate;
  }
}

TEST(ChannelProcessor, CalibrationTableFromTheSet) {
  CalibrationSet set;
  set.channels.resize(3);
  set.channels[0] = std::make_unique<ChannelCalibration>();
  set.channels[0]->coefficients = Coefficients{1, 2, 3, 4};
  set.channels[1] = std::make_unique<ChannelCalibration>();  // no coefficient block
  set.channels[2] = nullptr;
  const auto table = CalibrationTableOf(set);
  ASSERT_TRUE(table[0]);
  EXPECT_EQ((*table[0])[3], 4.0);
  for (int i = 1; i < 12; ++i) EXPECT_FALSE(table[i]) << i;
}

TEST(ChannelProcessor, AbsentTwelveChannelChannels) {
  ChannelProcessorSetup s;
  s.channels = 12;
  ChannelProcessor p(s);
  p.ProcessTwelveChannel(Record(3.0f), {});
  p.ProcessTwelveChannel(Record(4.0f, 0x00F), {});
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(p.CalibratedValues()[i], i < 4 ? 4.0 : 0.0) << i;
    EXPECT_EQ(p.RawValues()[i], i < 4 ? 4.0 : 3.0) << i;  // raw keeps the last delivered value
  }
}

TEST(ChannelProcessor, UserFunctionTimeAndDepth) {
  // DEPTH is the depth of the row the user function is given: 25 steps
  // behind the newest record in the log's direction, and logging down a
  // sonde length (here 40 steps) further up.
  struct Case {
    int logMode, channels, depth, time, lengthSteps;
    double depthIn;
  } cases[] = {
      {kLogModeUp, 6, 10000, 61000, 0, 12500},   {kLogModeDown, 6, 10000, 61000, 0, 7500},
      {kLogModeTime, 6, 10000, 61000, 0, 10000}, {kLogModeUp, 12, -300, 5, 0, 2200},
      {kLogModeDown, 12, 0, 0, 0, -2500},        {kLogModeUp, 6, 10000, 61000, 40, 12500},
      {kLogModeDown, 6, 10000, 61000, 40, 3500}, {kLogModeTime, 12, 10000, 0, 40, 10000},
  };
  for (const auto& c : cases) {
    ChannelProcessorSetup s;
    s.channels = c.channels;
    s.logMode = c.logMode;
    s.depthStep = 100;
    s.sondeLengthSteps = c.lengthSteps;
    s.userFunction = PlusThousand;
    ChannelProcessor p(s);
    g_lastIn.fill(-1);
    if (c.channels == 6)
      p.ProcessSixChannel(Packet(1), {c.depth, c.time});
    else
      p.ProcessTwelveChannel(Record(1.0f), {c.depth, c.time});
    EXPECT_EQ(g_lastIn[12], c.time) << c.logMode;
    EXPECT_EQ(g_lastIn[13], c.depthIn) << c.logMode << " " << c.lengthSteps;
    for (int i = c.channels; i < 12; ++i) EXPECT_EQ(g_lastIn[i], 0.0) << i;
  }
}

TEST(ChannelProcessor, UserFunctionSnapshotAndOutputFilter) {
  ChannelProcessorSetup s;
  s.logMode = kLogModeUp;
  s.userFunction = PlusThousand;
  s.outputFilters[0] = {1, 3};
  ChannelProcessor p(s);
  std::vector<double> out;
  for (int k = 0; k < 60; ++k) out.push_back(p.ProcessSixChannel(Packet(static_cast<std::uint16_t>(k + 1)), {})[0]);
  // Record k hands the user function the value of record k - 26 (k - 25);
  // its output plus 1000 is the newest user value.
  EXPECT_EQ(p.UserValues()[0], 1000.0 + 60 - 26);
  // Output 1 averages rows 24..26 of the output window: outputs of records
  // 57, 58 and 59 minus 26 records each, centred on 1000 + 60 - 52.
  EXPECT_DOUBLE_EQ(out[59], 1000.0 + (60 - 52));
}

TEST(ChannelProcessor, ClearStartsFromZeros) {
  ChannelProcessorSetup s;
  s.logMode = kLogModeUp;
  ChannelProcessor p(s);
  Feed(p, 6, 40, 0);
  p.Clear();
  EXPECT_EQ(Lag(Feed(p, 6, 40, 0)), 26);
}

TEST(ChannelProcessor, DisplayDepthOffset) {
  // Offsets count up from the sonde's bottom. Logging down, a row leaves the
  // window when the sensor at the top has reached its depth: the label lies
  // a sonde length above the counter's depth as well.
  struct Case {
    int logMode;
    bool userFunction;
    int lengthSteps;
    int offset;
  } cases[] = {{kLogModeUp, false, 0, 2500},     {kLogModeUp, true, 0, 5100},      {kLogModeDown, false, 0, -2500},
               {kLogModeTime, true, 0, -5100},   {kLogModeUp, false, 50, 2500},    {kLogModeUp, true, 50, 5100},
               {kLogModeDown, false, 50, -7500}, {kLogModeDown, true, 50, -10100}, {kLogModeTime, false, 50, -2500}};
  for (const auto& c : cases) {
    ChannelProcessorSetup s;
    s.logMode = c.logMode;
    s.depthStep = 100;
    s.sondeLengthSteps = c.lengthSteps;
    if (c.userFunction) s.userFunction = PlusThousand;
    EXPECT_EQ(ChannelProcessor(s).DisplayDepthOffset(), c.offset) << c.logMode << " " << c.lengthSteps;
  }
}

TEST(ChannelProcessor, LengthsAndOffsetsInSteps) {
  EXPECT_EQ(CentimetresToDepthUnits(100, false), 1000);
  EXPECT_EQ(CentimetresToDepthUnits(100, true), 3281);   // 3280.839895 rounded
  EXPECT_EQ(CentimetresToDepthUnits(371, true), 12172);  // 12171.92: truncated, the header would read back 370
  EXPECT_EQ(OffsetToSteps(35, false, 100), 3);
  EXPECT_EQ(OffsetToSteps(35, false, 0), 0);
  EXPECT_EQ(OffsetToSteps(100, true, 50), 65);
  struct Case {
    int length;
    bool imperial;
    int step, logType, steps;
  } cases[] = {{300, false, 10, 1, 300}, {0, false, 10, 1, 500}, {0, false, 10, 2, 0},
               {-1, true, 50, 1, 500},   {300, true, 0, 1, 500}, {300, true, 50, 1, 196}};
  for (const auto& c : cases)
    EXPECT_EQ(SondeLengthSteps(c.length, c.imperial, c.step, c.logType), c.steps) << c.length << " " << c.step;
}

TEST(ChannelProcessor, RecordDepthFromPosition) {
  EXPECT_EQ(RecordDepthAt(kLogModeUp, 120000, 100000, 100, 0), 120000);
  EXPECT_EQ(RecordDepthAt(kLogModeUp, 120000, 100000, 100, 3), 119700);
  EXPECT_EQ(RecordDepthAt(kLogModeDown, 100000, 120000, -100, 3), 100300);
  EXPECT_EQ(RecordDepthAt(kLogModeTime, 0, 5000, 100, 7), 5000);
  EXPECT_EQ(RecordDepthAt(kLogModeDown, 0, 10, 100000, 1LL << 40), INT_MAX);
  EXPECT_EQ(RecordDepthFrom(kLogModeUp, -500, 100, 2), -700);
  EXPECT_EQ(RecordDepthFrom(kLogModeDown, -500, -100, 2), -300);
}

}  // namespace
}  // namespace qv
