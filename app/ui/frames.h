// The program's windows: the application object's shell side, the main frame
// with its tool bar (and sonde selector) and status bar, the child frame of
// every log window with its bars, the plain view of the idle document, and
// the Set Tool Depth and About dialogs.
#pragma once

#include <QToolBar>

#include <functional>
#include <string>

#include "app/ui/bars.h"
#include "app/ui/pemmaro_app.h"
#include "platform/docview/dialog.h"
#include "platform/docview/docview.h"

class QComboBox;
class QLabel;
class QLineEdit;

// Command ids of the menus.
enum CommandId {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_CLOSE = 57602,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_HELP_FINDER = 57667,
  ID_CONTEXT_HELP = 57669,
  ID_REALTIME_PRINTER_SETUP = 1002,
  ID_DATE_PANE = 1004,
  ID_INIT_DEPTH_SYSTEM = 1015,
  ID_CALIBRATION = 1022,
  ID_EDIT_CALIBRATION_FILE = 1025,
  ID_REPAIR_DATABASE = 1030,
  ID_INIT_HARDWARE = 1031,
  ID_SONDE_DATABASE = 1034,
  ID_TEST_SONDE = 1036,
  ID_CHANGE_SYSTEM_SETTINGS = 1035,
  ID_USER_FUNCTIONS = 1040,
  ID_DATA_CHANNEL = 1042,
  ID_SELECT_SONDE = 1059,
  ID_WRAP_CURVES = 1062,
  ID_MERGE_LOGS = 1064,
  ID_EXPORT_LAS = 1065,
  ID_DEPTH_SHIFT = 1066,
};
// File/Export/ORX2: handled by the open log document (its header as an old
// binary header); the main frame only carries the menu entry.
constexpr int kIdExportOldHeader = 1000;
// The other commands of the open log document and its view, carried the same way.
constexpr int kIdShowLogHeader = 1005;
constexpr int kIdChangeCableOptions = 1021;
constexpr int kIdChangeLayout = 1041;
constexpr int kIdChannelDisplay = 1057;
// The televiewer view's commands.
constexpr int kIdInvertBhtvColours = 1045;
constexpr int kIdNormaliseBhtvAmplitude = 1060;
constexpr int kIdNormaliseBhtvTransit = 1061;
constexpr int kIdSonicConfiguration = 1067;
constexpr int kIdSonicFpgSettings = 1033;  // the free-pipe gates of a cement-bond log
constexpr int kIdPageModePrint = 57607;

// The dialogs other parts of the program supply; a command whose dialog has
// not been supplied does nothing.
struct MainFrameTools {
  std::function<void()> sondeDatabase;  // selection, then the editor sheet
  std::function<bool()> selectSonde;    // true when a sonde was chosen
  std::function<void()> userFunctions;
  // File/Export/LAS 2.0: the LAS export dialog.
  std::function<void()> exportLas;
  // File/Depth Shift: the depth-shift dialog.
  std::function<void()> depthShift;
  // File/Merge Logs: the merge dialog; true after a merge, with the merged
  // log's title and full path for its replay.
  std::function<bool(std::string* title, std::string* path)> mergeLogs;
  // Opens a text file in the text editor.
  std::function<void(const std::string& path)> editText;
  // Tools/Calibration: the calibration wizard against the unit.
  std::function<void()> calibration;
  // File/Real Time Printer Setup: the chart recorder's set-up dialog.
  std::function<void()> realTimePrinterSetup;
};
MainFrameTools& Tools();

class CMainToolBar : public QToolBar {
  Q_OBJECT
public:
  explicit CMainToolBar(QWidget* parent = nullptr);
  bool CreateSondeSelector();
  void SelectCurrentSonde();
  void OnSondeSelected();
  QComboBox* SondeSelector() const { return selector_; }

private:
  QComboBox* selector_ = nullptr;
};

class CMainFrame : public qv::MainFrame {
  Q_OBJECT
public:
  CMainFrame();
  bool Create();
  CMainToolBar* MainToolBar() const { return toolBar_; }
  void OnSondeDatabase();
  void OnSelectSonde();
  void OnEditCalibrationFile();
  void OnWrapCurves();
  // The end of replay data (from the replay thread: queued to the GUI thread).
  void PostReplayEnd();
  void OnReplayEnd();
  static std::vector<qv::MenuCommand> MenuTable();

protected:
  bool OnClose() override;

private:
  CMainToolBar* toolBar_ = nullptr;
};

class CPemmaroView : public qv::View {
  Q_OBJECT
public:
  void OnInitialUpdate() override;

protected:
  void paintEvent(QPaintEvent* event) override;
};

class CPemmaroFrame : public qv::ChildFrame {
  Q_OBJECT
public:
  CPemmaroFrame();
  ~CPemmaroFrame() override;
  bool OnCreate() override;
  void OnInitialiseDepthSystem();
  CReplayControl* ReplayBar() const { return replay_; }
  CSondeControl* SondeBar() const { return sonde_; }
  CWinchControl* WinchBar() const { return winch_; }
  // Which bar a View command shows or hides (null when this frame has none).
  QWidget* BarOf(int id) const;
  static constexpr int kSmallScreenWidth = 800;

private:
  QPointer<CReplayControl> replay_;
  QPointer<CSondeControl> sonde_;
  QPointer<CWinchControl> winch_;
};

class CDepthDlg : public qv::Dialog {
  Q_OBJECT
public:
  explicit CDepthDlg(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  void OnOK() override;
  QLineEdit* DepthEdit() const { return edit_; }
  std::string m_strUnit = "m";
  double m_dDepth = 0;

private:
  QLabel* unit_;
  QLineEdit* edit_;
};

class CAboutDlg : public qv::Dialog {
  Q_OBJECT
public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void OnSelchangeDrive();
  // The text of a control by its id.
  std::string ControlText(int id) const;
  QComboBox* Drives() const { return drives_; }

private:
  QComboBox* drives_;
};
