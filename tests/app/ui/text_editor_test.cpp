// Editing a calibration file: the desktop's editor when it takes the file,
// else the program's own text window, whose save gives back the file's bytes
// and line ends and replaces the file whole.
#include "app/ui/text_editor.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <filesystem>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/files/atomic_file.h"
#include "platform/text/cnum.h"
#include "platform/text/codepage.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

using qvtest::App;
using qvtest::Settle;

// A calibration file as Windows wrote it: CR LF, a degree sign, a euro sign,
// a byte the code page leaves undefined, a non-breaking space, no line end
// after its last line.
const std::string kCalBytes =
    "[General]\r\nSonde=KSTQ\r\nNote=20\xB0"
    "C \x80\x81\xA0x\r\n\r\n[Channel1]\r\nCoefficient0=0.5";

class TextEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    folder_ = qv::test::TempDir("texteditor");
    path_ = folder_ + "/KSTQ77.cal";
    ASSERT_TRUE(qv::WriteFileAtomically(path_, kCalBytes));
    previous_ = qv::SetDesktopOpener([this](const std::string& p) {
      opened_.push_back(p);
      return desktopHasHandler_;
    });
  }
  void TearDown() override {
    qv::SetDesktopOpener(previous_);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* editor = qobject_cast<qv::TextEditorWindow*>(w)) {
        editor->Editor()->document()->setModified(false);
        editor->close();
      }
    Settle();
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder_)) names.push_back(e.path().filename().string());
    return names;
  }

  std::string folder_, path_;
  bool desktopHasHandler_ = false;
  std::vector<std::string> opened_;
  qv::DesktopOpener previous_;
};

TEST(TextFileBytes, LinesKeepTheirEndsAndTheirBytes) {
  App();
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> endings;
  };
  const Case cases[] = {
      {"CR LF with a last line end", "a=1\r\nb=2\r\n", {"\r\n", "\r\n"}},
      {"LF, no last line end", "a=1\nb=2", {"\n"}},
      {"CR only", "a\rb\r", {"\r", "\r"}},
      {"mixed", "a\r\nb\nc\rd", {"\r\n", "\n", "\r"}},
      {"empty lines", "\r\n\r\n", {"\r\n", "\r\n"}},
      {"empty file", "", {}},
      {"every high byte", std::string("\x80\x81\x8D\x8F\x90\x9D\xA0\xB0\xFF"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const qv::TextFileLines lines = qv::DecodeTextFile(c.bytes);
    EXPECT_EQ(lines.endings, c.endings);
    EXPECT_FALSE(lines.text.contains(QLatin1Char('\r')));
    EXPECT_EQ(qv::EncodeTextFile(lines.text, lines.endings), c.bytes);
  }
  EXPECT_EQ(qv::DecodeTextFile("20\xB0\x80").text, QString::fromUtf8("20°€"));
  // Lines added beyond the file's own end like its first line; a file that
  // had none gets CR LF.
  EXPECT_EQ(qv::EncodeTextFile("a\nb\nc", {"\n"}), "a\nb\nc");
  EXPECT_EQ(qv::EncodeTextFile("a\nb", {}), "a\r\nb");
}

TEST_F(TextEditorTest, TheDesktopsEditorWhenItTakesTheFile) {
  desktopHasHandler_ = true;
  EXPECT_EQ(qv::EditTextFile(path_, nullptr), nullptr);
  EXPECT_EQ(opened_, std::vector<std::string>{path_});
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<qv::TextEditorWindow*>(w), nullptr);
}

TEST_F(TextEditorTest, WithoutAHandlerTheProgramsWindowEditsAndSavesTheFileWhole) {
  qv::MessageRecorder boxes;
  QPointer<qv::TextEditorWindow> w = qv::EditTextFile(path_, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(opened_, std::vector<std::string>{path_}) << "the desktop was asked first";
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->Editor()->toPlainText().split('\n').first(), "[General]");
  EXPECT_TRUE(w->Editor()->document()->toRawText().contains(QChar(0xA0)));

  // Saved unchanged: the same bytes.
  ASSERT_TRUE(w->Save());
  EXPECT_EQ(qv::test::FileBytes(path_), kCalBytes);

  // One value changed and a line added: only those bytes change.
  QTextCursor cursor = w->Editor()->document()->find("0.5");
  ASSERT_FALSE(cursor.isNull());
  cursor.insertText("1.25");
  w->Editor()->moveCursor(QTextCursor::End);
  w->Editor()->insertPlainText("\nCoefficient1=2");
  EXPECT_TRUE(w->isWindowModified());
  ASSERT_TRUE(w->Save());
  EXPECT_FALSE(w->isWindowModified());
  const std::string changed =
      "[General]\r\nSonde=KSTQ\r\nNote=20\xB0"
      "C \x80\x81\xA0x\r\n\r\n[Channel1]\r\nCoefficient0=1.25\r\nCoefficient1=2";
  EXPECT_EQ(qv::test::FileBytes(path_), changed);
  EXPECT_EQ(Files(), std::vector<std::string>{"KSTQ77.cal"}) << "no temporary file is left";
  EXPECT_TRUE(boxes.Shown().empty());

  // A save that cannot replace the file says so and leaves the file as it was.
  w->Editor()->insertPlainText("\nJigCount=2");
  qv::SetFileFaultHook([](std::string_view step, const std::string&) { return step == "rename"; });
  EXPECT_FALSE(w->Save());
  qv::SetFileFaultHook(nullptr);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, qv::FormatC(qv::LoadString(34100).c_str(), path_.c_str()));
  EXPECT_EQ(qv::test::FileBytes(path_), changed);
  EXPECT_TRUE(w->isWindowModified());
  EXPECT_EQ(Files(), std::vector<std::string>{"KSTQ77.cal"});
}

TEST_F(TextEditorTest, ClosingWithChangesOffersToSaveThem) {
  struct Case {
    int answer;
    bool closed;
    bool saved;
  };
  for (const Case c : {Case{qv::IDCANCEL, false, false}, Case{qv::IDNO, true, false}, Case{qv::IDYES, true, true}}) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(qv::WriteFileAtomically(path_, kCalBytes));
    qv::MessageRecorder boxes({c.answer});
    QPointer<qv::TextEditorWindow> w = qv::EditTextFile(path_, nullptr);
    ASSERT_NE(w, nullptr);
    w->close();  // nothing changed: nothing asked
    Settle();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(w.isNull());

    w = qv::EditTextFile(path_, nullptr);
    w->Editor()->moveCursor(QTextCursor::End);
    w->Editor()->insertPlainText("9");
    w->close();
    Settle();
    EXPECT_EQ(boxes.Ids(), std::vector<unsigned>{32290});
    EXPECT_EQ(w.isNull(), c.closed);
    EXPECT_EQ(qv::test::FileBytes(path_), c.saved ? kCalBytes + "9" : kCalBytes);
  }
}

// The program's end closes the editor windows: File/Exit (the main window's
// close) offers the changes with Cancel, which keeps the program running and
// its watchdog fed; an end that cannot be held back (a shutdown signal) asks
// Yes or No only.
TEST_F(TextEditorTest, TheProgramsEndOffersTheChangesOfEveryEditorWindow) {
  struct Case {
    bool mayStay;
    int answer;
    bool closed, saved;
  };
  for (const Case c : {Case{true, qv::IDCANCEL, false, false}, Case{true, qv::IDNO, true, false},
                       Case{true, qv::IDYES, true, true}, Case{false, qv::IDNO, true, false},
                       Case{false, qv::IDYES, true, true}}) {
    SCOPED_TRACE(std::to_string(c.mayStay) + " " + std::to_string(c.answer));
    ASSERT_TRUE(qv::WriteFileAtomically(path_, kCalBytes));
    g_bWatchdogStop = 0;
    qv::MessageRecorder boxes({c.answer});
    QPointer<qv::TextEditorWindow> w = qv::EditTextFile(path_, nullptr);
    ASSERT_NE(w, nullptr);
    w->Editor()->moveCursor(QTextCursor::End);
    w->Editor()->insertPlainText("9");
    bool ended;
    if (c.mayStay) {
      CMainFrame frame;
      ended = frame.close();
      EXPECT_EQ(g_bWatchdogStop.load(), ended ? 1 : 0);
    } else {
      ended = qv::CloseTextEditorWindows(false);
    }
    Settle();
    EXPECT_EQ(ended, c.closed);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].id, 32290u);
    EXPECT_EQ(boxes.Shown()[0].flags & 0xF, c.mayStay ? qv::MB_YESNOCANCEL : qv::MB_YESNO);
    EXPECT_EQ(w.isNull(), c.closed);
    EXPECT_EQ(qv::test::FileBytes(path_), c.saved ? kCalBytes + "9" : kCalBytes);
    if (w) {  // kept open: closed without its changes for the next case
      w->Editor()->document()->setModified(false);
      w->close();
      Settle();
    }
  }
  g_bWatchdogStop = 0;
}

// The file's code page decides what a save can hold: a character it lacks is
// named before saving and the file stays as it was; under the Japanese code
// page Japanese text is read and saved in it.
TEST_F(TextEditorTest, SavingNamesCharactersTheCodePageCannotHold) {
  qv::MessageRecorder boxes;
  QPointer<qv::TextEditorWindow> w = qv::EditTextFile(path_, nullptr);
  ASSERT_NE(w, nullptr);
  w->Editor()->moveCursor(QTextCursor::End);
  w->Editor()->insertPlainText(QString::fromUtf8("\xE4\xBA\x95\xE6\x88\xB8"));  // two kanji
  EXPECT_FALSE(w->Save());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(qv::QStr(boxes.Shown()[0].text).indexOf(QString::fromUtf8("\xE4\xBA\x95\xE6\x88\xB8")), -1);
  EXPECT_EQ(qv::test::FileBytes(path_), kCalBytes);
  w->Editor()->document()->setModified(false);
  w->close();
  Settle();

  qv::SetFileCodePage(qv::kCodePageJapanese);
  const std::string japanese = "[General]\r\nNote=\x88\xE4\x8C\xCB";  // two kanji in CP932
  ASSERT_TRUE(qv::WriteFileAtomically(path_, japanese));
  w = qv::EditTextFile(path_, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->Editor()->toPlainText().endsWith(QString::fromUtf8("\xE4\xBA\x95\xE6\x88\xB8")));
  w->Editor()->moveCursor(QTextCursor::End);
  w->Editor()->insertPlainText(QString::fromUtf8("\xE6\xB0\xB4"));  // one more
  EXPECT_TRUE(w->Save());
  EXPECT_EQ(qv::test::FileBytes(path_), japanese + "\x90\x85");
  qv::SetFileCodePage(qv::kCodePageWestern);
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(TextEditorTest, AFileThatCannotBeReadOpensNoWindow) {
  qv::MessageRecorder boxes;
  const std::string missing = folder_ + "/GONE.cal";
  EXPECT_EQ(qv::EditTextFile(missing, nullptr), nullptr);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Can't open file " + missing + ".");
}

TEST_F(TextEditorTest, EditCalibrationFileCommandUsesTheEditor) {
  // The main frame's command with its default tool: no handler on the
  // desktop, so the program's window opens on the chosen file.
  auto previousDialog = qv::SetFileDialogHandler([this](const qv::FileDialogRequest&) { return path_; });
  CMainFrame frame;
  frame.OnEditCalibrationFile();
  qv::SetFileDialogHandler(previousDialog);
  EXPECT_EQ(opened_, std::vector<std::string>{path_});
  qv::TextEditorWindow* found = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* editor = qobject_cast<qv::TextEditorWindow*>(w)) found = editor;
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Path(), path_);
}

}  // namespace
