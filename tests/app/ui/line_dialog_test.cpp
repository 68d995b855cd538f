#include <gtest/gtest.h>

#include "tests/support/qt_app.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "app/ui/line_dialog.h"

namespace {

using qvtest::App;

// The dark pixels of one image row, as a string of '#' and '.'.
std::string Row(const QImage& img, int y) {
  std::string s;
  for (int x = 0; x < img.width(); ++x) s += qGray(img.pixel(x, y)) < 128 ? '#' : '.';
  return s;
}

TEST(LineStyleBox, ItemsDrawTheirPrintStyle) {
  App();
  struct Case {
    int printStyle;
    const char* row;  // row 6 of a 20 x 12 item
  };
  const Case cases[] = {
      {0, "####################"},
      // Dotted and dash-dot pens have round ends, which lengthen every dash by
      // half the pen width at each end.
      {1, "##.##.##.##.##.##.##"},  // dotted: 1, gap 2
      {2, "####..####..####..##"},  // dashed: 4, gap 2
      {3, "####.##.####.##.####"},  // dash-dot: 3, 2, 1, 2
  };
  for (const Case& c : cases) {
    QImage img(20, 12, QImage::Format_RGB32);
    img.fill(Qt::gray);
    {
      QPainter p(&img);
      CLineStyleBox::DrawItem(p, img.rect(), c.printStyle, false);
    }
    EXPECT_EQ(Row(img, 6), c.row) << "print style " << c.printStyle;
    EXPECT_EQ(Row(img, 0), std::string(20, '.')) << "the rest of the item is white";
  }
  // Wide styles cover two rows; a selected item gets a blue frame.
  QImage img(20, 12, QImage::Format_RGB32);
  {
    QPainter p(&img);
    CLineStyleBox::DrawItem(p, img.rect(), 4, true);
  }
  EXPECT_EQ(Row(img, 5), std::string(20, '#'));
  EXPECT_EQ(Row(img, 6), std::string(20, '#'));
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(LineDialog, OpensOnTheFirstStyleAndReturnsTheChoice) {
  App();
  {
    CLineDlg dlg;
    dlg.m_nStyle = 5;
    dlg.m_strCaption = "GAMMA";
    dlg.EnsureInitialised();
    ASSERT_EQ(dlg.StyleList()->count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(dlg.StyleList()->ItemStyle(i), i);
    EXPECT_EQ(dlg.StyleList()->currentRow(), 0) << "always opens on the first entry";
    dlg.StyleList()->setCurrentRow(6);
    dlg.OnOK();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_nStyle, 6);
    EXPECT_EQ(dlg.m_strCaption, "GAMMA");
  }
  {
    CLineDlg dlg;
    dlg.m_nStyle = 5;
    dlg.EnsureInitialised();
    dlg.StyleList()->setCurrentRow(2);
    dlg.OnCancel();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_nStyle, 5) << "cancel leaves the preset value";
  }
}

}  // namespace
