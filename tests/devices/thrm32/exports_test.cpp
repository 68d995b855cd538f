// The library as TBdevice loads it: exactly the twelve plain C names, and a
// whole path from the exports through a real serial port (a pseudo-terminal)
// to the simulated logger.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/dynlib/dynlib.h"
#include "platform/sync/sync.h"

namespace {

const std::string kLibrary = QV_PROGRAM_DIR "/libthrm32.so";

TEST(Library, ExportsExactlyTheTwelvePlainNames) {
  FILE* p = ::popen(("nm -D --defined-only " + kLibrary).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    char addr[64], kind[8], name[256];
    if (std::sscanf(line, "%63s %7s %255s", addr, kind, name) == 3) names.insert(name);
  }
  ::pclose(p);
  const std::set<std::string> want = {"thrm_open_unit",   "thrm_close_unit",     "thrm_set_resolution",
                                      "thrm_set_channel", "thrm_get_temp",       "thrm_get_cold_junction",
                                      "thrm_get_version", "thrm_get_cycle",      "thrm_get_driver_version",
                                      "thrm_poll_driver", "thrm_update_filters", "thrm_labview"};
  EXPECT_EQ(names, want);
}

TEST(Library, ReadsTheSimulatedLoggerOnAPseudoTerminal) {
  ::setenv("QUORVANTA_SIMULATOR", "1", 1);
  qv::DynLib lib;
  ASSERT_TRUE(lib.Load(kLibrary)) << lib.Error();
  auto open = lib.Function<int (*)(int16_t)>("thrm_open_unit");
  auto close = lib.Function<void (*)(int16_t)>("thrm_close_unit");
  auto resolution = lib.Function<int (*)(int16_t, int16_t)>("thrm_set_resolution");
  auto channel = lib.Function<int (*)(int16_t, int16_t, char, int16_t, int16_t, int16_t)>("thrm_set_channel");
  auto temp = lib.Function<int (*)(long*, int16_t, int16_t, int16_t)>("thrm_get_temp");
  auto cold = lib.Function<int (*)(long*, int16_t)>("thrm_get_cold_junction");
  auto driverVersion = lib.Function<int (*)()>("thrm_get_driver_version");
  auto labview =
      lib.Function<int (*)(float*, int16_t, int16_t, const char*, int16_t, int16_t, int16_t)>("thrm_labview");
  ASSERT_TRUE(open && close && resolution && channel && temp && cold && driverVersion && labview);

  EXPECT_EQ(driverVersion(), 517);

  // As TBdevice sets the logger up: port 1, 13 bits, eight type K channels.
  ASSERT_EQ(open(1), 1);
  EXPECT_EQ(resolution(1, 13), 1);
  for (int16_t ch = 1; ch <= 8; ++ch) EXPECT_EQ(channel(1, ch, 'K', 10, 0, 0), 1);
  const long want[] = {2000, 2500, 3000};  // the simulated logger's first channels
  for (int16_t ch = 1; ch <= 3; ++ch) {
    long t = 0;
    int got = 0;
    for (int i = 0; i < 400 && !got; ++i) {  // generous: a loaded machine is slow
      got = temp(&t, 1, ch, 0);
      if (!got) ::usleep(25000);
    }
    ASSERT_EQ(got, 1) << "channel " << ch;
    EXPECT_NEAR(t, want[ch - 1], 40) << "channel " << ch;
  }
  // The driver's own thread keeps polling while nobody calls in.
  auto cycle = lib.Function<int (*)(long*, int16_t)>("thrm_get_cycle");
  long before = 0, after = 0;
  EXPECT_EQ(cycle(&before, 1), 1);
  for (int i = 0; i < 200 && after <= before; ++i) {
    ::usleep(25000);
    cycle(&after, 1);
  }
  EXPECT_GT(after, before);
  long cj = 0;
  EXPECT_EQ(cold(&cj, 1), 1);
  EXPECT_NEAR(cj, 2500, 10);
  float celsius = 0;
  EXPECT_EQ(labview(&celsius, 2, 1, "K", 1, 0, 0), 1);  // opens port 2 on its own
  EXPECT_NEAR(celsius, 20.0f, 0.4f);
  close(2);
  close(1);
}

}  // namespace
