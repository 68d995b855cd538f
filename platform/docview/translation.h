// The display language. The program's texts are English; with a Japanese
// locale (LANG=ja_JP.UTF-8) the Japanese catalogue built from the
// repository's translation file is installed, and then
//  - LoadString gives the Japanese text of a string id (LoadFileString keeps
//    the table's bytes for everything written into files), and
//  - every window's own texts (titles, labels, buttons, group boxes, tabs,
//    menus, tool tips, table headers) are translated as it is shown, the way
//    a dialog template of the second language would have been loaded.
// Texts a dialog sets later from a literal go through Tr.
#pragma once

#include <QString>

#include "platform/docview/qtext.h"

class QLocale;
class QWidget;

namespace qv {

// The catalogue's context of the string table (the id is the disambiguation)
// and of the windows' own texts.
inline constexpr const char* kStringsContext = "strings";
inline constexpr const char* kUiContext = "ui";

// Whether the locale asks for the Japanese texts (any other locale: English).
bool IsJapaneseLocale(const QLocale& locale);
// The catalogue file of the program folder.
QString JapaneseCatalogue(const QString& programFolder);
// Makes Japanese the display language from the catalogue file; false (and
// English stays) when the file cannot be loaded.
bool InstallJapanese(const QString& catalogueFile);
// Back to English (tests switch within one run).
void RemoveTranslation();
bool JapaneseInstalled();
// Chooses by the system locale; true when Japanese was installed.
bool InstallTranslationForLocale(const QString& programFolder);

// Translates the own texts of the widget and of all widgets inside it.
void TranslateWidgetTree(QWidget* root);

}  // namespace qv
