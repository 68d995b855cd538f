#include "platform/serial/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

#include "platform/files/paths.h"
#include "platform/sync/sync.h"
#include "tests/support/test_files.h"

namespace {

// A pseudo-terminal pair; the slave stands in for the serial device.
struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    char name[128];
    ::ptsname_r(master, name, sizeof name);
    slave = name;
  }
  ~Pty() { ::close(master); }
};

int WaitForBytes(qv::SerialPort& p, int n) {
  for (int i = 0; i < 400 && p.BytesWaiting() < n; ++i) ::usleep(5000);
  return p.BytesWaiting();
}

TEST(SerialPort, RawExclusiveAndTolerantOfMissingModemLines) {
  Pty pty;
  std::string error;
  auto port = qv::OpenSerialDevice(pty.slave, &error);
  ASSERT_NE(port, nullptr) << error;
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.master, &t), 0);
  EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
  EXPECT_FALSE(t.c_iflag & (ICRNL | IXON));
  EXPECT_FALSE(t.c_oflag & OPOST);

  // Exclusive: a second open of the same device is refused.
  EXPECT_EQ(qv::OpenSerialDevice(pty.slave, &error), nullptr);

  // RTS on a pseudo-terminal: refused by the device, tolerated, reported to the side channel.
  std::vector<bool> rts;
  qv::SetRtsListener(pty.slave, [&](bool on) { rts.push_back(on); });
  EXPECT_TRUE(port->SetRts(true));
  EXPECT_TRUE(port->SetRts(false));
  qv::SetRtsListener(pty.slave, nullptr);
  EXPECT_EQ(rts, (std::vector<bool>{true, false}));

  // Bytes both ways, untranslated (CR and LF stay as they are).
  const uint8_t out[] = {0x01, 0x0D, 0x0A};
  EXPECT_EQ(port->Write(out, 3), 3);
  uint8_t in[8] = {};
  ::usleep(20000);
  EXPECT_EQ(::read(pty.master, in, sizeof in), 3);
  EXPECT_EQ(std::vector<uint8_t>(in, in + 3), std::vector<uint8_t>(out, out + 3));
  const uint8_t reply[] = {'+', 0x0D, 0x0A};
  ASSERT_EQ(::write(pty.master, reply, 3), 3);
  EXPECT_EQ(WaitForBytes(*port, 3), 3);
  uint8_t got[10];
  EXPECT_EQ(port->Read(got, 10), 3);
  EXPECT_EQ(std::vector<uint8_t>(got, got + 3), std::vector<uint8_t>(reply, reply + 3));
  EXPECT_EQ(port->Read(got, 10), 0);  // nothing waiting: no wait, no error
  ASSERT_EQ(::write(pty.master, reply, 3), 3);
  EXPECT_EQ(WaitForBytes(*port, 3), 3);
  port->DiscardInput();
  EXPECT_EQ(port->BytesWaiting(), 0);

  port.reset();
  EXPECT_NE(qv::OpenSerialDevice(pty.slave, &error), nullptr) << "released on close";
  EXPECT_EQ(qv::OpenSerialDevice("/nonexistent/ttyS9", &error), nullptr);
  EXPECT_NE(error.find("/nonexistent/ttyS9"), std::string::npos);
}

TEST(SerialPort, ComNamesMapToDevices) {
  const std::string dir = qv::test::TempDir("serial");
  qv::SetProgramFolder(dir);
  std::ofstream(dir + "/win.ini") << "[SerialDevices]\r\nCOM3=/dev/ttyUSB0\r\n";
  const struct {
    int com;
    const char* want;
  } cases[] = {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {20, "/dev/ttyS19"}, {3, "/dev/ttyUSB0"}};
  for (const auto& c : cases) EXPECT_EQ(qv::SerialDevicePath(c.com), c.want) << c.com;
  qv::SetSerialDeviceOverride(2, "/dev/pts/77");
  EXPECT_EQ(qv::SerialDevicePath(2), "/dev/pts/77");
  qv::SetSerialDeviceOverride(2, "");
  EXPECT_EQ(qv::SerialDevicePath(2), "/dev/ttyS1");
  qv::SetProgramFolder("");
}

}  // namespace
