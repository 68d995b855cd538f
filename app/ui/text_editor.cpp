#include "app/ui/text_editor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

#include "platform/docview/dialog.h"
#include "platform/docview/qtext.h"
#include "platform/files/atomic_file.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {
namespace {

constexpr unsigned kStrCannotOpen = 32408;  // "Can't open file %s."
constexpr unsigned kStrSaveChanges = 32290;
constexpr unsigned kStrNotSaved = 34100;
constexpr char kNewLineEnd[] = "\r\n";

// QDesktopServices only reports whether xdg-open could be started, not
// whether the desktop has a handler for the file's type; with none, xdg-open
// fails in the background and the user would see nothing. So the handler is
// looked up first, and without one the caller opens its own editor.
bool DesktopHasHandler(const QString& file) {
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return false;
  const QString type = QMimeDatabase().mimeTypeForFile(file).name();
  QProcess query;
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return false;
  }
  return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
         !query.readAllStandardOutput().trimmed().isEmpty();
}

bool DefaultDesktopOpener(const std::string& path) {
  const QString file = QString::fromStdString(path);
  return DesktopHasHandler(file) && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

DesktopOpener& Opener() {
  static DesktopOpener opener = DefaultDesktopOpener;
  return opener;
}

}  // namespace

DesktopOpener SetDesktopOpener(DesktopOpener opener) {
  DesktopOpener previous = Opener();
  Opener() = opener ? std::move(opener) : DesktopOpener(DefaultDesktopOpener);
  return previous;
}

bool OpenWithDesktop(const std::string& path) {
  return Opener()(path);
}

TextFileLines DecodeTextFile(std::string_view bytes) {
  TextFileLines out;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    const bool crlf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    out.endings.push_back(crlf ? "\r\n" : std::string(1, c));
    if (crlf) ++i;
    out.text += QStr(line);
    out.text += QLatin1Char('\n');
    line.clear();
  }
  out.text += QStr(line);
  return out;
}

std::string EncodeTextFile(const QString& text, const std::vector<std::string>& endings) {
  const std::string added = endings.empty() ? kNewLineEnd : endings.front();
  const QStringList lines = text.split(QLatin1Char('\n'));
  std::string out;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    out += StdStr(lines[i]);
    if (i + 1 < lines.size()) out += static_cast<size_t>(i) < endings.size() ? endings[static_cast<size_t>(i)] : added;
  }
  return out;
}

TextEditorWindow::TextEditorWindow(std::string path, TextFileLines lines, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      path_(std::move(path)),
      endings_(std::move(lines.endings)),
      editor_(new QPlainTextEdit(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("TextEditor"));
  setWindowTitle(QString::fromStdString(path_) + QStringLiteral("[*]"));
  editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setPlainText(lines.text);
  editor_->document()->setModified(false);
  setCentralWidget(editor_);
  connect(editor_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { Save(); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
  resize(640, 560);
}

TextEditorWindow* TextEditorWindow::Open(const std::string& path, QWidget* parent) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    ShowMessageText(kStrCannotOpen, FormatC(LoadString(kStrCannotOpen).c_str(), path.c_str()), MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  auto* window = new TextEditorWindow(path, DecodeTextFile(bytes), parent);
  window->show();
  return window;
}

bool TextEditorWindow::Save() {
  // The raw text keeps non-breaking spaces (the plain text turns them into
  // blanks); its paragraph separators are the line breaks.
  QString text = editor_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
  // Characters the file's code page cannot hold would be written as '?':
  // the user hears of them first, and the file stays as it was.
  if (const std::string missing = UnstorableMessage(text); !missing.empty()) {
    ShowMessageBox(missing, {}, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::string bytes = EncodeTextFile(text, endings_);
  if (!WriteFileAtomically(path_, bytes)) {
    ShowMessageText(kStrNotSaved, FormatC(LoadString(kStrNotSaved).c_str(), path_.c_str()), MB_OK | MB_ICONSTOP);
    return false;
  }
  endings_ = DecodeTextFile(bytes).endings;
  editor_->document()->setModified(false);
  return true;
}

bool TextEditorWindow::OfferToSave(bool mayStay) {
  if (!editor_->document()->isModified()) return true;
  const int answer = ShowMessageId(kStrSaveChanges, (mayStay ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONQUESTION);
  if (answer == IDYES && !Save()) return !mayStay;
  return answer != IDCANCEL || !mayStay;
}

bool TextEditorWindow::CloseWindow(bool mayStay) {
  if (!OfferToSave(mayStay)) return false;
  asked_ = true;
  const bool closed = close();
  asked_ = false;
  return closed;
}

void TextEditorWindow::closeEvent(QCloseEvent* event) {
  if (!asked_ && !OfferToSave(true)) {
    event->ignore();
    return;
  }
  event->accept();
}

bool CloseTextEditorWindows(bool mayStay) {
  std::vector<QPointer<TextEditorWindow>> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* editor = qobject_cast<TextEditorWindow*>(w); editor && editor->isVisible()) windows.emplace_back(editor);
  for (const QPointer<TextEditorWindow>& w : windows)
    if (w && !w->CloseWindow(mayStay) && mayStay) return false;
  return true;
}

TextEditorWindow* EditTextFile(const std::string& path, QWidget* parent) {
  if (OpenWithDesktop(path)) return nullptr;
  return TextEditorWindow::Open(path, parent);
}

}  // namespace qv
