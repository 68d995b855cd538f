// "Sonde Selection": the engineer narrows the sondes of the database by
// abbreviation, name, manufacturer and serial number until one is left,
// imports a sonde definition file, or removes a sonde with all its rows.
// The dialog works on the caller's SONDE recordset; after OK it holds exactly
// the chosen sonde's row.
#pragma once

#include <string>

#include "platform/docview/dialog.h"
#include "sondedb/sondedb.h"

class QComboBox;
class QLabel;
class QPushButton;

class CSondeSelect : public qv::Dialog {
  Q_OBJECT
 public:
  // RS is kept by the caller (it may be null: the dialog then offers nothing).
  explicit CSondeSelect(qv::SondeRecordset* rs, QWidget* parent = nullptr);

  bool OnInitDialog() override;
  // 1 when the recordset was opened on the selection and the lists filled.
  int Requery();
  void FillCombos();

  void OnSelectAbbreviation();
  void OnSelectName();
  void OnSelectManufacturer();
  void OnSelectSerialNumber();
  void OnReset();
  void OnImport();
  void OnRemove();

  QComboBox* AbbreviationList() const { return abbreviation_; }
  QComboBox* NameList() const { return name_; }
  QComboBox* ManufacturerList() const { return manufacturer_; }
  QComboBox* SerialNumberList() const { return serial_; }
  QLabel* CountText() const { return count_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* ResetButton() const { return reset_; }
  QPushButton* ImportButton() const { return import_; }
  QPushButton* RemoveButton() const { return remove_; }
  const std::string& Condition() const { return condition_; }

 private:
  void Narrow(QComboBox* list, const char* column);

  qv::SondeRecordset* rs_;
  std::string condition_;  // the selections made so far, an SQL condition
  QComboBox *abbreviation_, *name_, *manufacturer_, *serial_;
  QLabel* count_;
  QPushButton *ok_, *cancel_, *reset_, *import_, *remove_;
};
