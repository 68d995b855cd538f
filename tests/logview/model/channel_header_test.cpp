#include "logview/model/channel_header.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logview/model/display_options.h"
#include "fake_doc.h"
#include "header/header.h"
#include "header/user_function_ini.h"
#include "sondedb/records/sonde_length.h"

namespace curveview {
namespace {

namespace fs = std::filesystem;
using testing::FakeDoc;
using testing::MakeCurve;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ChannelHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("QV_TEST_TMP");
    dir = fs::path(tmp ? tmp : "/tmp") / "curveview_header" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    doc.pathStem = (dir / "LOG1.").string();
    doc.sondeLength = 12192;
    tracks.resize(4);
    for (int i = 0; i < 4; ++i) {
      tracks[static_cast<size_t>(i)].order = i;
      tracks[static_cast<size_t>(i)].style = 256;
      tracks[static_cast<size_t>(i)].gridFlag = i != 1;
      tracks[static_cast<size_t>(i)].gridStyle = 0x10000004;
    }
    tracks[1].type = 1;
    // The log document marks the header as one of ours before the view adds
    // its channels.
    ASSERT_EQ(WriteHeaderIdent(doc.pathStem), 1);
  }
  fs::path Hed() const { return dir / "LOG1.hed"; }

  fs::path dir;
  FakeDoc doc;
  std::vector<CurveRecord> curves = {MakeCurve(1, 0, 0, true, 0, "Gamma", 0, 150),
                                     MakeCurve(3, 2, 3, true, 0, "Resistivity", 1, 1000)};
  std::vector<TrackRecord> tracks;
};

TEST_F(ChannelHeaderTest, TwelveChannelLogMatchesGoldenHeader) {
  doc.toolKind = kToolKindTwelveChannel;
  doc.filters[0] = {1, 1, 5, 30, 30};
  ASSERT_EQ(WriteChannelHeader(curves, tracks, &doc), 1);
  EXPECT_EQ(curves[1].dataOffset, 24);
  const std::string golden = ReadAll(fs::path(QV_TEST_SOURCE_DIR) / "golden" / "twelve_channel.hed");
  EXPECT_EQ(ReadAll(Hed()), golden);
}

TEST_F(ChannelHeaderTest, SixChannelLogHasNoPlaceholders) {
  ASSERT_EQ(WriteChannelHeader(curves, tracks, &doc), 1);
  CurveArray back;
  ASSERT_EQ(ReadCurveRecords(doc.pathStem, &back), 1);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0]->description, "Gamma");
  EXPECT_EQ(back[1]->firstTrack, 2);
  EXPECT_EQ(back[1]->lastTrack, 3);
  EXPECT_EQ(doc.library, "") << "no user function runs";
  int length = 0;
  ASSERT_EQ(ReadSondeLength(doc.pathStem, &length), 1);
  EXPECT_EQ(length, 1219);
}

TEST_F(ChannelHeaderTest, SondeLengthInHeaderUnits) {
  EXPECT_EQ(HeaderSondeLength(12192, true), 372) << "371.6 cm rounds";
  EXPECT_EQ(HeaderSondeLength(12171, true), 371);
  EXPECT_EQ(HeaderSondeLength(12192, false), 1219);
  EXPECT_EQ(HeaderSondeLength(0, true), 0);
  EXPECT_EQ(HeaderSondeLength(-3281, true), -100);
}

// Every replay close writes the header's sonde length back from the length the
// document read from it: the round trip must keep every length as it was.
TEST_F(ChannelHeaderTest, SondeLengthSurvivesEveryRewrite) {
  for (bool imperial : {true, false})
    for (int cm = 0; cm <= 100000; ++cm)
      ASSERT_EQ(HeaderSondeLength(qv::CentimetresToThousandths(cm, imperial), imperial), cm) << imperial;
}

TEST_F(ChannelHeaderTest, TimeLogWritesFilterOffsetsAsZero) {
  doc.logMode = kLogModeTime;
  doc.filters[0] = {1, 1, 5, 30, 30};
  ASSERT_EQ(WriteChannelHeader(curves, tracks, &doc), 1);
  std::array<ChannelFilter, kFilterTableSize> back{};
  ASSERT_EQ(ReadChannelFilters(doc.pathStem, back.data()), 1);
  EXPECT_EQ(back[0].FilterType, 1);
  EXPECT_EQ(back[0].Offset, 0);
}

TEST_F(ChannelHeaderTest, UserFunctionOutputsGoToItsIniFile) {
  doc.userFunction = true;
  doc.live = false;
  doc.library = (dir / "UF1.Dll").string();
  doc.userFilters[0] = {2, 7};
  ASSERT_EQ(WriteChannelHeader(curves, tracks, &doc), 1);
  CurveArray outputs;
  ASSERT_EQ(LoadUserFunctionIni(doc.library, &outputs, nullptr), 1);
  ASSERT_EQ(outputs.size(), 2u);
  EXPECT_EQ(outputs[0]->description, "Gamma");
  int flag = 0;
  std::string library;
  ASSERT_EQ(ReadUserFunctionInfo(doc.pathStem, &flag, &library), 1);
  EXPECT_EQ(library, doc.library);
  std::array<UserFunctionFilter, kFilterTableSize> filters{};
  ReadUserFunctionFilters(doc.library, filters.data());
  EXPECT_EQ(filters[0].FilterType, 2);
  EXPECT_EQ(filters[0].FilterWidth, 7);
}

TEST_F(ChannelHeaderTest, FailedUserFunctionFileStopsTheChain) {
  doc.userFunction = true;
  doc.library = (dir / "missing" / "UF1.Dll").string();
  EXPECT_EQ(WriteChannelHeader(curves, tracks, &doc), 0);
  int length = -1;
  ReadSondeLength(doc.pathStem, &length);
  EXPECT_NE(length, 1219);
}

TEST_F(ChannelHeaderTest, DisplayOptionEditsReachTheHeader) {
  DisplayOptions opts(false, &doc);
  opts.Load(curves, tracks);
  CurveControls k = opts.Select(0);
  k.title = "Natural Gamma";
  k.maximum = 300;
  k.reverse = true;
  opts.Store(0, k);
  opts.Select(1);
  EXPECT_FALSE(opts.Click(1, 3).beep);  // track 3 dropped from the span
  opts.Save(curves, tracks);
  ASSERT_EQ(WriteChannelHeader(curves, tracks, &doc), 1);
  CurveArray back;
  ASSERT_EQ(ReadCurveRecords(doc.pathStem, &back), 1);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0]->description, "Natural Gamma");
  EXPECT_FLOAT_EQ(back[0]->scaleMaximum, 300);
  EXPECT_EQ(back[0]->scaleFlag, 0);
  EXPECT_EQ(back[1]->lastTrack, 2);
}

}  // namespace
}  // namespace curveview
