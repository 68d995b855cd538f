// The cement-bond chart: ordered dither thresholds of the density strips,
// which legend entries show a strip, and the track header without a legend.
#include <gtest/gtest.h>

#include "tests/print/recorder/plot_fixture.h"

namespace qvtest {
namespace {

using CblTest = PlotFixture;

bool Dot(const RasterLine& line, int x) {
  return (line[static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
}

std::unique_ptr<CGulton> Cbl(std::initializer_list<PlotFixture::Spec> legend) {
  auto g = std::make_unique<CGulton>(0, kPrintCementBond, kVerticalTime, nullptr, -1, 0, 1);
  InscriptionList list;
  for (const auto& s : legend) list.push_back(PlotFixture::Make(s));
  g->PrintCblTrackHeader(&list);
  return g;
}

TEST_F(CblTest, DitherThresholdsOverAFourByFourPhase) {
  struct Case {
    int sample, dots;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {16, 1}, {17, 2}, {240, 15}, {241, 16}, {255, 16}};
  for (const Case& c : cases) {
    auto g = Cbl({Entry(2, 0, 0, 1, 7)});
    log->writes.clear();
    // Four rows of one sample value; the mark byte (0x01 tick) is no sample.
    std::vector<uint8_t> rows(4 * kCblRowBytes, static_cast<uint8_t>(c.sample));
    for (int r = 0; r < 4; ++r) rows[static_cast<size_t>(r) * kCblRowBytes + 1024] = 0x01;
    g->PrintCblRow(rows.data(), nullptr, 4, true);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 4u);
    // Channel 7's strip (density dots 0 to 511) lies from dot 560 in track 2:
    // density dots 4 to 7 are one phase across.
    int dots = 0;
    for (const RasterLine& line : lines)
      for (int x = 564; x < 568; ++x) dots += Dot(line, x);
    EXPECT_EQ(dots, c.dots) << "sample " << c.sample;
    EXPECT_EQ(lines[0][150], 0xFF);  // the tick
  }
}

TEST_F(CblTest, OnlyChannelsFromSevenInTracksTwoAndThreeShowAStrip) {
  struct Case {
    int track, channel;
    bool strip2, strip3;
  };
  const Case cases[] = {{2, 7, true, false}, {3, 8, false, true}, {3, 6, false, false}, {1, 7, false, false}};
  for (const Case& c : cases) {
    auto g = Cbl({Entry(c.track, 0, 0, 1, c.channel)});
    log->writes.clear();
    // Line 3: past the solid major grid lines that open a time chart.
    std::vector<uint8_t> rows(4 * kCblRowBytes, 255);
    for (int r = 0; r < 4; ++r) rows[static_cast<size_t>(r) * kCblRowBytes + 1024] = 0;
    const double values[] = {100, 100, 100, 100};
    g->PrintCblRow(rows.data(), values, 4, true);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 4u);
    auto full = [&](int from) {
      int n = 0;
      for (int b = from; b < from + 64; ++b) n += lines[3][static_cast<size_t>(b)] == 0xFF;
      return n > 56;
    };
    EXPECT_EQ(full(70), c.strip2) << c.track << " " << c.channel;
    EXPECT_EQ(full(6), c.strip3) << c.track << " " << c.channel;
  }
}

TEST_F(CblTest, TrackHeaderWithoutALegendDoesNothing) {
  auto g = std::make_unique<CGulton>(1, kPrintCementBond, kVerticalTime, nullptr, -1, 0, 1);
  g->PrintCblTrackHeader(nullptr);
  InscriptionList empty;
  g->PrintCblTrackHeader(&empty);
  g->PrintCblRow(nullptr, nullptr, 3, true);
  EXPECT_TRUE(log->writes.empty());
}

}  // namespace
}  // namespace qvtest
