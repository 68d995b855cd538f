// The Qt side of the dialog services: message boxes, file dialogs and beeps.
// Code asks for them through the service functions; the program installs the
// Qt implementations, tests install fakes that record and answer as scripted.
#pragma once

#include <functional>
#include <string>

class QFileDialog;
class QWidget;

namespace qv {

struct MessageBoxRequest;

// Installs the Qt message box and beep into the message-box service. Boxes
// asked for on a worker thread are shown by the GUI thread while the worker
// waits for the answer.
void InstallQtServices();

// Shows box R through SHOW on the GUI thread, as the Qt service does: a
// worker waits for the answer, except when it may not wait for the GUI thread
// (qv::GuiWaitsForWorkers): then it gets the box's default answer at once,
// and a box with OK alone is still shown later while a question is dropped.
int ShowBoxOnGui(const MessageBoxRequest& r, const std::function<int(const MessageBoxRequest&)>& show);

// File-open and file-save dialogs. The filter is written as
// "Description|*.a;*.b|Other|*.c||"; patterns match whatever the letter case.
struct FileDialogRequest {
  bool open = true;
  std::string title;
  std::string defaultExt;  // without the dot, "*." prefix tolerated
  std::string filter;
  std::string initialFolder;
  std::string fileName;    // preset name
  bool mustExist = false;  // path and file must exist (open dialogs)
  QWidget* parent = nullptr;
};

// The chosen path, or empty when cancelled.
std::string ShowFileDialog(const FileDialogRequest& request);
using FileDialogHandler = std::function<std::string(const FileDialogRequest&)>;
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// "Desc|*.a;*.b|..||" -> Qt's "Desc (*.a *.b);;..". Exposed for tests.
std::string QtFileFilter(const std::string& filter);
// Sets the program's file dialog up for a request, as ShowFileDialog runs it.
void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

}  // namespace qv
