#include "print/page/print_dialog_controller.h"

#include <cerrno>
#include <cstdlib>

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsNotInteger = 61712;
constexpr unsigned kIdsIntegerRange = 61713;
constexpr long kScaleMin = 1, kScaleMax = 1200;

std::string ReplaceArg(std::string text, const char* arg, const std::string& value) {
  const size_t at = text.find(arg);
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// The scale edit's text as an unsigned number: blanks around it allowed,
// nothing else.
bool ParseScale(const std::string& text, long* value) {
  const size_t a = text.find_first_not_of(' ');
  if (a == std::string::npos) return false;
  const size_t b = text.find_last_not_of(' ');
  const std::string digits = text.substr(a, b - a + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return false;
  *value = std::strtol(digits.c_str(), nullptr, 10);
  return true;
}

}  // namespace

bool PrintDialogController::OnInitDialog() {
  if (settings == nullptr) return false;
  PrintOptionControls& c = controls;
  c.headerPage = settings->headerPage;
  c.calibrationDetails = settings->calibrationDetails;
  c.continuousMode = settings->continuousMode;
  c.fitToPage = settings->fitToPage;
  c.separatePages = settings->separatePages;
  c.formMarks = 1;
  c.fitEnabled = chain == 0;
  c.separateEnabled = chain == 1;
  c.scaleEnabled = true;  // until the fit box is clicked
  int scale = 1;
  if (fixedScale_) {
    c.scaleVisible = false;
  } else {
    c.scaleVisible = true;
    scale = settings->scale < 1 ? 1 : settings->scale > 1000 ? 1000 : settings->scale;
  }
  c.scaleText = std::to_string(scale);
  return true;
}

void PrintDialogController::OnFitToPage(bool checked) {
  controls.fitToPage = checked ? 1 : 0;
  controls.scaleEnabled = !checked;
}

bool PrintDialogController::OnOK() {
  if (settings == nullptr) return false;
  long scale = 1;
  if (!ParseScale(controls.scaleText, &scale)) {
    ShowMessageId(kIdsNotInteger, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (scale < kScaleMin || scale > kScaleMax) {
    ShowMessageBox(ReplaceArg(ReplaceArg(LoadString(kIdsIntegerRange), "%1", std::to_string(kScaleMin)), "%2",
                              std::to_string(kScaleMax)),
                   {}, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  settings->separatePages = controls.separatePages;
  settings->headerPage = controls.headerPage;
  settings->calibrationDetails = controls.calibrationDetails;
  settings->continuousMode = controls.continuousMode;
  settings->fitToPage = controls.fitToPage;
  settings->formMarks = controls.formMarks;
  settings->scale = fixedScale_ ? 1 : int(scale);
  return true;
}

}  // namespace qv::print
