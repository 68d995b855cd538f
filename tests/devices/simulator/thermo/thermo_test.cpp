#include "devices/simulator/thermo/thermo_logger.h"

#include <fcntl.h>
#include <termios.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::vector<uint8_t> Collect(qv::SerialPort& port, size_t n, int waitMs = 2000) {
  std::vector<uint8_t> got;
  for (int i = 0; i < waitMs / 5 && got.size() < n; ++i) {
    uint8_t buf[16];
    const int r = port.Read(buf, sizeof buf);
    if (r > 0) got.insert(got.end(), buf, buf + r);
    else ::usleep(5000);
  }
  return got;
}

TEST(PtyThermoLogger, AnswersOnlyWhenPoweredAndOnARawLine) {
  qv::sim::PtyThermoLogger logger;
  ASSERT_TRUE(logger.Start());
  auto port = qv::OpenSerialDevice(logger.SlavePath());
  ASSERT_NE(port, nullptr);
  const uint8_t version = 0x01;
  port->Write(&version, 1);
  EXPECT_TRUE(Collect(*port, 3, 200).empty()) << "silent without power";
  port->SetRts(true);
  port->Write(&version, 1);
  EXPECT_EQ(Collect(*port, 3), (std::vector<uint8_t>{'+', 0x02, 0x03}));
  const uint8_t firstChannel = 0x0C;  // channel 1 at 13 bits
  port->Write(&firstChannel, 1);
  EXPECT_EQ(Collect(*port, 3), logger.Model().ReplyTo(firstChannel));
  EXPECT_FALSE(logger.SawBadLineSettings());
  port->SetRts(false);
  port->Write(&version, 1);
  EXPECT_TRUE(Collect(*port, 3, 200).empty()) << "silent after power off";
  EXPECT_EQ(logger.Model().PowerOns(), 1);
  port.reset();

  // A line in cooked mode at another speed gets no answer.
  const int fd = ::open(logger.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  t.c_lflag |= ICANON | ECHO;
  ::cfsetspeed(&t, B38400);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
  ASSERT_EQ(::write(fd, &version, 1), 1);
  for (int i = 0; i < 200 && !logger.SawBadLineSettings(); ++i) ::usleep(5000);
  EXPECT_TRUE(logger.SawBadLineSettings());
  ::close(fd);
}

TEST(ThermoLoggerModel, RepliesAndFaults) {
  qv::sim::ThermoSettings s;
  s.temperature[0] = 2500;
  s.coldJunction = 2500;
  qv::sim::ThermoLoggerModel m(s);
  const struct {
    qv::sim::ThermoFault fault;
    uint8_t command;
    uint32_t dueAfter;
    std::vector<uint8_t> want;
  } cases[] = {
      {qv::sim::ThermoFault::kNone, 0x00, 20, {'+', 0, 0}},  // no difference to the cold junction
      {qv::sim::ThermoFault::kShort, 0x01, 20, {'+', 0x02}},
      {qv::sim::ThermoFault::kLong, 0x01, 20, {'+', 0x02, 0x03, 0}},
      {qv::sim::ThermoFault::kNoSign, 0x01, 20, {'?', 0x02, 0x03}},
      {qv::sim::ThermoFault::kLate, 0x01, 1500, {'+', 0x02, 0x03}},
      {qv::sim::ThermoFault::kZeroReference, 0x22, 20, {'+', 0, 0}},
  };
  uint32_t now = 1000;
  for (const auto& c : cases) {
    m.SetFault(c.fault, 1);
    m.Received(&c.command, 1, now);
    EXPECT_TRUE(m.Due(now + c.dueAfter - 1).empty());
    EXPECT_EQ(m.Due(now + c.dueAfter), c.want);
    now += 5000;
  }
  // The two references give the cold junction's ratio: equal at 25 degC.
  EXPECT_EQ(m.ReplyTo(0x22), m.ReplyTo(0x42));
  m.SetColdJunction(0);
  const auto a = m.ReplyTo(0x22), b = m.ReplyTo(0x42);
  EXPECT_GT((b[1] << 8 | b[2]), (a[1] << 8 | a[2]));  // colder: a higher ratio
}

}  // namespace
