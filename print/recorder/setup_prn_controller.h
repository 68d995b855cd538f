// What the Real Time Printer Setup dialog does, without its widgets: the
// state of its controls, its click handlers, Apply, OK and Cancel, and the
// test page. The dialog only mirrors this state in its widgets.
#pragma once

#include <map>
#include <vector>

// Control ids of the dialog.
enum SetupPrnControlId {
  IDC_ADAPTIV = 2182,
  IDC_APPLY = 2183,
  IDC_FLOYD_STEINBERG = 2184,
  IDC_GULTON = 2185,
  IDC_LPT1 = 2187,
  IDC_LPT2 = 2188,
  IDC_LPT3 = 2189,
  IDC_TEST_PRINTER = 2196,
  IDC_PAPER = 2560,
  IDC_FILM = 2561,
  IDC_FOLD_MARKS = 3092,
  IDC_PRINTREX_820 = 3093,
  IDC_PRINTREX_840 = 3094,
};

class SetupPrnController {
 public:
  struct ControlState {
    bool checked = false;
    bool enabled = true;
  };

  SetupPrnController();

  // Loads the controls from the settings; locks port, model and the test
  // while a recorder is in use.
  void OnInitDialog();
  // The user clicks a radio button or a check box: its group follows and its
  // handler runs. Disabled controls take no clicks.
  void Click(int id);
  void OnLpt(int port);
  void OnModel(int model);
  // Stores the controls in the settings and writes them to the profile.
  void OnApply();
  void OnOK() { OnApply(); }
  // Puts back the port and model of the dialog's start (or of the last Apply).
  void OnCancel();
  // Prints the test page on the port and model chosen; false when a write
  // failed (the caller reports the printer error). Nothing while a recorder
  // is in use.
  bool OnTestPrinter();

  bool Checked(int id) const;
  bool Enabled(int id) const;
  // Every control the dialog has, in the order it shows them.
  static const std::vector<int>& ControlIds();

  // The members the dialog's data exchange binds.
  int adaptive = 0;
  int floydSteinberg = 0;
  int medium = 0;
  int foldMarks = 1;
  int savedModel = 0;
  int savedPort = 1;

 private:
  void DoDataExchange(bool save);
  void CheckRadio(int id);
  std::map<int, ControlState> controls_;
};
