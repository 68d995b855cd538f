#include "logdoc/replayui/setup_panels.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>

#include "app/newlog/new_log.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"

void FillUserFunctionCombo(const std::string& sonde, QComboBox* list, std::vector<std::string>* paths) {
  const std::vector<std::string> names = qv::ListUserFunctions(sonde, paths);
  if (!list) return;
  list->clear();
  for (const std::string& name : names) list->addItem(qv::QStr(name));
}

void ShowFilterEntry(const ChannelFilter& filter, QComboBox* type, QScrollBar* strength, QLabel* width) {
  width->setText(qv::QStr(qv::FormatC("%d", filter.FilterWidth)));
  {
    const QSignalBlocker block(strength);
    strength->setRange(0, kMaxFilterSpin);
    strength->setValue((filter.FilterWidth - 1) / 2);
  }
  type->setCurrentIndex(filter.FilterType);
}

void StoreFilterEntry(ChannelFilter& filter, const QComboBox* type, const QScrollBar* strength) {
  filter.FilterWidth = 2 * strength->value() + 1;
  if (type->currentIndex() >= 0) filter.FilterType = static_cast<std::uint8_t>(type->currentIndex());
}
