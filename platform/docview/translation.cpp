#include "platform/docview/translation.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <memory>

#include "platform/text/strings.h"

namespace qv {
namespace {

// Only the GUI thread installs or removes; workers may read through
// LoadString while the catalogue stays put.
std::unique_ptr<QTranslator> g_catalogue;
std::unique_ptr<QTranslator> g_qtCatalogue;

std::string TranslateTableString(unsigned id, const char* text) {
  const QByteArray number = QByteArray::number(id);
  const QString source = QString::fromLatin1(text);
  const QString t = g_catalogue ? g_catalogue->translate(kStringsContext, text, number.constData()) : QString();
  if (t.isEmpty() || t == source) return {};
  return kTranslatedMark + t.toStdString();
}

// The display form of a widget's text: translated when the catalogue has it,
// and never with a mark left in (a marked text that reached the widget
// without QStr).
QString Translated(const QString& text) {
  QString own = text;
  own.remove(QChar(kTranslatedMarkChar));
  if (!g_catalogue || own.isEmpty()) return own;
  const QString t = g_catalogue->translate(kUiContext, own.toUtf8().constData());
  return t.isEmpty() ? own : t;
}

void TranslateActions(QWidget* w) {
  const auto actions = w->actions();
  for (QAction* a : actions) {
    if (a->isSeparator()) continue;
    const QString text = a->text();
    const QString t = Translated(text);
    if (t != text) a->setText(t);
    if (QMenu* m = a->menu()) {
      const QString title = Translated(m->title());
      if (title != m->title()) m->setTitle(title);
      TranslateActions(m);
    }
  }
}

void TranslateOne(QWidget* w) {
  const auto apply = [](auto get, auto set) {
    const QString text = get();
    const QString t = Translated(text);
    if (t != text) set(t);
  };
  if (w->isWindow()) apply([w] { return w->windowTitle(); }, [w](const QString& t) { w->setWindowTitle(t); });
  apply([w] { return w->toolTip(); }, [w](const QString& t) { w->setToolTip(t); });
  apply([w] { return w->statusTip(); }, [w](const QString& t) { w->setStatusTip(t); });
  if (auto* l = qobject_cast<QLabel*>(w))
    apply([l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    apply([b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    apply([g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
  else if (auto* e = qobject_cast<QLineEdit*>(w))
    apply([e] { return e->placeholderText(); }, [e](const QString& t) { e->setPlaceholderText(t); });
  else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
    for (int i = 0; i < tabs->count(); ++i)
      apply([tabs, i] { return tabs->tabText(i); }, [tabs, i](const QString& t) { tabs->setTabText(i, t); });
  } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
    for (int i = 0; i < table->columnCount(); ++i)
      if (QTableWidgetItem* item = table->horizontalHeaderItem(i))
        apply([item] { return item->text(); }, [item](const QString& t) { item->setText(t); });
    for (int i = 0; i < table->rowCount(); ++i)
      if (QTableWidgetItem* item = table->verticalHeaderItem(i))
        apply([item] { return item->text(); }, [item](const QString& t) { item->setText(t); });
  } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
    if (QTreeWidgetItem* head = tree->headerItem())
      for (int i = 0; i < head->columnCount(); ++i)
        apply([head, i] { return head->text(i); }, [head, i](const QString& t) { head->setText(i, t); });
  }
  TranslateActions(w);
}

// Translates each widget as it shows, and a window once more right after it
// has shown: a dialog fills some of its texts while it shows.
class ShowTranslator : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      TranslateOne(w);
      if (w->isWindow()) {
        TranslateWidgetTree(w);
        QPointer<QWidget> guard(w);
        QTimer::singleShot(0, w, [guard] {
          if (guard) TranslateWidgetTree(guard);
        });
      }
    }
    return false;
  }
};

ShowTranslator* g_showTranslator = nullptr;

}  // namespace

bool IsJapaneseLocale(const QLocale& locale) {
  return locale.language() == QLocale::Japanese;
}

QString JapaneseCatalogue(const QString& programFolder) {
  return programFolder + QStringLiteral("/translations/quorva_ja.qm");
}

bool InstallJapanese(const QString& catalogueFile) {
  RemoveTranslation();
  auto catalogue = std::make_unique<QTranslator>();
  if (!catalogue->load(catalogueFile)) return false;
  g_catalogue = std::move(catalogue);
  QCoreApplication::installTranslator(g_catalogue.get());
  // Qt's own texts (standard buttons, the file dialog) where Qt ships them.
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    g_qtCatalogue = std::move(qt);
    QCoreApplication::installTranslator(g_qtCatalogue.get());
  }
  SetStringTranslator(&TranslateTableString);
  if (!g_showTranslator) {
    g_showTranslator = new ShowTranslator;
    g_showTranslator->setParent(qApp);
    qApp->installEventFilter(g_showTranslator);
  }
  return true;
}

void RemoveTranslation() {
  SetStringTranslator(nullptr);
  if (g_showTranslator) {
    qApp->removeEventFilter(g_showTranslator);
    delete g_showTranslator;
    g_showTranslator = nullptr;
  }
  if (g_qtCatalogue) QCoreApplication::removeTranslator(g_qtCatalogue.get());
  if (g_catalogue) QCoreApplication::removeTranslator(g_catalogue.get());
  g_qtCatalogue.reset();
  g_catalogue.reset();
}

bool JapaneseInstalled() {
  return g_catalogue != nullptr;
}

bool InstallTranslationForLocale(const QString& programFolder) {
  if (!IsJapaneseLocale(QLocale::system())) return false;
  return InstallJapanese(JapaneseCatalogue(programFolder));
}

QString Tr(const char* english) {
  return Translated(QString::fromUtf8(english));
}

void TranslateWidgetTree(QWidget* root) {
  if (!root) return;
  TranslateOne(root);
  const auto children = root->findChildren<QWidget*>();
  for (QWidget* w : children) TranslateOne(w);
}

}  // namespace qv
