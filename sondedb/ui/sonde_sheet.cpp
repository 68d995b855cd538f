#include "sondedb/ui/sonde_sheet.h"

#include <sys/stat.h>

#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/metafile/player.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/commands.h"
#include "sondedb/ui/channel_page.h"
#include "sondedb/ui/layout_page.h"

namespace {
constexpr unsigned kStrSheetCaption = 32051;
constexpr unsigned kStrOk = 32369;
constexpr unsigned kStrSaveChanges = 32290;
constexpr unsigned kStrPictureFilter = 32363;
constexpr unsigned kStrPictureTitle = 32221;
constexpr unsigned kStrPowerCycle = 32426;

std::string PicturesFolder() {
  return qv::JoinPath(qv::ProgramFolder(), "SondePictures");
}

std::string U(int v) {
  return qv::FormatC("%u", static_cast<unsigned>(v));
}

// An unsigned number field: a negative entry is refused like a non-number.
void UnsignedField(qv::DataExchange& dx, QLineEdit* edit, int& value) {
  qv::DDX_Text(dx, edit, value);
  if (dx.Saving() && !dx.Failed() && value < 0) qv::DDV_MinMaxInt(dx, value, 0, 0x7fffffff);
}

}  // namespace

bool AskSaveChanges() {
  return qv::ShowMessageId(kStrSaveChanges, qv::MB_YESNO | qv::MB_ICONQUESTION) == qv::IDYES;
}

QLineEdit* NewEdit(QWidget* parent, const char* id) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(id));
  return e;
}

CSondeDBSheet* SheetOf(const qv::PropertyPage* page) {
  return dynamic_cast<CSondeDBSheet*>(page->Sheet());
}

// ===========================================================================
CSondeDBSheet::CSondeDBSheet(QWidget* parent)
    : qv::PropertySheet(qv::LoadString(kStrSheetCaption), parent),
      page1_(new CSondeDBPage1),
      power_(new CSondeDBPagePower),
      page2_(new CSondeDBPage2),
      page3_(new CSondeDBPage3) {
  AddPage(page1_);
  AddPage(power_);
  AddPage(page2_);
  AddPage(page3_);
  // No close box: the sheet ends through OK or Cancel only. Set before the
  // sheet is first shown (changing the flags hides a shown window).
  setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) & ~Qt::WindowCloseButtonHint);
}

bool CSondeDBSheet::OnInitDialog() {
  SetButtonText(OkButton, qv::LoadString(kStrOk));
  HideButton(ApplyButton);
  HideButton(HelpButton);
  if (m_pRecordset && m_pRecordset->IsOpen() && qv::CountRecords(m_pRecordset) > 0)
    m_nSondeType = atoi(qv::GetFieldString(m_pRecordset, "Type").c_str());
  return true;
}

// ===========================================================================
CPictureFrame::CPictureFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("2279"));
  setMinimumSize(140, 260);
}

void CPictureFrame::SetPicture(std::unique_ptr<qv::wmf::Picture> picture) {
  picture_ = std::move(picture);
  update();
}

void CPictureFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (picture_) qv::wmf::Play(*picture_, p, QRectF(rect().adjusted(2, 2, -2, -2)));
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ===========================================================================
CSondeDBPage1::CSondeDBPage1(QWidget* parent)
    : qv::PropertyPage("Sonde Parameters", parent),
      name_(NewEdit(this, "2160")),
      abbreviation_(NewEdit(this, "2157")),
      serial_(NewEdit(this, "2162")),
      manufacturer_(NewEdit(this, "2139")),
      channels_(NewEdit(this, "2158")),
      length_(NewEdit(this, "2159")),
      pictureFile_(NewEdit(this, "2161")),
      browse_(new QPushButton(QStringLiteral("..."), this)),
      picture_(new CPictureFrame(this)) {
  browse_->setObjectName(QStringLiteral("2027"));
  channels_->setReadOnly(true);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Sonde Name"), name_);
  form->addRow(QStringLiteral("Abbrevation"), abbreviation_);
  form->addRow(QStringLiteral("Serial Number"), serial_);
  form->addRow(QStringLiteral("Manufacturer"), manufacturer_);
  form->addRow(QStringLiteral("Number of Channels"), channels_);
  auto* length = new QHBoxLayout;
  length->addWidget(length_);
  length->addWidget(new QLabel(QStringLiteral("cm"), this));
  form->addRow(QStringLiteral("Sonde Length"), length);
  auto* pic = new QHBoxLayout;
  pic->addWidget(pictureFile_);
  browse_->setFixedWidth(32);
  pic->addWidget(browse_);
  form->addRow(QStringLiteral("Schematicfile"), pic);
  auto* right = new QVBoxLayout;
  right->addLayout(form);
  right->addStretch(1);
  auto* top = new QHBoxLayout(this);
  top->addWidget(picture_, 1);
  top->addLayout(right, 2);
  for (QLineEdit* e : {manufacturer_, abbreviation_, channels_, length_, name_, serial_})
    connect(e, &QLineEdit::textChanged, this, [this] {
      if (!loading_) m_bModified = true;
    });
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowsePicture(); });
}

void CSondeDBPage1::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, name_, m_strName);
  qv::DDX_Text(dx, abbreviation_, m_strAbbreviation);
  qv::DDX_Text(dx, serial_, m_strSerialNumber);
  qv::DDX_Text(dx, manufacturer_, m_strManufacturer);
  UnsignedField(dx, channels_, m_nNumberOfChannels);
  UnsignedField(dx, length_, m_nLength);
  qv::DDX_Text(dx, pictureFile_, m_strPictureFile);
}

bool CSondeDBPage1::OnInitDialog() {
  pictureFile_->setReadOnly(true);
  m_pSheet = SheetOf(this);
  LoadSonde();
  return true;
}

void CSondeDBPage1::LoadSonde() {
  qv::SondeRecordset* rs = m_pSheet ? m_pSheet->m_pRecordset : nullptr;
  if (rs && rs->IsOpen() && qv::CountRecords(rs) == 1) {
    m_strName = qv::GetFieldString(rs, "Name");
    m_strAbbreviation = qv::GetFieldString(rs, "Abbreviation");
    m_strSerialNumber = qv::GetFieldString(rs, "SerialNumber");
    m_strManufacturer = qv::GetFieldString(rs, "Manufacturer");
    m_nNumberOfChannels = atoi(qv::GetFieldString(rs, "NumberOfChannels").c_str());
    m_nLength = atoi(qv::GetFieldString(rs, "Length").c_str());
    m_strPictureFile = qv::GetFieldString(rs, "PictureFile");
    if (!m_strPictureFile.empty()) ShowPicture(m_strPictureFile);
  }
  // Filling the fields is no change of the sonde.
  loading_ = true;
  UpdateData(false);
  loading_ = false;
  m_bModified = false;
}

void CSondeDBPage1::ShowPicture(const std::string& file) {
  if (auto pic = qv::LoadMetafile(qv::SondePicturePath(file))) picture_->SetPicture(std::move(pic));
}

void CSondeDBPage1::OnBrowsePicture() {
  UpdateData(true);
  qv::FileDialogRequest r;
  r.open = true;
  r.defaultExt = "*.wmf";
  r.fileName = m_strPictureFile;
  r.mustExist = true;
  r.filter = qv::LoadString(kStrPictureFilter);
  r.initialFolder = PicturesFolder();
  r.title = qv::FormatC(qv::LoadString(kStrPictureTitle).c_str(), m_strName.c_str());
  r.parent = this;
  const std::string chosen = qv::ShowFileDialog(r);
  if (chosen.empty()) return;
  std::string title = qv::FileNamePart(chosen);
  if (const size_t dot = title.rfind('.'); dot != std::string::npos) title.resize(dot);
  m_strPictureFile = title + ".wmf";
  m_bModified = true;
  UpdateData(false);
  if (!qv::EqualNoCase(qv::FolderPart(chosen), PicturesFolder())) {
    // Pictures live in the program's pictures folder; one chosen elsewhere is
    // copied there under its new name.
    std::string bytes;
    mkdir(PicturesFolder().c_str(), 0755);
    if (!qv::ReadWholeFile(chosen, bytes) ||
        !qv::WriteFileAtomically(qv::JoinPath(PicturesFolder(), m_strPictureFile), bytes))
      ShowLastError();
  }
  ShowPicture(m_strPictureFile);
}

bool CSondeDBPage1::OnKillActive() {
  if (!m_bModified) return true;
  m_bModified = false;
  qv::SondeRecordset* rs = m_pSheet ? m_pSheet->m_pRecordset : nullptr;
  if (!rs || !rs->CanUpdate() || !AskSaveChanges()) return true;
  if (!UpdateData(true)) {
    // The entry stays pending: leaving again asks again.
    m_bModified = true;
    return false;
  }
  try {
    rs->Edit();
    if (!m_strName.empty()) qv::SetFieldString(rs, "Name", m_strName.c_str());
    if (!m_strAbbreviation.empty()) qv::SetFieldString(rs, "Abbreviation", m_strAbbreviation.c_str());
    if (!m_strSerialNumber.empty()) qv::SetFieldString(rs, "SerialNumber", m_strSerialNumber.c_str());
    if (!m_strAbbreviation.empty() && !m_strSerialNumber.empty())
      qv::SetFieldString(rs, "CALIBFILE", (m_strAbbreviation + m_strSerialNumber).c_str());
    if (!m_strManufacturer.empty()) qv::SetFieldString(rs, "Manufacturer", m_strManufacturer.c_str());
    qv::SetFieldString(rs, "NumberOfChannels", U(m_nNumberOfChannels).c_str());
    qv::SetFieldString(rs, "Length", U(m_nLength).c_str());
    if (!m_strPictureFile.empty()) qv::SetFieldString(rs, "PictureFile", m_strPictureFile.c_str());
    rs->Update();
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
    rs->CancelUpdate();
  }
  return true;
}

// ===========================================================================
CSondeDBPagePower::CSondeDBPagePower(QWidget* parent)
    : qv::PropertyPage("Sonde Power Settings", parent),
      voltage_(NewEdit(this, "3379")),
      current_(NewEdit(this, "3380")),
      positive_(new QRadioButton(QStringLiteral("positive"), this)),
      negative_(new QRadioButton(QStringLiteral("negative"), this)),
      warning_(new QLabel(QStringLiteral("Warning:"), this)),
      misuse_(new QLabel(QStringLiteral("Misuse of these settings may cause equipment damage"), this)) {
  positive_->setObjectName(QStringLiteral("3381"));
  negative_->setObjectName(QStringLiteral("3382"));
  warning_->setObjectName(QStringLiteral("3383"));
  misuse_->setObjectName(QStringLiteral("3384"));
  auto* group = new QGroupBox(this);
  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("Voltage [V]"), voltage_);
  form->addRow(QStringLiteral("Current Limit [mA]"), current_);
  auto* polarity = new QHBoxLayout;
  polarity->addWidget(positive_);
  polarity->addWidget(negative_);
  form->addRow(QStringLiteral("Polarity"), polarity);
  // The warning between two warning icons.
  auto* texts = new QVBoxLayout;
  texts->addWidget(warning_);
  texts->addWidget(misuse_);
  auto* warn = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) {
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    warn->addWidget(icon);
    if (i == 0) warn->addLayout(texts, 1);
  }
  auto* top = new QVBoxLayout(this);
  top->addWidget(group);
  top->addLayout(warn);
  top->addStretch(1);
  connect(voltage_, &QLineEdit::textChanged, this, [this] { OnValueChanged(); });
  connect(current_, &QLineEdit::textChanged, this, [this] { OnValueChanged(); });
  connect(positive_, &QRadioButton::clicked, this, [this] { OnValueChanged(); });
  connect(negative_, &QRadioButton::clicked, this, [this] { OnValueChanged(); });
}

void CSondeDBPagePower::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, voltage_, m_nVoltage);
  qv::DDV_MinMaxInt(dx, m_nVoltage, 0, 250);
  qv::DDX_Text(dx, current_, m_nCurrentLimit);
  qv::DDV_MinMaxInt(dx, m_nCurrentLimit, 0, 5000);
  if (dx.Saving())
    m_nPolarity = negative_->isChecked() ? 1 : 0;
  else
    (m_nPolarity == 1 ? negative_ : positive_)->setChecked(true);
}

bool CSondeDBPagePower::OnInitDialog() {
  QFont big(QStringLiteral("Arial"));
  big.setPointSize(14);
  warning_->setFont(big);
  QPalette red = warning_->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  warning_->setPalette(red);
  QFont small(QStringLiteral("Arial"));
  small.setPointSize(10);
  misuse_->setFont(small);
  CSondeDBSheet* sheet = SheetOf(this);
  qv::SondeRecordset* rs = sheet ? sheet->m_pRecordset : nullptr;
  if (rs && rs->IsOpen() && qv::CountRecords(rs) == 1) {
    m_nVoltage = atoi(qv::GetFieldString(rs, "Voltage").c_str());
    m_nCurrentLimit = atoi(qv::GetFieldString(rs, "CurrentLimit").c_str());
    m_nPolarity = atoi(qv::GetFieldString(rs, "Polarity").c_str()) == 165 ? 1 : 0;
  }
  loading_ = true;
  UpdateData(false);
  loading_ = false;
  m_bModified = false;
  return true;
}

bool CSondeDBPagePower::OnKillActive() {
  if (!m_bModified) return true;
  m_bModified = false;
  CSondeDBSheet* sheet = SheetOf(this);
  qv::SondeRecordset* rs = sheet ? sheet->m_pRecordset : nullptr;
  if (!rs || !rs->IsOpen()) return true;
  if (!AskSaveChanges()) return true;
  if (!UpdateData(true)) {
    m_bModified = true;
    return false;
  }
  try {
    rs->Edit();
    qv::SetFieldString(rs, "Voltage", U(m_nVoltage).c_str());
    qv::SetFieldString(rs, "CurrentLimit", U(m_nCurrentLimit).c_str());
    qv::SetFieldString(rs, "Polarity", U(m_nPolarity == 1 ? 165 : 90).c_str());
    rs->Update();
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
    rs->CancelUpdate();
  }
  if (qv::EqualNoCase(qv::GetFieldString(rs, "Abbreviation"), g_strCurrentSonde) &&
      qv::EqualNoCase(qv::GetFieldString(rs, "SerialNumber"), g_strSondeSerialNo) && g_bSondePowerOn)
    qv::ShowMessageId(kStrPowerCycle, qv::MB_OK | qv::MB_ICONINFORMATION);
  return true;
}
