// The simulated unit against the shipped sonde files: every word it sends is
// the channel the sonde file names, read where that file puts the channel's
// sensor, and the shipped calibration turns it into the channel's unit.
#include "devices/simulator/unit/sonde_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/profile/profile.h"

namespace {

std::string SondeFile(const char* name) {
  return std::string(QV_TEST_SOURCE_DIR) + "/../../../../resources/sondes/" + name;
}
std::string CalibrationFile(const char* name) {
  return std::string(QV_TEST_SOURCE_DIR) + "/../../../../resources/Calibration/" + name;
}
std::string Section(int channel) {
  return "Channel" + std::to_string(channel);
}

struct Sonde {
  const char* file;
  uint8_t comStd, toolType;
};
constexpr Sonde kSondes[] = {
    {"kstq.son", 1, 1}, {"twch.son", 1, 8}, {"cbls.son", 3, 5}, {"fwss.son", 4, 4}, {"sonq.son", 26, 10},
};

TEST(SimulatedSondes, EveryWordIsTheChannelItsSondeFileNamesWhereTheFilePutsItsSensor) {
  for (const Sonde& sonde : kSondes) {
    SCOPED_TRACE(sonde.file);
    const std::string file = SondeFile(sonde.file);
    ASSERT_EQ(qv::GetProfileText(file, "Sonde", "Abbreviation").empty(), false) << file;
    const auto models = qv::sim::SondeChannels(sonde.comStd, sonde.toolType);
    for (size_t i = 0; i < models.size(); ++i) {
      const int channel = static_cast<int>(i) + 1;
      SCOPED_TRACE(channel);
      EXPECT_EQ(qv::GetProfileText(file, Section(channel), "HeaderShort"), models[i].shortTitle);
      EXPECT_EQ(qv::GetPrivateProfileInt(Section(channel).c_str(), "Offset", -1, file), models[i].offset);
    }
    if (sonde.toolType == 4 || sonde.toolType == 5) {
      // The near and far waveforms are channels 7 and 8.
      const auto receivers = qv::sim::ReceiverOffsets(sonde.comStd);
      EXPECT_EQ(qv::GetPrivateProfileInt("Channel7", "Offset", -1, file), receivers[0]);
      EXPECT_EQ(qv::GetPrivateProfileInt("Channel8", "Offset", -1, file), receivers[1]);
    }
  }
}

// The record a logging mode makes, as the program switches the modes on: a
// cement-bond log names the full-wave tool under the cement-bond standard,
// and its unit sends cement-bond firings (ten segments, the sonde's six
// words in each near one), not full-wave picks.
TEST(SimulatedSondes, TheLoggingModeDecidesTheRecord) {
  using qv::sim::RecordKind;
  struct Case {
    uint8_t comStd, toolType, mode;
    RecordKind kind;
  };
  const Case cases[] = {
      {3, 4, 12, RecordKind::CementBond}, {3, 5, 11, RecordKind::CementBond}, {4, 4, 12, RecordKind::FullWave},
      {1, 1, 12, RecordKind::SixChannel}, {1, 8, 11, RecordKind::Twelve},     {3, 4, 14, RecordKind::DepthReport},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.comStd) << "/" << int(c.toolType) << "/" << int(c.mode));
    EXPECT_EQ(qv::sim::KindOfMode(c.comStd, c.toolType, c.mode), c.kind);
  }
  qv::sim::SondeSample s;
  s.depth = 800;
  s.comStd = 3;
  s.toolType = 4;
  const auto firing = qv::sim::MakeRecords(qv::sim::KindOfMode(3, 4, 12), s);
  ASSERT_EQ(firing.size(), 10u);
  const auto models = qv::sim::SondeChannels(3, 4);
  const double gamma = (firing[0][58] | firing[0][59] << 8) * models[0].c1 + models[0].c0;
  EXPECT_NEAR(gamma, qv::sim::DefaultWell().At(8.0 - 0.4).gamma, 0.06 * gamma + 1) << "the first word is gamma";
}

// The full-wave sonde's picks through the shipped calibration: the near and
// far transit times in microseconds, their difference as the P-wave slowness
// of the rock between the receivers (the pipe's 187 us/m in the casing), and
// gamma and the S-wave slowness where their sensors sit.
TEST(SimulatedSondes, FullWavePicksReadTheWellInEngineeringUnits) {
  const std::string cal = CalibrationFile("FWSS1001.cal");
  const auto calibrated = [&](int channel, double count) {
    const double c0 = std::stod(qv::GetProfileText(cal, Section(channel), "Coefficient0"));
    const double c1 = std::stod(qv::GetProfileText(cal, Section(channel), "Coefficient1"));
    return c0 + c1 * count;
  };
  const qv::sim::Well& well = qv::sim::DefaultWell();
  for (const int32_t depth : {1200, 5400, 8200, 20000}) {
    SCOPED_TRACE(depth);
    qv::sim::SondeSample s;
    s.depth = depth;
    s.comStd = 4;
    s.toolType = 4;
    const auto segments = qv::sim::MakeRecords(qv::sim::RecordKind::FullWave, s);
    const auto word = [&](int at) { return segments[0][static_cast<size_t>(at)] | segments[0][static_cast<size_t>(at + 1)] << 8; };
    const double m = depth / 100.0;
    const double ttn = calibrated(1, word(58)), ttf = calibrated(2, word(60));
    EXPECT_GT(ttn, 150);
    EXPECT_LT(ttf, 1000);
    EXPECT_NEAR(calibrated(5, word(66)), ttf - ttn > 0 ? (ttf - ttn) / 0.61 : 0, 1.0) << "DTP is the picks' difference";
    double slowness = 0;  // between the receivers, 2.0 and 2.6 m above the bottom
    for (int k = 0; k < 8; ++k) {
      const qv::sim::Formation f = well.At(m - 2.6 + 0.6 * (k + 0.5) / 8);
      slowness += (f.cased ? 187 : f.slowness) / 8;
    }
    EXPECT_NEAR(calibrated(5, word(66)), slowness, 8) << "us/m";
    EXPECT_NEAR(calibrated(3, word(62)), well.At(m - 2.3).shearSlowness, 0.5) << "DTS";
    EXPECT_NEAR(calibrated(4, word(64)), well.At(m - 0.4).gamma, 0.06 * well.At(m - 0.4).gamma + 1) << "GAM";
  }
}

}  // namespace
