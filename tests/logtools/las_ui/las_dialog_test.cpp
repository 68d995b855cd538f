#include "logtools/las_ui/las_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>

#include "header/header.h"
#include "logtools/ui/file_dialog.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "tests/support/test_files.h"

namespace {

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A program folder with a twelve-channel log in DATA and a user function of
// its sonde in Userfunction.
struct Folder {
  std::string root, log;
  explicit Folder(const char* test) {
    root = qv::test::ScratchFolder("las_ui", test);
    std::filesystem::create_directories(root + "/DATA");
    std::filesystem::create_directories(root + "/Userfunction");
    qv::SetProgramFolder(root);
    log = root + "/DATA/WELL9.LGX";
    std::string records(64 * 3, '\0');
    Write(log, records);
    Write(root + "/Userfunction/KSTQ2.INI",
          "[General]\r\nIdent=QUORVANTA\r\nUPName=Ratio\r\n[Channel0]\r\nTitle=Ratio out\r\nTitleShort=RAT\r\n"
          "PhysicalCh=1\r\nVisible=1\r\n");
    Write(root + "/Userfunction/KSTQ2.so", "");
  }
  ~Folder() { qv::SetProgramFolder(""); }
  void Header(int logMode, bool namesUserFunction, int start = 5000, int end = 5020, int step = 10) {
    std::string hed =
        "[General]\r\nIdent=QUORVANTA\r\n[WellInfo]\r\nDepthUnit=0\r\nLogMode=" + std::to_string(logMode) +
        "\r\nStartdepth=" + std::to_string(start) + "\r\nEndDepth=" + std::to_string(end) +
        "\r\nStep=" + std::to_string(step) +
        "\r\nSondeAbbreviation=KSTQ\r\n"
        "[Channel0]\r\nTitle=Gamma\r\nTitleShort=GR\r\nPhysicalCh=1\r\nVisible=1\r\nFilterType=1\r\n"
        "[Channel1]\r\nTitle=Neutron\r\nTitleShort=NN\r\nPhysicalCh=12\r\nVisible=0\r\n"
        "[Channel2]\r\nTitle=Wave\r\nTitleShort=WV\r\nPhysicalCh=14\r\nVisible=1\r\n";
    Write(root + "/DATA/WELL9.hed", hed);
    const std::string library = root + "/Userfunction/KSTQ2.so";
    if (namesUserFunction) WriteUserFunctionInfo(log, &library);
  }
};

struct Ui {
  std::deque<std::optional<std::string>> files;
  qv::MessageRecorder boxes;
  CLASCfg dialog;
  Ui() {
    qv::SetToolFileHandler([this](const qv::ToolFileRequest&) -> std::optional<std::string> {
      if (files.empty()) return std::nullopt;
      auto f = files.front();
      files.pop_front();
      return f;
    });
  }
  ~Ui() { qv::SetToolFileHandler(nullptr); }
  template <class T>
  T* Control(int id) {
    T* w = dialog.findChild<T*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  std::vector<std::string> Items(int id) {
    std::vector<std::string> items;
    auto* combo = Control<QComboBox>(id);
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
  }
  std::vector<std::string> Channels() {
    std::vector<std::string> items;
    auto* list = Control<QListWidget>(3076);
    for (int i = 0; i < list->count(); ++i)
      items.push_back(list->item(i)->text().toStdString() + (list->item(i)->checkState() == Qt::Checked ? " +" : ""));
    return items;
  }
};

TEST(LasDialogTest, ChoosingALogFillsTheDialog) {
  Folder folder("fills");
  folder.Header(12, false);
  Ui ui;
  EXPECT_FALSE(ui.Control<QPushButton>(3087)->isEnabled());
  EXPECT_FALSE(ui.Control<QComboBox>(3080)->isEnabled());
  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();

  EXPECT_EQ(ui.Control<QLabel>(3089)->text().toStdString(), "WELL9.LGX");
  EXPECT_EQ(ui.Control<QLabel>(3074)->text().toStdString(), "WELL9.LAS");
  EXPECT_EQ(ui.dialog.Settings().TwelveChannel, 1);
  EXPECT_EQ(ui.dialog.Settings().LasPath, folder.root + "/DATA/WELL9.LAS");
  EXPECT_TRUE(ui.Control<QPushButton>(3087)->isEnabled());
  EXPECT_EQ(ui.Channels(), (std::vector<std::string>{"Gamma [GR] +", "Neutron [NN]"})) << "channel 14 is left out";
  EXPECT_TRUE(ui.Control<QCheckBox>(3090)->isChecked()) << "a filtered channel turns raw filtering on";
  EXPECT_EQ(ui.Control<QLabel>(3088)->text().toStdString(), "mm");
  EXPECT_EQ(ui.Items(3086), (std::vector<std::string>{"10", "20", "50", "100"}));
  EXPECT_EQ(ui.Control<QLineEdit>(3085)->text().toStdString(), "5");
  EXPECT_EQ(ui.Control<QLineEdit>(3084)->text().toStdString(), "5.02");
  EXPECT_EQ(ui.Items(3080), (std::vector<std::string>{"*** N/A ***", "Header"}));
  EXPECT_EQ(ui.dialog.Settings().CalibrationPath, folder.log);
  EXPECT_EQ(ui.Items(3079), (std::vector<std::string>{"*** N/A ***", "Ratio"}));
  EXPECT_EQ(ui.Control<QComboBox>(3079)->currentIndex(), 0);

  // Typing a From past To resets it to the log's start.
  ui.Control<QLineEdit>(3085)->setText("6");
  ui.dialog.OnFromKillFocus();
  EXPECT_EQ(ui.Control<QLineEdit>(3085)->text().toStdString(), "5");

  // Start with only the unchecked channel: DEPTH and TIME only.
  ui.Control<QListWidget>(3076)->item(0)->setCheckState(Qt::Unchecked);
  ui.Control<QPushButton>(3087)->click();
  EXPECT_EQ(ui.boxes.Ids(), std::vector<unsigned>{32416});
  std::ifstream las(ui.dialog.Settings().LasPath);
  std::string text((std::istreambuf_iterator<char>(las)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("~A  DEPTH     TIME      \r\n"), std::string::npos);
}

TEST(LasDialogTest, UserFunctionOfTheLogIsSelectedAndNAGivesBackTheLogsChannels) {
  Folder folder("user_function");
  folder.Header(12, true);
  Ui ui;
  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();
  EXPECT_EQ(ui.Control<QComboBox>(3079)->currentText().toStdString(), "Ratio");
  EXPECT_EQ(ui.dialog.Settings().UserFunctionPath, folder.root + "/Userfunction/KSTQ2.so");
  EXPECT_EQ(ui.Channels(), (std::vector<std::string>{"Ratio out [RAT] +"}));

  ui.Control<QComboBox>(3079)->setCurrentIndex(0);
  ui.dialog.OnUserFunctionChange();
  EXPECT_TRUE(ui.dialog.Settings().UserFunctionPath.empty());
  EXPECT_EQ(ui.Channels(), (std::vector<std::string>{"Gamma [GR] +", "Neutron [NN]"}));

  // A user function that is no library makes the export fail, and says so.
  ui.Control<QComboBox>(3079)->setCurrentIndex(1);
  ui.dialog.OnUserFunctionChange();
  ui.Control<QPushButton>(3087)->click();
  EXPECT_EQ(ui.boxes.Ids(), std::vector<unsigned>{32417});
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(LasDialogTest, ALogWhoseHeaderCannotBeReadCannotBeExported) {
  Folder folder("no_header");
  folder.Header(12, false);
  const std::string bare = folder.root + "/DATA/BARE.LGX";  // no header of any kind
  Write(bare, std::string(64 * 3, '\0'));
  Ui ui;
  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();
  ASSERT_TRUE(ui.Control<QPushButton>(3087)->isEnabled());

  ui.files.push_back(bare);
  ui.Control<QPushButton>(3075)->click();
  EXPECT_EQ(ui.boxes.Ids(), std::vector<unsigned>{32169}) << "the header reader says why, once";
  EXPECT_EQ(ui.Control<QLabel>(3089)->text().toStdString(), "BARE.LGX");
  EXPECT_FALSE(ui.Control<QPushButton>(3087)->isEnabled()) << "no export with the previous log's depths";
  EXPECT_EQ(ui.Control<QLineEdit>(3085)->text().toStdString(), "");
  EXPECT_EQ(ui.Control<QLineEdit>(3084)->text().toStdString(), "");
  EXPECT_EQ(ui.dialog.Header().EndDepth, 0);
  EXPECT_TRUE(ui.Channels().empty());
  ui.dialog.OnStart();
  EXPECT_EQ(ui.boxes.Ids(), std::vector<unsigned>{32169});
  EXPECT_FALSE(std::filesystem::exists(folder.root + "/DATA/BARE.LAS"));

  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();
  EXPECT_TRUE(ui.Control<QPushButton>(3087)->isEnabled());
  EXPECT_EQ(ui.Control<QLineEdit>(3084)->text().toStdString(), "5.02");
}

TEST(LasDialogTest, ATimeLogKeepsTheHeadersDepths) {
  // A log standing at 100 m; its step (150) is a time step, not a depth step.
  Folder folder("time_log_depths");
  folder.Header(10, false, 100000, 99950, 150);
  Ui ui;
  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();
  EXPECT_EQ(ui.Control<QLineEdit>(3085)->text().toStdString(), "100");
  EXPECT_EQ(ui.Control<QLineEdit>(3084)->text().toStdString(), "99.95");
  ui.Control<QPushButton>(3087)->click();
  ASSERT_EQ(ui.boxes.Ids(), std::vector<unsigned>{32416});
  const std::string las = ReadText(ui.dialog.Settings().LasPath);
  EXPECT_NE(las.find(" STRT.M        100.0000 "), std::string::npos) << las;
  EXPECT_NE(las.find(" STOP.M         99.9500 "), std::string::npos) << las;
  EXPECT_NE(las.find("\r\n   100.00      0.00 "), std::string::npos) << "rows at the log's depth";
}

TEST(LasDialogTest, ATimeLogHasNoDepthRangeToChoose) {
  Folder folder("time_log");
  folder.Header(10, false);
  Ui ui;
  ui.files.push_back(folder.log);
  ui.Control<QPushButton>(3075)->click();
  for (int id : {3085, 3084, 3086}) EXPECT_FALSE(ui.dialog.findChild<QWidget*>(QString::number(id))->isEnabled()) << id;
  EXPECT_TRUE(ui.Control<QComboBox>(3079)->isEnabled());

  ui.Control<QPushButton>(3075)->click();  // cancelled: no input, no export
  EXPECT_EQ(ui.Control<QLabel>(3089)->text().toStdString(), "- No Selection -");
  EXPECT_FALSE(ui.Control<QPushButton>(3087)->isEnabled());
  EXPECT_FALSE(ui.Control<QComboBox>(3080)->isEnabled());
}

}  // namespace
