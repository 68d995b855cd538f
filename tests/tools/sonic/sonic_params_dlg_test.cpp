// The probe configuration dialog offscreen: what the block and the sonde's
// standard select and enable, what Apply sends and saves, what a value out
// of range stops, and that every showing reloads the block.
#include "tools/sonic/sonic_params_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <cstring>
#include <vector>

#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"

namespace {

using Bytes = std::array<std::uint8_t, 7>;

Bytes BytesOf(const SonicConfigBlock& b) {
  Bytes out;
  std::memcpy(out.data(), &b, 7);
  return out;
}

class SonicParamsTest : public testing::Test {
 public:
  static void SetUpTestSuite() { qvtest::App(); }
  void Open(SonicConfigBlock* block, std::uint8_t comStd) {
    dlg.Create(block, comStd);
    dlg.send = [this](SonicConfigBlock* b) { sent.push_back(BytesOf(*b)); };
    dlg.save = [this](const SonicConfigBlock& b) { saved.push_back(BytesOf(b)); };
    dlg.show();
  }
  int Checked() {
    for (int id = CSonicParams::kId4us; id <= CSonicParams::kId16us; ++id)
      if (dlg.Radio(id)->isChecked()) return id;
    return 0;
  }
  CSonicParams dlg;
  std::vector<Bytes> sent, saved;
  qv::MessageRecorder boxes;
};

TEST_F(SonicParamsTest, BlockAndStandardGiveChoicesAndEnabledFields) {
  struct Case {
    std::uint8_t interval, comStd;
    int checked;
    bool slowRates, receiver3;
  } cases[] = {
      {8, 26, CSonicParams::kId8us, true, true},  {16, 26, CSonicParams::kId16us, true, true},
      {12, 26, CSonicParams::kId4us, true, true}, {16, 28, CSonicParams::kId4us, false, true},
      {8, 27, CSonicParams::kId8us, true, false}, {4, 29, CSonicParams::kId4us, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.interval) << " std " << int(c.comStd));
    SonicConfigBlock block{c.interval, {5, 6, 7}, {-1, 2, -3}};
    CSonicParams d;
    d.Create(&block, c.comStd);
    d.show();
    int checked = 0;
    for (int id = CSonicParams::kId4us; id <= CSonicParams::kId16us; ++id)
      if (d.Radio(id)->isChecked()) checked = id;
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(d.Radio(CSonicParams::kId8us)->isEnabled(), c.slowRates);
    EXPECT_EQ(d.Radio(CSonicParams::kId16us)->isEnabled(), c.slowRates);
    EXPECT_EQ(d.Edit(CSonicParams::kIdGain3)->isEnabled(), c.receiver3);
    EXPECT_EQ(d.Edit(CSonicParams::kIdThreshold3)->isEnabled(), c.receiver3);
    EXPECT_EQ(d.Edit(CSonicParams::kIdGain2)->text(), "6");
    EXPECT_EQ(d.Edit(CSonicParams::kIdThreshold3)->text(), "-3");
  }
}

TEST_F(SonicParamsTest, ApplySendsAndSavesEveryTimeAndStaysOpen) {
  SonicConfigBlock block{12, {5, 6, 7}, {-1, 2, -3}};
  Open(&block, 27);
  dlg.Edit(CSonicParams::kIdThreshold1)->setText("-128");
  dlg.OnApply();
  dlg.OnApply();
  const Bytes expected{4, 5, 6, 7, 0x80, 2, 0xFD};  // interval 12 showed as 4 us; receiver 3 unchanged
  EXPECT_EQ(sent, (std::vector<Bytes>{expected, expected}));
  EXPECT_EQ(saved, sent);
  EXPECT_EQ(BytesOf(block), expected);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SonicParamsTest, AValueOutOfRangeSendsAndSavesNothing) {
  for (const auto& [id, text] : std::vector<std::pair<int, const char*>>{
           {CSonicParams::kIdGain1, "32"}, {CSonicParams::kIdThreshold2, "128"}, {CSonicParams::kIdGain3, "-1"}}) {
    SCOPED_TRACE(text);
    SonicConfigBlock block{8, {5, 6, 7}, {-1, 2, -3}};
    const Bytes before = BytesOf(block);
    CSonicParams d;
    d.Create(&block, 26);
    int sends = 0, saves = 0;
    d.send = [&](SonicConfigBlock*) { ++sends; };
    d.save = [&](const SonicConfigBlock&) { ++saves; };
    d.show();
    d.Edit(id)->setText(text);
    boxes.Clear();
    d.OnApply();
    EXPECT_EQ(sends + saves, 0);
    EXPECT_EQ(BytesOf(block), before);
    EXPECT_EQ(boxes.Shown().size(), 1u);  // the range message
  }
}

TEST_F(SonicParamsTest, Standard28AlwaysSends4us) {
  SonicConfigBlock block{16, {1, 1, 1}, {0, 0, 0}};
  Open(&block, 28);
  EXPECT_EQ(Checked(), CSonicParams::kId4us);
  dlg.OnApply();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0][0], 4);
}

TEST_F(SonicParamsTest, EveryShowingReloadsTheBlock) {
  SonicConfigBlock block{4, {1, 2, 3}, {4, 5, 6}};
  Open(&block, 26);
  dlg.Edit(CSonicParams::kIdGain1)->setText("20");  // typed, never applied
  dlg.OnCancel();
  EXPECT_FALSE(dlg.isVisible());
  block = {16, {9, 9, 9}, {-7, -7, -7}};  // changed elsewhere meanwhile
  dlg.show();
  EXPECT_EQ(Checked(), CSonicParams::kId16us);
  EXPECT_EQ(dlg.Edit(CSonicParams::kIdGain1)->text(), "9");
  EXPECT_EQ(dlg.Edit(CSonicParams::kIdThreshold3)->text(), "-7");
}

}  // namespace
