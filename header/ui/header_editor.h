// The header editor: a property sheet over working copies of a log's
// HeaderInfo and TrailerText. The caller's records change only when the
// sheet is closed with OK; Cancel leaves them as they were.
#pragma once

#include <QButtonGroup>
#include <memory>
#include <string>
#include <vector>

#include "header/header_info.h"
#include "platform/docview/dialog.h"

class QGridLayout;
class QKeyEvent;
class QPlainTextEdit;

// A field of the header shown in an edit. Fields of a run name the member
// of each of the three runs; other fields only the first.
struct HeaderField {
  enum Kind { kInt, kFloat, kText };
  enum UnitKind { kNoUnit, kDepth, kSize, kWeight, kCelsius };
  int id;
  const char* label;
  Kind kind;
  int HeaderInfo::*ints[3];
  float HeaderInfo::*floats[3];
  std::string HeaderInfo::*texts[3];
  int unitId = 0;
  UnitKind unit = kNoUnit;
};

// What pages 1 to 5 share: the caller's and the working header, the name of
// the log's header file, and a buffer of the fields the page edits.
class CHeaderEditorPage : public qv::PropertyPage {
 public:
  CHeaderEditorPage(const std::string& title, std::vector<HeaderField> fields, int runs);
  void Attach(HeaderInfo* caller, HeaderInfo* working, const std::string& headerFile);
  const std::vector<HeaderField>& Fields() const { return fields_; }

  // Open: the page's fields are copied from the working header into the
  // buffer and shown. Leave: the controls are read and the buffer goes back
  // into the working header.
  bool OnInitDialog() override;
  bool OnKillActive() override;
  void DoDataExchange(qv::DataExchange& dx) override;

 protected:
  // The run whose values the edits show (0 on pages without runs).
  virtual int ShownRun() const { return 0; }
  // Copies the page's fields of every run it edits.
  void CopyFields(const HeaderInfo& from, HeaderInfo& to) const;
  void SetUnitStatics();
  QGridLayout* Grid() const { return grid_; }

  HeaderInfo* m_pHeaderInfo = nullptr;
  HeaderInfo* m_pWorkingHeader = nullptr;
  std::string m_strHeaderFile;
  HeaderInfo buffer_;

 private:
  std::vector<HeaderField> fields_;
  int runs_;
  QGridLayout* grid_;
};

class CHeaderEditorPage1 : public CHeaderEditorPage {
 public:
  CHeaderEditorPage1();
  void AttachTrailer(TrailerText* caller, TrailerText* working);
  // The only place where the edits reach the caller's records.
  void OnOK() override;

 private:
  TrailerText* m_pTrailerText = nullptr;
  TrailerText* m_pWorkingTrailer = nullptr;
};

class CHeaderEditorPage2 : public CHeaderEditorPage {
 public:
  CHeaderEditorPage2();
};

// Pages 3 and 4 show one of the three runs; which one they share.
class CRunPage : public CHeaderEditorPage {
 public:
  CRunPage(const std::string& title, std::vector<HeaderField> fields);
  void SetRunIndex(int* run) { run_ = run; }
  bool OnInitDialog() override;
  bool OnSetActive() override;
  // The run buttons 2305 to 2307 (run 0 to 2).
  void OnRunButton(int run);
  int ShownRun() const override { return shown_; }

 private:
  void CheckRunButton();
  int* run_ = nullptr;
  int shown_ = 0;
  QButtonGroup buttons_;
};

class CHeaderEditorPage3 : public CRunPage {
 public:
  CHeaderEditorPage3();
  // An empty date of a run shows today's date.
  bool OnInitDialog() override;
};

class CHeaderEditorPage4 : public CRunPage {
 public:
  CHeaderEditorPage4();
};

class CHeaderEditorPage5 : public CHeaderEditorPage {
 public:
  CHeaderEditorPage5();
  QPlainTextEdit* Edit() const { return edit_; }
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override;

 private:
  QPlainTextEdit* edit_;
  std::string text_;
};

// Never added to the sheet; its buttons do nothing.
class CHeaderEditorPage_6 : public qv::PropertyPage {
 public:
  CHeaderEditorPage_6();
};

class CHeaderEditorPage7 : public qv::PropertyPage {
 public:
  CHeaderEditorPage7();
  void Attach(TrailerText* caller, TrailerText* working);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override;
  QPlainTextEdit* Edit() const { return edit_; }

 private:
  QPlainTextEdit* edit_;
  TrailerText* m_pTrailerText = nullptr;
  TrailerText* m_pWorkingTrailer = nullptr;
  std::string text_;
};

class CHeaderEditor : public qv::PropertySheet {
 public:
  explicit CHeaderEditor(QWidget* parent = nullptr);
  ~CHeaderEditor() override;

  bool OnInitDialog() override;
  // Return in a single-line control moves on to the next control, as Tab
  // does; the multi-line edits take it as a line break and the OK and Cancel
  // buttons as a press. True when the key was handled here.
  bool PreTranslateMessage(QKeyEvent* event);

  HeaderInfo* m_pHeaderInfo = nullptr;
  TrailerText* m_pTrailerText = nullptr;
  std::string m_strHeaderFile;
  int m_nNewLog = 1;  // 0 when the log exists already

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::unique_ptr<int> run_;
  std::unique_ptr<HeaderInfo> workingHeader_;
  std::unique_ptr<TrailerText> workingTrailer_;

 public:
  CHeaderEditorPage1 m_Page1;
  CHeaderEditorPage2 m_Page2;
  CHeaderEditorPage3 m_Page3;
  CHeaderEditorPage4 m_Page4;
  CHeaderEditorPage5 m_Page5;
  CHeaderEditorPage_6 m_Page6;
  CHeaderEditorPage7 m_Page7;
};

// Remarks: comments 1 up to the last non-empty one, joined by CR LF; and the
// split back into the ten comments (text after the tenth break is dropped).
std::string JoinRemarks(const HeaderInfo& info);
void SplitRemarks(const std::string& text, HeaderInfo& info);
