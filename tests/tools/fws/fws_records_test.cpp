// The full-wave sonic log's per-segment work without a unit: the read (no
// gates: the channels as the unit delivered them), the minute bit, the ring
// sizes and the print rings' edges, the layout header.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tools/fws/fws_document.h"

namespace fs = std::filesystem;
using cbltest::Companion;
using cbltest::MakeSegment;
using FedFws = cbltest::FedLogOf<qv::CFWSDocument>;

namespace {

// No sonde length in a database: the largest offset is 500 steps.
class FwsFixture : public cbltest::FedLogFixture<FedFws> {
 protected:
  void Prepare(FedFws& log, int logMode, int depthStep = 100) { FedLogFixture::Prepare(log, logMode, depthStep); }
};

TEST_F(FwsFixture, RingRowsFromTheSondeAndTheChannelOffsets) {
  struct Case {
    const char* name;
    int logMode;
    int channel;  // 0..6, -1 none
    int offsetCm;
    int rows;
  } cases[] = {
      {"time log", 10, -1, 0, 1000},
      {"up, no sonde length: 500 steps", 11, -1, 0, 552},
      {"down", 12, -1, 0, 552},
      {"a channel offset beyond the sonde", 11, 2, 6000, 652},  // 10 cm a step
      {"the waveform's offset beyond the sonde", 12, 6, -7000, 752},
      {"an offset beyond any sonde", 11, 0, INT_MAX, 100052},
      {"time log with a far offset", 10, 1, 6000, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFws log;
    if (c.channel >= 0) log.Setup().channelFilters[static_cast<std::size_t>(c.channel)].Offset = c.offsetCm;
    Prepare(log, c.logMode);
    EXPECT_EQ(log.RingRows(), c.rows);
    EXPECT_EQ(log.LargestOffset(), 500);
  }
}

// Print rows outside the rings are skipped, whatever the print code passes.
TEST_F(FwsFixture, PrintRowsOutsideTheRingsAreSkipped) {
  const int table[][2] = {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {551, 525}, {-51, -28}, {600, 600}};
  for (const auto& t : table) {
    SCOPED_TRACE(std::to_string(t[0]) + " " + std::to_string(t[1]));
    FedFws log;
    Prepare(log, 11);
    int offsets[14] = {};
    for (int i = 7; i < 13; ++i) offsets[i] = t[0];
    offsets[13] = t[1];
    log.MutablePacket() = Companion(1000);
    log.MutableSegment() = MakeSegment(3, false, 0, 0, 44);
    for (int k = 0; k < 700; ++k) {
      ASSERT_TRUE(log.ProcessFullWaveRecord(true, true, offsets));
      ASSERT_TRUE(std::isnan(log.PrintValues()[0])) << k << ": no reading";
      ASSERT_NE(log.PrintSegment().sample[0], 44) << k;
    }
  }
  // The last rows inside: the value comes out 551 - 25 records later, the
  // segment (written at 27 + its offset) 551 - 1.
  FedFws log;
  Prepare(log, 11);
  int offsets[14] = {};
  for (int i = 7; i < 13; ++i) offsets[i] = 500;
  offsets[13] = 524;
  log.MutablePacket() = Companion(1000);
  log.MutableSegment() = MakeSegment(3, false, 0, 0, 44);
  log.ProcessFullWaveRecord(true, true, offsets);
  log.MutablePacket() = Companion(0);
  log.MutableSegment() = MakeSegment(3, false, 0, 0, 0);
  int valueAt = -1, segmentAt = -1;
  for (int k = 1; k < 700; ++k) {
    log.ProcessFullWaveRecord(true, true, offsets);
    if (valueAt < 0 && log.PrintValues()[0] == 1000) valueAt = k;
    if (segmentAt < 0 && log.PrintSegment().sample[0] == 44) segmentAt = k;
  }
  EXPECT_EQ(valueAt, 526);
  EXPECT_EQ(segmentAt, 550);
}

// The read hands the companion on as the unit delivered it; a far segment
// repeats the last near one's channels; the minute bit marks only the
// record that began the minute; a second status byte keeps the receiver bytes.
TEST_F(FwsFixture, ReadPacketSequence) {
  FedFws log;
  Prepare(log, 10);
  struct Step {
    const char* name;
    bool far;
    int time;
    std::uint32_t word;
    std::uint8_t receiver;
    std::uint16_t companion;
    std::uint8_t logFlag;        // .LOG flag byte after the read
    std::uint8_t segmentMinute;  // 0x20 in the segment flags
    std::uint16_t channel0;
    int nearByte, farByte;
  } steps[] = {
      {"near", false, 59000, 6, 0x11, 300, 21, 0, 300, 0x11, -1},
      {"far", true, 59000, 6, 0x22, 0, 21, 0, 300, 0x11, 0x22},
      {"far begins a minute", true, 60000, 6, 0x23, 0, 21 | 0x80, 0x20, 300, 0x11, 0x23},
      {"the next far does not", true, 60000, 6, 0x24, 0, 21, 0, 300, 0x11, 0x24},
      {"near, second status byte", false, 61000, 0x0306, 0x55, 400, 21, 0, 400, 0x11, 0x24},
      {"near", false, 61000, 6, 0x12, 500, 21, 0, 500, 0x12, 0x24},
      {"near of the next minute, second status byte", false, 120000, 0x0106, 0x13, 600, 21 | 0x80, 0, 600, 0x12, 0x24},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    CblWaveformSegment seg = MakeSegment(2, s.far, 0, s.time, 7);
    seg.receiver = s.receiver;
    log.reads.push_back({seg, Companion(s.companion), s.word});
    ASSERT_EQ(log.ReadPacket(0), s.word);
    EXPECT_EQ(log.Packet().flags, s.logFlag);
    EXPECT_EQ(log.Segment().flags & 0x20, s.segmentMinute);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(log.Packet().channel[c], s.channel0 + c) << "no gate search";
    EXPECT_EQ(log.NearReceiverByte(), s.nearByte);
    EXPECT_EQ(log.FarReceiverByte(), s.farByte);
  }
}

TEST_F(FwsFixture, LayoutHeaderIsTheViewsAndZeroWithoutOne) {
  struct LayoutView : cbltest::FakeView {
    int SaveLayoutToHeader() override { return ++saved; }
    int saved = 0;
  } view;
  FedFws log;
  EXPECT_EQ(log.WriteLayoutHeader(), 0);
  log.SetView(&view);
  EXPECT_EQ(log.WriteLayoutHeader(), 1);
  EXPECT_EQ(log.DataFileExt(), "VDL");
  EXPECT_EQ(log.ToolKind(), 4);
}

TEST_F(FwsFixture, InitialiseWithoutAViewFails) {
  FedFws log;
  log.Setup().logMode = 11;
  EXPECT_FALSE(log.InitialiseTool(1));
  ASSERT_FALSE(boxes_.Shown().empty());
}

}  // namespace
