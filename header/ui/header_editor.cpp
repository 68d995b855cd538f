#include "header/ui/header_editor.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <ctime>

#include "header/ui/edit_fields.h"
#include "platform/docview/qtext.h"
#include "platform/text/strings.h"

namespace {

constexpr unsigned kCaption = 32240;
constexpr unsigned kOk = 32369;
constexpr unsigned kFeet = 32078;
constexpr unsigned kMetres = 32079;
constexpr unsigned kInch = 32346;
constexpr unsigned kMillimetres = 32351;
constexpr unsigned kPounds = 32348;
constexpr unsigned kKilograms = 32347;

using HI = HeaderInfo;
using F = HeaderField;

F Text(int id, const char* label, std::string HI::*m) {
  return {id, label, F::kText, {}, {}, {m}};
}
F Float(int id, const char* label, float HI::*m, int unitId) {
  return {id, label, F::kFloat, {}, {m}, {}, unitId, F::kDepth};
}
F RunText(int id, const char* label, std::string HI::*a, std::string HI::*b, std::string HI::*c) {
  return {id, label, F::kText, {}, {}, {a, b, c}};
}
F RunFloat(int id, const char* label, float HI::*a, float HI::*b, float HI::*c, int unitId = 0,
           F::UnitKind unit = F::kDepth) {
  return {id, label, F::kFloat, {}, {a, b, c}, {}, unitId, unit};
}
F RunNo(int id) {
  return {id, "Run No.:", F::kInt, {&HI::RunNo1, &HI::RunNo2, &HI::RunNo3}, {}, {}};
}

std::vector<F> Page1Fields() {
  return {Text(2152, "Project Heading:", &HI::Project),
          Text(2165, "Main Log Title:", &HI::LogName),
          Text(2112, "Company:", &HI::Company),
          Text(2170, "Well:", &HI::Wellname),
          Text(2125, "Field:", &HI::Fieldname),
          Text(2113, "Country:", &HI::Country),
          Text(2126, "State:", &HI::Stat),
          Text(2114, "County:", &HI::Cnty),
          Text(2131, "Latitude:", &HI::Latitude),
          Text(2137, "Longitude:", &HI::Longitude),
          Text(2145, "Other Services:", &HI::OtherServices1),
          Text(2146, "", &HI::OtherServices2),
          Text(2147, "", &HI::OtherServices3),
          Text(2148, "", &HI::OtherServices4),
          Text(2149, "", &HI::OtherServices5)};
}

std::vector<F> Page2Fields() {
  return {Text(2151, "Permanent Datum:", &HI::PermanentDatum),
          Text(2122, "Elevation:", &HI::Elevation),
          Text(2133, "Log Datum:", &HI::LogDatum),
          Text(2120, "Drilling Datum:", &HI::DrillDatum),
          Float(2129, "Kelly Bushing Elev.:", &HI::KellyBushing, 2358),
          Float(2121, "Drill Floor:", &HI::DrillFloor, 2342),
          Float(2128, "Ground Level:", &HI::GroundLevel, 2353)};
}

std::vector<F> Page3Fields() {
  return {RunNo(2154),
          RunText(2114, "Date:", &HI::DateRun1, &HI::DateRun2, &HI::DateRun3),
          RunText(2136, "Type of Log:", &HI::LogType1, &HI::LogType2, &HI::LogType3),
          RunFloat(2116, "Depth Driller:", &HI::DepthDriller1, &HI::DepthDriller2, &HI::DepthDriller3, 2337),
          RunFloat(2117, "Depth Logger:", &HI::DepthLogger1, &HI::DepthLogger2, &HI::DepthLogger3, 2339),
          RunFloat(2134, "Log Deepest:", &HI::Deepest1, &HI::Deepest2, &HI::Deepest3, 2364),
          RunFloat(2135, "Log Shallow:", &HI::Shallow1, &HI::Shallow2, &HI::Shallow3, 2366),
          RunText(2127, "Fluid in Hole:", &HI::Fluid1, &HI::Fluid2, &HI::Fluid3),
          RunText(2123, "Log Engineer:", &HI::Engineer1, &HI::Engineer2, &HI::Engineer3),
          RunText(2155, "Salinity:", &HI::Salinity1, &HI::Salinity2, &HI::Salinity3),
          RunText(2115, "Density:", &HI::FluidDensity1, &HI::FluidDensity2, &HI::FluidDensity3),
          RunText(2132, "Level:", &HI::FluidLevel1, &HI::FluidLevel2, &HI::FluidLevel3),
          RunFloat(2164, "Max. Temp.:", &HI::MaxTemperature1, &HI::MaxTemperature2, &HI::MaxTemperature3, 2365,
                   F::kCelsius),
          RunText(2153, "Rig Time:", &HI::RigTime1, &HI::RigTime2, &HI::RigTime3),
          RunText(2171, "Witnessed by:", &HI::Witness1, &HI::Witness2, &HI::Witness3)};
}

std::vector<F> Page4Fields() {
  return {RunNo(2154),
          RunFloat(2108, "Size:", &HI::CasRecSize1, &HI::CasRecSize2, &HI::CasRecSize3, 2323, F::kSize),
          RunFloat(2110, "Weight:", &HI::CasRecWeight1, &HI::CasRecWeight2, &HI::CasRecWeight3, 2327, F::kWeight),
          RunFloat(2107, "From:", &HI::CasRecFrom1, &HI::CasRecFrom2, &HI::CasRecFrom3, 2321),
          RunFloat(2109, "To:", &HI::CasRecTo1, &HI::CasRecTo2, &HI::CasRecTo3, 2325),
          RunFloat(2103, "Bit:", &HI::BitRec1, &HI::BitRec2, &HI::BitRec3, 2314, F::kSize),
          RunFloat(2104, "From:", &HI::BitRecFrom1, &HI::BitRecFrom2, &HI::BitRecFrom3, 2316),
          RunFloat(2105, "To:", &HI::BitRecTo1, &HI::BitRecTo2, &HI::BitRecTo3, 2318)};
}

std::string UnitText(F::UnitKind unit, bool imperial) {
  switch (unit) {
    case F::kDepth:
      return qv::LoadString(imperial ? kFeet : kMetres);
    case F::kSize:
      return qv::LoadString(imperial ? kInch : kMillimetres);
    case F::kWeight:
      return qv::LoadString(imperial ? kPounds : kKilograms);
    case F::kCelsius:
      return "\xB0"
             "C";
    case F::kNoUnit:
      break;
  }
  return {};
}

QLabel* StaticText(QWidget* parent, const std::string& text, int id = 0) {
  auto* label = new QLabel(qv::QStr(text), parent);
  if (id != 0) label->setObjectName(QString::number(id));
  return label;
}

QPlainTextEdit* MultiLineEdit(QWidget* page, int id, const char* label) {
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(StaticText(page, label));
  auto* edit = new QPlainTextEdit(page);
  edit->setObjectName(QString::number(id));
  layout->addWidget(edit, 1);
  return edit;
}

}  // namespace

// ---------------------------------------------------------------------------
CHeaderEditorPage::CHeaderEditorPage(const std::string& title, std::vector<HeaderField> fields, int runs)
    : qv::PropertyPage(title), fields_(std::move(fields)), runs_(runs), grid_(new QGridLayout(this)) {
  int row = 0;
  for (const HeaderField& f : fields_) {
    if (f.id == 0) continue;
    grid_->addWidget(StaticText(this, f.label), row, 0);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(f.id));
    grid_->addWidget(edit, row, 1);
    if (f.unitId != 0) grid_->addWidget(StaticText(this, "", f.unitId), row, 2);
    ++row;
  }
}

void CHeaderEditorPage::Attach(HeaderInfo* caller, HeaderInfo* working, const std::string& headerFile) {
  m_pHeaderInfo = caller;
  m_pWorkingHeader = working;
  m_strHeaderFile = headerFile;
}

void CHeaderEditorPage::CopyFields(const HeaderInfo& from, HeaderInfo& to) const {
  for (const HeaderField& f : fields_) {
    for (int r = 0; r < runs_; ++r) {
      switch (f.kind) {
        case HeaderField::kInt:
          to.*f.ints[r] = from.*f.ints[r];
          break;
        case HeaderField::kFloat:
          to.*f.floats[r] = from.*f.floats[r];
          break;
        case HeaderField::kText:
          to.*f.texts[r] = from.*f.texts[r];
          break;
      }
    }
  }
}

void CHeaderEditorPage::SetUnitStatics() {
  const bool imperial = m_pWorkingHeader != nullptr && m_pWorkingHeader->DepthUnit != 0;
  for (const HeaderField& f : fields_)
    if (f.unitId != 0) Control<QLabel>(this, f.unitId)->setText(qv::QStr(UnitText(f.unit, imperial)));
}

bool CHeaderEditorPage::OnInitDialog() {
  if (m_pWorkingHeader != nullptr) CopyFields(*m_pWorkingHeader, buffer_);
  SetUnitStatics();
  UpdateData(false);
  return true;
}

void CHeaderEditorPage::DoDataExchange(qv::DataExchange& dx) {
  const int r = ShownRun();
  for (const HeaderField& f : fields_) {
    auto* edit = Control<QLineEdit>(this, f.id);
    switch (f.kind) {
      case HeaderField::kInt:
        ExchangeInt(dx, edit, buffer_.*f.ints[r]);
        break;
      case HeaderField::kFloat:
        ExchangeFloat(dx, edit, buffer_.*f.floats[r]);
        break;
      case HeaderField::kText:
        ExchangeText(dx, edit, buffer_.*f.texts[r]);
        break;
    }
  }
}

bool CHeaderEditorPage::OnKillActive() {
  if (!UpdateData(true)) return false;
  if (m_pWorkingHeader != nullptr) CopyFields(buffer_, *m_pWorkingHeader);
  return true;
}

// ---------------------------------------------------------------------------
CHeaderEditorPage1::CHeaderEditorPage1() : CHeaderEditorPage("Client / Location", Page1Fields(), 1) {}

void CHeaderEditorPage1::AttachTrailer(TrailerText* caller, TrailerText* working) {
  m_pTrailerText = caller;
  m_pWorkingTrailer = working;
}

void CHeaderEditorPage1::OnOK() {
  if (m_pHeaderInfo != nullptr && m_pWorkingHeader != nullptr) *m_pHeaderInfo = *m_pWorkingHeader;
  if (m_pTrailerText != nullptr && m_pWorkingTrailer != nullptr) *m_pTrailerText = *m_pWorkingTrailer;
}

CHeaderEditorPage2::CHeaderEditorPage2() : CHeaderEditorPage("Log Datum", Page2Fields(), 1) {}

// ---------------------------------------------------------------------------
CRunPage::CRunPage(const std::string& title, std::vector<HeaderField> fields)
    : CHeaderEditorPage(title, std::move(fields), 3) {
  auto* group = new QGroupBox(QStringLiteral("Select Run"), this);
  auto* row = new QHBoxLayout(group);
  for (int r = 0; r < 3; ++r) {
    auto* button = new QPushButton(qv::Tr("Run %1").arg(r + 1), group);
    button->setObjectName(QString::number(2305 + r));
    button->setCheckable(true);
    button->setAutoDefault(false);
    buttons_.addButton(button, r);
    row->addWidget(button);
  }
  Grid()->addWidget(group, Grid()->rowCount(), 0, 1, 3);
  QObject::connect(&buttons_, &QButtonGroup::idClicked, this, [this](int r) { OnRunButton(r); });
}

void CRunPage::CheckRunButton() {
  if (QAbstractButton* b = buttons_.button(shown_)) b->setChecked(true);
}

bool CRunPage::OnInitDialog() {
  shown_ = run_ != nullptr ? *run_ : 0;
  return CHeaderEditorPage::OnInitDialog();
}

bool CRunPage::OnSetActive() {
  shown_ = run_ != nullptr ? *run_ : 0;
  // Both run pages edit the run numbers: the page left last decides them.
  if (m_pWorkingHeader != nullptr) {
    buffer_.RunNo1 = m_pWorkingHeader->RunNo1;
    buffer_.RunNo2 = m_pWorkingHeader->RunNo2;
    buffer_.RunNo3 = m_pWorkingHeader->RunNo3;
  }
  CheckRunButton();
  UpdateData(false);
  return true;
}

void CRunPage::OnRunButton(int run) {
  if (run < 0 || run > 2) return;
  if (!UpdateData(true)) {  // the values of the shown run do not read: stay on it
    CheckRunButton();
    return;
  }
  shown_ = run;
  if (run_ != nullptr) *run_ = run;
  CheckRunButton();
  UpdateData(false);
}

CHeaderEditorPage3::CHeaderEditorPage3() : CRunPage("Logging Run", Page3Fields()) {}

bool CHeaderEditorPage3::OnInitDialog() {
  CRunPage::OnInitDialog();
  char today[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(today, sizeof today, "%d %b %y", &local);
  bool filled = false;
  for (std::string* date : {&buffer_.DateRun1, &buffer_.DateRun2, &buffer_.DateRun3}) {
    if (!date->empty()) continue;
    *date = today;
    filled = true;
  }
  if (filled) UpdateData(false);
  return true;
}

CHeaderEditorPage4::CHeaderEditorPage4() : CRunPage("Drill Bit Size / Casing", Page4Fields()) {}

// ---------------------------------------------------------------------------
std::string JoinRemarks(const HeaderInfo& info) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < info.Comment.size(); ++i)
    if (!info.Comment[i].empty()) last = i;
  std::string text;
  for (std::size_t i = 0; i <= last; ++i) {
    text += info.Comment[i];
    if (i < last) text += "\r\n";
  }
  return text;
}

void SplitRemarks(const std::string& text, HeaderInfo& info) {
  for (std::string& c : info.Comment) c.clear();
  std::string rest = text;
  for (std::string& comment : info.Comment) {
    const std::size_t lf = rest.find('\n');
    if (lf == std::string::npos || lf == 0) {
      comment = rest;
      return;
    }
    // The line ends before the CR of its CR LF pair.
    comment = rest.substr(0, rest[lf - 1] == '\r' ? lf - 1 : lf);
    rest = rest.substr(lf + 1);
  }
}

CHeaderEditorPage5::CHeaderEditorPage5() : CHeaderEditorPage("Remarks", {}, 0), edit_(nullptr) {
  Grid()->addWidget(StaticText(this, "Remarks:"), 0, 0);
  edit_ = new QPlainTextEdit(this);
  edit_->setObjectName(QStringLiteral("2111"));
  Grid()->addWidget(edit_, 1, 0);
}

bool CHeaderEditorPage5::OnInitDialog() {
  text_ = m_pWorkingHeader != nullptr ? JoinRemarks(*m_pWorkingHeader) : std::string();
  UpdateData(false);
  return true;
}

void CHeaderEditorPage5::DoDataExchange(qv::DataExchange& dx) {
  ExchangeLines(dx, edit_, text_);
}

bool CHeaderEditorPage5::OnKillActive() {
  if (!UpdateData(true)) return false;
  if (m_pWorkingHeader != nullptr) SplitRemarks(text_, *m_pWorkingHeader);
  return true;
}

// ---------------------------------------------------------------------------
CHeaderEditorPage_6::CHeaderEditorPage_6() : qv::PropertyPage("   User   ") {
  auto* grid = new QGridLayout(this);
  grid->addWidget(StaticText(this, "User defined Parameters:"), 0, 0);
  grid->addWidget(StaticText(this, "Value:", 2169), 1, 0);
  grid->addWidget(StaticText(this, "Unit:", 2166), 2, 0);
  grid->addWidget(StaticText(this, "Description:", 2118), 3, 0);
  int column = 0;
  for (const char* text : {"New", "Save", "Delete"}) grid->addWidget(new QPushButton(text, this), 4, column++);
}

// ---------------------------------------------------------------------------
CHeaderEditorPage7::CHeaderEditorPage7() : qv::PropertyPage("Trailer Text") {
  edit_ = MultiLineEdit(this, 2589, "Trailer Text:");
}

void CHeaderEditorPage7::Attach(TrailerText* caller, TrailerText* working) {
  m_pTrailerText = caller;
  m_pWorkingTrailer = working;
}

bool CHeaderEditorPage7::OnInitDialog() {
  text_.clear();
  if (m_pWorkingTrailer != nullptr) SplitTrailerText(*m_pWorkingTrailer, text_, 0);
  UpdateData(false);
  return true;
}

void CHeaderEditorPage7::DoDataExchange(qv::DataExchange& dx) {
  ExchangeLines(dx, edit_, text_);
}

bool CHeaderEditorPage7::OnKillActive() {
  if (!UpdateData(true)) return false;
  if (m_pWorkingTrailer != nullptr) SplitTrailerText(*m_pWorkingTrailer, text_, 1);
  return true;
}

// ---------------------------------------------------------------------------
CHeaderEditor::CHeaderEditor(QWidget* parent)
    : qv::PropertySheet(qv::LoadString(kCaption), parent),
      run_(std::make_unique<int>(0)),
      workingHeader_(std::make_unique<HeaderInfo>()),
      workingTrailer_(std::make_unique<TrailerText>()) {
  for (qv::PropertyPage* page :
       std::initializer_list<qv::PropertyPage*>{&m_Page1, &m_Page2, &m_Page3, &m_Page4, &m_Page5, &m_Page7})
    AddPage(page);
  m_Page3.SetRunIndex(run_.get());
  m_Page4.SetRunIndex(run_.get());
}

CHeaderEditor::~CHeaderEditor() = default;

bool CHeaderEditor::OnInitDialog() {
  SetButtonText(OkButton, qv::LoadString(kOk));
  if (QPushButton* apply = ButtonWidget(ApplyButton)) apply->setEnabled(false);
  HideButton(ApplyButton);
  if (m_pHeaderInfo != nullptr) *workingHeader_ = *m_pHeaderInfo;
  if (m_pTrailerText != nullptr) *workingTrailer_ = *m_pTrailerText;
  for (CHeaderEditorPage* page :
       std::initializer_list<CHeaderEditorPage*>{&m_Page1, &m_Page2, &m_Page3, &m_Page4, &m_Page5})
    page->Attach(m_pHeaderInfo, workingHeader_.get(), m_strHeaderFile);
  m_Page1.AttachTrailer(m_pTrailerText, workingTrailer_.get());
  m_Page7.Attach(m_pTrailerText, workingTrailer_.get());
  *run_ = 0;
  return qv::PropertySheet::OnInitDialog();
}

bool CHeaderEditor::PreTranslateMessage(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  QWidget* focus = focusWidget();
  if (focus == nullptr || qobject_cast<QPlainTextEdit*>(focus) != nullptr) return false;
  if (focus == ButtonWidget(OkButton) || focus == ButtonWidget(CancelButton)) return false;
  focusNextChild();
  return true;
}

void CHeaderEditor::keyPressEvent(QKeyEvent* event) {
  if (PreTranslateMessage(event)) return;
  qv::PropertySheet::keyPressEvent(event);
}
