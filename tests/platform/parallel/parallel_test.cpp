// The recorder's parallel port: which path LPTn is, that devices are never
// created, and that a write either sends every byte before its deadline or
// fails (a FIFO nobody reads, a reader that went away) without taking the
// program down.
#include "platform/parallel/parallel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/files/paths.h"
#include "tests/support/test_files.h"

namespace {

class ParallelPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = qv::test::TempDir("parallel");
    qv::SetProgramFolder(dir);
  }
  void TearDown() override {
    if (reader >= 0) ::close(reader);
    qv::SetParallelWriteTimeoutMs(0);
    qv::SetProgramFolder("");
  }
  // A FIFO with a reader that does not read, and the port on it.
  std::unique_ptr<qv::ParallelPort> FifoWithIdleReader() {
    const std::string fifo = dir + "/fifo";
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_GE(reader, 0);
    return qv::OpenParallelPath(fifo, true);
  }
  std::string dir;
  int reader = -1;
};

TEST_F(ParallelPortTest, LptNamesMapToPaths) {
  std::ofstream(dir + "/win.ini") << "[ParallelDevices]\r\nLPT2=" << dir << "/capture.prn\r\nLPT3=/dev/usb/lp0\r\n";
  const struct {
    int lpt;
    std::string path;
    bool mayCreate;
  } cases[] = {{1, "/dev/lp0", false}, {2, dir + "/capture.prn", true}, {3, "/dev/usb/lp0", false}};
  for (const auto& c : cases) {
    const qv::ParallelDevice d = qv::ParallelDevicePath(c.lpt);
    EXPECT_EQ(d.path, c.path) << c.lpt;
    EXPECT_EQ(d.mayCreate, c.mayCreate) << c.lpt;
  }
}

TEST_F(ParallelPortTest, ADeviceIsNeverCreatedACaptureFileIs) {
  const std::string absent = dir + "/lp9";
  std::string error;
  EXPECT_EQ(qv::OpenParallelPath(absent, false, &error), nullptr);
  EXPECT_NE(error.find(absent), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(absent));

  const std::string capture = dir + "/capture.prn";
  auto port = qv::OpenParallelPath(capture, true);
  ASSERT_NE(port, nullptr);
  const uint8_t bytes[] = {0x1B, 'S', 0x00};
  EXPECT_TRUE(port->Write(bytes, sizeof bytes));
  port.reset();
  EXPECT_EQ(qv::test::FileBytes(capture), std::string("\x1BS", 2) + std::string(1, '\0'));
}

TEST_F(ParallelPortTest, AFifoWithoutReaderDoesNotOpen) {
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(qv::OpenParallelPath(fifo, true), nullptr);
}

TEST_F(ParallelPortTest, AFifoNeverReadFailsAtTheDeadline) {
  auto port = FifoWithIdleReader();
  ASSERT_NE(port, nullptr);
  qv::SetParallelWriteTimeoutMs(150);
  const std::vector<uint8_t> lots(1 << 20, 0x55);  // more than any pipe holds
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port->Write(lots.data(), lots.size()));
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 140);
  EXPECT_LT(ms, 2000);
}

TEST_F(ParallelPortTest, AReaderThatWentAwayFailsTheWriteWithoutSignal) {
  auto port = FifoWithIdleReader();
  ASSERT_NE(port, nullptr);
  ::close(reader);
  reader = -1;
  const uint8_t b = 0x0A;
  EXPECT_FALSE(port->Write(&b, 1));  // EPIPE, and the program is still here
  EXPECT_FALSE(port->Write(&b, 1));
}

TEST_F(ParallelPortTest, TestsCanPutAPortInPlaceOfTheDevice) {
  struct Port : qv::ParallelPort {
    bool Write(const uint8_t*, size_t) override { return true; }
  };
  int asked = 0;
  qv::SetParallelPortOpener([&](int lpt) -> std::unique_ptr<qv::ParallelPort> {
    asked = lpt;
    return std::make_unique<Port>();
  });
  EXPECT_NE(qv::OpenParallelPort(2), nullptr);
  EXPECT_EQ(asked, 2);
  qv::SetParallelPortOpener(nullptr);
  std::ofstream(dir + "/win.ini") << "[ParallelDevices]\r\nLPT2=" << dir << "/absent/capture.prn\r\n";
  EXPECT_EQ(qv::OpenParallelPort(2), nullptr);  // its folder does not exist
}

}  // namespace
