// The hand-over from the acquisition thread to the data file: every stored
// record reaches the file once, in order, as whole records, whatever the
// writer does meanwhile.
#include "logdoc/acquisition/record_pipeline.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace qv {
namespace {

constexpr std::size_t kSize = 3;

std::vector<std::uint8_t> Rec(int i) {
  return {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0xEE};
}

std::vector<std::uint8_t> Expected(int from, int to) {
  std::vector<std::uint8_t> out;
  for (int i = from; i < to; ++i) {
    const auto r = Rec(i);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

// An in-memory data file whose appends can be held or made to fail.
struct FakeFile {
  std::mutex m;
  std::vector<std::uint8_t> bytes;
  int appends = 0;
  int failFrom = -1;  // the append with this number (from 0) and later fail
  std::promise<void> release;
  std::shared_future<void> gate;  // when valid, the first append waits for it
  std::promise<void> firstAppendStarted;

  RecordPipeline::AppendFunction Append() {
    return [this](std::span<const std::uint8_t> b) {
      int n;
      {
        std::lock_guard<std::mutex> lock(m);
        n = appends++;
      }
      if (n == 0 && gate.valid()) {
        firstAppendStarted.set_value();
        gate.wait();
      }
      std::lock_guard<std::mutex> lock(m);
      if (failFrom >= 0 && n >= failFrom) return false;
      bytes.insert(bytes.end(), b.begin(), b.end());
      return true;
    };
  }
};

TEST(RecordPipeline, EveryRecordOnceAtTheHalfBoundaries) {
  for (int n : {0, 1, 3, 4, 5, 8, 9, 41}) {
    FakeFile file;
    RecordPipeline pipeline(kSize, 4, 16);  // room for every half: no refusal whatever the writer's pace
    ASSERT_TRUE(pipeline.Open(file.Append()));
    for (int i = 0; i < n; ++i) ASSERT_TRUE(pipeline.Store(Rec(i))) << n << " " << i;
    EXPECT_TRUE(pipeline.Finish()) << n;
    EXPECT_EQ(file.bytes, Expected(0, n)) << n;
    EXPECT_EQ(pipeline.RecordsWritten(), static_cast<std::uint64_t>(n));
  }
}

TEST(RecordPipeline, BlockedWriterLosesNothingAndAFullQueueRefuses) {
  FakeFile file;
  file.gate = file.release.get_future().share();
  RecordPipeline pipeline(kSize, 2, 2);
  ASSERT_TRUE(pipeline.Open(file.Append()));
  ASSERT_TRUE(pipeline.Store(Rec(0)));
  ASSERT_TRUE(pipeline.Store(Rec(1)));  // first half: the writer takes it and is held
  file.firstAppendStarted.get_future().wait();
  for (int i = 2; i < 6; ++i) ASSERT_TRUE(pipeline.Store(Rec(i)));  // two more halves wait in the queue
  ASSERT_TRUE(pipeline.Store(Rec(6)));
  EXPECT_FALSE(pipeline.Store(Rec(7)));  // it would complete a third queued half: refused, nothing overwritten
  file.release.set_value();
  EXPECT_TRUE(pipeline.Finish());
  EXPECT_EQ(file.bytes, Expected(0, 7));
}

TEST(RecordPipeline, StopWhileTheWriterIsHeldWritesEverything) {
  FakeFile file;
  file.gate = file.release.get_future().share();
  RecordPipeline pipeline(kSize, 2, 8);
  ASSERT_TRUE(pipeline.Open(file.Append()));
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(pipeline.Store(Rec(i)));
  file.firstAppendStarted.get_future().wait();
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    file.release.set_value();
  });
  EXPECT_TRUE(pipeline.Finish());  // waits for the writer to drain, whatever the timing
  releaser.join();
  EXPECT_EQ(file.bytes, Expected(0, 7));
}

TEST(RecordPipeline, AFailedWriteKeepsWhatWasWrittenAndStopsStoring) {
  FakeFile file;
  file.failFrom = 1;
  RecordPipeline pipeline(kSize, 2, 8);
  ASSERT_TRUE(pipeline.Open(file.Append()));
  bool refused = false;
  for (int i = 0; i < 50 && !refused; ++i) refused = !pipeline.Store(Rec(i));
  for (int i = 0; i < 1000 && !pipeline.Failed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(pipeline.Failed());
  EXPECT_FALSE(pipeline.Store(Rec(99)));
  EXPECT_FALSE(pipeline.Finish());
  EXPECT_EQ(file.bytes, Expected(0, 2));
}

TEST(RecordPipeline, EachRecordingStartsEmpty) {
  FakeFile first, second;
  RecordPipeline pipeline(kSize, 4, 2);
  EXPECT_FALSE(pipeline.Store(Rec(0)));  // no recording open (a test run): nothing is kept
  ASSERT_TRUE(pipeline.Open(first.Append()));
  for (int i = 1; i < 4; ++i) ASSERT_TRUE(pipeline.Store(Rec(i)));
  ASSERT_TRUE(pipeline.Finish());
  ASSERT_TRUE(pipeline.Open(second.Append()));
  for (int i = 10; i < 12; ++i) ASSERT_TRUE(pipeline.Store(Rec(i)));
  ASSERT_TRUE(pipeline.Finish());
  EXPECT_EQ(first.bytes, Expected(1, 4));
  EXPECT_EQ(second.bytes, Expected(10, 12));
}

std::filesystem::path TempFolder() {
  const char* tmp = std::getenv("QV_TEST_TMP");
  auto dir = std::filesystem::path(tmp ? tmp : "/tmp") / "pipeline";
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(RecordPipeline, RealFileAndAKilledRecorderLeaveWholeRecords) {
  const auto path = (TempFolder() / "REAL.LOG").string();
  {
    RecordPipeline pipeline(14, 60, 8);
    ASSERT_TRUE(pipeline.Open(path));
    for (int i = 0; i < 61; ++i)
      ASSERT_TRUE(pipeline.Store(std::vector<std::uint8_t>(14, static_cast<std::uint8_t>(i))));
    ASSERT_TRUE(pipeline.Finish());
  }
  EXPECT_EQ(std::filesystem::file_size(path), 61u * 14);
  EXPECT_FALSE(RecordPipeline(14, 60).Open(TempFolder().string() + "/no/such/folder/X.LOG"));

  const auto killed = (TempFolder() / "KILLED.LOG").string();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordPipeline pipeline(14, 7, 64);
    if (!pipeline.Open(killed)) ::_exit(1);
    for (std::uint32_t i = 0;; ++i) {
      if (!pipeline.Store(std::vector<std::uint8_t>(14, static_cast<std::uint8_t>(i)))) ::usleep(100);
    }
  }
  for (int i = 0; i < 2000; ++i) {
    struct stat st {};
    if (::stat(killed.c_str(), &st) == 0 && st.st_size > 14 * 7 * 20) break;
    ::usleep(1000);
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  const auto size = std::filesystem::file_size(killed);
  EXPECT_GT(size, 0u);
  EXPECT_EQ(size % 14, 0u);
}

TEST(NextChainStem, NamesOfARecordingChain) {
  struct Case {
    const char* previous;
    int index;
    const char* next;
  } cases[] = {
      {"D/WELL.", 0, "D/WELL."},     {"D/WELL.", 1, "D/WELL1."}, {"D/WELL1.", 2, "D/WELL2."},
      {"D/WELL9.", 10, "D/WELL10."}, {"D/LOG1.", 1, "D/LOG11."}, {"D/LOG11.", 2, "D/LOG12."},
  };
  for (const auto& c : cases) EXPECT_EQ(NextChainStem(c.previous, c.index), c.next) << c.previous << " " << c.index;
}

}  // namespace
}  // namespace qv
