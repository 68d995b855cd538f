// The televiewer's picture rows against rows written out by hand, the depth
// path of a scripted log, the image store under a full store and a burst,
// and the colour table.
#include "tools/televiewer/image_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

using qv::TeleviewerRowBuilder;

std::uint16_t Sample(int amplitude, int transit) {
  return static_cast<std::uint16_t>(amplitude << 8 | transit << 1);
}

TeleviewerSweep SweepOf(std::initializer_list<std::uint16_t> first, std::uint16_t rest, std::uint16_t step = 0) {
  TeleviewerSweep s{};
  for (int j = 0; j < 128; ++j) s.word[1 + j] = rest;
  int j = 0;
  for (std::uint16_t w : first) s.word[1 + j++] = w;
  s.depthStep = step;
  return s;
}

// A row written out: the leading samples of each column, then the rest.
std::vector<std::uint8_t> RowOf(std::initializer_list<int> amplitude, int amplitudeRest,
                                std::initializer_list<int> transit, int transitRest, int marks) {
  std::vector<std::uint8_t> row(257);
  for (int j = 0; j < 128; ++j) {
    row[j] = static_cast<std::uint8_t>(j < static_cast<int>(amplitude.size()) ? amplitude.begin()[j] : amplitudeRest);
    row[128 + j] = static_cast<std::uint8_t>(j < static_cast<int>(transit.size()) ? transit.begin()[j] : transitRest);
  }
  row[256] = static_cast<std::uint8_t>(marks);
  return row;
}

std::vector<std::uint8_t> Bytes(const TeleviewerImageRow& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return {p, p + sizeof r};
}

// Converts the sweeps and takes the rows they made.
qv::FlushedRows Rows(TeleviewerRowBuilder& b, const std::vector<TeleviewerSweep>& sweeps, const qv::RowOptions& o,
                     std::vector<bool> minutes = {}) {
  for (std::size_t i = 0; i < sweeps.size(); ++i) b.Convert(sweeps[i], i < minutes.size() && minutes[i], o);
  qv::FlushedRows out = b.MakeFlushedRows();
  EXPECT_TRUE(b.Take(0, out));
  return out;
}

TEST(TeleviewerRows, SamplesAreMaskedAndATransitOfZeroIsTheLatest) {
  // 0xFFFF: bits 14-15 and bit 0 are not the sample's; 0x0001: a transit of 0.
  const TeleviewerSweep sweep = SweepOf({0xFFFF, 0xC1FE, 0x3F00, 0x0102, 0x0001}, Sample(32, 40));
  struct Case {
    const char* name;
    bool invert;
    std::vector<std::uint8_t> row;
  } cases[] = {
      {"plain", false, RowOf({63, 1, 63, 1, 0}, 32, {127, 127, 127, 1, 127}, 40, 0)},
      {"inverted", true, RowOf({1, 63, 1, 63, 64}, 32, {1, 1, 1, 127, 1}, 88, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TeleviewerRowBuilder b(600);
    qv::RowOptions o;
    o.invert = c.invert;
    const qv::FlushedRows out = Rows(b, {sweep}, o);
    ASSERT_EQ(out.count, 1);
    EXPECT_EQ(Bytes(out.rows[0]), c.row);
  }
}

TEST(TeleviewerRows, NormalisationSpansTheRunningStatistics) {
  qv::RowOptions o;
  o.normaliseAmplitude = o.normaliseTransit = true;
  struct Case {
    const char* name;
    std::vector<TeleviewerSweep> before;  // the sweeps the statistics come from
    TeleviewerSweep sweep;
    std::vector<std::uint8_t> row;
  } cases[] = {
      // After a reset every statistic is 0: spans of 5 from 0.
      {"fresh statistics",
       {},
       SweepOf({Sample(3, 2), Sample(5, 5), Sample(0, 1)}, Sample(1, 3)),
       RowOf({38, 63, 0}, 12, {51, 127, 25}, 76, 0)},
      // Twenty alike sweeps from 10 to 12 (20 to 22): the span floor of 5
      // above the mean minimum, so 5 above it reaches the top value.
      {"alike sweeps", std::vector<TeleviewerSweep>(25, SweepOf({Sample(12, 22)}, Sample(10, 20))),
       SweepOf({Sample(15, 25), Sample(12, 22), Sample(9, 19)}, Sample(10, 20)),
       RowOf({63, 25, 0}, 0, {127, 51, 0}, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TeleviewerRowBuilder b(600);
    b.Reset(100);
    auto sweeps = c.before;
    sweeps.push_back(c.sweep);
    const qv::FlushedRows out = Rows(b, sweeps, o);
    ASSERT_EQ(out.count, static_cast<int>(sweeps.size()));
    EXPECT_EQ(Bytes(out.rows[static_cast<std::size_t>(out.count - 1)]), c.row);
  }
}

TEST(TeleviewerRows, TheDepthPathMarksTicksReversalsAndMinutes) {
  TeleviewerRowBuilder b(600);
  std::vector<int> starts;
  b.SetRecorderStartDepth([&starts](int d) { starts.push_back(d); });
  b.Reset(-100);  // the step counts as a magnitude
  b.SetDepth(99800);
  qv::RowOptions o;
  o.recorder = true;
  const TeleviewerSweep blank = SweepOf({}, 0);
  auto step = [&](std::uint16_t w) {
    TeleviewerSweep s = blank;
    s.depthStep = w;
    return s;
  };
  // down (a reversal from the starting direction up), down, down onto a
  // whole metre, up (a reversal on it), down bits without a count, no bits,
  // then up by 5 counts: one step in a LogType 2 log, five in LogType 1.
  const std::vector<TeleviewerSweep> script = {step(0x4001), step(0x4001), step(0x4001),
                                               step(0x8001), step(0x4000), step(0x0003)};
  for (std::size_t i = 0; i < script.size(); ++i) b.Convert(script[i], i == 4, o);
  o.logType = 2;
  b.Convert(step(0x8005), false, o);
  EXPECT_EQ(b.Depth().currentDepth, 99900);
  o.logType = 1;
  b.Convert(step(0x8005), false, o);
  EXPECT_EQ(b.Depth().currentDepth, 99400);
  EXPECT_EQ(starts, std::vector<int>{9880}) << "given once, by the first moving sweep, a metre above when logging down";

  qv::FlushedRows out = b.MakeFlushedRows();
  EXPECT_FALSE(b.Take(8, out)) << "eight rows do not pass a threshold of 8";
  ASSERT_TRUE(b.Take(4, out));
  ASSERT_EQ(out.count, 8);
  EXPECT_EQ(out.shownDepth, 99400);
  std::vector<int> marks;
  for (int i = 0; i < out.count; ++i) marks.push_back(out.rows[static_cast<std::size_t>(i)].marks);
  EXPECT_EQ(marks, (std::vector<int>{0, 0, 0xC0, 0x80, 0x10, 0, 0, 0}));
  // Entry 100 is the newest row, 107 the oldest.
  const std::vector<int> history(out.history.begin() + 100, out.history.begin() + 108);
  EXPECT_EQ(history,
            (std::vector<int>{0, qv::kTickMinor, 0, qv::kHistoryMinute, qv::kTickMajor, 0, 0, qv::kTickMinor}));
  EXPECT_FALSE(b.Take(0, out)) << "taken rows are gone";
}

// Image row y of an image.
std::vector<std::uint8_t> ImageRow(const std::uint8_t* image, int y) {
  return {image + y * 128, image + (y + 1) * 128};
}

TEST(TeleviewerImage, AFullStoreIsDrainedAndEveryRowLandsInsideTheImage) {
  constexpr int kHeight = 160;
  TeleviewerRowBuilder b(kHeight);
  b.Reset(100);
  qv::TeleviewerImageStore image(kHeight);
  // Three store-fulls without a flush: the newest rows stay, the store is full.
  for (int i = 0; i < 3 * kHeight; ++i) b.Convert(SweepOf({}, Sample(i % 64, i % 128)), false, {});
  EXPECT_EQ(b.Pending(), kHeight);
  qv::FlushedRows out = b.MakeFlushedRows();
  ASSERT_TRUE(b.Take(4, out)) << "a full store is flushed too";
  ASSERT_EQ(out.count, kHeight);
  ASSERT_TRUE(image.Apply({out.rows.data(), static_cast<std::size_t>(out.count)}, 100));
  // The newest (i = 479) at row 100, older ones below it to the bottom.
  for (int y = 100; y < kHeight; ++y) {
    const int i = 3 * kHeight - 1 - (y - 100);
    EXPECT_EQ(ImageRow(image.Amplitude(), y), std::vector<std::uint8_t>(128, static_cast<std::uint8_t>(2 * (i % 64))))
        << y;
    EXPECT_EQ(ImageRow(image.Transit(), y), std::vector<std::uint8_t>(128, static_cast<std::uint8_t>(i % 128))) << y;
  }
  // The next flush of two rows moves the image down by two.
  b.Convert(SweepOf({}, Sample(7, 9)), false, {});
  b.Convert(SweepOf({}, Sample(8, 10)), false, {});
  ASSERT_TRUE(b.Take(0, out));
  const auto before = ImageRow(image.Amplitude(), 100);
  ASSERT_TRUE(image.Apply({out.rows.data(), 2}, 100));
  EXPECT_EQ(ImageRow(image.Amplitude(), 100), std::vector<std::uint8_t>(128, 16));
  EXPECT_EQ(ImageRow(image.Amplitude(), 101), std::vector<std::uint8_t>(128, 14));
  EXPECT_EQ(ImageRow(image.Amplitude(), 102), before);

  // A flush held up by the painter is skipped, not waited for.
  std::unique_lock<std::timed_mutex> painting(image.Lock());
  EXPECT_FALSE(image.Apply({out.rows.data(), 2}, 10));
}

// Over many flushes of varied sizes, some after the store ran over, the mark
// history and the images read as if both were moved entry by entry: the
// history one entry older a sweep (its first entry kept, and one newer when
// the oldest row gave way), the images down by a flush's rows with the rows
// above the newest white.
TEST(TeleviewerImage, HistoryAndImagesStayTrueOverManyFlushes) {
  constexpr int kHeight = 110;
  constexpr int kNewest = TeleviewerRowBuilder::kNewest;
  TeleviewerRowBuilder b(kHeight);
  b.Reset(100);
  qv::TeleviewerImageStore image(kHeight);
  const int capacity = b.Capacity();
  std::vector<std::uint8_t> history(static_cast<std::size_t>(capacity), 0);
  std::vector<std::uint8_t> amplitude(static_cast<std::size_t>(kHeight) * 128, 128);
  int pending = 0, sweep = 0;
  qv::FlushedRows out = b.MakeFlushedRows();
  for (int flush = 0; flush < 40; ++flush) {
    const int sweeps = flush % 10 == 4 ? capacity + 17 : 1 + flush % 6;
    for (int k = 0; k < sweeps; ++k, ++sweep) {
      const bool minute = sweep % 7 == 0;
      b.Convert(SweepOf({}, Sample(sweep % 64, 5)), minute, {});
      if (pending >= capacity) {
        std::memmove(history.data(), history.data() + 1, history.size() - 1);
        pending = capacity - 1;
      }
      std::memmove(history.data() + 1, history.data(), history.size() - 1);
      if (minute) history[kNewest] |= qv::kHistoryMinute;
      ++pending;
    }
    ASSERT_TRUE(b.Take(0, out));
    ASSERT_EQ(out.count, pending);
    ASSERT_EQ(out.history, history) << "flush " << flush;
    ASSERT_TRUE(image.Apply({out.rows.data(), static_cast<std::size_t>(out.count)}, 100));
    const int n = out.count;
    if (n < kHeight)
      std::memmove(amplitude.data() + static_cast<std::size_t>(n) * 128, amplitude.data(),
                   static_cast<std::size_t>(kHeight - n) * 128);
    for (int i = 0; i < n; ++i) {
      const int y = kNewest + (n - 1 - i);
      if (y < kHeight)
        std::fill_n(amplitude.begin() + y * 128, 128, static_cast<std::uint8_t>(2 * out.rows[i].amplitude[0]));
    }
    ASSERT_EQ(std::memcmp(image.Amplitude(), amplitude.data(), amplitude.size()), 0) << "flush " << flush;
    pending = 0;
  }
}

TEST(TeleviewerImage, ABurstOfSweepsWhileTheDisplayFlushes) {
  constexpr int kHeight = 120, kSweeps = 20000;
  TeleviewerRowBuilder b(kHeight);
  b.Reset(25);
  qv::TeleviewerImageStore image(kHeight);
  std::atomic<bool> done{false};
  int taken = 0, last = -1;
  std::thread display([&] {
    qv::FlushedRows out = b.MakeFlushedRows();
    while (!done || b.Pending() > 0) {
      if (b.Take(done ? 0 : 4, out)) {
        taken += out.count;
        last = out.rows[static_cast<std::size_t>(out.count - 1)].transit[0];
        image.Apply({out.rows.data(), static_cast<std::size_t>(out.count)}, 100);
      }
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < kSweeps; ++i) b.Convert(SweepOf({}, Sample(i % 64, 1 + i % 100), 0x4003), i % 1200 == 0, {});
  done = true;
  display.join();
  EXPECT_GT(taken, 0);
  EXPECT_LE(taken, kSweeps);
  EXPECT_EQ(last, 1 + (kSweeps - 1) % 100) << "the newest row reaches the display";
  EXPECT_EQ(b.Depth().currentDepth, (kSweeps - 1) * 3 * 25) << "the first sweep turns from up to down";
}

TEST(TeleviewerColours, TheTableRunsFromDarkRedToWhite) {
  ASSERT_EQ(qv::BhtvColourTable.size(), 129u);
  const std::pair<int, std::uint32_t> pinned[] = {{0, 0x120000},  {17, 0x550000},  {28, 0x7F0100},  {63, 0xB96100},
                                                  {64, 0xBA6400}, {101, 0xF6ED02}, {127, 0xFEFEEF}, {128, 0xFFFFFF}};
  for (const auto& [i, rgb] : pinned) EXPECT_EQ(qv::BhtvColourTable[static_cast<std::size_t>(i)], rgb) << i;
  for (std::size_t i = 1; i < qv::BhtvColourTable.size(); ++i)
    EXPECT_GE(qv::BhtvColourTable[i] >> 16, qv::BhtvColourTable[i - 1] >> 16) << "red never falls: " << i;
  const auto bar = qv::BhtvColourBar();
  ASSERT_EQ(bar.size(), 128u);
  EXPECT_EQ(bar[0], 0x120000u);
  EXPECT_EQ(bar[127], 0xFEFEEFu);
}

}  // namespace
