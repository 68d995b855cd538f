#include "line_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/ui/painter_line_device.h"
#include "platform/docview/qtext.h"
#include "platform/text/strings.h"

namespace {
constexpr unsigned kPromptText = 33500;  // "Please enter a new print style for"
constexpr unsigned kDialogTitle = 33501;  // "Print style"

class StyleDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    CLineStyleBox::DrawItem(*p, opt.rect, index.data(Qt::UserRole).toInt(), opt.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(60, CLineStyleBox::kItemHeight);
  }
};
}  // namespace

CLineStyleBox::CLineStyleBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new StyleDelegate(this));
  setUniformItemSizes(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void CLineStyleBox::AddStyle(int index) {
  auto* item = new QListWidgetItem(this);
  item->setData(Qt::UserRole, index);
}

int CLineStyleBox::ItemStyle(int row) const {
  const QListWidgetItem* it = item(row);
  return it ? it->data(Qt::UserRole).toInt() : -1;
}

void CLineStyleBox::DrawItem(QPainter& painter, const QRect& rect, int printStyle, bool selected) {
  painter.save();
  painter.fillRect(rect, Qt::white);
  const PrintLineStyle s = PrintLineStyleOf(printStyle);
  PainterLineDevice dc(painter);
  CStyledLine line;
  line.SetStyle(&dc, s.dashStyle, s.width, RGB(0, 0, 0));
  const int y = rect.top() + rect.height() / 2;
  line.BeginPath();
  line.MoveTo(rect.left(), y);
  line.LineTo(rect.left() + rect.width(), y);  // to the right edge, exclusive
  line.StrokePath();
  if (selected) {
    painter.setPen(QColor(0, 0, 255));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
  }
  painter.restore();
}

CLineDlg::CLineDlg(QWidget* parent) : qv::Dialog(parent), list_(new CLineStyleBox(this)), caption_(new QLabel(this)) {
  setWindowTitle(qv::QStr(qv::LoadString(kDialogTitle)));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(new QLabel(qv::QStr(qv::LoadString(kPromptText)), this));
  lay->addWidget(caption_);
  lay->addWidget(list_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  lay->addWidget(buttons);
  resize(180, 180);
}

void CLineDlg::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_LBIndex(dx, list_, m_nStyle);
  qv::DDX_Text(dx, caption_, m_strCaption);
}

bool CLineDlg::OnInitDialog() {
  // The exchange runs while the list is still empty, so the dialog always
  // opens on the first style, whatever the caller preset.
  qv::Dialog::OnInitDialog();
  for (int i = 0; i < kPrintLineStyleCount; ++i) list_->AddStyle(i);
  list_->setCurrentRow(0);
  return true;
}
