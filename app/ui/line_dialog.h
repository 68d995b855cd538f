// The print-style dialog: a list of the eight print line styles, each drawn
// with the styled-line drawer, for choosing how one channel prints.
#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>

#include <string>

#include "platform/docview/dialog.h"

class QLabel;

class CLineStyleBox : public QListWidget {
  Q_OBJECT
public:
  explicit CLineStyleBox(QWidget* parent = nullptr);
  // Adds one entry drawing print line style index (the list keeps no text).
  void AddStyle(int index);
  int ItemStyle(int row) const;
  static constexpr int kItemHeight = 12;
  // Draws one entry as the list does: white, the styled line across the middle,
  // a blue frame when selected.
  static void DrawItem(QPainter& painter, const QRect& rect, int printStyle, bool selected);
};

class CLineDlg : public qv::Dialog {
  Q_OBJECT
public:
  explicit CLineDlg(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  CLineStyleBox* StyleList() const { return list_; }

  int m_nStyle = -1;          // the chosen print line style, after OK
  std::string m_strCaption;   // the channel the style is for

private:
  CLineStyleBox* list_;
  QLabel* caption_;
};
