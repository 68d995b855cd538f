#include "logtools/ui/depth_shift_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <deque>
#include <filesystem>

#include "../engine/fixtures.h"
#include "header/header.h"
#include "header/section_access.h"
#include "logtools/ui/file_dialog.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "ui_fakes.h"

using namespace qvtest;

namespace {

struct Ui : DialogFakes {
  qv::DepthShift dialog;
  template <class T>
  T* Control(int id) {
    return FindControl<T>(dialog, id);
  }
  std::string Text(int id) { return Control<QLabel>(id)->text().toStdString(); }
  void Click(int id) { Control<QPushButton>(id)->click(); }
  void SelectInput(const std::string& path) {
    files.push_back(path);
    Click(3391);
  }
};

std::string TwelveChannels() {
  std::string s;
  for (int i = 0; i < 12; ++i)
    s += "[Channel" + std::to_string(i) + "]\r\nTitle=t\r\nTitleShort=C" + std::to_string(i + 1) +
         "\r\nPhysicalCh=" + std::to_string(i + 1) + "\r\n";
  return s;
}

}  // namespace

TEST(DepthShiftDialog, SelectingTheInputSetsNamesUnitsAndChannels) {
  std::string dir = FreshFolder("dlg-shift-select");
  WriteBytes(dir + "/T.LOG", "");
  WriteHeader(dir + "/T.hed", {.logMode = 10});
  WriteBytes(dir + "/S.LOG", SixRecord(0, 50, {1}));
  WriteHeader(dir + "/S.hed", {.logMode = 12, .depthUnit = 1, .startDepth = 0, .endDepth = 10}, TwelveChannels());
  Ui ui;
  EXPECT_EQ(ui.Text(3389), "--- No Selection ---");
  EXPECT_EQ(ui.Text(3418), "M");
  EXPECT_FALSE(ui.Control<QLineEdit>(3394)->isEnabled());

  ui.SelectInput(dir + "/T.LOG");
  EXPECT_EQ(ui.boxes, std::vector<std::string>{qv::LoadString(32431)});
  EXPECT_EQ(ui.Text(3389), "");
  EXPECT_TRUE(ui.dialog.Request().inputPath.empty());

  ui.SelectInput(dir + "/S.LOG");
  EXPECT_EQ(ui.Text(3389), "S.LOG");
  EXPECT_EQ(ui.Text(3390), "S.LOG");
  EXPECT_EQ(ui.Text(3418), "feet.");
  EXPECT_EQ(ui.Text(3406), "C1");
  EXPECT_EQ(ui.Text(3411), "C6");
  EXPECT_EQ(ui.Text(3412), "------") << "a six-channel log has six channels";
  EXPECT_FALSE(ui.Control<QLineEdit>(3394)->isEnabled()) << "complete-log mode";
  EXPECT_TRUE(ui.Control<QLineEdit>(3393)->isEnabled());
  ui.Control<QRadioButton>(3388)->click();
  EXPECT_TRUE(ui.Control<QLineEdit>(3394)->isEnabled());
  EXPECT_TRUE(ui.Control<QLineEdit>(3399)->isEnabled());
  EXPECT_FALSE(ui.Control<QLineEdit>(3400)->isEnabled());
  EXPECT_FALSE(ui.Control<QLineEdit>(3393)->isEnabled());
  ui.files.push_back(std::nullopt);
  ui.Click(3392);
  EXPECT_EQ(ui.Text(3390), "");
  EXPECT_TRUE(ui.dialog.Request().outputPath.empty());
}

TEST(DepthShiftDialog, StartConvertsOffsetsAndReports) {
  std::string dir = FreshFolder("dlg-shift-start");
  WriteBytes(dir + "/S.LOG", SixRecord(0, 50, {1}));
  WriteHeader(dir + "/S.hed", {.logMode = 12, .startDepth = 0, .endDepth = 10});
  struct Case {
    const char* typed;
    int startDepth;  // -1: refused before anything is written
  };
  const Case cases[] = {{"1.5", 1500},  {"0.0019", 1}, {"1.005", 1005}, {"-2", -2000},
                        {"1000.5", -1}, {"-1001", -1}, {"abc", -1},     {"1,5", -1}};
  for (const auto& c : cases) {
    Ui ui;
    ui.SelectInput(dir + "/S.LOG");
    ui.files.push_back(dir + "/OUT.LOG");
    ui.Click(3392);
    std::filesystem::remove(dir + "/OUT.LOG");
    std::filesystem::remove(dir + "/OUT.hed");
    ui.Control<QLineEdit>(3393)->setText(c.typed);
    ui.Click(3419);
    ASSERT_EQ(ui.boxes.size(), 1u) << c.typed;
    if (c.startDepth == -1) {
      EXPECT_EQ(ui.boxes[0], "Please enter a number between -1000 and 1000.") << c.typed;
      EXPECT_FALSE(std::filesystem::exists(dir + "/OUT.LOG")) << c.typed;
      continue;
    }
    EXPECT_EQ(ui.boxes[0], qv::LoadString(32430)) << c.typed;
    HeaderInfo info;
    ASSERT_EQ(ReadLogHeader(dir + "/OUT.LOG", nullptr, &info, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(info.Startdepth, c.startDepth) << c.typed;
  }
}

TEST(DepthShiftDialog, AFailedShiftIsReported) {
  Ui ui;
  ui.Click(3419);  // no input chosen
  EXPECT_EQ(ui.boxes, std::vector<std::string>{qv::LoadString(32429)});
}

TEST(DepthShiftDialog, AnOutputNameWithoutExtensionGetsTheInputsExtension) {
  std::string dir = FreshFolder("dlg-shift-ext");
  WriteBytes(dir + "/S.LGX", std::string(64, '\0'));
  WriteHeader(dir + "/S.hed", {.logMode = 12, .startDepth = 0, .endDepth = 10});
  Ui ui;
  ui.SelectInput(dir + "/S.LGX");
  ui.files.push_back(dir + "/shifted");
  ui.Click(3392);
  EXPECT_EQ(ui.Text(3390), "shifted.LGX");
  EXPECT_EQ(ui.dialog.Request().outputPath, dir + "/shifted.LGX");
  ui.Click(3419);
  EXPECT_EQ(ui.boxes, std::vector<std::string>{qv::LoadString(32430)});
  EXPECT_TRUE(std::filesystem::exists(dir + "/shifted.LGX"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/shifted.hed"));
}
