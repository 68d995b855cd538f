// The cement-bond log's per-segment work without a unit: the read and its
// checks, the gate search, the gate computation, scaling and calibration and
// the print delay rings.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "tests/tools/cementbond/cbl_test_support.h"

namespace fs = std::filesystem;
using cbltest::Companion;
using cbltest::FedLog;
using cbltest::MakeSegment;

namespace {

class CblFixture : public cbltest::FedLogFixture<FedLog> {
 protected:
  void Prepare(FedLog& log, int logMode, int depthStep = 10) { FedLogFixture::Prepare(log, logMode, depthStep); }
};

FreePipeGate Gate(int start, int end) {
  return FreePipeGate{80, 60, 0, start, end};
}

// ---------------------------------------------------------------------------
// ReadPacket

struct ReadCase {
  const char* name;
  int logMode;
  bool far;
  std::uint32_t word;     // what the unit answers
  std::uint8_t receiver;  // byte 9 of the segment
  int depth;              // segment depth (the previous one was 1000)
  std::uint32_t result;   // what ReadPacket returns
  bool picked;            // the gate channels were written
  bool receiverKept;      // the receiver byte reached the receiver word
};

TEST_F(CblFixture, ReadPacketTable) {
  const ReadCase cases[] = {
      {"near", 10, false, 0x0006, 0x12, 1000, 0x0006, true, true},
      {"far", 10, true, 0x0006, 0x34, 1000, 0x0006, true, true},
      {"second status byte", 10, false, 0x0506, 0x12, 1000, 0x0506, false, false},
      {"receiver byte 0x80", 10, false, 0x0006, 0x80, 1000, 0x0006, true, true},
      {"receiver byte 0xFF far", 10, true, 0x0006, 0xFF, 1000, 0x0006, true, true},
      {"up against the direction", 11, false, 0x0006, 0x12, 1001, 17, true, true},
      {"down against the direction", 12, false, 0x0006, 0x12, 999, 17, true, true},
      {"17 clears the high byte", 12, false, 0x0506, 0x12, 999, 17, false, false},
      {"up with the direction", 11, false, 0x0006, 0x12, 999, 0x0006, true, true},
      {"no data", 10, false, 0x0000, 0x12, 1000, 0x0000, false, false},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    FedLog log;
    Prepare(log, c.logMode);
    log.SetGates(Gate(0, 40), Gate(0, 40));
    // A first segment at depth 1000 becomes the last processed depth.
    log.reads.push_back({MakeSegment(0, false, 1000, 0, 1), Companion(100), 0x0006});
    log.ReadPacket(1);
    log.ProcessRecord(false);
    const int nearBefore = log.NearReceiverByte(), farBefore = log.FarReceiverByte();

    CblWaveformSegment s = MakeSegment(0, c.far, c.depth, 200, 0);
    s.receiver = c.receiver;
    s.sample[3] = 77;
    if ((c.word >> 8) & 0xFF) s.flags |= 0x40;
    log.reads.push_back({s, Companion(200), c.word});
    EXPECT_EQ(log.ReadPacket(1), c.result);
    if ((c.word & 0xFF) != 6) {
      EXPECT_EQ(log.Segment().depth, 1000) << "a read without data changes nothing";
      continue;
    }
    const SixChannelPacket& p = log.Packet();
    const int timeChannel = c.far ? 4 : 2, ampChannel = c.far ? 5 : 3;
    if (c.picked) {
      EXPECT_EQ(p.channel[timeChannel], 12);
      EXPECT_EQ(p.channel[ampChannel], 77);
    }
    // A far segment leaves the companion of the last near one.
    EXPECT_EQ(p.channel[0], c.far ? 100 : 200);
    if (c.far) {
      EXPECT_EQ(p.channel[2], 0) << "the near channels repeat";
    }
    const int nearByte = c.receiverKept && !c.far ? c.receiver : nearBefore;
    const int farByte = c.receiverKept && c.far ? c.receiver : farBefore;
    EXPECT_EQ(log.NearReceiverByte(), nearByte);
    EXPECT_EQ(log.FarReceiverByte(), farByte);
    if (c.receiverKept) {
      EXPECT_EQ(log.Status().receiverStatus, farByte * 65536 + nearByte);
    }
  }
}

TEST_F(CblFixture, MinuteMarkAndDepthErrorLine) {
  std::vector<std::string> lines;
  SetMessageLineSink(kWinchMessageLine, [&](const std::string& t) { lines.push_back(t); });
  FedLog log;
  Prepare(log, 12, 10);  // metric: factor 10, one step is 10 units
  log.SetGates(Gate(0, 40), Gate(0, 40));
  log.reads.push_back({MakeSegment(0, false, 1000, 59000), Companion(1), 0x0006});
  log.reads.push_back({MakeSegment(0, false, 1002, 60000), Companion(1), 0x0006});  // jump 20 > 10
  log.reads.push_back({MakeSegment(1, false, 1003, 60100), Companion(1), 0x0506});  // good again
  log.ReadPacket(1);
  log.ProcessRecord(false);
  EXPECT_EQ(log.TakeMinuteMark(), false) << "minute 0 is the current minute";
  log.ReadPacket(1);
  EXPECT_TRUE(log.TakeMinuteMark());
  EXPECT_EQ(log.Packet().flags & 0x80, 0x80);
  EXPECT_EQ(log.Segment().flags & 0x20, 0x20);
  log.ReadPacket(1);
  EXPECT_EQ(log.Segment().flags & 0x20, 0) << "no new minute";
  ASSERT_EQ(lines.size(), 3u);  // every packet sets the line; the first jumps from 0
  EXPECT_EQ(lines[1], "Depth Error - Log speed too high");
  EXPECT_EQ(lines[2], "");
}

// ---------------------------------------------------------------------------
// The gate search

struct Piece {
  int number;
  bool far;
  std::vector<std::pair<int, std::int8_t>> samples;  // index, value
  std::int8_t fill;
};

struct PickCase {
  const char* name;
  FreePipeGate gate;  // both receivers
  std::vector<Piece> segments;
  int time, amplitude;  // channels of the last segment's receiver
};

TEST_F(CblFixture, PickGatePeakTable) {
  const PickCase cases[] = {
      {"over segments 1 and 2",
       Gate(370, 402),
       {{1, false, {{45, 50}, {40, 90}}, 0}, {2, false, {{2, 40}, {5, 99}}, 0}},
       372,
       50},
      {"first part alone does not complete", Gate(370, 402), {{1, false, {{45, 50}}, 0}}, 0, 0},
      {"outside keeps the last result",
       Gate(370, 402),
       {{1, false, {{45, 50}}, 0}, {2, false, {}, 0}, {3, false, {{0, 120}}, 0}},
       372,
       50},
      {"all negative", Gate(0, 40), {{0, false, {{3, -2}}, -5}}, 12, 0},
      {"all -128", Gate(0, 40), {{0, false, {}, -128}}, 0, 0},
      {"width 0", Gate(100, 100), {{0, false, {{25, 7}, {24, 90}, {26, 100}}, 0}}, 100, 7},
      {"ties keep the earlier", Gate(0, 40), {{0, false, {{2, 9}, {5, 9}}, 0}}, 8, 9},
      {"far receiver", Gate(0, 40), {{0, true, {{4, 60}}, 0}}, 16, 60},
      {"past 960 never completes",
       Gate(1000, 1032),
       {{0, false, {}, 0}, {1, false, {}, 0}, {2, false, {}, 0}, {3, false, {}, 0}, {4, false, {{47, 100}}, 0}},
       0,
       0},
  };
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.name);
    qv::CCBLDocument log;
    log.SetGates(c.gate, c.gate);
    SixChannelPacket packet = Companion(500);
    bool far = false;
    for (const Piece& piece : c.segments) {
      CblWaveformSegment s = MakeSegment(piece.number, piece.far, 0, 0, piece.fill);
      for (auto [i, v] : piece.samples) s.sample[i] = v;
      log.PickGatePeak(&packet, &s);
      far = piece.far;
    }
    EXPECT_EQ(packet.channel[far ? 4 : 2], c.time);
    EXPECT_EQ(packet.channel[far ? 5 : 3], c.amplitude);
    EXPECT_EQ(packet.channel[far ? 2 : 4], 0) << "the other receiver has no result yet";
  }
}

// A near packet comes fresh from the unit with its own words in channels 5
// and 6: the record carries the far gate's last result there, not those
// words, so the far curves hold their value from step to step.
TEST_F(CblFixture, EveryRecordCarriesBothReceiversLastResults) {
  qv::CCBLDocument log;
  log.SetGates(Gate(0, 40), Gate(0, 40));
  SixChannelPacket packet = Companion(500);
  CblWaveformSegment far = MakeSegment(0, true, 0, 0, 0);
  far.sample[4] = 60;
  log.PickGatePeak(&packet, &far);
  CblWaveformSegment near = MakeSegment(0, false, 0, 0, 0);
  near.sample[2] = 30;
  packet = Companion(500);  // the unit's next near packet
  log.PickGatePeak(&packet, &near);
  EXPECT_EQ(packet.channel[2], 8);
  EXPECT_EQ(packet.channel[3], 30);
  EXPECT_EQ(packet.channel[4], 16) << "the far time, not the unit's word";
  EXPECT_EQ(packet.channel[5], 60) << "the far amplitude, not the unit's word";
}

TEST_F(CblFixture, GateEditKeepsARunningSearch) {
  qv::CCBLDocument log;
  log.SetGates(Gate(370, 402), Gate(0, 40));
  SixChannelPacket packet{};
  CblWaveformSegment first = MakeSegment(1, false);
  first.sample[46] = 30;
  log.PickGatePeak(&packet, &first);
  EXPECT_EQ(log.NearSearch().runningMaximum, 30);
  log.SetGates(Gate(380, 410), Gate(0, 40));  // the next segment uses the new gate
  CblWaveformSegment second = MakeSegment(2, false);
  second.sample[6] = 20;  // 408 µs, inside the new gate only
  log.PickGatePeak(&packet, &second);
  EXPECT_EQ(packet.channel[2], 192 + 4 * 46);
  EXPECT_EQ(packet.channel[3], 30);
}

// ---------------------------------------------------------------------------
// Gate computation

TEST_F(CblFixture, ComputeFreePipeGatesTable) {
  struct Case {
    const char* sonde;
    int nearStart, farStart;
  } cases[] = {{"DULM", 162, 237}, {"dulm", 162, 237}, {"DuLm", 162, 237}, {"KSTQ", 201, 315}, {"DULMX", 201, 315}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sonde);
    qv::CCBLDocument log;
    cbltest::PipeSizeAnswer service;
    log.SetPipeSizeService(&service);
    log.Setup().sondeAbbreviation = c.sonde;
    log.ComputeFreePipeGates();
    EXPECT_EQ(service.asked, 1);
    EXPECT_EQ(service.offered.pipeDiameter, 80);
    EXPECT_EQ(service.offered.sondeDiameter, 60);
    EXPECT_EQ(log.NearGate(), (FreePipeGate{80, 60, service.offered.shortSpacing, c.nearStart, c.nearStart + 32}));
    EXPECT_EQ(log.FarGate(), (FreePipeGate{80, 60, service.offered.longSpacing, c.farStart, c.farStart + 32}));
  }
  // The answer's sizes are used: a 100 mm pipe, 40 mm sonde.
  qv::CCBLDocument log;
  cbltest::PipeSizeAnswer service;
  const qv::PipeSizeValues answer{100, 40, 1525, 915};
  service.answer = &answer;
  log.SetPipeSizeService(&service);
  log.ComputeFreePipeGates();
  EXPECT_EQ(log.NearGate().PipeSize, 100);
  EXPECT_EQ(log.NearGate().SondeDiameter, 40);
  EXPECT_EQ(log.NearGate().GateStart, 134 + 126);  // d = 60 mm
}

// ---------------------------------------------------------------------------
// Scaling and calibration

TEST_F(CblFixture, ScalingAndCubicCalibration) {
  FedLog log;
  Prepare(log, 10);
  struct Case {
    std::uint8_t rate;
    std::uint16_t count;
    bool calibrate;
    double scaled, calibrated;
  } cases[] = {{50, 100, false, 100, 100},
               {0, 100, false, 100, 100},
               {25, 100, false, 200, 200},
               {50, 2, true, 2, 1 + 2 * 2 + 3 * 4 + 4 * 8},
               {0, 2, true, 2, 49}};
  auto& cal = log.Calibration();
  cal.channels.clear();
  cal.channels.push_back(std::make_unique<ChannelCalibration>());
  auto& k = cal.channels[0]->EnsureCoefficients();
  k[0] = 1;
  k[1] = 2;
  k[2] = 3;
  k[3] = 4;
  cal.channels.push_back(nullptr);  // channel 2 without a record: uncalibrated
  for (const Case& c : cases) {
    log.Setup().calibration = c.calibrate;
    SixChannelPacket p = Companion(0);
    p.rate = c.rate;
    p.channel[0] = c.count;
    p.channel[1] = c.count;
    log.MutablePacket() = p;
    log.ProcessRecord(false);
    EXPECT_DOUBLE_EQ(log.Scaled()[0], c.scaled);
    EXPECT_DOUBLE_EQ(log.Calibrated()[0], c.calibrated);
    EXPECT_DOUBLE_EQ(log.Calibrated()[1], c.scaled);
    EXPECT_EQ(log.Packet().rate, c.rate ? c.rate : 50);
  }
}

// ---------------------------------------------------------------------------
// Print delay rings

// The record index at which the value of record 1 appears on the output.
int DelayOf(FedLog& log, const int* offsets, bool viewOffsets, int limit = 1200) {
  for (int k = 1; k <= limit; ++k) {
    SixChannelPacket p = Companion(0);
    p.channel[0] = k == 1 ? 1000 : 0;
    log.MutablePacket() = p;
    log.ProcessPrintRecord(true, viewOffsets, offsets);
    if (log.PrintValues()[0] == 1000) return k - 1;
  }
  return -1;
}

TEST_F(CblFixture, DelayRingTable) {
  struct Case {
    const char* name;
    int logMode;
    int offsetCm;    // channel 1's offset in the channel settings
    int viewOffset;  // offsets[7], used when >= -10000
    int rows, delay;
  } cases[] = {
      {"time log: 26 records", 10, 0, -99999, 1000, 26},
      {"up: offset adds", 11, 30, -99999, 651, 29},  // 30 cm at 10 cm a step: 3 steps
      {"down: the largest offset less the offset", 12, 30, -99999, 651, 523},
      {"view offsets", 10, 0, 4, 1000, 30},
      {"view offset past the ring: skipped", 10, 0, 5000, 1000, -1},
      {"view offset before the ring: skipped", 10, 0, -5000, 1000, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedLog log;
    log.Setup().channelFilters[0].Offset = c.offsetCm;
    Prepare(log, c.logMode, 100);  // 100 units a step: 10 cm
    EXPECT_EQ(log.RingRows(), c.rows);
    int offsets[14] = {};
    const bool view = c.viewOffset > -10000;
    offsets[7] = view ? c.viewOffset : 0;
    EXPECT_EQ(DelayOf(log, offsets, view), c.delay);
  }
}

TEST_F(CblFixture, WaveformDelay) {
  FedLog log;
  Prepare(log, 10);
  // Delay 0: the current segment at once.
  log.MutableSegment() = MakeSegment(2, false, 0, 0, 5);
  log.ProcessPrintRecord(false, false, nullptr);
  EXPECT_EQ(log.PrintSegment().sample[0], 5);
  // The view's delay 0 puts the segment at row 27: out 26 records later, as
  // a value of the same delay, blank (0xFF) rows before.
  int offsets[14] = {};
  log.MutableSegment() = MakeSegment(3, false, 0, 0, 9);
  log.ProcessPrintRecord(true, true, offsets);
  EXPECT_EQ(log.PrintSegment().flags, 0xFF);
  log.MutableSegment() = MakeSegment(0, false, 0, 0, 1);
  for (int k = 1; k < 26; ++k) log.ProcessPrintRecord(true, true, offsets);
  EXPECT_NE(log.PrintSegment().sample[0], 9);
  log.ProcessPrintRecord(true, true, offsets);
  EXPECT_EQ(log.PrintSegment().sample[0], 9);
  // A segment whose row lies outside the ring is not written: the ring
  // goes on with what it held.
  for (const int offset : {100000, -100000}) {
    offsets[13] = offset;
    log.MutableSegment() = MakeSegment(4, false, 0, 0, 33);
    for (int k = 0; k < 1100; ++k) {
      EXPECT_TRUE(log.ProcessPrintRecord(true, true, offsets));
      ASSERT_NE(log.PrintSegment().sample[0], 33) << k;
    }
  }
}

// Logged down, a receiver's waveform comes out of the print processing as
// late as a value of its channel's offset (26 records plus the sonde's
// length less the offset), so the page shows both where they were read; the
// far receiver's delay differs from the near one's by whole firings, so a
// firing's segments keep their order.
TEST_F(CblFixture, EachReceiversWaveformWaitsAsItsChannelDoes) {
  FedLog log;
  log.Setup().channelFilters[6].Offset = 190;  // 19 steps of 10 cm
  log.Setup().channelFilters[7].Offset = 400;  // 40 steps: 21 more, two firings of ten
  Prepare(log, 12, 100);
  ASSERT_EQ(log.LargestOffset(), 500);  // no sonde length: the default
  struct Case {
    bool far;
    int delay;
  } cases[] = {{false, 26 + 500 - 19}, {true, 26 + 500 - 19 - 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.far ? "far" : "near");
    log.MutableSegment() = MakeSegment(2, c.far, 0, 0, 77);
    log.ProcessPrintRecord(false, false, nullptr);
    log.MutableSegment() = MakeSegment(2, c.far, 0, 0, 1);
    int out = -1;
    for (int k = 1; k < 700 && out < 0; ++k) {
      log.ProcessPrintRecord(false, false, nullptr);
      if (log.PrintSegment().sample[0] == 77) out = k;
    }
    EXPECT_EQ(out, c.delay);
  }
}

TEST_F(CblFixture, InitialiseWithoutViewFailsAndGatesComeFromTheTemplate) {
  {
    FedLog log;
    log.Setup().logMode = 10;
    EXPECT_FALSE(log.InitialiseTool(1));
  }
  std::ofstream(folder_ / "Header" / "STANDARD.HED")
      << "[General]\r\nIdent=QUORVANTA\r\n[FreePipeGateNear]\r\nPipeSize=90\r\nSondeDiameter=50\r\nLeftGate=111\r\n"
         "RightGate=150\r\n[FreePipeGateFar]\r\nPipeSize=90\r\nSondeDiameter=50\r\nLeftGate=222\r\nRightGate=260\r\n";
  FedLog log;
  cbltest::PipeSizeAnswer service;
  log.SetPipeSizeService(&service);
  Prepare(log, 10);
  EXPECT_EQ(service.asked, 0);
  EXPECT_EQ(log.NearGate().GateStart, 111);
  EXPECT_EQ(log.FarGate().GateEnd, 260);
}

}  // namespace
