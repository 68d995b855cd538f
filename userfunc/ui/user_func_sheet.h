// The user-function tool: a property sheet with the pages "Selection"
// (sonde, function list, New/Delete/Export/Import, name, comment, outputs),
// "Display Options" (each output's names, range, colour, print style,
// filter and place in the track layout) and "Implementation" (the source
// editor, Save Source, Compile and Implement). The build runs on a worker thread so the window stays live.
#pragma once

#include <QPointer>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "header/user_function_ini.h"
#include "platform/docview/dialog.h"
#include "platform/grid/grid.h"
#include "sondedb/lookups.h"
#include "sondedb/records/records.h"
#include "sondedb/sondedb.h"
#include "userfunc/ui/user_func_model.h"
#include "userfunc/user_function_build.h"
#include "userfunc/user_function_record.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QTableWidget;
class QTreeWidget;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class CUserFuncSheet;

class CUserFuncPage1 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CUserFuncPage1(CUserFuncSheet* sheet);
  bool OnInitDialog() override;
  bool OnKillActive() override;
  void OnOK() override;

  void OnSelectSonde();
  void OnSelectFunction();
  void OnNew();
  void OnRemove();
  void OnExport();
  void OnImport();
  void OnNameKillFocus();

  QComboBox* SondeCombo() const { return sonde_; }
  QListWidget* FunctionList() const { return list_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* OutputsEdit() const { return outputs_; }
  QPlainTextEdit* CommentEdit() const { return comment_; }
  QPushButton* NewButton() const { return new_; }
  QPushButton* DeleteButton() const { return delete_; }
  QLabel* SerialText() const { return serial_; }
  QLabel* InputsText() const { return inputs_; }
  const std::vector<std::string>& Files() const { return files_; }

 private:
  void SelectSondeItem(int index);
  bool LoadInputs();
  void FillFunctionList(const std::string& abbreviation);
  void RefreshFunctionList();
  void LoadFunction(int index);
  void SaveFunction();
  void LookUpSonde(const std::string& serial);

  std::vector<std::string> files_;
  QPushButton* new_;
  QPushButton* delete_;
  QLabel* serial_;
  QLabel* inputs_;
  QComboBox* sonde_;
  QListWidget* list_;
  QLineEdit* name_;
  QPlainTextEdit* comment_;
  QLineEdit* outputs_;
  int outputCount_ = 6;
  int current_ = -1;
  std::string currentSource_;
  CUserFuncSheet* sheet_;
  bool modified_ = false;
  bool loading_ = false;
};

class CUserFuncPage2 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CUserFuncPage2(CUserFuncSheet* sheet);
  ~CUserFuncPage2() override;
  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnKillActive() override;

  void OnCompile();
  void OnSaveSource();
  bool SaveSource();
  void LoadSource();
  bool Building() const { return building_; }

  QPlainTextEdit* Editor() const { return editor_; }
  QPushButton* CompileButton() const { return compile_; }
  QPushButton* SaveButton() const { return save_; }
  bool Modified() const { return modified_; }

 private:
  void BuildFinished(bool ok);
  std::string EditorText() const;

  QPlainTextEdit* editor_;
  CUserFuncSheet* sheet_;
  bool modified_ = false;
  bool loading_ = false;
  QPushButton* compile_;
  QPushButton* save_;
  std::thread worker_;
  std::atomic<bool> building_{false};
};

class CUserFuncPage3 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CUserFuncPage3(CUserFuncSheet* sheet);
  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnKillActive() override;
  void OnOK() override;

  // The tree's selection moved to output INDEX (-1: the root).
  void OnSelectOutput(int index);
  void OnGridClick(int row, int column);
  void OnNameChange();
  void OnChangeColour();
  void OnChangePrintStyle();

  QTreeWidget* Tree() const { return tree_; }
  QTableWidget* GridWidget() const { return table_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ShortEdit() const { return short_; }
  QLineEdit* UnitEdit() const { return unit_; }
  QLineEdit* MinimumEdit() const { return minimum_; }
  QLineEdit* MaximumEdit() const { return maximum_; }
  QCheckBox* ReverseScale() const { return reverse_; }
  QCheckBox* VisibleCheck() const { return visible_; }
  QComboBox* FilterCombo() const { return filter_; }
  QSpinBox* StrengthSpin() const { return spin_; }
  QLabel* StrengthText() const { return strength_; }
  std::uint32_t Colour() const { return colour_; }
  int PrintStyle() const { return style_; }
  const std::vector<CurveRecord>& Entries() const { return entries_; }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FitGridColumns(int width);
  void FillTree();
  void FillGrid();
  void ShowOutput(int index);
  void StoreOutput(int index);
  void StoreAll();
  void SaveIni();

  std::vector<CurveRecord> entries_;
  std::uint32_t colour_ = 0;
  int style_ = 0;
  int selected_ = -1;
  bool treeReady_ = true;
  bool store_ = true;
  CUserFuncSheet* sheet_;
  QComboBox* filter_;
  QSpinBox* spin_;
  QLabel* strength_;
  QTreeWidget* tree_;
  QLineEdit* minimum_;
  QLineEdit* maximum_;
  QCheckBox* visible_;
  QLineEdit* short_;
  QLineEdit* name_;
  QLineEdit* unit_;
  QTableWidget* table_;
  std::unique_ptr<qv::Grid> grid_;
  qv::TrackLayout layout_;
  QCheckBox* reverse_;
  QWidget* colourSwatch_;
  QWidget* styleSwatch_;
};

class CUserFuncSheet : public qv::PropertySheet {
  Q_OBJECT
 public:
  explicit CUserFuncSheet(QWidget* parent = nullptr);
  ~CUserFuncSheet() override;
  bool OnInitDialog() override;

  CUserFuncPage1* Page1() const { return page1_; }
  CUserFuncPage2* Page2() const { return page2_; }
  CUserFuncPage3* Page3() const { return page3_; }

 protected:
  // The sheet stays while a build runs: the build may still ask the user,
  // and its boxes are shown by this window's thread.
  void reject() override;

 public:
  // The sonde database (null when missing) and the selected function.
  std::unique_ptr<qv::SondeDatabase> m_pDatabase;
  UserFunctionRecord m_Record;
  UserFunctionFilter m_Filters[kUserFunctionFilterTableSize]{};
  bool m_bBuildSucceeded = false;
  bool m_bSonic = false;
  std::string m_strUserFunctionFolder;  // with trailing separator
  std::string m_strProgramFolder;
  CurveArray m_Outputs;  // the output display records
  int m_nOutputs = 6;
  std::unique_ptr<qv::OwnedSondeRecordset> m_pSondeRs;
  // How the build is run; tests point it at their own compiler or checker.
  qv::UserFunctionBuildOptions m_BuildOptions;

 private:
  CUserFuncPage1* page1_;
  CUserFuncPage2* page2_;
  CUserFuncPage3* page3_;
};

namespace qv {
// Tools/User Functions: runs the sheet modally (RUN replaces exec() in tests).
void InstallUserFunctionTool(std::function<void(CUserFuncSheet&)> run = {});
}  // namespace qv
