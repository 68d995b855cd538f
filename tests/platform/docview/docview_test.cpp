#include <gtest/gtest.h>

#include "tests/support/qt_app.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QEventLoop>
#include <QTimer>

#include <csignal>

#include <atomic>
#include <optional>
#include <thread>

#include "platform/docview/dialog.h"
#include "platform/docview/docview.h"
#include "platform/docview/gui_thread.h"
#include "platform/docview/services.h"
#include "platform/docview/termination.h"
#include "platform/sync/sync.h"
#include "platform/text/msgbox.h"
#include "tests/support/gui_boxes.h"
#include "tests/support/watchdog.h"

namespace {

using qvtest::App;
using qvtest::Settle;

// Records boxes instead of showing them.
struct FakeBoxes {
  std::vector<qv::MessageBoxRequest> shown;
  qv::MessageBoxHandler prev;
  FakeBoxes() {
    prev = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      shown.push_back(r);
      return qv::IDOK;
    });
  }
  ~FakeBoxes() { qv::SetMessageBoxHandler(prev); }
};

constexpr int kRecord = 2001, kLive = 2002, kWrap = 2003, kAbout = 2004, kNoHandler = 2005;

class StubDoc : public qv::Document {
public:
  bool recording = false;
  int records = 0;
  StubDoc() {
    SetTitle("stub");
    OnCommand(kRecord, [this] { ++records; });
    OnUpdate(kRecord, [this](qv::CmdUI& ui) { ui.Enable(!recording); });
    OnUpdate(kLive, [this](qv::CmdUI& ui) { ui.SetCheck(recording); });
  }
};

class BarFrame : public qv::ChildFrame {
public:
  QPushButton* bar1 = nullptr;
  QPushButton* bar2 = nullptr;
  bool OnCreate() override {
    bar1 = new QPushButton("REC", this);
    bar2 = new QPushButton("W", this);
    DockBar(bar2, false);
    const bool narrow = qv::Application::Instance()->ScreenWidth() < 800;
    DockBar(bar1, !narrow);
    qv::Application::Instance()->BindButton(bar1, kRecord);
    return true;
  }
};

struct Shell {
  QApplication* qt = App();
  qv::Application app;
  qv::MainFrame frame;
  bool wrap = true;
  Shell() {
    app.SetMainFrame(&frame);
    frame.OnCommand(kWrap, [this] { wrap = !wrap; });
    frame.OnUpdate(kWrap, [this](qv::CmdUI& ui) { ui.SetCheck(wrap); });
    app.OnCommand(kAbout, [] {});
    frame.BuildMenus({{"File/Record", kRecord}, {"File/-", 0}, {"File/Nothing", kNoHandler},
                      {"View/Wrap Curves", kWrap}, {"View/Live", kLive}, {"Info/About", kAbout}});
    app.AddDocTemplate(std::make_unique<qv::DocTemplate>(
        6, [] { return new StubDoc; }, [] { return new BarFrame; }, [] { return new qv::View; }));
    frame.resize(800, 600);
    frame.show();
  }
  ~Shell() {
    app.CloseAllDocuments();
    Settle();
  }
};

QMenu* MenuNamed(qv::MainFrame& f, const QString& title) {
  for (QAction* a : f.menuBar()->actions())
    if (a->menu() && a->menu()->title() == title) return a->menu();
  return nullptr;
}

TEST(DocView, TemplateOpensDocumentInFrameAndUpdateHandlersDecideCommands) {
  Shell s;
  auto* doc = static_cast<StubDoc*>(s.app.Template(0)->OpenDocumentFile(nullptr));
  ASSERT_NE(doc, nullptr);
  auto* frame = static_cast<BarFrame*>(s.app.ActiveFrame());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(s.app.ActiveDocument(), doc);
  EXPECT_EQ(frame->GetActiveView()->GetDocument(), doc);
  EXPECT_EQ(frame->GetActiveView()->GetParentFrame(), frame);

  // Opening a menu runs its update handlers.
  QMenu* file = MenuNamed(s.frame, "File");
  ASSERT_NE(file, nullptr);
  emit file->aboutToShow();
  EXPECT_TRUE(s.frame.FindAction(kRecord)->isEnabled());
  EXPECT_FALSE(s.frame.FindAction(kNoHandler)->isEnabled()) << "a command nobody handles is disabled";

  struct Case {
    bool recording;
    bool recordEnabled;
    bool liveChecked;
  };
  for (const Case c : {Case{false, true, false}, Case{true, false, true}}) {
    doc->recording = c.recording;
    emit MenuNamed(s.frame, "View")->aboutToShow();
    EXPECT_EQ(s.app.QueryCommand(kRecord).Enabled(), c.recordEnabled);
    EXPECT_EQ(s.frame.FindAction(kLive)->isChecked(), c.liveChecked);
    s.app.UpdateCommandUI();  // what the idle timer does
    EXPECT_EQ(frame->bar1->isEnabled(), c.recordEnabled) << "bar buttons follow the handlers";
  }

  // A command goes to the first target that handles it, and the states are
  // brought up to date afterwards.
  doc->recording = false;
  s.app.UpdateCommandUI();
  s.frame.FindAction(kRecord)->trigger();
  EXPECT_EQ(doc->records, 1);
  frame->bar1->click();
  EXPECT_EQ(doc->records, 2);
  s.frame.FindAction(kWrap)->trigger();
  EXPECT_FALSE(s.wrap);
  EXPECT_FALSE(s.frame.FindAction(kWrap)->isChecked());
  doc->recording = true;
  EXPECT_FALSE(s.app.ExecuteCommand(kRecord)) << "a disabled command does not run";
  EXPECT_EQ(doc->records, 2);
  EXPECT_TRUE(s.app.ExecuteCommand(kAbout));
}

TEST(DocView, BarsDockBesideEachOtherOrInRowsOnNarrowScreens) {
  for (const int width : {1024, 640}) {
    Shell s;
    s.app.SetScreenWidth(width);
    ASSERT_NE(s.app.Template(0)->OpenDocumentFile(nullptr), nullptr);
    auto* frame = static_cast<BarFrame*>(s.app.ActiveFrame());
    EXPECT_EQ(frame->BarRow(frame->bar2), 0);
    EXPECT_EQ(frame->BarColumn(frame->bar2), 0);
    if (width < 800) {
      EXPECT_EQ(frame->BarRow(frame->bar1), 1);
      EXPECT_EQ(frame->BarColumn(frame->bar1), 0);
    } else {
      EXPECT_EQ(frame->BarRow(frame->bar1), 0);
      EXPECT_EQ(frame->BarColumn(frame->bar1), 1);
    }
    Settle();
    EXPECT_GT(frame->bar1->mapTo(frame, QPoint(0, 0)).y(), frame->GetActiveView()->geometry().bottom()) << "bars sit below the view";
  }
}

// Closing a document may open another from inside its own close; the closed
// one is deleted only afterwards.
class ReopeningDoc : public qv::Document {
public:
  static int alive;
  static bool reopen;
  ReopeningDoc() { ++alive; }
  ~ReopeningDoc() override { --alive; }
  void OnCloseDocument() override {
    qv::Document::OnCloseDocument();
    if (reopen) {
      reopen = false;
      GetDocTemplate()->OpenDocumentFile(nullptr);
      SetTitle("still usable");
    }
  }
};
int ReopeningDoc::alive = 0;
bool ReopeningDoc::reopen = false;

TEST(DocView, CloseIsDeferredSoAClosingDocumentCanOpenAnother) {
  Shell s;
  auto* t = s.app.AddDocTemplate(std::make_unique<qv::DocTemplate>(
      6, [] { return new ReopeningDoc; }, [] { return new qv::ChildFrame; }, [] { return new qv::View; }));
  qv::Document* first = t->OpenDocumentFile(nullptr);
  ASSERT_NE(first, nullptr);
  ReopeningDoc::reopen = true;
  s.app.CloseDocument(first);
  EXPECT_EQ(ReopeningDoc::alive, 2) << "the closed document lives until the event loop runs";
  Settle();
  EXPECT_EQ(ReopeningDoc::alive, 1);
  ASSERT_EQ(t->Documents().size(), 1u);
  EXPECT_NE(t->Documents()[0], first);
  EXPECT_EQ(s.frame.Children().size(), 1u);
  // Closing the window closes its document.
  s.frame.Children()[0]->SubWindow()->close();
  Settle();
  EXPECT_EQ(ReopeningDoc::alive, 0);
  EXPECT_TRUE(s.frame.Children().empty());
}

class Page : public qv::PropertyPage {
public:
  bool allowLeave = true;
  int inits = 0, activations = 0, oks = 0;
  using qv::PropertyPage::PropertyPage;
  bool OnInitDialog() override {
    ++inits;
    return qv::PropertyPage::OnInitDialog();
  }
  bool OnSetActive() override {
    ++activations;
    return true;
  }
  bool OnKillActive() override { return allowLeave; }
  void OnOK() override { ++oks; }
};

TEST(PropertySheet, PageVetoesChangeAndPagesInitialiseOnFirstActivation) {
  App();
  qv::PropertySheet sheet("Sheet");
  auto* a = new Page("A");
  auto* b = new Page("B");
  sheet.AddPage(a);
  sheet.AddPage(b);
  sheet.HideButton(qv::PropertySheet::ApplyButton);
  sheet.SetButtonText(qv::PropertySheet::OkButton, "Close");
  sheet.show();
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  EXPECT_EQ(a->inits, 1);
  EXPECT_EQ(b->inits, 0);
  EXPECT_TRUE(sheet.ButtonWidget(qv::PropertySheet::ApplyButton)->isHidden());
  EXPECT_EQ(sheet.ButtonWidget(qv::PropertySheet::OkButton)->text(), "Close");

  a->allowLeave = false;
  EXPECT_FALSE(sheet.SetActivePage(1));
  sheet.Tabs()->setCurrentIndex(1);  // a click on the tab
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 0) << "the tab goes back when the page refuses";
  EXPECT_EQ(b->inits, 0);

  a->allowLeave = true;
  sheet.Tabs()->setCurrentIndex(1);
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_EQ(b->inits, 1);
  EXPECT_TRUE(sheet.SetActivePage(0));
  EXPECT_TRUE(sheet.SetActivePage(1));
  EXPECT_EQ(b->inits, 1) << "first init only once";
  EXPECT_EQ(b->activations, 2);

  b->allowLeave = false;
  EXPECT_FALSE(sheet.OnOK()) << "OK asks the active page first";
  b->allowLeave = true;
  EXPECT_TRUE(sheet.OnOK());
  EXPECT_EQ(a->oks + b->oks, 2);
}

class RangeDialog : public qv::Dialog {
public:
  QLineEdit* intEdit = new QLineEdit(this);
  QLineEdit* dblEdit = new QLineEdit(this);
  int count = 5;
  double depth = 0;
  void DoDataExchange(qv::DataExchange& dx) override {
    qv::DDX_Text(dx, intEdit, count);
    qv::DDV_MinMaxInt(dx, count, 1, 10);
    qv::DDX_Text(dx, dblEdit, depth);
    qv::DDV_MinMaxDouble(dx, depth, -9999, 9999);
  }
};

TEST(DataExchange, ValuesLoadAndSaveWithRangeChecks) {
  App();
  struct Case {
    const char* intText;
    const char* dblText;
    bool ok;
    int count;
    double depth;
    const char* box;
  };
  const Case cases[] = {
      {"7", "12.3456", true, 7, 12.3456, ""},
      {" 10 ", "-9999", true, 10, -9999, ""},
      {"11", "0", false, 11, 0, "Please enter a whole number from 1 to 10."},
      {"x", "0", false, 5, 0, "Please enter a whole number."},
      {"3", "1,5", false, 3, 0, "Please enter a number."},
      {"3", "10000", false, 3, 10000, "Please enter a number from -9999 to 9999."},
      {"3", "nan", false, 3, 0, "Please enter a number."},
  };
  for (const Case& c : cases) {
    FakeBoxes boxes;
    RangeDialog d;
    d.EnsureInitialised();
    EXPECT_EQ(d.intEdit->text(), "5");
    EXPECT_EQ(d.dblEdit->text(), "0");
    d.intEdit->setText(c.intText);
    d.dblEdit->setText(c.dblText);
    EXPECT_EQ(d.UpdateData(true), c.ok) << c.intText << " " << c.dblText;
    EXPECT_EQ(d.count, c.count);
    EXPECT_DOUBLE_EQ(d.depth, c.depth);
    if (c.ok) {
      EXPECT_TRUE(boxes.shown.empty());
    } else {
      ASSERT_EQ(boxes.shown.size(), 1u) << "one box per failed exchange";
      EXPECT_EQ(boxes.shown[0].text, c.box);
    }
  }
}

TEST(GuiThread, WorkerUpdatesReachTheWidgetWhenEventsAreProcessed) {
  App();
  QLabel label;
  qv::CoalescedPost post(&label);
  std::atomic<int> posted{0};
  std::thread worker([&] {
    for (int i = 1; i <= 100; ++i) {
      post.Post([&label, i] { label.setText(QString::number(i)); });
      ++posted;
    }
  });
  worker.join();
  EXPECT_TRUE(label.text().isEmpty()) << "nothing touches the widget from the worker";
  Settle();
  EXPECT_EQ(label.text(), "100") << "the newest update wins";

  // A blocking call from a worker gets the GUI thread's answer.
  std::atomic<int> answer{0};
  std::thread asker([&] { answer = qv::CallOnGui<int>([] { return qv::IsGuiThread() ? 42 : -1; }, 0); });
  while (answer == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  asker.join();
  EXPECT_EQ(answer, 42);

  // A post to a widget that is gone by then is dropped.
  auto* gone = new QLabel;
  bool ran = false;
  qv::PostToGui(gone, [&] { ran = true; });
  delete gone;
  Settle();
  EXPECT_FALSE(ran);
}

// The user-interface thread waiting for a worker (a join at an end) and that
// worker waiting for the user-interface thread (a box) never meet: the worker
// goes on with the box's default answer; a box that only tells something is
// shown afterwards, a question is not asked. A thread the user-interface
// thread may wait for at any moment never waits for it at all.
TEST(GuiThread, AWorkerDoesNotWaitForTheGuiThreadWhileItWaitsForWorkers) {
  App();
  struct Case {
    const char* name;
    unsigned flags;
    bool marked;  // the worker is marked as never waiting (a chart feed)
    int answer;
    bool shownAfter;
  } cases[] = {
      {"a message, joined", qv::MB_OK | qv::MB_ICONSTOP, false, qv::IDOK, true},
      {"a question, joined", qv::MB_YESNO, false, qv::IDYES, false},
      {"a message from a marked thread", qv::MB_OK, true, qv::IDOK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qvtest::GuiBoxes boxes({qv::IDNO});
    std::atomic<int> answer{0};
    qv::Thread worker;
    ASSERT_TRUE(worker.Start([&](qv::Event&) {
      std::optional<qv::NeverWaitForGui> mark;
      if (c.marked) mark.emplace();
      answer = qv::ShowMessageBox(c.name, "test", c.flags);
      return 0;
    }));
    qvtest::RunUnderWatchdog(c.name, [&] { EXPECT_TRUE(worker.Join(qv::kInfinite)); });
    EXPECT_EQ(answer, c.answer);
    Settle();
    EXPECT_EQ(boxes.Texts(), c.shownAfter ? std::vector<std::string>{c.name} : std::vector<std::string>{});
  }
  // Without a wait of the user-interface thread the worker has its answer.
  qvtest::GuiBoxes boxes({qv::IDNO});
  std::atomic<int> answer{0};
  std::thread asker([&] { answer = qv::ShowMessageBox("asked", "test", qv::MB_YESNO); });
  EXPECT_TRUE(qvtest::SpinUntil([&] { return answer != 0; }));
  asker.join();
  EXPECT_EQ(answer, qv::IDNO);
}

TEST(FileDialog, FilterKeepsThePlainPatternsAndTheFakeAnswers) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"Calibration File (*.cal)|*.cal||", "Calibration File (*.cal) (*.cal)"},
      {"Standard Log files (*.log;*.lgx)|*.log;*.lgx|BHTV files (*.btv) |*.btv||",
       "Standard Log files (*.log;*.lgx) (*.log *.lgx);;BHTV files (*.btv) (*.btv)"},
  };
  for (const Case& c : cases) EXPECT_EQ(qv::QtFileFilter(c.in), c.out);
  auto prev = qv::SetFileDialogHandler([](const qv::FileDialogRequest& r) { return r.initialFolder + "/X.LOG"; });
  qv::FileDialogRequest r;
  r.initialFolder = "/data";
  EXPECT_EQ(qv::ShowFileDialog(r), "/data/X.LOG");
  qv::SetFileDialogHandler(prev);
}

// The dialog the user sees: the filter reads as written, and the listing
// holds the logs whatever the case of their names.
TEST(FileDialog, DialogShowsTheDescriptionAndListsEveryCase) {
  App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"UPPER.LOG", "lower.log", "Mixed.Lgx", "other.txt", "calib.CAL"}) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  qv::FileDialogRequest r;
  r.filter = "Standard Log files (*.log;*.lgx)|*.log;*.lgx|Calibration File (*.cal)|*.cal||";
  r.initialFolder = dir.path().toStdString();
  r.mustExist = true;
  QFileDialog dlg;
  qv::PrepareFileDialog(dlg, r);
  auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 2);
  EXPECT_EQ(types->itemText(0), QStringLiteral("Standard Log files (*.log;*.lgx)"));
  EXPECT_EQ(types->itemText(1), QStringLiteral("Calibration File (*.cal)"));
  for (QString c : types->itemText(0) + types->itemText(1)) EXPECT_NE(c, QChar('[')) << "no case trick shown";

  auto* list = dlg.findChild<QListView*>(QStringLiteral("listView"));
  ASSERT_NE(list, nullptr);
  auto listed = [&] {
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int i = 0; i < list->model()->rowCount(root); ++i)
      if (!list->isRowHidden(i)) names << list->model()->index(i, 0, root).data().toString();
    names.sort();
    return names.join(QLatin1Char(',')).toStdString();
  };
  // The listing fills from a thread of its own: give it time, however busy
  // the machine.
  auto waitFor = [&](const std::string& want) {
    QElapsedTimer clock;
    clock.start();
    while (listed() != want && clock.elapsed() < 20000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(5);
    }
  };
  const std::string logs = "Mixed.Lgx,UPPER.LOG,lower.log";
  waitFor(logs);
  EXPECT_EQ(listed(), logs);
  dlg.selectNameFilter(dlg.nameFilters().at(1));
  const std::string cals = "calib.CAL";
  waitFor(cals);
  EXPECT_EQ(listed(), cals);
}

// A termination signal reaches the GUI thread as a call, once, instead of
// ending the process where it stands.
TEST(TerminationSignals, ASignalIsHandedToTheGuiThreadOnce) {
  qvtest::App();
  QEventLoop loop;
  int calls = 0;
  std::thread::id thread;
  qv::HandleTerminationSignals([&] {
    ++calls;
    thread = std::this_thread::get_id();
    loop.exit(7);
  });
  QTimer::singleShot(0, [] {
    ::raise(SIGTERM);
    ::raise(SIGHUP);
  });
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  EXPECT_EQ(loop.exec(), 7);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(thread, std::this_thread::get_id());
  EXPECT_TRUE(qv::TerminationRequested());
}

}  // namespace
