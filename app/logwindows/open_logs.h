// The opening of log windows: the idle live document, File/New Log through
// the new-log wizard and the header editor, File/Replay Log and the opening
// of a recorded log for replay. Every path that fails after the active
// document was closed opens the idle document again, so that with the
// hardware present some document always watches the unit.
#pragma once

#include <functional>
#include <string>

#include "app/newlog/new_log.h"
#include "app/ui/pemmaro_app.h"
#include "header/header_info.h"
#include "logdoc/replayui/replay_dlg.h"

class CHeaderEditor;
class QWidget;

// How the modal steps run: in the program the dialogs themselves; tests
// answer them.
struct LogOpenerDialogs {
  // The new-log wizard: true with its hand-over when confirmed.
  std::function<bool(QWidget* parent, qv::LogWizardResult& result)> wizard;
  // The header editor over a new log's header (its result is not used).
  std::function<void(CHeaderEditor& editor)> headerEditor;
  // The replay settings dialog over the chosen log: IDOK or IDCANCEL.
  std::function<int(CReplayDlg& dialog)> replaySettings;
};
LogOpenerDialogs& OpenerDialogs();

// The template (0-based) of a tool type, or -1 when no document serves it;
// tool types 7 and 9 are logged as 1.
int TemplateOfToolType(int toolType);

// Registers the log documents with the application (templates, the opening of
// logs, the shell's view of a CLogDoc). Call before InitInstance.
void InstallLogDocuments();
