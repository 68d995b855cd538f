// The simulated well and what the shipped sondes make of it: the formation
// model's beds, pipe and fractures; a scenario's own well; and the shipped
// sonde files and calibration files read against the unit's data, so that a
// fresh installation logs every channel in its unit and inside its scale.
#include "devices/simulator/unit/well.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "devices/simulator/unit/lumbracoder.h"
#include "devices/simulator/unit/sonde_data.h"
#include "platform/profile/profile.h"

namespace {

namespace fs = std::filesystem;
using qv::sim::Formation;
using qv::sim::Rock;
using qv::sim::Well;

const fs::path kSondeFolder = fs::path(QV_TEST_SOURCE_DIR) / ".." / ".." / ".." / ".." / "resources" / "sondes";
const fs::path kCalibrationFolder = fs::path(QV_PROGRAM_DIR) / "Calibration";

fs::path TempDir(const std::string& name) {
  const char* tmp = std::getenv("QV_TEST_TMP");
  fs::path dir = fs::path(tmp ? tmp : fs::temp_directory_path().string()) / (name + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

TEST(SimulatedWell, PipeBedsAndFracturesOfTheDefaultWell) {
  const Well& well = qv::sim::DefaultWell();
  const auto& spec = well.Spec();
  // The pipe: free at the top, bonded down to the shoe, then the open hole.
  const Formation top = well.At(2), bonded = well.At(spec.casingShoe - 2), open = well.At(spec.casingShoe + 3);
  EXPECT_TRUE(top.cased);
  EXPECT_EQ(top.bond, 0);
  EXPECT_EQ(top.caliper, spec.casingInside);
  EXPECT_EQ(bonded.bond, 1);
  EXPECT_FALSE(open.cased);
  EXPECT_EQ(open.bond, 0);
  EXPECT_NE(open.caliper, spec.casingInside);
  // A collar every few metres of pipe.
  EXPECT_LT(well.At(spec.collarSpacing * 2).collar, -20);
  EXPECT_GT(well.At(spec.collarSpacing * 2.5).collar, -1);

  // The middle of each open-hole bed reads as its rock.
  std::map<Rock, std::vector<Formation>> byRock;
  for (size_t i = 0; i + 1 < spec.beds.size() && spec.beds[i].top < 300; ++i) {
    const double top = spec.beds[i].top, bottom = spec.beds[i + 1].top;
    if (top < spec.casingShoe || bottom - top < 1) continue;
    byRock[spec.beds[i].rock].push_back(well.At((top + bottom) / 2));
  }
  for (const Rock r : {Rock::Shale, Rock::Sand, Rock::Limestone, Rock::Coal}) ASSERT_FALSE(byRock[r].empty());
  for (const Formation& shale : byRock[Rock::Shale]) {
    EXPECT_GT(shale.gamma, 90);
    EXPECT_LT(shale.resistivity, 25);
    EXPECT_GT(shale.caliper, spec.bitSize + 15) << "shales wash out";
  }
  for (const Formation& sand : byRock[Rock::Sand]) {
    EXPECT_LT(sand.gamma, 70);
    EXPECT_LT(sand.sp, byRock[Rock::Shale][0].sp - 30) << "sands deflect the SP";
  }
  for (const Formation& lime : byRock[Rock::Limestone]) {
    EXPECT_GT(lime.density, 2.5);
    EXPECT_LT(lime.slowness, 220);
  }
  for (const Formation& coal : byRock[Rock::Coal]) EXPECT_LT(coal.density, 1.7);

  // Temperature follows the gradient; water flows up from the inflow zones.
  EXPECT_NEAR(well.At(200).temperature - well.At(100).temperature, 100 * spec.gradient, 0.5);
  EXPECT_GT(well.At(50).flow, well.At(300).flow);
  EXPECT_EQ(well.At(spec.totalDepth + 10).flow, 0);

  // A dipping fracture crosses the wall as a sinusoid: at a depth off its
  // axis it cuts only the azimuths it dips away from or towards.
  const qv::sim::Fracture& f = spec.fractures.front();
  EXPECT_LT(well.FractureDistance(f.depth, f.azimuth + 90), 0.001);
  const double shift = spec.bitSize / 2000 * std::tan(f.dip * 3.14159265 / 180);
  EXPECT_LT(well.FractureDistance(f.depth + shift, f.azimuth), 0.001);
  EXPECT_GT(well.FractureDistance(f.depth + shift, f.azimuth + 180), 1.5 * shift);

  // The same depth always gives the same values.
  EXPECT_EQ(well.At(77.77).gamma, Well().At(77.77).gamma);
}

// A scenario chooses another well; a bad [Well] value is refused with the
// key it names, and without the section the unit logs the default well.
TEST(SimulatedWell, AScenarioChoosesTheWell) {
  const fs::path dir = TempDir("well-scenario-");
  struct Case {
    const char* text;
    bool ok;
    const char* named;  // in the error
  } cases[] = {
      {"[Lumbracoder]\nDepth = 5000\n[Well]\nBeds = 0 limestone, 40 coal\nCasing = 0\nFractures = 45 30 90\n", true,
       ""},
      {"[Lumbracoder]\nDepth = 5000\n", true, ""},
      {"[Well]\nBeds = 0 granite\n", false, "Beds"},
      {"[Well]\nFractures = 45 95 0\n", false, "Fractures"},
      {"[Well]\nCasing = deep\n", false, "Casing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(dir / "s.txt", std::ios::trunc) << c.text;
    std::string error;
    Well well;
    ASSERT_EQ(Well::FromScenario((dir / "s.txt").string(), &well, &error), c.ok) << error;
    auto unit = qv::sim::Lumbracoder::FromScenario((dir / "s.txt").string(), &error);
    ASSERT_EQ(unit != nullptr, c.ok) << error;
    if (!c.ok) {
      EXPECT_NE(error.find(std::string("[Well] ") + c.named), std::string::npos) << error;
      continue;
    }
    const bool own = std::strstr(c.text, "[Well]") != nullptr;
    EXPECT_EQ(well.At(20).cased, !own);
    if (own) {
      EXPECT_GT(well.At(20).density, 2.5) << "limestone";
      EXPECT_LT(well.At(60).density, 1.7) << "coal";
      EXPECT_LT(well.FractureDistance(45, 0), 0.001);
    }
    // What the unit sends comes from that well: the gamma word of a record
    // at the unit's depth, through the six-channel sonde's calibration, read
    // where the gamma sensor sits (40 cm above the counter's depth).
    qv::sim::SondeSample s;
    s.depth = 5000;
    s.toolType = 1;
    s.well = &well;
    const auto rec = qv::sim::MakeRecords(qv::sim::RecordKind::SixChannel, s)[0];
    const double gamma = qv::sim::SondeChannels(0, 1)[0].c1 * (rec[10] | rec[11] << 8);
    EXPECT_NEAR(gamma, well.At(49.6).gamma, well.At(49.6).gamma * 0.05);
  }
  fs::remove_all(dir);
}

// The unit counts in the depth unit the program set it up for: 1 cm a count
// for metres (and before any set-up), 0.05 ft for feet. Either way the gamma
// sensor, 40 cm above the counter's depth, reads the well where it sits.
TEST(SimulatedWell, TheUnitCountsInTheDepthUnitItWasSetUpFor) {
  struct Case {
    bool configured;
    uint8_t unitByte;  // as the library sends it
    bool feet;
    int32_t counts;
    double metres;  // where the counter is
  } cases[] = {
      {false, 0, false, 5000, 50.0},
      {true, 16, false, 5000, 50.0},
      {true, qv::sim::kDepthUnitFeet, true, 3281, 3281 * 0.05 * 0.3048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unitByte);
    qv::sim::UnitState state;
    state.configured = c.configured;
    state.config[2] = c.unitByte;
    ASSERT_EQ(qv::sim::CountsFeet(state), c.feet);
    EXPECT_NEAR(qv::sim::MetresOf(c.counts, c.feet), c.metres, 1e-9);

    // Across the limestone/shale boundary at 45.0 m, a metre apart.
    const Well& well = qv::sim::DefaultWell();
    for (const double sensor : {44.5, 45.5}) {
      qv::sim::SondeSample s;
      s.feet = c.feet;
      s.depth = static_cast<int32_t>(std::lround((sensor + 0.4) / qv::sim::MetresOf(1, c.feet)));
      s.toolType = 1;
      const auto rec = qv::sim::MakeRecords(qv::sim::RecordKind::SixChannel, s)[0];
      const double gamma = qv::sim::SondeChannels(0, 1)[0].c1 * (rec[10] | rec[11] << 8);
      EXPECT_NEAR(gamma, well.At(sensor).gamma, well.At(sensor).gamma * 0.05) << sensor;
    }
  }
}

// One shipped sonde definition file: its [Sonde] keys and its channels by
// physical channel.
struct ShippedSonde {
  std::string file, abbreviation, serial;
  int type = 0, comStd = 0;
  bool hasCaliperCommand = false;
  struct Channel {
    std::string shortTitle, unit;
    double minimum = 0, maximum = 0;
    int regime = 0, offset = 0;
  };
  std::map<int, Channel> channels;
};

std::vector<ShippedSonde> ShippedSondes() {
  std::vector<ShippedSonde> out;
  for (const auto& entry : fs::directory_iterator(kSondeFolder)) {
    if (entry.path().extension() != ".son") continue;
    const std::string f = entry.path().string();
    ShippedSonde s;
    s.file = entry.path().filename().string();
    s.abbreviation = qv::GetProfileText(f, "Sonde", "Abbreviation");
    s.serial = qv::GetProfileText(f, "Sonde", "SerialNumber");
    s.type = std::stoi(qv::GetProfileText(f, "Sonde", "Type"));
    s.comStd = std::stoi(qv::GetProfileText(f, "Sonde", "ComStd"));
    const int n = std::stoi(qv::GetProfileText(f, "Sonde", "NumberOfChannels"));
    for (int i = 1; i <= n; ++i) {
      const std::string section = "Channel" + std::to_string(i);
      ShippedSonde::Channel c;
      c.shortTitle = qv::GetProfileText(f, section, "HeaderShort");
      c.unit = qv::GetProfileText(f, section, "Unit");
      c.minimum = std::stod(qv::GetProfileText(f, section, "Minimum", "0"));
      c.maximum = std::stod(qv::GetProfileText(f, section, "Maximum", "0"));
      c.regime = std::stoi(qv::GetProfileText(f, section, "CalibrationRegime", "0"));
      c.offset = std::stoi(qv::GetProfileText(f, section, "Offset", "0"));
      s.channels[std::stoi(qv::GetProfileText(f, section, "Channel", "0"))] = c;
    }
    for (int i = 1; i <= 100; ++i) {
      const std::string name = qv::GetProfileText(f, "SondeCommand" + std::to_string(i), "Name");
      if (name.empty()) break;
      if (name.find("CALIPER") != std::string::npos) s.hasCaliperCommand = true;
    }
    out.push_back(std::move(s));
  }
  return out;
}

// Each channel asks for the jigs of its own measurement: only density
// channels for the aluminium block, gamma for background and API jig, the
// neutron detectors for the sleeve in pairs, caliper arms only on a sonde
// that can open them, and none for an uncalibrated or unknown regime.
TEST(ShippedSondes, EveryChannelHasTheCalibrationOfItsMeasurement) {
  const auto sondes = ShippedSondes();
  ASSERT_GE(sondes.size(), 7u);
  for (const ShippedSonde& s : sondes) {
    int neutron = 0;
    for (const auto& [physical, c] : s.channels) {
      SCOPED_TRACE(s.file + " " + c.shortTitle);
      EXPECT_TRUE(c.regime == 0 || c.regime == 1 || c.regime == 2 || c.regime == 4 || c.regime == 7 || c.regime == 8);
      EXPECT_EQ(c.regime == 1, c.unit == "g/cc" && c.regime != 0) << "the aluminium block is for density";
      if (c.unit == "API") {
        EXPECT_EQ(c.regime, 4);
      }
      if (c.regime == 7) {
        EXPECT_TRUE(s.hasCaliperCommand);
      }
      if (c.regime == 2) ++neutron;
    }
    EXPECT_TRUE(neutron == 0 || neutron == 2) << s.file << ": the near and the far detector together";
  }
}

// The counts the unit sends for each shipped sonde, turned into values by
// that sonde's shipped calibration file, read the well in the channel's unit
// and stay inside the channel's display scale all the way down the well.
TEST(ShippedSondes, TheirCalibrationsReadTheSimulatedWellInsideEveryScale) {
  const Well& well = qv::sim::DefaultWell();
  int modelled = 0;
  for (const ShippedSonde& s : ShippedSondes()) {
    SCOPED_TRACE(s.file);
    const fs::path cal = kCalibrationFolder / (s.abbreviation + s.serial + ".cal");
    ASSERT_TRUE(fs::exists(cal)) << cal;
    const auto models = qv::sim::SondeChannels(static_cast<uint8_t>(s.comStd), static_cast<uint8_t>(s.type));
    for (int physical = 1; physical <= 12; ++physical) {
      const std::string section = "Channel" + std::to_string(physical);
      double c[4];
      for (int i = 0; i < 4; ++i)
        c[i] = std::stod(qv::GetProfileText(cal.string(), section, "Coefficient" + std::to_string(i), "x"));
      EXPECT_EQ(qv::GetProfileText(cal.string(), section, "CalibrationMethod"), "Polynom");
      const size_t i = static_cast<size_t>(physical - 1);
      if (i >= models.size() || !models[i].value) continue;
      const qv::sim::ChannelModel& m = models[i];
      SCOPED_TRACE(m.shortTitle);
      ASSERT_TRUE(s.channels.count(physical));
      const ShippedSonde::Channel& ch = s.channels.at(physical);
      EXPECT_EQ(ch.shortTitle, m.shortTitle);
      EXPECT_EQ(ch.offset, m.offset) << "the unit's sensor sits where the sonde file says";
      EXPECT_DOUBLE_EQ(c[0], m.c0);
      EXPECT_DOUBLE_EQ(c[1], m.c1);
      EXPECT_EQ(c[2], 0);
      EXPECT_EQ(c[3], 0);
      ++modelled;
      // Every 5 cm down to 400 m, with the counting statistics of gamma and
      // neutron at their widest; only the twelve-channel sonde sends
      // fractions of a count.
      const std::string title = m.shortTitle;
      const double statistics = title == "GAM" ? 0.04 : (title == "NN" || title == "NF" ? 0.02 : 0);
      double low = 1e300, high = -1e300;
      for (int cm = 0; cm <= 40000; cm += 5) {
        const double metres = cm / 100.0;
        const double v = m.value(well.At(metres), metres);
        for (const double spread : {1 - statistics, 1 + statistics}) {
          const double count = s.type == 8 ? m.Count(v * spread) : std::round(m.Count(v * spread));
          ASSERT_GE(count, 0) << metres << " m";
          ASSERT_LE(count, 65535) << metres << " m";
          const double calibrated = c[0] + c[1] * count;
          low = std::min(low, calibrated);
          high = std::max(high, calibrated);
        }
      }
      EXPECT_GE(low, ch.minimum) << ch.unit;
      EXPECT_LE(high, ch.maximum) << ch.unit;
      EXPECT_GT(high - low, (ch.maximum - ch.minimum) * 0.02) << "a log, not a line";
    }
  }
  EXPECT_GE(modelled, 30);
}

}  // namespace
