#include "sondedb/combo/combo.h"

#include <QComboBox>

#include "sondedb/acquisition.h"

namespace qv {

namespace {
// Database texts are the program's 8-bit code page.
QString FromStored(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
}  // namespace

int FillComboFromTable(QComboBox* combo, const std::string& table) {
  if (!combo) return 0;
  std::vector<ComboItem> items;
  ReadComboItems(table, items);
  for (const auto& item : items) combo->addItem(FromStored(item.text), QVariant::fromValue<qlonglong>(item.data));
  return items.empty() ? 0 : 1;
}

}  // namespace qv
