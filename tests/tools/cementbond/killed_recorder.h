// A waveform log recorded by a process that is killed outright (kill -9):
// both data files hold whole records, the .LOG at least as many as the
// waveform file, and the replay reads every whole pair back byte for byte.
#pragma once

#include <signal.h>

#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/document/sim_unit.h"

// tool: "cbl" (the cement-bond log, .CBL) or "fws" (the full-wave sonic log, .VDL).
inline void ExpectKilledRecorderLeavesWholePairs(const fs::path& folder, const std::string& tool) {
  const bool fullWave = tool == "fws";
  const fs::path logFile = folder / "KILLED.LOG", waveFile = folder / (fullWave ? "KILLED.VDL" : "KILLED.CBL");
  qv::ChildProcess child;
  ASSERT_TRUE(child.Start(WAVEFORM_RECORD_CHILD, {folder.string(), tool}, {}, (folder / "child.txt").string()));
  bool recorded = false;
  for (int i = 0; i < 60000 && !recorded; ++i) {
    std::error_code ec;
    const auto size = fs::file_size(waveFile, ec);
    recorded = !ec && size > 50 * 10 * 30;
    if (!recorded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(child.Pid(), SIGKILL);
  EXPECT_EQ(child.Wait(60000), 128 + SIGKILL);
  qvtest::ReleaseSimulatedUnit(child.Pid());
  ASSERT_TRUE(recorded) << ReadAll(folder / "child.txt");
  const auto logSize = fs::file_size(logFile), waveSize = fs::file_size(waveFile);
  EXPECT_EQ(logSize % 14, 0u);
  EXPECT_EQ(waveSize % 50, 0u);
  const auto pairs = waveSize / 50;
  EXPECT_GE(logSize / 14, pairs) << "the .LOG part of a pair is written first";

  // The header as the cut left it, its end taken from the data as a replay
  // takes it: the replay runs over the header's range to the last pair.
  const int kind = fullWave ? qv::kToolFullWave : qv::kToolCementBond;
  HeaderInfo h;
  ASSERT_TRUE(ReadHeaderInfo(waveFile.string(), &h));
  ASSERT_EQ(h.LogMode, 12);
  ASSERT_TRUE(qv::TakeEndDepthFromData(waveFile.string(), kind, &h));
  EXPECT_EQ(h.EndDepth, h.Startdepth + static_cast<int>(pairs - 1) * h.Step);
  qv::ReplayReader reader(waveFile.string(), kind, h.Startdepth, h.EndDepth, 12, h);
  ASSERT_TRUE(reader.IsOpen());
  const auto logBytes = ReadBytes(logFile), waveBytes = ReadBytes(waveFile);
  std::uint64_t n = 0;
  CblWaveformSegment segment{};
  SixChannelPacket packet{};
  while (n < pairs && (fullWave ? reader.ReadFullWave(&segment, &packet) : reader.ReadCementBond(&segment, &packet))) {
    EXPECT_EQ(std::memcmp(&packet.flags, &logBytes[n * 14], 14), 0) << n;
    EXPECT_EQ(std::memcmp(&segment.flags, &waveBytes[n * 50], 50), 0) << n;
    ++n;
  }
  EXPECT_EQ(n, pairs);
}
