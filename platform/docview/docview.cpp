#include "docview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/docview/qtext.h"
#include "platform/text/strings.h"

namespace qv {
namespace {
Application* g_app = nullptr;

// Closing a document's window closes the document.
class SubWindowCloseFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() != QEvent::Close) return false;
    auto* sub = static_cast<QMdiSubWindow*>(obj);
    auto* frame = qobject_cast<ChildFrame*>(sub->widget());
    if (!frame || frame->IsDestroying()) return false;
    ev->ignore();
    if (Application* app = Application::Instance()) app->CloseDocument(frame->GetActiveDocument());
    return true;
  }
};
}  // namespace

// ---------------------------------------------------------------------------
Document::Document() = default;

Document::~Document() {
  for (View* v : views_) v->doc_ = nullptr;
}

void Document::OnCloseDocument() {
  for (auto& w : owned_)
    if (w) {
      w->hide();
      w->deleteLater();
    }
  owned_.clear();
  for (View* v : views_)
    if (ChildFrame* f = v->GetParentFrame()) f->DestroyWindow();
}

void Document::SetTitle(const std::string& title) {
  title_ = title;
  for (View* v : views_)
    if (ChildFrame* f = v->GetParentFrame()) {
      f->setWindowTitle(QStr(title));
      if (f->SubWindow()) f->SubWindow()->setWindowTitle(QStr(title));
    }
  emit titleChanged();
}

void Document::UpdateAllViews(View* sender, long hint, void* object) {
  for (View* v : views_)
    if (v != sender) v->OnUpdate(sender, hint, object);
}

void Document::AddOwnedWindow(QWidget* window) { owned_.emplace_back(window); }

// ---------------------------------------------------------------------------
View::View(QWidget* parent) : QWidget(parent) {}

View::~View() {
  if (doc_) {
    auto& v = doc_->views_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
}

ChildFrame* View::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* f = qobject_cast<ChildFrame*>(w)) return f;
  return nullptr;
}

void View::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
void View::OnUpdate(View*, long, void*) { update(); }
void View::OnDraw(QPainter&) {}
void View::OnActivateView(bool, View*, View*) {}
bool View::OnPreparePrinting(PrintInfo&) { return true; }
void View::OnBeginPrinting(QPainter&, PrintInfo&) {}
void View::OnPrepareDC(QPainter&, PrintInfo*) {}
void View::OnPrint(QPainter& painter, PrintInfo& info) {
  OnPrepareDC(painter, &info);
  OnDraw(painter);
}
void View::OnEndPrinting(QPainter&, PrintInfo&) {}

void View::paintEvent(QPaintEvent*) {
  QPainter p(this);
  OnPrepareDC(p, nullptr);
  OnDraw(p);
}

// ---------------------------------------------------------------------------
ChildFrame::ChildFrame() : layout_(new QVBoxLayout(this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

ChildFrame::~ChildFrame() = default;

Document* ChildFrame::GetActiveDocument() const { return doc_; }

void ChildFrame::SetView(View* view) {
  view_ = view;
  view->setParent(this);
  layout_->insertWidget(0, view, 1);
}

void ChildFrame::DockBar(QWidget* bar, bool besidePrevious) {
  if (besidePrevious && !rows_.empty()) {
    auto* rowWidget = rows_.back().front()->parentWidget();
    static_cast<QHBoxLayout*>(rowWidget->layout())->addWidget(bar);
    rows_.back().push_back(bar);
  } else {
    auto* rowWidget = new QWidget(this);
    auto* row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(bar);
    // Bars keep their own width; the row's free space stays on the right.
    layout_->addWidget(rowWidget);
    rows_.push_back({bar});
    row->addStretch(1);
  }
  // A stretch added after the first bar must stay last.
  auto* row = static_cast<QHBoxLayout*>(bar->parentWidget()->layout());
  for (int i = 0; i < row->count(); ++i)
    if (row->itemAt(i)->spacerItem()) {
      delete row->takeAt(i);
      break;
    }
  row->addStretch(1);
}

void ChildFrame::ShowBar(QWidget* bar, bool show) {
  if (BarRow(bar) >= 0) bar->setVisible(show);
}

bool ChildFrame::BarVisible(QWidget* bar) const { return BarRow(bar) >= 0 && !bar->isHidden(); }

int ChildFrame::BarRow(QWidget* bar) const {
  for (size_t r = 0; r < rows_.size(); ++r)
    if (std::find(rows_[r].begin(), rows_[r].end(), bar) != rows_[r].end()) return static_cast<int>(r);
  return -1;
}

int ChildFrame::BarColumn(QWidget* bar) const {
  for (const auto& row : rows_) {
    auto it = std::find(row.begin(), row.end(), bar);
    if (it != row.end()) return static_cast<int>(it - row.begin());
  }
  return -1;
}

void ChildFrame::DestroyWindow() {
  if (destroying_) return;
  destroying_ = true;
  QWidget* top = sub_ ? static_cast<QWidget*>(sub_) : this;
  top->hide();
  if (sub_ && sub_->mdiArea()) sub_->mdiArea()->removeSubWindow(sub_);
  top->deleteLater();
}

// ---------------------------------------------------------------------------
DocTemplate::DocTemplate(int resourceId, std::function<Document*()> makeDocument,
                         std::function<ChildFrame*()> makeFrame, std::function<View*()> makeView)
    : resourceId_(resourceId),
      makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)),
      makeView_(std::move(makeView)) {}

Document* DocTemplate::OpenDocumentFile(const char*, bool makeVisible) {
  Document* doc = makeDocument_ ? makeDocument_() : nullptr;
  if (!doc) return nullptr;
  doc->template_ = this;
  docs_.push_back(doc);
  ChildFrame* frame = makeFrame_ ? makeFrame_() : new ChildFrame;
  View* view = makeView_ ? makeView_() : new View;
  frame->doc_ = doc;
  view->doc_ = doc;
  doc->views_.push_back(view);
  frame->SetView(view);
  auto abandon = [&] {
    frame->destroying_ = true;
    delete frame;  // and the view with it
    Remove(doc);
    doc->deleteLater();
    return nullptr;
  };
  if (!frame->OnCreate()) return abandon();
  if (!doc->OnNewDocument()) return abandon();
  frame->setWindowTitle(QStr(doc->GetTitle()));
  Application* app = Application::Instance();
  if (app && app->GetMainFrame()) app->GetMainFrame()->AddChild(frame);
  view->OnInitialUpdate();
  if (makeVisible) {
    if (frame->SubWindow())
      frame->SubWindow()->showMaximized();
    else
      frame->show();
  }
  if (app) app->UpdateCommandUI();
  return doc;
}

void DocTemplate::Remove(Document* doc) { docs_.erase(std::remove(docs_.begin(), docs_.end(), doc), docs_.end()); }

// ---------------------------------------------------------------------------
MainFrame::MainFrame() : mdi_(new QMdiArea(this)), message_(new QLabel(this)) {
  setCentralWidget(mdi_);
  mdi_->setBackground(palette().brush(QPalette::Dark));
  statusBar()->addWidget(message_, 1);
  message_->setText(QStr(LoadString(kIdleMessageId)));
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& m) {
    // Fly-by prompts replace the message pane while the pointer rests on an item.
    message_->setVisible(m.isEmpty());
  });
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
    ChildFrame* now = sub ? qobject_cast<ChildFrame*>(sub->widget()) : nullptr;
    ChildFrame* before = lastActive_;
    if (now == before) return;
    View* oldView = before ? before->GetActiveView() : nullptr;
    View* newView = now ? now->GetActiveView() : nullptr;
    if (oldView) oldView->OnActivateView(false, newView, oldView);
    if (newView) newView->OnActivateView(true, newView, oldView);
    if (now) lastActive_ = now;
  });
}

MainFrame::~MainFrame() = default;

QAction* MainFrame::FindAction(int id) const {
  for (auto& [aid, a] : actions_)
    if (aid == id) return a;
  return nullptr;
}

QAction* MainFrame::Action(int id) {
  if (QAction* a = FindAction(id)) return a;
  const std::string s = LoadString(static_cast<unsigned>(id));
  const size_t nl = s.find('\n');
  auto* a = new QAction(this);
  if (nl != std::string::npos) {
    a->setStatusTip(QStr(s.substr(0, nl)));
    a->setToolTip(QStr(s.substr(nl + 1)));
  } else if (!s.empty()) {
    a->setStatusTip(QStr(s));
  }
  connect(a, &QAction::triggered, this, [id] {
    if (Application* app = Application::Instance()) app->ExecuteCommand(id);
  });
  actions_.emplace_back(id, a);
  return a;
}

void MainFrame::BuildMenus(const std::vector<MenuCommand>& table) {
  menuBar()->clear();
  for (const MenuCommand& c : table) {
    QWidget* parent = menuBar();
    QMenu* menu = nullptr;
    size_t start = 0;
    for (;;) {
      const size_t slash = c.path.find('/', start);
      if (slash == std::string::npos) break;
      const QString name = Tr(c.path.substr(start, slash - start).c_str());
      QMenu* found = nullptr;
      const auto acts = parent->actions();
      for (QAction* a : acts)
        if (a->menu() && a->menu()->title() == name) found = a->menu();
      if (!found) {
        if (menu)
          found = menu->addMenu(name);
        else
          found = menuBar()->addMenu(name);
        QMenu* m = found;
        connect(m, &QMenu::aboutToShow, this, [this, m] { UpdateMenu(m); });
      }
      menu = found;
      parent = found;
      start = slash + 1;
    }
    if (!menu) continue;
    const std::string leaf = c.path.substr(start);
    if (leaf == "-") {
      menu->addSeparator();
      continue;
    }
    QAction* a = Action(c.id);
    const size_t tab = leaf.find('\t');
    a->setText(Tr(leaf.substr(0, tab).c_str()));
    if (tab != std::string::npos) a->setShortcut(QKeySequence(QStr(leaf.substr(tab + 1))));
    menu->addAction(a);
  }
}

QToolBar* MainFrame::ToolBar() {
  if (!toolBar_) {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("MainToolBar"));
    toolBar_->setMovable(false);
  }
  return toolBar_;
}

void MainFrame::AddToolButton(int id, const QIcon& icon) {
  QAction* a = Action(id);
  a->setIcon(icon);
  ToolBar()->addAction(a);
}

void MainFrame::UpdateMenu(QMenu* menu) {
  Application* app = Application::Instance();
  if (!app) return;
  const auto acts = menu->actions();
  for (QAction* a : acts) {
    if (a->isSeparator() || a->menu()) continue;
    for (auto& [id, act] : actions_)
      if (act == a) {
        const CmdUI ui = app->QueryCommand(id);
        a->setEnabled(ui.Enabled());
        a->setCheckable(ui.Checked() || a->isCheckable());
        a->setChecked(ui.Checked());
        if (ui.Text()) a->setText(QStr(*ui.Text()));
      }
  }
}

ChildFrame* MainFrame::ActiveChild() const {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (auto* f = sub ? qobject_cast<ChildFrame*>(sub->widget()) : nullptr)
    if (!f->IsDestroying()) return f;
  // Without window activation (a hidden or inactive main window) the most
  // recently added live frame counts.
  const auto kids = Children();
  return kids.empty() ? nullptr : kids.back();
}

std::vector<ChildFrame*> MainFrame::Children() const {
  std::vector<ChildFrame*> out;
  const auto subs = mdi_->subWindowList(QMdiArea::CreationOrder);
  for (QMdiSubWindow* s : subs)
    if (auto* f = qobject_cast<ChildFrame*>(s->widget()))
      if (!f->IsDestroying()) out.push_back(f);
  return out;
}

void MainFrame::AddChild(ChildFrame* frame) {
  QMdiSubWindow* sub = mdi_->addSubWindow(frame, Qt::SubWindow | Qt::WindowTitleHint);
  sub->setAttribute(Qt::WA_DeleteOnClose, false);
  sub->setWindowTitle(frame->windowTitle());
  sub->installEventFilter(new SubWindowCloseFilter(sub));
  frame->sub_ = sub;
  mdi_->setActiveSubWindow(sub);
}

void MainFrame::SetIndicators(const std::vector<int>& ids) {
  for (auto& [id, label] : panes_) delete label;
  panes_.clear();
  for (size_t i = 1; i < ids.size(); ++i) {
    auto* l = new QLabel(this);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(l);
    panes_.emplace_back(ids[i], l);
  }
  UpdatePanes();
}

QLabel* MainFrame::Pane(int index) const {
  if (index == 0) return message_;
  if (index < 0 || static_cast<size_t>(index) > panes_.size()) return nullptr;
  return panes_[static_cast<size_t>(index) - 1].second;
}

void MainFrame::SetMessageText(const std::string& text) { message_->setText(QStr(text)); }
std::string MainFrame::MessageText() const { return StdStr(message_->text()); }

void MainFrame::UpdatePanes() {
  Application* app = Application::Instance();
  if (!app) return;
  for (auto& [id, label] : panes_) {
    const CmdUI ui = app->QueryCommand(id);
    label->setEnabled(ui.Enabled());
    if (ui.Text()) label->setText(QStr(*ui.Text()));
  }
}

void MainFrame::closeEvent(QCloseEvent* event) {
  if (!OnClose()) {
    event->ignore();
    return;
  }
  if (Application* app = Application::Instance()) app->CloseAllDocuments();
  event->accept();
}

// ---------------------------------------------------------------------------
Application::Application() { g_app = this; }

Application::~Application() {
  if (g_app == this) g_app = nullptr;
}

Application* Application::Instance() { return g_app; }

DocTemplate* Application::AddDocTemplate(std::unique_ptr<DocTemplate> t) {
  templates_.push_back(std::move(t));
  return templates_.back().get();
}

DocTemplate* Application::Template(size_t index) const {
  return index < templates_.size() ? templates_[index].get() : nullptr;
}

ChildFrame* Application::ActiveFrame() const { return main_ ? main_->ActiveChild() : nullptr; }

View* Application::ActiveView() const {
  ChildFrame* f = ActiveFrame();
  return f ? f->GetActiveView() : nullptr;
}

Document* Application::ActiveDocument() const {
  ChildFrame* f = ActiveFrame();
  return f ? f->GetActiveDocument() : nullptr;
}

std::vector<Document*> Application::Documents() const {
  std::vector<Document*> out;
  for (auto& t : templates_) out.insert(out.end(), t->Documents().begin(), t->Documents().end());
  return out;
}

void Application::CloseDocument(Document* doc) {
  if (!doc || doc->closing_) return;
  doc->closing_ = true;
  doc->OnCloseDocument();
  if (doc->template_) doc->template_->Remove(doc);
  doc->deleteLater();
  UpdateCommandUI();
}

void Application::CloseAllDocuments() {
  for (Document* d : Documents()) CloseDocument(d);
}

std::vector<CommandTarget*> Application::Route(ChildFrame* origin) const {
  std::vector<CommandTarget*> chain;
  ChildFrame* frame = origin ? origin : ActiveFrame();
  if (frame) {
    if (View* v = frame->GetActiveView()) chain.push_back(v);
    if (Document* d = frame->GetActiveDocument()) chain.push_back(d);
    chain.push_back(frame);
  }
  if (main_) chain.push_back(main_.data());
  chain.push_back(const_cast<Application*>(this));
  return chain;
}

bool Application::ExecuteCommand(int id, ChildFrame* origin) {
  bool handled = false;
  for (CommandTarget* t : Route(origin)) {
    CmdUI ui(id);
    // A target whose update handler disables the command does not run it.
    if (t->HasUpdate(id) && t->RunUpdate(ui) && !ui.Enabled()) return false;
    if (t->RunCommand(id)) {
      handled = true;
      break;
    }
  }
  UpdateCommandUI();
  return handled;
}

CmdUI Application::QueryCommand(int id, ChildFrame* origin) {
  for (CommandTarget* t : Route(origin)) {
    CmdUI ui(id);
    if (t->RunUpdate(ui)) return ui;
  }
  return CmdUI(id);
}

void Application::UpdateCommandUI() {
  if (main_) {
    for (auto& [id, a] : main_->actions_) {
      const CmdUI ui = QueryCommand(id);
      a->setEnabled(ui.Enabled());
      if (ui.Checked()) a->setCheckable(true);
      if (a->isCheckable()) a->setChecked(ui.Checked());
    }
    main_->UpdatePanes();
  }
  bound_.erase(std::remove_if(bound_.begin(), bound_.end(), [](const Bound& b) { return !b.button; }), bound_.end());
  for (const Bound& b : bound_) {
    if (!b.followState) continue;
    ChildFrame* origin = nullptr;
    for (QWidget* w = b.button->parentWidget(); w && !origin; w = w->parentWidget())
      origin = qobject_cast<ChildFrame*>(w);
    const CmdUI ui = QueryCommand(b.id, origin);
    b.button->setEnabled(ui.Enabled());
    if (b.button->isCheckable()) b.button->setChecked(ui.Checked());
  }
}

void Application::BindButton(QAbstractButton* button, int id, bool followState) {
  bound_.push_back({button, id, followState});
  connect(button, &QAbstractButton::clicked, this, [this, button, id] {
    ChildFrame* origin = nullptr;
    for (QWidget* w = button->parentWidget(); w && !origin; w = w->parentWidget())
      origin = qobject_cast<ChildFrame*>(w);
    ExecuteCommand(id, origin);
  });
}

void Application::StartIdleUpdates(int periodMs) {
  if (!idle_) {
    idle_ = new QTimer(this);
    connect(idle_, &QTimer::timeout, this, &Application::UpdateCommandUI);
  }
  idle_->start(periodMs);
}

int Application::ScreenWidth() const {
  if (screenWidth_ > 0) return screenWidth_;
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

}  // namespace qv
