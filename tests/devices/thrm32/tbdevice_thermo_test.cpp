// TBdevice with the marker file NEVA_THRM reads the thermocouple logger
// through libthrm32, which talks to the simulated logger on a
// pseudo-terminal: the twelve-channel read fills the channels the unit did
// not send with logger temperatures.
#include <cstring>
#include <thread>

#include "tests/devices/tbdevice/fixture.h"

namespace {

std::vector<uint8_t> TwelveChannelRecord4(float first) {
  std::vector<uint8_t> r(74, 0);
  r[4] = 100;   // time, ms
  r[9] = 0x0F;  // channels 1-4 come from the unit
  for (int ch = 0; ch < 4; ++ch) {
    uint32_t u;
    const float v = first + static_cast<float>(ch);
    std::memcpy(&u, &v, 4);
    for (int b = 0; b < 4; ++b) r[10 + 4 * ch + b] = static_cast<uint8_t>(u >> (24 - 8 * b));
  }
  return r;
}

TEST_F(TbdeviceTest, TwelveChannelReadCarriesLoggerTemperatures) {
  ::setenv("QUORVANTA_SIMULATOR", "1", 1);
  WriteText("NEVA_THRM", "");
  fs::create_symlink(QV_PROGRAM_DIR "/libthrm32.so", folder / "libthrm32.so");
  BringUp();  // the first configuration opens the logger on port 1
  LoggingModeBlock mode{1, 7, 10, 11, 0};
  ASSERT_EQ(SetLoggingMode(&mode), 0u);

  // The simulated logger's channels 1-8 (degC); channels the unit did not
  // send (5-12) carry them in order.
  const float want[8] = {20.0f, 25.0f, 30.0f, 50.0f, 100.0f, 200.0f, -10.0f, 150.0f};
  TwelveChannelRecord rec{};
  bool all = false;
  for (int i = 0; i < 400 && !all; ++i) {  // generous: the logger is read on real time
    unit->QueueRecord(TwelveChannelRecord4(1.5f));
    std::memset(&rec, 0, sizeof rec);
    ASSERT_EQ(GetTwelve(&rec) & 0xFF, static_cast<uint32_t>(TB_STATUS_DATA));
    all = true;
    for (int ch = 4; ch < 12; ++ch) all = all && std::abs(rec.value[ch] - want[ch - 4]) < 0.5f;
    if (!all) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_TRUE(all);
  for (int ch = 0; ch < 4; ++ch) EXPECT_FLOAT_EQ(rec.value[ch], 1.5f + static_cast<float>(ch));
  for (int ch = 4; ch < 12; ++ch) EXPECT_NEAR(rec.value[ch], want[ch - 4], 0.5f) << "channel " << ch + 1;
}

}  // namespace
