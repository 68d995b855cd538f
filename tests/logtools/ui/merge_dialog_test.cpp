#include "logtools/ui/merge_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <deque>

#include "../engine/fixtures.h"
#include "logtools/ui/file_dialog.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "ui_fakes.h"

using namespace qvtest;

namespace {

struct Ui : DialogFakes {
  std::unique_ptr<qv::CMergeLog> dialog;
  Ui() {
    qv::SetRenameHandler([](const std::string&, const std::string&, bool, std::string* s, std::string* t) {
      *s = "REN";
      *t = "Renamed";
      return true;
    });
    dialog = std::make_unique<qv::CMergeLog>();
  }
  ~Ui() { qv::SetRenameHandler(nullptr); }
  template <class T>
  T* Control(int id) {
    return FindControl<T>(*dialog, id);
  }
  std::string Text(int id) { return Control<QLabel>(id)->text().toStdString(); }
  void Click(int id) { Control<QPushButton>(id)->click(); }
  QCheckBox* Box(int slot, int channel) { return Control<QCheckBox>(3100 + 12 * slot + channel); }
};

std::string MakeLog(const std::string& dir, const std::string& name, const char* sonde) {
  std::string extra;
  for (int i = 0; i < 6; ++i)
    extra += "[Channel" + std::to_string(i) + "]\r\nTitle=t\r\nTitleShort=" + name.substr(0, 1) +
             std::to_string(i + 1) + "\r\nPhysicalCh=" + std::to_string(i + 1) + "\r\n";
  WriteBytes(dir + "/" + name + ".LOG", SixRecord(0, 50, {1, 2, 3}));
  WriteHeader(dir + "/" + name + ".hed", {.logMode = 12, .startDepth = 0, .endDepth = 0, .sonde = sonde}, extra);
  return dir + "/" + name + ".LOG";
}

}  // namespace

TEST(MergeDialog, ControlsFollowTheSelection) {
  std::string dir = FreshFolder("dlg-merge");
  qv::SetProgramFolder(dir);
  Ui ui;
  EXPECT_EQ(ui.Text(3322), ".....................");
  EXPECT_FALSE(ui.Control<QPushButton>(3301)->isEnabled());
  EXPECT_FALSE(ui.Box(0, 0)->isEnabled());

  ui.files.push_back(MakeLog(dir, "A", "SA"));
  ui.Click(3300);
  ui.files.push_back(MakeLog(dir, "B", "SB"));
  ui.Click(3302);
  EXPECT_EQ(ui.Text(3322), "A.LOG");
  EXPECT_TRUE(ui.Control<QPushButton>(3301)->isEnabled());
  EXPECT_EQ(ui.Box(0, 2)->text().toStdString(), "A3");
  EXPECT_FALSE(ui.Box(0, 6)->isEnabled());

  ui.Box(0, 2)->click();
  EXPECT_TRUE(ui.Box(0, 2)->isChecked());
  EXPECT_EQ(ui.Text(3309), "A3");
  EXPECT_EQ(ui.Text(3328), "1.3");
  ui.Box(0, 2)->click();
  EXPECT_FALSE(ui.Box(0, 2)->isChecked());
  EXPECT_EQ(ui.Text(3328), "-.-");

  // Removing slot 0 leaves slot 1 as the header source.
  ui.Box(1, 0)->click();
  ui.Click(3301);
  EXPECT_EQ(ui.Text(3322), ".....................");
  EXPECT_EQ(ui.dialog->Selection().HeaderSlot(), 1);
  EXPECT_EQ(ui.Text(3309), "B1");

  ui.files.push_back(dir + "/M.LGX");
  ui.Click(3308);
  EXPECT_EQ(ui.Control<QLineEdit>(3321)->text().toStdString(), "M.LGX");
  ui.Click(1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.dialog->result(), QDialog::Accepted);
  EXPECT_EQ(ui.dialog->OutputPath(), dir + "/M.LGX");
  EXPECT_EQ(ReadBytes(dir + "/M.LGX").size(), 64u);
}

TEST(MergeDialog, TemplatesSaveAndApplyThroughTheButtons) {
  std::string dir = FreshFolder("dlg-merge-tpl");
  qv::SetProgramFolder(dir);
  Ui ui;
  ui.files.push_back(MakeLog(dir, "A", "SA"));
  ui.Click(3300);
  ui.Box(0, 1)->click();
  ui.Box(0, 3)->click();
  ui.files.push_back(dir + "/M.LGX");
  ui.Click(3308);
  ui.files.push_back(dir + "/T.TPL");
  ui.Click(3385);
  // The same sonde's log in slot 3 takes the template's channels.
  ui.Click(3301);
  ui.files.push_back(MakeLog(dir, "C", "SA"));
  ui.Click(3306);
  ui.files.push_back(dir + "/T.TPL");
  ui.Click(3386);
  EXPECT_EQ(ui.Text(3309), "C2");
  EXPECT_EQ(ui.Text(3329), "4.4");
  EXPECT_TRUE(ui.Box(3, 1)->isChecked());
  EXPECT_EQ(ui.dialog->Selection().HeaderSlot(), 3);
}

TEST(MergeDialog, RenameDialogKeepsAClashingTitleOut) {
  qv::CMergeRenameChannel clash("GAM", "Gamma", true);
  EXPECT_FALSE(clash.findChild<QLabel*>("2588")->isHidden());
  EXPECT_FALSE(clash.findChild<QPushButton*>("2")->isEnabled());
  clash.accept();
  EXPECT_NE(clash.result(), QDialog::Accepted) << "the short title is unchanged";
  clash.findChild<QLineEdit*>("2587")->setText("GAM2");
  clash.accept();
  EXPECT_EQ(clash.result(), QDialog::Accepted);
  EXPECT_EQ(clash.NewShortTitle(), "GAM2");
  EXPECT_EQ(clash.findChild<QLineEdit*>("2587")->maxLength(), 4);

  qv::CMergeRenameChannel free("GAM", "Gamma", false);
  EXPECT_TRUE(free.findChild<QLabel*>("2588")->isHidden());
  EXPECT_TRUE(free.findChild<QPushButton*>("2")->isEnabled());
  free.findChild<QLineEdit*>("2584")->setText("");
  free.accept();
  EXPECT_NE(free.result(), QDialog::Accepted) << "the title may not be empty";
}
