// The display language: the locale chooses it, the string table and the
// windows' own texts follow it, and what files take keeps its bytes.
#include "platform/docview/translation.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/docview/dialog.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "tests/support/qt_app.h"

namespace {

const QString kCatalogue = qv::JapaneseCatalogue(QStringLiteral(QV_PROGRAM_DIR));

TEST(TranslationLocaleTest, OnlyAJapaneseLocaleChoosesJapanese) {
  const struct {
    const char* name;
    bool japanese;
  } cases[] = {{"ja_JP", true}, {"ja", true}, {"en_US", false}, {"en_GB", false}, {"de_DE", false}, {"C", false}};
  for (const auto& c : cases)
    EXPECT_EQ(qv::IsJapaneseLocale(QLocale(QString::fromLatin1(c.name))), c.japanese) << c.name;
}

class TranslationTest : public ::testing::Test {
 public:
  void SetUp() override {
    qvtest::App();
    ASSERT_TRUE(qv::InstallJapanese(kCatalogue)) << kCatalogue.toStdString();
  }
  void TearDown() override { qv::RemoveTranslation(); }
};

TEST_F(TranslationTest, TableTextsAreJapaneseOnScreenAndKeepTheirBytesForFiles) {
  EXPECT_EQ(qv::QStr(qv::LoadString(32049)), QStringLiteral("ログ設定"));
  EXPECT_EQ(qv::LoadFileString(32049), "Log Settings");
  // A translated format filled with CP1252 names shows both ("\xB5" is µ).
  EXPECT_EQ(qv::QStr(qv::FormatC(qv::LoadString(32222).c_str(), "Gr\xB5", "KSTQ")),
            QStringLiteral("Grµ - 現在のゾンデ: KSTQ"));
  // A text the catalogue keeps as it is (a default file name) is not marked.
  EXPECT_EQ(qv::LoadString(32074), "NEWLOG");
  qv::RemoveTranslation();
  EXPECT_EQ(qv::LoadString(32049), "Log Settings");
  EXPECT_EQ(qv::QStr(qv::LoadString(32049)), QStringLiteral("Log Settings"));
}

TEST_F(TranslationTest, AWindowIsTranslatedAsItShowsAndTheDataInItIsNot) {
  QDialog dlg;
  dlg.setWindowTitle(QStringLiteral("Replay Settings"));
  auto* lay = new QVBoxLayout(&dlg);
  auto* label = new QLabel(QStringLiteral("Name for log file:"), &dlg);
  auto* button = new QPushButton(QStringLiteral("Browse"), &dlg);
  auto* group = new QGroupBox(QStringLiteral("Log Mode"), &dlg);
  auto* edit = new QLineEdit(QStringLiteral("Browse"), &dlg);  // what the user typed
  auto* combo = new QComboBox(&dlg);
  combo->addItem(QStringLiteral("None"));  // a database value
  // A table text that reached the widget without QStr loses its mark.
  auto* marked = new QLabel(QString::fromStdString(qv::LoadString(32049)), &dlg);
  for (QWidget* w : std::initializer_list<QWidget*>{label, button, group, edit, combo, marked}) lay->addWidget(w);
  dlg.show();
  qvtest::Settle();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("再生設定"));
  EXPECT_EQ(label->text(), QStringLiteral("ログファイル名:"));
  EXPECT_EQ(button->text(), QStringLiteral("参照"));
  EXPECT_EQ(group->title(), QStringLiteral("ログモード"));
  EXPECT_EQ(marked->text(), QStringLiteral("ログ設定"));
  EXPECT_EQ(edit->text(), QStringLiteral("Browse"));
  EXPECT_EQ(combo->itemText(0), QStringLiteral("None"));
  EXPECT_EQ(qv::Tr("None"), QStringLiteral("なし"));
}

TEST_F(TranslationTest, ALabelGivesBackTheTranslatedValueItShows) {
  QLabel label;
  std::string value = qv::LoadString(32243);
  const std::string shown = value;
  qv::DataExchange load(false);
  qv::DDX_Text(load, &label, value);
  EXPECT_EQ(label.text(), QStringLiteral("ヤード・ポンド法"));
  qv::DataExchange save(true);
  qv::DDX_Text(save, &label, value);
  EXPECT_EQ(value, shown);
  qv::DDX_Text(load, &label, value);
  EXPECT_EQ(label.text(), QStringLiteral("ヤード・ポンド法"));
}

}  // namespace
