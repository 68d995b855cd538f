#include "logview/channelsheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QMetaObject>
#include <QTabWidget>

#include "platform/docview/qtext.h"
#include "platform/text/strings.h"
#include "sondedb/display.h"

namespace {
const unsigned kPageCaptions[] = {32423, 32424, 32425};
}  // namespace

CChannelPage::CChannelPage(curveview::ChannelPage kind, const curveview::ChannelTables& tables, QWidget* parent)
    : QWidget(parent), kind_(kind), six_(tables.sixChannel) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Data channel:", this), 0, 0, 1, 2);
  grid->addWidget(new QLabel("Current Value:", this), 0, 2);
  const bool user = kind == curveview::ChannelPage::kUserFunction;
  const auto& names = user ? tables.userNames : tables.names;
  const auto& units = user ? tables.userUnits : tables.units;
  for (int i = 0; i < tables.Rows(); ++i) {
    grid->addWidget(new QLabel(QString("%1 -").arg(i + 1), this), i + 1, 0);
    auto* name = new QLabel(QString::fromStdString(names[static_cast<size_t>(i)]), this);
    auto* value = new QLabel("0", this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The raw page shows counts whatever the channel's unit.
    const bool raw = kind == curveview::ChannelPage::kRaw;
    auto* unit = new QLabel(raw ? QString("CPS") : QString::fromStdString(units[static_cast<size_t>(i)]), this);
    grid->addWidget(name, i + 1, 1);
    grid->addWidget(value, i + 1, 2);
    grid->addWidget(unit, i + 1, 3);
    names_.push_back(name);
    values_.push_back(value);
    units_.push_back(unit);
  }
}

void CChannelPage::ShowValues(const double* values) {
  for (size_t i = 0; i < values_.size(); ++i)
    values_[i]->setText(QString::fromStdString(curveview::FormatChannelValue(kind_, six_, values[i])));
}

QString CChannelPage::ValueText(int row) const {
  return values_.at(static_cast<size_t>(row))->text();
}
QString CChannelPage::NameText(int row) const {
  return names_.at(static_cast<size_t>(row))->text();
}
QString CChannelPage::UnitText(int row) const {
  return units_.at(static_cast<size_t>(row))->text();
}

CChannelSheet::CChannelSheet() = default;

CChannelSheet::~CChannelSheet() {
  Destroy();
}

void CChannelSheet::Setup(const std::vector<CurveRecord>& curves, bool sixChannel, bool withUserFunctions,
                          const std::string& sondeAbbreviation) {
  tables_ = {};
  tables_.sixChannel = sixChannel;
  tables_.withUserFunctions = withUserFunctions;
  if (!withUserFunctions) {
    tables_.Fill(curves, false);
    return;
  }
  // With a user function the view's curves are its outputs; the channels
  // themselves are named after the sonde's own layout when it is known.
  TrackArray tracks;
  CurveArray sonde;
  if (qv::LoadDisplayParametersFromDatabase(&tracks, &sonde, sondeAbbreviation, "") == 1) {
    std::vector<CurveRecord> records;
    for (const auto& c : sonde)
      if (c) records.push_back(*c);
    tables_.Fill(records, false);
  } else {
    tables_.Fill(curves, false);
  }
  tables_.Fill(curves, true);
}

void CChannelSheet::Create(QWidget* parent) {
  if (HasWindow()) return;
  window_ = new QTabWidget(parent);
  window_->setWindowFlags(Qt::Tool);
  window_->setAttribute(Qt::WA_DeleteOnClose);
  window_->setWindowTitle(qv::QStr(qv::LoadString(32422)));
  const int pages = tables_.withUserFunctions ? 3 : 2;
  pages_ = {};
  for (int i = 0; i < pages; ++i) {
    auto* page = new CChannelPage(static_cast<curveview::ChannelPage>(i), tables_, window_);
    window_->addTab(page, qv::QStr(qv::LoadString(kPageCaptions[i])));
    pages_[static_cast<size_t>(i)] = page;
  }
  window_->show();
}

void CChannelSheet::Destroy() {
  if (window_) delete window_.data();
  pages_ = {};
}

CChannelPage* CChannelSheet::Page(curveview::ChannelPage page) const {
  return HasWindow() ? pages_[static_cast<size_t>(page)] : nullptr;
}

void CChannelSheet::UpdateValues(const double* raw, const double* calibrated, const double* user) {
  std::lock_guard lock(mutex_);
  const double* src[3] = {raw, calibrated, user};
  for (size_t p = 0; p < 3; ++p)
    if (src[p]) std::copy(src[p], src[p] + curveview::kSheetChannels, latest_[p].begin());
  hasUser_ = user != nullptr;
  if (queued_) return;
  queued_ = true;
  // Coalesced: however often the display thread reports, the window takes the
  // newest values once per turn of the event loop.
  QMetaObject::invokeMethod(this, &CChannelSheet::ShowLatest, Qt::QueuedConnection);
}

void CChannelSheet::ShowLatest() {
  std::array<std::array<double, curveview::kSheetChannels>, 3> values;
  bool user;
  {
    std::lock_guard lock(mutex_);
    values = latest_;
    user = hasUser_;
    queued_ = false;
  }
  if (!HasWindow()) return;
  for (size_t p = 0; p < 3; ++p) {
    if (!pages_[p] || (p == 2 && !user)) continue;
    pages_[p]->ShowValues(values[p].data());
  }
}
