// Opening a text file (a calibration file) for the user to edit: in the
// desktop's editor when the desktop has one for it, else in the program's own
// plain-text editor window. The window keeps the file's bytes: its text is in
// the file code page (CP1252, or CP932 under a Japanese locale) and every line
// keeps its own line end, so saving an unchanged text gives the file back
// byte for byte; a save replaces the file whole, and refuses (after a box
// naming them) characters the code page cannot hold.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qv {

// Asks the desktop to open a file with the handler it has for it; false when
// it could not. The default goes through QDesktopServices; tests install a
// fake. Null restores the default; the previous opener is returned.
using DesktopOpener = std::function<bool(const std::string& path)>;
DesktopOpener SetDesktopOpener(DesktopOpener opener);
bool OpenWithDesktop(const std::string& path);

// A text file as the editor shows it: the lines joined by '\n', and the line
// end each line had ("\r\n", "\n" or "\r"), in order.
struct TextFileLines {
  QString text;
  std::vector<std::string> endings;
};
TextFileLines DecodeTextFile(std::string_view bytes);
// The bytes of a text: line i ends with endings[i]; lines beyond the list end
// like the file's first line (CR LF in a file that had none); the last line
// ends as the text does.
std::string EncodeTextFile(const QString& text, const std::vector<std::string>& endings);

class TextEditorWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The window on a file, shown; null (after a box) when it cannot be read.
  // It deletes itself when closed.
  static TextEditorWindow* Open(const std::string& path, QWidget* parent);

  // Replaces the file whole with the text; false (after a box, the file as it
  // was) when it cannot.
  bool Save();
  QPlainTextEdit* Editor() const { return editor_; }
  const std::string& Path() const { return path_; }
  // Offers changes not saved for saving (Yes, No, and Cancel when the window
  // may stay); false when the window is to stay open.
  bool OfferToSave(bool mayStay);
  // Closes the window; when it must go (the program ends without a way back)
  // its changes are offered with Yes and No only.
  bool CloseWindow(bool mayStay);

 protected:
  // Changes not saved are offered for saving first.
  void closeEvent(QCloseEvent* event) override;

 private:
  TextEditorWindow(std::string path, TextFileLines lines, QWidget* parent);

  std::string path_;
  std::vector<std::string> endings_;
  QPlainTextEdit* editor_;
  bool asked_ = false;  // the changes were offered already for this close
};

// Closes every editor window of the program at its end, each offering its
// changes for saving first. MAY_STAY: the user may still keep the program
// (File/Exit, the main window's close); false when one window stayed open.
// Without it (the program is ending anyway) each window is asked Yes or No
// and closes.
bool CloseTextEditorWindows(bool mayStay);

// The desktop's editor, else the program's window (returned; null when the
// desktop took the file or it cannot be read).
TextEditorWindow* EditTextFile(const std::string& path, QWidget* parent);

}  // namespace qv
