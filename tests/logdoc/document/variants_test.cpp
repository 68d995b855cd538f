// The recording variants that lose data when the hand-over or the stop is
// careless: each row scripts a six-channel log on the simulated unit and
// names the records the data file must hold, the state the log ends in and
// the boxes shown.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <thread>

#include "app/core/device_services.h"
#include "tests/logdoc/document/engine_test.h"

namespace {

using qvtest::WriterGate;

class VariantTest : public EngineTest {
 public:
  // Lets the log run until a worker asks for a stop.
  bool RunUntilStopRequested(qv::LogEngine& e) {
    pace->RunUntil(pace->Now() + 600000, std::chrono::milliseconds(0));
    for (int i = 0; i < 30000 && !e.StopRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return e.StopRequested();
  }
};

struct Variant {
  const char* name;
  std::size_t perHalf, queued;
  // Runs the log; the engine has been initialised and the sonde lowers.
  std::function<void(VariantTest&, qv::SixChannelEngine&, WriterGate&)> script;
  unsigned records;  // the data file holds records 0 .. records-1 of the unit's pattern
  int state;
  std::vector<std::string> boxes;
};

std::string Text(int kind, int code) { return DeviceErrorText(kind, code); }

TEST_F(VariantTest, EveryStoredRecordReachesTheFile) {
  auto recordAndStop = [](int n) {
    return [n](VariantTest& t, qv::SixChannelEngine& e, WriterGate&) {
      ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
      t.Records(n);
      ASSERT_EQ(e.StopLogging(qv::kStateStoppedForGood), 1);
    };
  };
  const Variant variants[] = {
      {"one record", 4, 8, recordAndStop(1), 1, 99, {}},
      {"one short of a half", 4, 8, recordAndStop(3), 3, 99, {}},
      {"one half", 4, 8, recordAndStop(4), 4, 99, {}},
      {"one past a half", 4, 8, recordAndStop(5), 5, 99, {}},
      {"two halves", 4, 8, recordAndStop(8), 8, 99, {}},
      {"two halves and one", 4, 8, recordAndStop(9), 9, 99, {}},
      {"writer held while two more halves fill", 4, 2,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate& gate) {
         gate.Hold();
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(4);
         ASSERT_TRUE(gate.WaitForAppends(1));
         t.Records(8);  // two full halves wait for the writer
         gate.Release();
         t.Records(3);
         ASSERT_EQ(e.StopLogging(qv::kStateStoppedForGood), 1);
       },
       15, 99, {}},
      {"writer held until the queue is full", 4, 2,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate& gate) {
         gate.Hold();
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(4);
         ASSERT_TRUE(gate.WaitForAppends(1));
         ASSERT_TRUE(t.RunUntilStopRequested(e));
         gate.Release();
         e.PumpDisplay();
       },
       15, 3, {Text(kSystemError, kErrOperatingSystem)}},
      {"stop while the writer is held", 4, 8,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate& gate) {
         gate.Hold();
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(10);
         std::thread releaser([&gate] {
           std::this_thread::sleep_for(std::chrono::milliseconds(20));
           gate.Release();
         });
         EXPECT_EQ(e.StopLogging(qv::kStateStoppedForGood), 1);  // waits for the writer, whatever the timing
         releaser.join();
       },
       10, 99, {}},
      {"a failed write", 4, 8,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate& gate) {
         gate.FailFrom(1);
         gate.Hold(1);
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(8);
         ASSERT_TRUE(gate.WaitForAppends(2));
         gate.Release();  // the second half's write fails
         for (int i = 0; i < 30000 && !e.Pipeline().Failed(); ++i)
           std::this_thread::sleep_for(std::chrono::milliseconds(2));
         ASSERT_TRUE(t.RunUntilStopRequested(e));
         e.PumpDisplay();
       },
       4, 3, {Text(kSystemError, kErrWriteDestination)}},
      {"a device error", 4, 8,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate&) {
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(6);
         t.Faults([](qv::sim::Faults& f) { f.firstStatus = 2; });
         ASSERT_TRUE(t.RunUntilStopRequested(e));
         e.PumpDisplay();
       },
       6, 3, {Text(kUnitError, 2)}},
      {"the unit detached", 4, 8,
       [](VariantTest& t, qv::SixChannelEngine& e, WriterGate&) {
         ASSERT_EQ(t.Start(e, qv::kStartRecord), 1);
         t.Records(7);
         t.unit->Detach();
         ASSERT_TRUE(t.RunUntilStopRequested(e));
         e.PumpDisplay();
       },
       7, 3, {Text(kUnitError, TB_STATUS_NOT_ATTACHED)}},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    ResetUnit();
    boxes.Clear();
    WriterGate gate;
    std::vector<int> stops;
    {
      qv::SixChannelEngine engine;
      Prepare(engine);
      engine.SetBuffering(v.perHalf, v.queued);
      engine.Pipeline().SetAppendHook(gate.Hook());
      engine.SetCallbacks({nullptr, nullptr, [&stops](int type) { stops.push_back(type); }, nullptr});
      ASSERT_TRUE(engine.InitialiseLog(1, 10));
      Lower();
      v.script(*this, engine, gate);
      ASSERT_TRUE(WaitForDiagnosticsMessages(60000));
      EXPECT_EQ(engine.State(), v.state);
      EXPECT_EQ(ReadBytes(folder / "WELL.LOG").size(), v.records * 14);
      EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, v.records));
      EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth"), 100100);
      EXPECT_EQ(stops, v.state == 3 ? std::vector<int>{3} : std::vector<int>{});
      std::vector<std::string> shown;
      for (const auto& b : boxes.Shown()) shown.push_back(b.text);
      EXPECT_EQ(shown, v.boxes);
      if (v.state == 3 && v.boxes[0] != Text(kUnitError, TB_STATUS_NOT_ATTACHED)) {
        EXPECT_FALSE(unit->State().logging);  // logging off and the sonde without power
        EXPECT_EQ(unit->State().power, (std::array<uint8_t, 6>{}));
      }
    }
    unit->Attach();
  }
}

TEST_F(VariantTest, AnEmptyRecordingLeavesNoFileAndFreesItsName) {
  qv::SixChannelEngine engine;
  ASSERT_TRUE(RecordThenPause(engine, 2));
  // REC, then PSE before the first record: nothing is kept of it.
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  EXPECT_TRUE(fs::exists(folder / "WELL1.LOG"));
  ASSERT_EQ(engine.StopLogging(qv::kStatePaused), 1);
  EXPECT_FALSE(fs::exists(folder / "WELL1.LOG"));
  EXPECT_FALSE(fs::exists(folder / "WELL1.hed"));
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), "");
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "EndDepth"), 100200);
  // The next recording takes the freed name.
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(1);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(ReadBytes(folder / "WELL1.LOG"), SixRecords(0, 1));
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), (folder / "WELL1").string());
  EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
