// A small document/view layer on Qt Widgets: an application object with its
// document templates, documents, views, MDI child frames with docked bars, and
// the main frame with menu, tool bar and status bar built from command tables.
// Documents carry no serialisation or modified state; they are closed through
// the application, and their objects go away only once control is back in the
// event loop, so a closing document may still open another.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/docview/command.h"

class QAbstractButton;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPainter;
class QTimer;
class QToolBar;
class QVBoxLayout;

namespace qv {

class Application;
class ChildFrame;
class DocTemplate;
class View;

// What a view's print hooks receive while a document prints.
struct PrintInfo {
  int minPage = 1;
  int maxPage = 0xFFFF;
  int fromPage = 1;
  int toPage = 0xFFFF;
  int currentPage = 1;
  bool continuePrinting = true;
  bool preview = false;
  QRectF pageRect;  // printable area in device units
  void* userData = nullptr;
};

class Document : public QObject, public CommandTarget {
  Q_OBJECT
public:
  Document();
  ~Document() override;
  // Called once the frame and view exist; false abandons the new document.
  virtual bool OnNewDocument() { return true; }
  // Closes the document's windows and the modeless dialogs it owns. Runs
  // through Application::CloseDocument; the object is deleted afterwards.
  virtual void OnCloseDocument();
  void SetTitle(const std::string& title);
  const std::string& GetTitle() const { return title_; }
  DocTemplate* GetDocTemplate() const { return template_; }
  const std::vector<View*>& Views() const { return views_; }
  void UpdateAllViews(View* sender, long hint = 0, void* object = nullptr);
  // A modeless dialog that lives as long as the document does.
  void AddOwnedWindow(QWidget* window);
  bool IsClosing() const { return closing_; }

signals:
  void titleChanged();

private:
  friend class Application;
  friend class DocTemplate;
  friend class View;
  std::string title_;
  DocTemplate* template_ = nullptr;
  std::vector<View*> views_;
  std::vector<QPointer<QWidget>> owned_;
  bool closing_ = false;
};

class View : public QWidget, public CommandTarget {
  Q_OBJECT
public:
  explicit View(QWidget* parent = nullptr);
  ~View() override;
  Document* GetDocument() const { return doc_; }
  ChildFrame* GetParentFrame() const;
  // Once, when the window is first shown: the default runs OnUpdate.
  virtual void OnInitialUpdate();
  virtual void OnUpdate(View* sender, long hint, void* object);
  virtual void OnDraw(QPainter& painter);
  virtual void OnActivateView(bool activate, View* activated, View* deactivated);
  // Printing, driven by the print loop of the printing code.
  virtual bool OnPreparePrinting(PrintInfo& info);
  virtual void OnBeginPrinting(QPainter& painter, PrintInfo& info);
  virtual void OnPrepareDC(QPainter& painter, PrintInfo* info);
  virtual void OnPrint(QPainter& painter, PrintInfo& info);
  virtual void OnEndPrinting(QPainter& painter, PrintInfo& info);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  friend class DocTemplate;
  friend class Document;
  QPointer<Document> doc_;
};

// The window of one document: its view on top, its dialog bars docked below
// it. A bar docked beside the previous one shares its row; every other bar
// starts a row of its own under the earlier ones.
class ChildFrame : public QWidget, public CommandTarget {
  Q_OBJECT
public:
  ChildFrame();
  ~ChildFrame() override;
  // Creates the frame's bars; false fails the opening of the window.
  virtual bool OnCreate() { return true; }
  View* GetActiveView() const { return view_; }
  Document* GetActiveDocument() const;
  void DockBar(QWidget* bar, bool besidePrevious);
  void ShowBar(QWidget* bar, bool show);
  bool BarVisible(QWidget* bar) const;
  // Row (0 = the one nearest the view) and place in it of a docked bar; -1
  // when the bar is not docked here.
  int BarRow(QWidget* bar) const;
  int BarColumn(QWidget* bar) const;
  QMdiSubWindow* SubWindow() const { return sub_; }
  bool IsDestroying() const { return destroying_; }
  // Hides the window now and deletes it (view and bars with it) later.
  void DestroyWindow();

private:
  friend class DocTemplate;
  friend class MainFrame;
  void SetView(View* view);
  QVBoxLayout* layout_;
  QPointer<View> view_;
  QPointer<Document> doc_;
  std::vector<std::vector<QWidget*>> rows_;
  QMdiSubWindow* sub_ = nullptr;
  bool destroying_ = false;
};

class DocTemplate {
public:
  DocTemplate(int resourceId, std::function<Document*()> makeDocument, std::function<ChildFrame*()> makeFrame,
              std::function<View*()> makeView);
  int ResourceId() const { return resourceId_; }
  // Opens a new document (path null) in a new child frame of the main frame;
  // null when the document, its frame or view refused.
  Document* OpenDocumentFile(const char* path, bool makeVisible = true);
  const std::vector<Document*>& Documents() const { return docs_; }

private:
  friend class Application;
  void Remove(Document* doc);
  int resourceId_;
  std::function<Document*()> makeDocument_;
  std::function<ChildFrame*()> makeFrame_;
  std::function<View*()> makeView_;
  std::vector<Document*> docs_;
};

// One menu entry: "File/New Log" puts the command New Log into the File menu;
// a last component "-" is a separator. The command's string-table text gives
// the status-bar prompt and, after a line break, the tool tip.
// The id of the status-bar text shown while nothing else is ("Ready").
constexpr unsigned kIdleMessageId = 57345;

struct MenuCommand {
  std::string path;
  int id;
};

class MainFrame : public QMainWindow, public CommandTarget {
  Q_OBJECT
public:
  MainFrame();
  ~MainFrame() override;
  void BuildMenus(const std::vector<MenuCommand>& table);
  // The action of a command (menus and tool bar share it); created on demand.
  QAction* Action(int id);
  QAction* FindAction(int id) const;
  QToolBar* ToolBar();
  void AddToolButton(int id, const QIcon& icon);
  QMdiArea* MdiArea() const { return mdi_; }
  ChildFrame* ActiveChild() const;
  std::vector<ChildFrame*> Children() const;
  // Status bar: pane 0 is the message pane; every further id gets a pane whose
  // text and enabled state come from that id's update handler.
  void SetIndicators(const std::vector<int>& ids);
  QLabel* Pane(int index) const;
  void SetMessageText(const std::string& text);
  std::string MessageText() const;

protected:
  void closeEvent(QCloseEvent* event) override;
  // Close requests (the window's close button, File/Exit) come here first;
  // false keeps the window open.
  virtual bool OnClose() { return true; }

private:
  friend class DocTemplate;
  friend class Application;
  void AddChild(ChildFrame* frame);
  void UpdateMenu(QMenu* menu);
  void UpdatePanes();
  QMdiArea* mdi_;
  QToolBar* toolBar_ = nullptr;
  QLabel* message_;
  std::vector<std::pair<int, QLabel*>> panes_;
  std::vector<std::pair<int, QAction*>> actions_;
  QPointer<ChildFrame> lastActive_;
};

class Application : public QObject, public CommandTarget {
  Q_OBJECT
public:
  Application();
  ~Application() override;
  static Application* Instance();
  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }
  DocTemplate* AddDocTemplate(std::unique_ptr<DocTemplate> t);
  // Templates in registration order, 0-based.
  DocTemplate* Template(size_t index) const;
  size_t TemplateCount() const { return templates_.size(); }
  void SetMainFrame(MainFrame* frame) { main_ = frame; }
  MainFrame* GetMainFrame() const { return main_; }
  ChildFrame* ActiveFrame() const;
  View* ActiveView() const;
  Document* ActiveDocument() const;
  std::vector<Document*> Documents() const;
  void CloseDocument(Document* doc);
  void CloseAllDocuments();
  // Routes a command from the active window (or from origin, the frame whose
  // bar sent it). True when some target handled it.
  bool ExecuteCommand(int id, ChildFrame* origin = nullptr);
  CmdUI QueryCommand(int id, ChildFrame* origin = nullptr);
  // Brings every command's action, bound button and status pane up to date;
  // runs after each command and on a short timer.
  void UpdateCommandUI();
  // A bar button that sends id; its enabled (and checked) state follows the
  // update handlers unless followState is false.
  void BindButton(QAbstractButton* button, int id, bool followState = true);
  void StartIdleUpdates(int periodMs = 250);
  // Screen width in pixels (frames dock differently on narrow screens); tests
  // set it.
  int ScreenWidth() const;
  void SetScreenWidth(int pixels) { screenWidth_ = pixels; }

private:
  std::vector<CommandTarget*> Route(ChildFrame* origin) const;
  struct Bound {
    QPointer<QAbstractButton> button;
    int id;
    bool followState;
  };
  std::vector<std::unique_ptr<DocTemplate>> templates_;
  QPointer<MainFrame> main_;
  std::vector<Bound> bound_;
  QTimer* idle_ = nullptr;
  int screenWidth_ = 0;
};

}  // namespace qv
