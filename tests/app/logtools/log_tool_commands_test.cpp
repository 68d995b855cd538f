// The log-file tools as the program reaches them: the File menu's actions
// open the merge, depth-shift and LAS export dialogs (without a parent), a
// merge that ends with OK opens the merged log for replay, and the tools share
// the last data folder with File/Replay Log.
#include "app/logtools/log_tool_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "app/ui/sources.h"
#include "logtools/engine/tool_dialogs.h"
#include "logtools/las_ui/las_dialog.h"
#include "logtools/ui/depth_shift_dialog.h"
#include "logtools/ui/file_dialog.h"
#include "logtools/ui/merge_dialog.h"
#include "tests/support/qt_app.h"

namespace {

// Records the logs the application is asked to replay.
class ReplayRecorder : public LogDocuments {
 public:
  void RegisterTemplates(CPemmaroApp&) override {}
  bool InitialiseIdle(qv::Document*) override { return false; }
  void OnFileNew(CPemmaroApp&) override {}
  void OnFileOpen(CPemmaroApp&) override {}
  void OpenLogForReplay(CPemmaroApp&, const std::string& first, const std::string& second) override {
    replays.emplace_back(first, second);
  }
  std::vector<std::pair<std::string, std::string>> replays;
};

class NoIdleApp : public CPemmaroApp {
 public:
  void OpenIdleDocument() override {}
};

// What a dialog run saw.
struct DialogRun {
  std::string className;
  std::string title;
  bool hasParent = true;
  std::string dataFolder;  // the folder the tools' file dialogs propose
};

class LogToolCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::App();
    Sources().sondeList = [] { return std::vector<std::string>{}; };
    SetLogDocuments(&recorder);
    app = std::make_unique<NoIdleApp>();
    frame = new CMainFrame;
    ASSERT_TRUE(frame->Create());
    app->SetMainFrame(frame);
    savedFolder = g_strDefaultDataFolder;
    qv::InstallLogTools([this](QDialog& dialog) {
      runs.push_back({dialog.metaObject()->className(), dialog.windowTitle().toStdString(),
                      dialog.parentWidget() != nullptr, qv::DataFolderForDialogs()});
      return answer ? answer(dialog) : static_cast<int>(QDialog::Rejected);
    });
  }
  void TearDown() override {
    qv::InstallLogTools(nullptr);
    Tools().depthShift = nullptr;
    Tools().mergeLogs = nullptr;
    Tools().exportLas = nullptr;
    qv::SetToolFileHandler(nullptr);
    qv::SetDefaultDataFolder("");
    g_strDefaultDataFolder = savedFolder;
    delete frame;
    app.reset();
    SetLogDocuments(nullptr);
    UseDatabaseSources();
    qvtest::Settle();
  }
  // The action of a command in the File menu or one of its submenus, as the
  // user picks it; null when the menu lacks it.
  QAction* MenuAction(int id) {
    for (QAction* top : frame->menuBar()->actions()) {
      if (!top->menu() || top->menu()->title() != "&File") continue;
      std::vector<QMenu*> menus{top->menu()};
      for (size_t i = 0; i < menus.size(); ++i)
        for (QAction* a : menus[i]->actions()) {
          if (a->menu()) menus.push_back(a->menu());
          if (a == frame->FindAction(id)) return a;
        }
    }
    return nullptr;
  }

  ReplayRecorder recorder;
  std::unique_ptr<NoIdleApp> app;
  CMainFrame* frame = nullptr;
  std::vector<DialogRun> runs;
  std::function<int(QDialog&)> answer;
  std::string savedFolder;
};

TEST_F(LogToolCommands, EachMenuCommandOpensItsDialogWithoutAParent) {
  struct Case {
    int id;
    const char* className;
    const char* title;
  };
  const Case cases[] = {
      {ID_MERGE_LOGS, "qv::CMergeLog", "Merge Log Files"},
      {ID_DEPTH_SHIFT, "qv::DepthShift", "Shift Depth of Log/Log Channels"},
      {ID_EXPORT_LAS, "CLASCfg", "LAS Export Utility"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    runs.clear();
    QAction* action = MenuAction(c.id);
    ASSERT_NE(action, nullptr) << "the File menu holds the command";
    app->UpdateCommandUI();
    EXPECT_TRUE(action->isEnabled()) << "no log is open";
    action->trigger();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].className, c.className);
    EXPECT_EQ(runs[0].title, c.title);
    EXPECT_FALSE(runs[0].hasParent);
  }
  EXPECT_TRUE(recorder.replays.empty()) << "a cancelled merge opens nothing";
}

TEST_F(LogToolCommands, TheOldHeaderExportIsInTheExportMenuAndNeedsALog) {
  QAction* action = MenuAction(kIdExportOldHeader);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "&ORX2");
  EXPECT_EQ(action->statusTip(), "Export current log file to V106 format");
  app->UpdateCommandUI();
  EXPECT_FALSE(action->isEnabled()) << "only a log document handles it";
}

TEST_F(LogToolCommands, AMergeEndingWithOkOpensTheMergedLogForReplay) {
  qv::SetToolFileHandler(
      [](const qv::ToolFileRequest&) -> std::optional<std::string> { return std::string("/logs/merged/MERGED.LGX"); });
  answer = [](QDialog& dialog) {
    auto* merge = qobject_cast<qv::CMergeLog*>(&dialog);
    if (!merge) return static_cast<int>(QDialog::Rejected);
    merge->Selection().BrowseOutputFile();
    return static_cast<int>(QDialog::Accepted);
  };
  g_strDefaultDataFolder = "/logs/last/";
  app->ExecuteCommand(ID_MERGE_LOGS);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].dataFolder, "/logs/last/") << "the tools start where File/Replay Log was last";
  ASSERT_EQ(recorder.replays.size(), 1u);
  EXPECT_EQ(recorder.replays[0].first, "MERGED") << "titled as File/Replay Log titles a log";
  EXPECT_EQ(recorder.replays[0].second, "/logs/merged/MERGED.LGX");
  EXPECT_EQ(g_strDefaultDataFolder, "/logs/merged/") << "File/Replay Log proposes the merge's folder next";

  // OK without a merged file (nothing to replay) opens nothing.
  answer = [](QDialog&) { return static_cast<int>(QDialog::Accepted); };
  recorder.replays.clear();
  app->ExecuteCommand(ID_MERGE_LOGS);
  EXPECT_TRUE(recorder.replays.empty());
}

}  // namespace
