// The modeless "Channel Display" sheet: the newest raw, calibrated and
// user-function value of each data channel of a log.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>
#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "logview/model/channel_tables.h"

class QLabel;

// One page: a row per channel with its name, value and unit.
class CChannelPage : public QWidget {
  Q_OBJECT
 public:
  CChannelPage(curveview::ChannelPage kind, const curveview::ChannelTables& tables, QWidget* parent = nullptr);
  void ShowValues(const double* values);
  QString ValueText(int row) const;
  QString NameText(int row) const;
  QString UnitText(int row) const;
  int Rows() const { return static_cast<int>(values_.size()); }

 private:
  curveview::ChannelPage kind_;
  bool six_;
  std::vector<QLabel*> names_, values_, units_;
};

class CChannelSheet : public QObject {
  Q_OBJECT
 public:
  CChannelSheet();
  ~CChannelSheet() override;

  void Setup(const std::vector<CurveRecord>& curves, bool sixChannel, bool withUserFunctions,
             const std::string& sondeAbbreviation);
  bool IsSixChannel() const { return tables_.sixChannel; }
  const curveview::ChannelTables& Tables() const { return tables_; }

  // The sheet's window: created over `parent` by the first command, destroyed
  // by the next.
  void Create(QWidget* parent);
  void Destroy();
  bool HasWindow() const { return !window_.isNull(); }
  QTabWidget* Window() const { return window_; }
  CChannelPage* Page(curveview::ChannelPage page) const;

  // Newest values of each channel (twelve each; `user` may be null). Safe
  // from any thread; the window shows them on the user-interface thread.
  void UpdateValues(const double* raw, const double* calibrated, const double* user);

 private:
  void ShowLatest();

  curveview::ChannelTables tables_;
  QPointer<QTabWidget> window_;
  std::array<CChannelPage*, 3> pages_{};
  std::mutex mutex_;
  std::array<std::array<double, curveview::kSheetChannels>, 3> latest_{};
  bool hasUser_ = false;
  bool queued_ = false;
};
