#include "sondedb/combo/combo.h"

#include <QComboBox>

#include "sondedb/acquisition.h"
#include "sondedb/lookups.h"

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

void FillSondeComboBox(QComboBox* combo, int t1, int t2, int t3, int t4, int t5, int t6) {
  if (!combo) return;
  combo->clear();
  const int types[6] = {t1, t2, t3, t4, t5, t6};
  std::vector<ComboItem> items;
  ReadSondeList(types, items);
  for (const auto& item : items) combo->addItem(FromStored(item.text), QVariant::fromValue<qlonglong>(item.data));
}

}  // namespace qv
