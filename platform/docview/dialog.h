// Dialogs, dialog data exchange with range checks, property sheets and
// dialog bars. A dialog moves values between its members and its controls in
// DoDataExchange; loading happens at initialisation, saving (with validation)
// when OK is pressed. A failed check shows its box, puts the focus on the
// control and keeps the dialog open.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QSlider;

namespace qv {

// Runs ANSWER, a test's stand-in for a modal dialog, inside a modal event
// loop of its own, as exec() runs the dialog: timers and posted events are
// delivered meanwhile, so a caller that holds a lock or leaves its state
// half-changed across the dialog shows up in tests as in the program.
int RunAsModal(const std::function<int()>& answer);

class DataExchange {
 public:
  explicit DataExchange(bool saveAndValidate) : save_(saveAndValidate) {}
  bool Saving() const { return save_; }
  bool Failed() const { return failed_; }
  // Marks the exchange as failed at control (first failure wins).
  void Fail(QWidget* control);
  QWidget* FailedControl() const { return failedControl_; }
  // The control the next range check refers to (the last one exchanged).
  QWidget* LastControl() const { return last_; }
  void SetLastControl(QWidget* w) { last_ = w; }

 private:
  bool save_;
  bool failed_ = false;
  QWidget* failedControl_ = nullptr;
  QWidget* last_ = nullptr;
};

// Numbers are written and read in the C locale whatever the user's locale.
void DDX_Text(DataExchange& dx, QLineEdit* edit, int& value);
void DDX_Text(DataExchange& dx, QLineEdit* edit, double& value);
void DDX_Text(DataExchange& dx, QLineEdit* edit, std::string& value);
void DDX_Text(DataExchange& dx, QLabel* label, std::string& value);
void DDX_Check(DataExchange& dx, QCheckBox* box, int& value);
void DDX_LBIndex(DataExchange& dx, QListWidget* list, int& index);
void DDX_CBIndex(DataExchange& dx, QComboBox* combo, int& index);
void DDX_Slider(DataExchange& dx, QSlider* slider, int& value);
// Range checks on the value just saved; they run only while saving.
void DDV_MinMaxInt(DataExchange& dx, int value, int minimum, int maximum);
void DDV_MinMaxDouble(DataExchange& dx, double value, double minimum, double maximum);
void DDV_MaxChars(DataExchange& dx, const std::string& value, size_t count);
// Before a text is stored: false (after a box naming them) when it holds
// characters the file code page cannot hold, which would be stored as '?'.
bool DDV_Storable(DataExchange& dx, QWidget* control, const QString& text);
// The box text naming the characters of TEXT the file code page cannot hold;
// empty when it holds none.
std::string UnstorableMessage(const QString& text);

// Number texts for edits, in the C locale.
std::string FormatNumber(double value);
bool ParseInt(const std::string& text, int* value);
bool ParseDouble(const std::string& text, double* value);

class Dialog : public QDialog {
  Q_OBJECT
 public:
  explicit Dialog(QWidget* parent = nullptr);
  // Runs once before the dialog is first shown (or by EnsureInitialised);
  // the default loads the controls.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  bool UpdateData(bool saveAndValidate = true);
  virtual void OnOK();
  virtual void OnCancel();
  // Modal run: IDOK or IDCANCEL (never used by tests, which call the handlers).
  int DoModal();
  void EnsureInitialised();

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }
  void EndDialog(int result);

 private:
  bool initialised_ = false;
};

class PropertySheet;

class PropertyPage : public QWidget {
  Q_OBJECT
 public:
  explicit PropertyPage(const std::string& title, QWidget* parent = nullptr);
  const std::string& Title() const { return title_; }
  PropertySheet* Sheet() const { return sheet_; }
  // Once, the first time the page becomes active; the default loads the controls.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  bool UpdateData(bool saveAndValidate = true);
  // Each time the page becomes active; false refuses the activation.
  virtual bool OnSetActive() { return true; }
  // When the page is left; the default validates and saves, and false keeps
  // the page active.
  virtual bool OnKillActive() { return UpdateData(true); }
  virtual void OnOK() {}
  virtual void OnCancel() {}
  bool Initialised() const { return initialised_; }

 private:
  friend class PropertySheet;
  std::string title_;
  PropertySheet* sheet_ = nullptr;
  bool initialised_ = false;
};

class PropertySheet : public QDialog {
  Q_OBJECT
 public:
  enum Button { OkButton, CancelButton, ApplyButton, HelpButton };
  explicit PropertySheet(const std::string& caption, QWidget* parent = nullptr);
  void AddPage(PropertyPage* page);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  PropertyPage* Page(int index) const;
  int GetActiveIndex() const { return active_; }
  PropertyPage* GetActivePage() const { return Page(active_); }
  // Leaves the active page (which may veto) and activates another; false when
  // the change was refused.
  bool SetActivePage(int index);
  void SetButtonText(Button b, const std::string& text);
  void HideButton(Button b);
  QPushButton* ButtonWidget(Button b) const;
  QTabBar* Tabs() const { return tabs_; }
  // Runs OnInitDialog once, then activates the first page (if none is yet);
  // runs before the sheet shows.
  void EnsureInitialised();
  // Once, before the first page is activated: a sheet prepares what its
  // pages will read.
  virtual bool OnInitDialog() { return true; }
  // OK: the active page must agree to be left, then every page initialised so
  // far gets OnOK. Cancel: OnCancel for them.
  virtual bool OnOK();
  virtual void OnCancel();
  int DoModal();

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override;
  void reject() override;

 private:
  bool Activate(int index);
  std::vector<PropertyPage*> pages_;
  QTabBar* tabs_;
  QStackedWidget* stack_;
  QDialogButtonBox* buttons_;
  int active_ = -1;
  bool switching_ = false;
  bool initialised_ = false;
};

// A bar of controls docked at the edge of a child frame.
class DialogBar : public QFrame {
  Q_OBJECT
 public:
  explicit DialogBar(QWidget* parent = nullptr);
  // Gives a control its status-bar prompt and tool tip from the string table
  // entry of id ("prompt\ntip").
  static void ApplyPrompt(QWidget* control, unsigned id);
};

}  // namespace qv
