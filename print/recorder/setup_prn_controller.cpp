#include "setup_prn_controller.h"

#include <algorithm>

#include "app/core/globals.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "print/recorder/gulton.h"

namespace {

const std::vector<int> kPortRadios{IDC_LPT1, IDC_LPT2, IDC_LPT3};
const std::vector<int> kModelRadios{IDC_GULTON, IDC_PRINTREX_820, IDC_PRINTREX_840};
const std::vector<int> kMediumRadios{IDC_PAPER, IDC_FILM};

const std::vector<int>* GroupOf(int id) {
  for (const std::vector<int>* g : {&kPortRadios, &kModelRadios, &kMediumRadios})
    if (std::find(g->begin(), g->end(), id) != g->end()) return g;
  return nullptr;
}

void WriteSetting(const char* key, int value) {
  qv::WritePrivateProfileString("SystemParameters", key, qv::FormatC("%d", value).c_str(), qv::ProgramProfileFile());
}

}  // namespace

SetupPrnController::SetupPrnController() {
  for (int id : ControlIds()) controls_[id] = {};
}

const std::vector<int>& SetupPrnController::ControlIds() {
  static const std::vector<int> ids{IDC_LPT1,         IDC_LPT2,         IDC_LPT3, IDC_GULTON,          IDC_PRINTREX_820,
                                    IDC_PRINTREX_840, IDC_PAPER,        IDC_FILM, IDC_FLOYD_STEINBERG, IDC_ADAPTIV,
                                    IDC_FOLD_MARKS,   IDC_TEST_PRINTER, IDC_APPLY};
  return ids;
}

bool SetupPrnController::Checked(int id) const {
  auto it = controls_.find(id);
  return it != controls_.end() && it->second.checked;
}

bool SetupPrnController::Enabled(int id) const {
  auto it = controls_.find(id);
  return it != controls_.end() && it->second.enabled;
}

void SetupPrnController::CheckRadio(int id) {
  if (const std::vector<int>* group = GroupOf(id))
    for (int other : *group) controls_[other].checked = other == id;
}

void SetupPrnController::DoDataExchange(bool save) {
  if (save) {
    adaptive = Checked(IDC_ADAPTIV);
    floydSteinberg = Checked(IDC_FLOYD_STEINBERG);
    medium = Checked(IDC_FILM) ? 1 : Checked(IDC_PAPER) ? 0 : -1;
    foldMarks = Checked(IDC_FOLD_MARKS);
    return;
  }
  controls_[IDC_ADAPTIV].checked = adaptive != 0;
  controls_[IDC_FLOYD_STEINBERG].checked = floydSteinberg != 0;
  controls_[IDC_PAPER].checked = medium == 0;
  controls_[IDC_FILM].checked = medium == 1;
  controls_[IDC_FOLD_MARKS].checked = foldMarks != 0;
}

void SetupPrnController::OnInitDialog() {
  medium = g_nPrintMedium;
  DoDataExchange(false);
  savedModel = g_nRealTimePrinter;
  savedPort = g_nRecorderPort;
  CheckRadio(savedPort == 2 ? IDC_LPT2 : savedPort == 3 ? IDC_LPT3 : IDC_LPT1);
  if (savedModel == 1 || savedModel == 2) {
    CheckRadio(savedModel == 1 ? IDC_PRINTREX_820 : IDC_PRINTREX_840);
    // The box shows the setting: left as it was loaded it would show fold
    // marks detected when they are not, and Apply would switch them on.
    controls_[IDC_FOLD_MARKS].checked = g_bFormMarkDetect == 1;
    controls_[IDC_FOLD_MARKS].enabled = true;
  } else {
    CheckRadio(IDC_GULTON);
    if (savedModel == 0) controls_[IDC_FOLD_MARKS] = {false, false};
  }
  controls_[IDC_FLOYD_STEINBERG].checked = g_bPrintFloydSteinberg != 0;
  controls_[IDC_ADAPTIV].checked = g_bPrintAdaptiv != 0;
  if (RecordersInUse() > 0)
    for (int id : {IDC_LPT1, IDC_LPT2, IDC_LPT3, IDC_TEST_PRINTER, IDC_GULTON, IDC_PRINTREX_820, IDC_PRINTREX_840})
      controls_[id].enabled = false;
}

void SetupPrnController::Click(int id) {
  auto it = controls_.find(id);
  if (it == controls_.end() || !it->second.enabled) return;
  if (GroupOf(id))
    CheckRadio(id);
  else if (id != IDC_TEST_PRINTER && id != IDC_APPLY)
    it->second.checked = !it->second.checked;
  switch (id) {
    case IDC_LPT1:
      OnLpt(1);
      break;
    case IDC_LPT2:
      OnLpt(2);
      break;
    case IDC_LPT3:
      OnLpt(3);
      break;
    case IDC_GULTON:
      OnModel(0);
      break;
    case IDC_PRINTREX_820:
      OnModel(1);
      break;
    case IDC_PRINTREX_840:
      OnModel(2);
      break;
    case IDC_APPLY:
      OnApply();
      break;
    default:
      break;
  }
}

// Port and model take effect at once, so that the test page uses them.
void SetupPrnController::OnLpt(int port) {
  g_nRecorderPort = port;
}
void SetupPrnController::OnModel(int model) {
  g_nRealTimePrinter = model;
}

void SetupPrnController::OnApply() {
  const int port = Checked(IDC_LPT3) ? 3 : Checked(IDC_LPT2) ? 2 : 1;
  const int model = Checked(IDC_PRINTREX_840) ? 2 : Checked(IDC_PRINTREX_820) ? 1 : 0;
  g_nRecorderPort = port;
  g_nRealTimePrinter = model;
  g_bPrintFloydSteinberg = Checked(IDC_FLOYD_STEINBERG) ? 1 : 0;
  g_bPrintAdaptiv = Checked(IDC_ADAPTIV) ? 1 : 0;
  g_nPrintMedium = Checked(IDC_FILM) ? 1 : 0;
  g_bFormMarkDetect = Checked(IDC_FOLD_MARKS) ? 1 : 0;
  DoDataExchange(true);
  // What was applied is what Cancel keeps.
  savedPort = port;
  savedModel = model;
  WriteSetting("LPT", port);
  WriteSetting("PrintFloydSteinberg", g_bPrintFloydSteinberg);
  WriteSetting("PrintAdaptiv", g_bPrintAdaptiv);
  WriteSetting("RealTimePrinter", model);
  WriteSetting("PrintMedium", g_nPrintMedium);
  WriteSetting("FormMarkDetect", g_bFormMarkDetect);
}

void SetupPrnController::OnCancel() {
  g_nRealTimePrinter = savedModel;
  g_nRecorderPort = savedPort;
}

bool SetupPrnController::OnTestPrinter() {
  if (RecordersInUse() > 0) return true;
  try {
    CGulton recorder(static_cast<uint8_t>(g_nRealTimePrinter.load()), kPrintTest, 0, nullptr, -1, 0, 1);
    recorder.SendPrintrexStart();
    recorder.PrintTestPage();
  } catch (const CUserException&) {
    return false;
  }
  return true;
}
