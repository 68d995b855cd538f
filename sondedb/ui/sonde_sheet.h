// The sonde database editor: a property sheet over one sonde's rows, with the
// sonde page (identity, size, picture), the power page, the channel page and
// the display layout page. The creator opens the database, narrows a SONDE
// recordset to the sonde, runs the sheet inside one transaction and commits
// on OK; each page stores its own changes when it is left, after asking.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "platform/docview/dialog.h"
#include "platform/metafile/wmf.h"
#include "sondedb/sondedb.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QLabel;
class CSondeDBPage1;
class CSondeDBPagePower;
class CSondeDBPage2;
class CSondeDBPage3;

class CSondeDBSheet : public qv::PropertySheet {
  Q_OBJECT
 public:
  explicit CSondeDBSheet(QWidget* parent = nullptr);
  bool OnInitDialog() override;

  CSondeDBPage1* SondePage() const { return page1_; }
  CSondeDBPagePower* PowerPage() const { return power_; }
  CSondeDBPage2* ChannelPage() const { return page2_; }
  CSondeDBPage3* LayoutPage() const { return page3_; }

  qv::SondeDatabase* m_pDatabase = nullptr;    // not owned
  qv::SondeRecordset* m_pRecordset = nullptr;  // the sonde's SONDE row; not owned
  int m_nSondeType = 0;

 private:
  CSondeDBPage1* page1_;
  CSondeDBPagePower* power_;
  CSondeDBPage2* page2_;
  CSondeDBPage3* page3_;
};

// The sheet a page belongs to.
CSondeDBSheet* SheetOf(const qv::PropertyPage* page);
// "Save Changes?" with Yes and No; true for Yes.
bool AskSaveChanges();
// An edit field of a page, named by its control id.
QLineEdit* NewEdit(QWidget* parent, const char* id);

// Shows a sonde picture scaled into its rectangle.
class CPictureFrame : public QWidget {
  Q_OBJECT
 public:
  explicit CPictureFrame(QWidget* parent = nullptr);
  void SetPicture(std::unique_ptr<qv::wmf::Picture> picture);
  const qv::wmf::Picture* Picture() const { return picture_.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<qv::wmf::Picture> picture_;
};

class CSondeDBPage1 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CSondeDBPage1(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override;
  void LoadSonde();
  void OnBrowsePicture();

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* AbbreviationEdit() const { return abbreviation_; }
  QLineEdit* SerialNumberEdit() const { return serial_; }
  QLineEdit* ManufacturerEdit() const { return manufacturer_; }
  QLineEdit* ChannelsEdit() const { return channels_; }
  QLineEdit* LengthEdit() const { return length_; }
  QLineEdit* PictureEdit() const { return pictureFile_; }
  CPictureFrame* PictureFrame() const { return picture_; }

  std::string m_strName, m_strAbbreviation, m_strSerialNumber, m_strManufacturer, m_strPictureFile;
  int m_nNumberOfChannels = 0;
  int m_nLength = 0;
  bool m_bModified = false;

 private:
  void ShowPicture(const std::string& file);
  CSondeDBSheet* m_pSheet = nullptr;
  bool loading_ = false;
  QLineEdit *name_, *abbreviation_, *serial_, *manufacturer_, *channels_, *length_, *pictureFile_;
  QPushButton* browse_;
  CPictureFrame* picture_;
};

class CSondeDBPagePower : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CSondeDBPagePower(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override;
  void OnValueChanged() {
    if (!loading_) m_bModified = true;
  }

  QLineEdit* VoltageEdit() const { return voltage_; }
  QLineEdit* CurrentLimitEdit() const { return current_; }
  QRadioButton* PositiveButton() const { return positive_; }
  QRadioButton* NegativeButton() const { return negative_; }
  QLabel* WarningText() const { return warning_; }

  int m_nVoltage = 0;
  int m_nCurrentLimit = 0;
  int m_nPolarity = 0;  // 0 positive, 1 negative
  bool m_bModified = false;

 private:
  bool loading_ = false;
  QLineEdit *voltage_, *current_;
  QRadioButton *positive_, *negative_;
  QLabel *warning_, *misuse_;
};
