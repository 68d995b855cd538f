// One true depth in the outputs of the waveform logs: a cement-bond and a
// full-wave log of the simulated well, logged down and up through a
// boundary, as the unit sends them in a depth log (one segment of the firing
// a depth step, each channel and receiver reading the well where the shipped
// sonde file puts it), written to the log's files with its header. The LAS
// export (read back as text) and the printed rows (with the depths the
// page's grid gives them) show the boundary where the well has it, within a
// depth step and the well's own half-metre blur. (The screen's placement of
// the same readings is pinned by the waveform display engine's tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "devices/simulator/unit/sonde_data.h"
#include "header/header.h"
#include "header/section_access.h"
#include "logtools/las/las_export.h"
#include "platform/profile/profile.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_document.h"
#include "print/page/print_settings.h"
#include "tools/cementbond/cbl_print.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/fws/fws_document.h"
#include "tools/fws/fws_view.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStep = 50;  // thousandths of a metre: a record every 5 cm

struct DepthCase {
  const char* name;
  bool fullWave;
  int logMode;         // 12 down, 11 up
  double boundary;     // metres
  int channel;         // the curve that steps there (1-6)
  double from, to;     // metres of the counter; logging down the rows lag it by the sonde's length
};

const DepthCase kCases[] = {
    // Sand gives way to shale at 13.0 m: the cement-bond sonde's gamma.
    {"cement_bond_down", false, 12, 13.0, 1, 9.0, 20.5},
    {"cement_bond_up", false, 11, 13.0, 1, 17.0, 8.0},
    // Shale gives way to sand at 59.0 m: the full-wave sonde's P-wave
    // slowness (between its receivers) and its gamma.
    {"full_wave_down", true, 12, 59.0, 5, 55.0, 67.0},
    {"full_wave_up", true, 11, 59.0, 5, 64.0, 54.0},
    {"full_wave_gamma_down", true, 12, 59.0, 4, 55.0, 67.0},
    {"full_wave_gamma_up", true, 11, 59.0, 4, 64.0, 54.0},
};

std::string Resource(const std::string& path) {
  return std::string(QV_TEST_SOURCE_DIR) + "/../../../resources/" + path;
}

using Samples = std::vector<std::pair<double, double>>;  // metres, value

// Where the values step from the upper bed's level to the lower one's between
// lo and hi: the top of the samples there plus the share of them (even in
// depth) still on the upper side of the midway level.
double BoundaryDepth(Samples samples, double lo, double hi) {
  std::erase_if(samples, [&](const auto& s) { return s.first < lo || s.first > hi || !std::isfinite(s.second); });
  if (samples.size() < 20) return std::nan("");
  // The stretch the samples cover.
  const auto [top, bottom] = std::minmax_element(samples.begin(), samples.end());
  lo = top->first;
  hi = bottom->first;
  auto median = [&](double a, double b) {
    std::vector<double> v;
    for (const auto& s : samples)
      if (s.first >= a && s.first <= b) v.push_back(s.second);
    if (v.empty()) return std::nan("");
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double upper = median(lo, lo + 1), lower = median(hi - 1, hi), level = (upper + lower) / 2;
  const auto above = std::count_if(samples.begin(), samples.end(),
                                   [&](const auto& s) { return (s.second - level) * (upper - lower) > 0; });
  return lo + (hi - lo) * static_cast<double>(above) / static_cast<double>(samples.size());
}

// The log of a case in FOLDER as WELL.LOG and WELL.CBL / WELL.VDL with its
// header: what the recording leaves behind.
void Record(const DepthCase& c, const fs::path& folder) {
  const std::string son = Resource(std::string("sondes/") + (c.fullWave ? "fwss.son" : "cbls.son"));
  const std::uint8_t comStd = c.fullWave ? 4 : 3, toolType = c.fullWave ? 4 : 5;
  const int firing = c.fullWave ? 20 : 10;
  qv::CCBLDocument gates;  // the cement-bond log's own gate search
  gates.SetGates({80, 60, 915, 201, 233}, {80, 60, 1525, 315, 347});
  std::ofstream log(folder / "WELL.LOG", std::ios::binary),
      wave(folder / (c.fullWave ? "WELL.VDL" : "WELL.CBL"), std::ios::binary);
  const int direction = c.logMode == 12 ? 1 : -1;
  const int first = static_cast<int>(std::lround(c.from * 100)), last = static_cast<int>(std::lround(c.to * 100));
  SixChannelPacket packet{};
  int k = 0;
  for (int cm = first; direction * (last - cm) >= 0; cm += direction * kStep / 10, ++k) {
    qv::sim::SondeSample s;
    s.depth = cm;
    s.comStd = comStd;
    s.toolType = toolType;
    s.index = static_cast<std::uint32_t>(k);
    const auto records = qv::sim::MakeRecords(c.fullWave ? qv::sim::RecordKind::FullWave : qv::sim::RecordKind::CementBond, s);
    const auto& r = records[static_cast<std::size_t>(k % firing)];
    CblWaveformSegment segment{};
    segment.flags = r[8];
    segment.receiver = r[9];
    std::memcpy(segment.sample, r.data() + 10, 48);
    if (!(segment.flags & 0x80)) {
      packet.flags = 21;
      packet.rate = 50;
      for (int ch = 0; ch < 6; ++ch)
        packet.channel[ch] = static_cast<std::uint16_t>(r[58 + 2 * static_cast<std::size_t>(ch)] |
                                                        r[59 + 2 * static_cast<std::size_t>(ch)] << 8);
    }
    if (!c.fullWave) gates.PickGatePeak(&packet, &segment);
    std::uint8_t l[14] = {packet.flags, packet.rate};
    for (int ch = 0; ch < 6; ++ch) {
      l[2 + 2 * ch] = static_cast<std::uint8_t>(packet.channel[ch]);
      l[3 + 2 * ch] = static_cast<std::uint8_t>(packet.channel[ch] >> 8);
    }
    log.write(reinterpret_cast<const char*>(l), 14);
    std::uint8_t w[50] = {segment.flags, segment.receiver};
    std::memcpy(w + 2, segment.sample, 48);
    wave.write(reinterpret_cast<const char*>(w), 50);
  }
  const std::string hed = (folder / "WELL.hed").string();
  HeaderInfo info;
  info.LogMode = c.logMode;
  info.Startdepth = first * 10;
  info.EndDepth = (first + direction * (k - 1) * kStep / 10) * 10;
  info.Step = kStep;
  info.Wellname = "Simulated";
  ASSERT_EQ(WriteHeaderInfo(hed, &info, nullptr), 1);
  WriteHeaderIdent(hed);
  const int length = qv::GetPrivateProfileInt("Sonde", "Length", 0, son);
  ASSERT_GT(length, 0);
  ASSERT_EQ(WriteSondeLength(hed, &length), 1);
  // The channel sections a recording's view writes, which carry the offsets.
  CurveArray list;
  for (int ch = 1; ch <= 8; ++ch) {
    auto curve = std::make_unique<CurveRecord>();
    curve->physicalChannel = ch;
    curve->shortTitle = "C" + std::to_string(ch);
    curve->unit = "U";
    list.push_back(std::move(curve));
  }
  ASSERT_EQ(WriteCurveRecords(hed, &list), 1);
  ChannelFilter filters[kFilterTableSize] = {};
  for (int ch = 0; ch < 8; ++ch)
    filters[ch].Offset = qv::GetPrivateProfileInt(("Channel" + std::to_string(ch + 1)).c_str(), "Offset", 0, son);
  ASSERT_EQ(WriteChannelFilters(hed, filters, 0), 1);
  const FreePipeGate nearGate{80, 60, 915, 201, 233}, farGate{80, 60, 1525, 315, 347};
  WriteFreePipeGates(hed, &nearGate, &farGate);
}

// The LAS export of channel `channel`, calibrated by the shipped file: (depth, value) rows.
Samples LasCurve(const DepthCase& c, const fs::path& folder) {
  HeaderInfo header;
  EXPECT_EQ(ReadHeaderInfo((folder / "WELL.hed").string(), &header), 1);
  std::vector<CurveRecord> curves(6);
  LasChannels channels;
  for (int ch = 0; ch < 6; ++ch) {
    curves[static_cast<std::size_t>(ch)].physicalChannel = ch + 1;
    curves[static_cast<std::size_t>(ch)].shortTitle = "C" + std::to_string(ch + 1);
    curves[static_cast<std::size_t>(ch)].unit = "U";
    channels.push_back(&curves[static_cast<std::size_t>(ch)]);
  }
  LasExportSettings s;
  s.InputPath = (folder / "WELL.LOG").string();
  s.LasPath = (folder / "WELL.LAS").string();
  s.CalibrationPath = Resource(std::string("Calibration/") + (c.fullWave ? "FWSS1001.cal" : "CBLS1001.cal"));
  s.FromDepth = std::min(header.Startdepth, header.EndDepth);
  s.ToDepth = std::max(header.Startdepth, header.EndDepth);
  s.Interval = std::abs(header.Step);
  EXPECT_EQ(ExportLas(&s, &header, &channels), 1);
  std::ifstream in(s.LasPath);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Samples out;
  const auto data = text.find("~A");
  if (data == std::string::npos) return out;
  std::istringstream rows(text.substr(data));
  std::string line;
  std::getline(rows, line);
  while (std::getline(rows, line)) {
    std::istringstream fields(line);
    std::vector<double> v;
    double x;
    while (fields >> x) v.push_back(x);
    if (v.size() > static_cast<std::size_t>(c.channel) && v[static_cast<std::size_t>(c.channel)] != -999.25)
      out.emplace_back(v[0], v[static_cast<std::size_t>(c.channel)]);
  }
  return out;
}

// The printed rows of the channel, each at the depth the page's grid gives it.
Samples PrintedCurve(const DepthCase& c, const fs::path& folder) {
  qvtest::App();
  qv::CFWSDocument fullWave;
  qv::CCBLDocument cementBond;
  qv::WaveformLogDocument& log = c.fullWave ? static_cast<qv::WaveformLogDocument&>(fullWave) : cementBond;
  qv::LogSetup& s = log.Setup();
  s.pathStem = (folder / "WELL.").string();
  s.logMode = c.logMode;
  s.depthStep = kStep;
  s.depthScale = 200;
  HeaderInfo header;
  EXPECT_EQ(ReadHeaderInfo((folder / "WELL.hed").string(), &header), 1);
  s.replayStartDepth = header.Startdepth;
  s.replayEndDepth = header.EndDepth;
  log.Header() = header;
  ReadChannelFilters((folder / "WELL.hed").string(), s.channelFilters.data());
  cbltest::ViewDoc doc;
  doc.logMode = c.logMode;
  doc.step = kStep;
  doc.live = false;
  std::vector<TrackRecord> tracks(4);
  for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
  tracks[1].type = 1;
  CFWSView fullWaveView;
  CCBLView cementBondView;
  CCBLView& view = c.fullWave ? fullWaveView : cementBondView;
  view.resize(800, 400);
  view.SetLayout(tracks, {cbltest::Curve(c.channel, 0), cbltest::Curve(7, 2), cbltest::Curve(8, 3)});
  view.SetupLayout(&doc, &log);
  log.SetView(&view);
  Samples out;
  if (!log.InitialiseLog(0, 0)) return out;
  qv::cbl::CblPageSource source(view, log, {});
  qv::print::PrintSettings p;
  qv::print::InitPrintSettings(&p);
  p.mmPerPixel = 0.25;  // a record (5 cm) a dot row at 1:200
  p.inchPerPixel = p.mmPerPixel / 25.4;
  p.scale = 200;
  source.BeginReplay(p, false);
  int depth = source.NextRowDepth();
  for (int b = 0; b < 20; ++b) {
    qv::cbl::PrintBlock block;
    const int made = source.BuildPrintRows(p, 200, block, b == 0);
    if (made == 0) break;
    for (int j = 0; j < made; ++j, depth += kStep)
      out.emplace_back(depth / 1000.0, block.values[static_cast<std::size_t>(j)]);
  }
  source.EndReplay();
  return out;
}

class WaveformDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(WaveformDepth, TheBoundaryLiesAtTheWellsDepthInEveryOutput) {
  const DepthCase& c = GetParam();
  const fs::path folder = qv::test::TempDir("waveform_depth");
  Record(c, folder);
  // A depth step, the spread of the estimate over a boundary the well itself
  // blurs over half a metre, and the hold of the six channels: only a near
  // segment brings new ones, the far segments of the firing repeat them.
  const int firing = c.fullWave ? 20 : 10;
  const double tolerance = (1 + firing / 2) * kStep / 1000.0 + 0.15;
  const double lo = c.boundary - 2.5, hi = c.boundary + 2.5;
  const Samples las = LasCurve(c, folder);
  EXPECT_NEAR(BoundaryDepth(las, lo, hi), c.boundary, tolerance) << "LAS, " << las.size() << " rows";
  Samples printed = PrintedCurve(c, folder);
  std::erase_if(printed, [](const auto& s) { return s.second == 0; });  // the lead-in
  EXPECT_NEAR(BoundaryDepth(printed, lo, hi), c.boundary, tolerance) << "page, " << printed.size() << " rows";
}

INSTANTIATE_TEST_SUITE_P(Logs, WaveformDepth, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DepthCase>& info) { return std::string(info.param.name); });

}  // namespace
