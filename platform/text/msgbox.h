// The message-box service. Headless engines and dialogs alike show boxes
// through it; the program installs a Qt implementation, tests install a fake
// that records what was shown and answers as scripted. No test ever runs a
// modal loop.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qv {

// Buttons and icons, with the values the boxes have always used.
enum MsgFlags : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONSTOP = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_TASKMODAL = 0x2000,
  MB_TOPMOST = 0x40000,
};

// Answers.
enum MsgAnswer : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  unsigned flags = MB_OK;
  unsigned id = 0;  // string-table id of the text, 0 for free text
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows a box and returns the answer. Without an installed handler the box is
// written to stderr and answered with its default button.
int ShowMessageBox(const std::string& text, const std::string& caption = {}, unsigned flags = MB_OK);
// The message sink keyed by string id, through which headless engines report:
// shows the table text of ID. The request carries the id, so a recorder can
// check which message was raised without comparing texts.
int ShowMessageId(unsigned id, unsigned flags = MB_OK, const std::string& caption = {});
// The same for a text made from the id's table text (a name put in for "%s").
int ShowMessageText(unsigned id, const std::string& text, unsigned flags = MB_OK, const std::string& caption = {});
// Installs the handler (null restores the default); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
// The answer a box with these flags gets by default (its default button).
int DefaultAnswer(unsigned flags);

// The beep service (MessageBeep); tests count beeps.
void Beep(unsigned type = 0);
std::function<void(unsigned)> SetBeepHandler(std::function<void(unsigned)> handler);

// A handler for tests: records every box (from any thread) and answers with
// the scripted answers in order, then with each box's default button.
// Installs itself on construction and restores the previous handler when
// destroyed.
class MessageRecorder {
 public:
  MessageRecorder();
  explicit MessageRecorder(std::vector<int> answers);
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<MessageBoxRequest> Shown() const;
  std::vector<unsigned> Ids() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<MessageBoxRequest> shown_;
  std::deque<int> answers_;
  MessageBoxHandler previous_;
};

}  // namespace qv
