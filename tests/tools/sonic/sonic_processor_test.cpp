#include "tools/sonic/sonic_processor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using qv::SonicGeometry;
using qv::SonicInput;
using qv::SonicProcessor;
using qv::SonicProcessorSetup;

SonicProcessorSetup MakeSetup(int comStd, int logMode, int sondeLengthSteps = 10) {
  SonicProcessorSetup s;
  s.geometry = *qv::SonicGeometryFor(comStd);
  s.logMode = logMode;
  s.sondeLengthSteps = sondeLengthSteps;
  s.depthStep = 100;
  return s;
}

// Feeds records 0..n-1; record k carries k + 1 in every channel and in
// every sample of every waveform (times the waveform's number). Returns, per
// record, the values handed on and the first sample of each delayed waveform.
struct Fed {
  std::vector<std::vector<double>> values;
  std::vector<std::vector<int>> waves;
};

Fed Feed(SonicProcessor& p, const SonicGeometry& g, int n, int interval = 4, int mask = 0xFFF) {
  Fed run;
  std::vector<std::int16_t> samples(static_cast<std::size_t>(g.WaveformBytes() / 2));
  const std::size_t per = static_cast<std::size_t>(g.bytesPerWaveform / 2);
  for (int k = 0; k < n; ++k) {
    SonicInput in;
    in.mask = mask;
    in.time = 1000 + k;
    in.depth = 5000 + 100 * k;
    for (auto& v : in.values) v = static_cast<float>(k + 1);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((k + 1) * (1 + i / per));
    in.samples = samples;
    const auto row = p.Process(in, interval);
    run.values.emplace_back(row.begin(), row.end());
    std::vector<int> w;
    for (int i = 0; i < g.waveforms; ++i) w.push_back(p.Waveforms()[static_cast<std::size_t>(i) * per]);
    run.waves.push_back(w);
  }
  return run;
}

// The record index at which record 0's marker first comes out, -1 if never.
int LagOf(const std::vector<double>& series) {
  for (std::size_t i = 0; i < series.size(); ++i)
    if (series[i] != 0.0) return static_cast<int>(i);
  return -1;
}

TEST(SonicProcessorTest, DelayRowsByLogModeAndOffset) {
  // Channel 1 and waveform 1 (entries 0 and 12) with an offset in steps.
  struct Case {
    int logMode, offset, lag;
  } cases[] = {
      {10, 0, 26},        {10, 7, 26},  // time logs ignore offsets
      {11, 0, 26},        {11, 7, 33},  // up: 51 + offset
      {12, 0, 36},        {12, 4, 32},  // down: 51 + sonde length (10) - offset
      {12, 70, -1},                     // down: above the sonde length puts the row before the ring
      {11, 20000000, -1},               // beyond any ring: never written, the ring keeps its size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.logMode << " offset " << c.offset);
    SonicProcessorSetup s = MakeSetup(26, c.logMode);
    s.channelSettings[0].offsetSteps = c.offset;
    s.channelSettings[12].offsetSteps = c.offset;
    SonicProcessor p(s);
    EXPECT_EQ(p.RingRows(), c.logMode == 10 ? 1000 : std::max(10, c.offset > 100000 ? 0 : c.offset) + 52);
    const Fed run = Feed(p, s.geometry, 120);
    std::vector<double> ch1, wave1, ch2;
    for (std::size_t i = 0; i < run.values.size(); ++i) {
      ch1.push_back(run.values[i][0]);
      ch2.push_back(run.values[i][1]);
      wave1.push_back(run.waves[i][0]);
    }
    EXPECT_EQ(LagOf(ch1), c.lag);
    EXPECT_EQ(LagOf(wave1), c.lag);
    if (c.lag >= 0) {
      EXPECT_EQ(ch1[static_cast<std::size_t>(c.lag)], 1.0);
      EXPECT_EQ(wave1[static_cast<std::size_t>(c.lag)], 1.0);
    }
    // An unshifted channel keeps the plain lag of its mode.
    EXPECT_EQ(LagOf(ch2), c.logMode == 12 ? 36 : 26);
  }
}

TEST(SonicProcessorTest, PrintOffsetsReplaceTheLogsRows) {
  SonicProcessorSetup s = MakeSetup(28, 11);
  SonicProcessor p(s);
  std::vector<int> offsets(23, 0);
  offsets[7 + 2] = 3;   // channel 3
  offsets[19 + 3] = 5;  // waveform 4
  std::vector<std::int16_t> samples(1024, 7);
  int lagChannel = -1, lagWave = -1;
  for (int k = 0; k < 60; ++k) {
    SonicInput in;
    in.mask = k == 0 ? 0xFFF : 0;
    in.values.fill(1.0f);
    in.samples = samples;
    if (k > 0) std::fill(samples.begin(), samples.end(), 0);
    const auto row = p.Process(in, 4, offsets);
    if (lagChannel < 0 && row[2] != 0.0) lagChannel = k;
    if (lagWave < 0 && p.Waveforms()[3 * 256] != 0) lagWave = k;
  }
  EXPECT_EQ(lagChannel, 29);
  EXPECT_EQ(lagWave, 31);
}

TEST(SonicProcessorTest, ArrivalsAreTheDelayedChannelsOverTheInterval) {
  for (const int interval : {4, 8, 16, 0}) {
    SCOPED_TRACE(interval);
    for (const bool userFunction : {false, true}) {
      SonicProcessorSetup s = MakeSetup(27, 10);
      // A user function that writes its own 12 to 15: they are replaced.
      if (userFunction)
        s.userFunction = [](double* in, double* out) {
          for (int i = 0; i < 16; ++i) out[i] = i < 12 ? in[i] : -1.0;
        };
      SonicProcessor p(s);
      const Fed run = Feed(p, s.geometry, 30, interval);
      const auto& last = run.values.back();  // record 29 hands on record 3's channels
      for (int i = 0; i < 4; ++i) EXPECT_EQ(last[static_cast<std::size_t>(12 + i)], interval ? 4.0 / interval : 0.0);
      EXPECT_FALSE(std::isnan(last[12]));
    }
  }
}

TEST(SonicProcessorTest, MissingChannelsAreZeroAndCalibrationApplies) {
  SonicProcessorSetup s = MakeSetup(26, 10);
  s.calibrationOn = true;
  s.calibration[1] = qv::Coefficients{1.0, 2.0, 0.0, 0.0};
  SonicProcessor p(s);
  const Fed run = Feed(p, s.geometry, 27, 4, 0x3F);  // channels 1 to 6 only
  const auto& row = run.values[26];                  // record 0 out of the ring
  EXPECT_EQ(row[0], 1.0);
  EXPECT_EQ(row[1], 3.0);  // 1 + 2 x 1
  for (int c = 6; c < 12; ++c) EXPECT_EQ(row[static_cast<std::size_t>(c)], 0.0) << c;
  EXPECT_EQ(p.RawValues()[6], 0.0);
  EXPECT_EQ(p.CalibratedValues()[1], 2.0 * 27 + 1.0);
}

TEST(SonicProcessorTest, UserFunctionOutputsLagAFurther26RecordsAndAreFiltered) {
  SonicProcessorSetup s = MakeSetup(26, 11);
  std::vector<std::array<double, 16>> seen;
  s.userFunction = [&seen](double* in, double* out) {
    std::array<double, 16> a{};
    std::copy(in, in + 16, a.begin());
    seen.push_back(a);
    for (int i = 0; i < 12; ++i) out[i] = in[i];
  };
  s.outputFilters[1] = {1, 3};  // output 2: mean of three rows
  SonicProcessor p(s);
  EXPECT_EQ(p.DisplayDelay(), 51 * 100);
  const Fed run = Feed(p, s.geometry, 80);
  std::vector<double> out1;
  for (const auto& r : run.values) out1.push_back(r[0]);
  EXPECT_EQ(LagOf(out1), 52);  // 26 through the channel ring, 26 through the output ring
  // Output 2 is the mean of the rows around the output row: records 1, 2 and 3 at index 53.
  EXPECT_DOUBLE_EQ(run.values[53][1], (1.0 + 2.0 + 3.0) / 3.0);
  EXPECT_EQ(run.values[53][0], 2.0);
  // TIME, DEPTH + 25 steps, and two zeros beyond them.
  EXPECT_EQ(seen[10][12], 1010.0);
  EXPECT_EQ(seen[10][13], 5000.0 + 100 * 10 + 25 * 100);
  EXPECT_EQ(seen[40][14], 0.0);
  EXPECT_EQ(seen[40][15], 0.0);
}

TEST(SonicProcessorTest, ClearEmptiesEveryRing) {
  SonicProcessorSetup s = MakeSetup(29, 10);
  s.userFunction = [](double* in, double* out) {
    for (int i = 0; i < 12; ++i) out[i] = in[i];
  };
  SonicProcessor p(s);
  Feed(p, s.geometry, 60);
  p.Clear();
  const Fed run = Feed(p, s.geometry, 60);
  std::vector<double> out1, wave1;
  for (std::size_t i = 0; i < run.values.size(); ++i) {
    out1.push_back(run.values[i][0]);
    wave1.push_back(run.waves[i][0]);
  }
  EXPECT_EQ(LagOf(out1), 52);
  EXPECT_EQ(LagOf(wave1), 26);
}

}  // namespace

// A sensor `offset` steps above the sonde's bottom reads the well `offset`
// steps above the counter's depth. Whatever its offset and the log's
// direction, its reading comes out where the view labels it at the depth it
// was read: the newest record's depth plus DisplayDelay.
TEST(SonicProcessorTest, ADelayedReadingIsLabelledWithTheDepthItWasReadAt) {
  constexpr int kSondeLength = 30, kStep = 100;
  for (const int logMode : {11, 12}) {
    for (const int offset : {0, 4, 30}) {
      SCOPED_TRACE(testing::Message() << "mode " << logMode << " offset " << offset);
      SonicProcessorSetup s = MakeSetup(26, logMode, kSondeLength);
      s.channelSettings[1].offsetSteps = offset;
      SonicProcessor p(s);
      const int direction = logMode == 12 ? 1 : -1;
      std::vector<std::int16_t> samples(static_cast<std::size_t>(s.geometry.WaveformBytes() / 2));
      int labelled = 0;
      for (int k = 0; k < 200; ++k) {
        SonicInput in;
        in.mask = 0xFFF;
        in.depth = 500000 + direction * kStep * k;
        // The sensor's reading is the depth it sits at.
        in.values[1] = static_cast<float>(in.depth - offset * kStep);
        in.samples = samples;
        const double out = p.Process(in, 4)[1];
        if (out == 0.0) continue;
        EXPECT_NEAR(out, in.depth + p.DisplayDelay(), kStep) << "record " << k;
        ++labelled;
      }
      EXPECT_GT(labelled, 100);
    }
  }
}
