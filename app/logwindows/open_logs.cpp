#include "app/logwindows/open_logs.h"

#include <ctime>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "app/ui/log_wizard.h"
#include "curveview/curveview.h"
#include "header/header.h"
#include "header/hed_file.h"
#include "header/ui/header_editor.h"
#include "logdoc/ui/log_doc.h"
#include "platform/docview/dialog.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "tools/cementbond/cbl_log_doc.h"
#include "tools/fws/fws_log_doc.h"
#include "tools/sonic/sonic_document.h"
#include "tools/televiewer/bhtv_document.h"

namespace {

constexpr unsigned kStrSondeNotSupported = 32185;
constexpr unsigned kStrInitialiseFailed = 32215;
constexpr unsigned kStrAlreadyLogging = 32270;
constexpr unsigned kStrOpenLogTitle = 32271;
constexpr unsigned kStrLogFilter = 32284;

// The template (1-based, in registration order) of each tool type 0 to 10.
constexpr int kTemplateOfToolType[11] = {1, 2, 3, 4, 5, 6, 1, 2, 7, 2, 8};

// The templates in their fixed order.
enum class DocKind { Plain, SixChannel, None, TwelveChannel, Televiewer, CementBond, FullWave, Sonic };
constexpr DocKind kTemplates[8] = {DocKind::Plain,    DocKind::SixChannel, DocKind::Televiewer,    DocKind::Plain,
                                   DocKind::FullWave, DocKind::CementBond, DocKind::TwelveChannel, DocKind::Sonic};

constexpr int kTemplateResourceId = 6;
constexpr int kNewLogPollMs = 10;
constexpr int kIdlePollMs = 1000;

int NormalisedToolType(int toolType) {
  return toolType == 7 || toolType == 9 ? 1 : toolType;
}

bool CurveToolType(int toolType) {
  return toolType == 1 || toolType == 8;
}

constexpr int kTeleviewerToolType = 2;
constexpr int kFullWaveToolType = 4;
constexpr int kCementBondToolType = 5;
constexpr int kSonicToolType = 10;

bool WaveformToolType(int toolType) {
  return toolType == kFullWaveToolType || toolType == kCementBondToolType;
}

// The depth scale of a scale index for the unit; the middle of the table for
// an index outside it.
int DepthScaleOf(int index, bool imperial) {
  const int* table = imperial ? g_ImperialDepthScales : g_MetricDepthScales;
  const int count = imperial ? 5 : 8;
  if (index < 0 || index >= count) index = imperial ? 1 : 3;
  return table[index];
}

std::string TodayText() {
  char text[32] = {};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(text, sizeof text, "%d %b %y", &local);
  return text;
}

std::string HeaderTemplatePath() {
  return qv::JoinPath(qv::JoinPath(qv::ProgramFolder(), "Header"), "STANDARD.HED");
}

CLogDoc* ActiveLog() {
  return g_pActiveDoc.load();
}

// The curve view of a document's first view, or null.
CCurveView* CurveViewOf(qv::Document* doc) {
  for (qv::View* v : doc->Views())
    if (auto* view = dynamic_cast<CCurveView*>(v)) return view;
  return nullptr;
}

void SetUpCurveView(CLogDoc* doc, TrackArray tracks, CurveArray curves) {
  CCurveView* view = CurveViewOf(doc);
  if (!view) return;
  view->SetLayout(std::move(tracks), std::move(curves));
  view->InitialiseFromDocument(doc);
  view->SetDepthStep(doc->DepthStep());
  doc->SetCurveView(view);
}

// Hands a view the log's layout records as plain copies.
template <typename V>
void HandLayout(V* view, const TrackArray& tracks, const CurveArray& curves) {
  std::vector<TrackRecord> t;
  for (auto& r : tracks)
    if (r) t.push_back(*r);
  std::vector<CurveRecord> c;
  for (auto& r : curves)
    if (r) c.push_back(*r);
  view->SetLayout(std::move(t), std::move(c));
}

// A televiewer sweeps with each turn of its head, not at depth steps: a
// sweep's step word counts the depth counter's counts it moved, so one count
// of the log's depth unit is its depth step. Any other step would stretch the
// image and its depth labels by the ratio.
int TeleviewerDepthStep(bool imperial) {
  return qv::LogEngine::DepthFactor(imperial);
}

// The televiewer view of a document: its layout from the log's records.
CBHTVView* SetUpTeleviewerView(CLogDoc* doc, TrackArray tracks, CurveArray curves) {
  CBHTVView* view = doc->Views().empty() ? nullptr : dynamic_cast<CBHTVView*>(doc->Views().front());
  if (!view) return nullptr;
  HandLayout(view, tracks, curves);
  view->SetupLayout(doc->Setup().imperial, doc->Setup().depthStep);
  return view;
}

// The waveform view of a document (cement bond, full-wave sonic): its layout
// from the log's records.
CCBLView* SetUpWaveformView(CLogDoc* doc, TrackArray tracks, CurveArray curves) {
  auto* cbl = dynamic_cast<CWaveformLogDoc*>(doc);
  CCBLView* view = nullptr;
  for (qv::View* v : doc->Views())
    if ((view = dynamic_cast<CCBLView*>(v))) break;
  if (!cbl || !view) return nullptr;
  HandLayout(view, tracks, curves);
  view->SetupLayout(doc, &cbl->Waveform());
  return view;
}

// The sonic view of a document: its layout from the log's records and the
// log's waveform geometry.
CSonicView* SetUpSonicView(CLogDoc* doc, TrackArray tracks, CurveArray curves) {
  auto* sonic = dynamic_cast<CSonicDoc*>(doc);
  CSonicView* view = sonic && !doc->Views().empty() ? dynamic_cast<CSonicView*>(doc->Views().front()) : nullptr;
  if (!view) return nullptr;
  view->SetLayout(std::move(tracks), std::move(curves));
  view->SetupLayout(doc, sonic->Sonic().ImageWidth(), sonic->Sonic().WaveCount());
  return view;
}

// The communication standard a replayed log was recorded with, from its header.
int ReplayComStd(const std::string& dataPath) {
  HeaderInfo header;
  ReadHeaderInfo(dataPath, &header);
  return header.ComStd;
}

class LogOpener : public LogDocuments {
 public:
  void RegisterTemplates(CPemmaroApp& app) override {
    for (DocKind kind : kTemplates) {
      std::function<qv::Document*()> makeDoc;
      std::function<qv::View*()> makeView = [] { return new CPemmaroView; };
      switch (kind) {
        case DocKind::Plain:
          makeDoc = [] { return new CLogDoc; };
          break;
        case DocKind::SixChannel:
          makeDoc = [] { return new C6ChannelDocument; };
          makeView = [] { return new CCurveView; };
          break;
        case DocKind::TwelveChannel:
          makeDoc = [] { return new CTwelveChanDoc; };
          makeView = [] { return new CCurveView; };
          break;
        case DocKind::Televiewer:
          makeDoc = [] { return new CBTVTBDocument; };
          makeView = [] { return new CBHTVView; };
          break;
        case DocKind::CementBond:
          makeDoc = [] { return new CCementBondDoc; };
          makeView = [] { return new CCBLView; };
          break;
        case DocKind::FullWave:
          makeDoc = [] { return new CFullWaveDoc; };
          makeView = [] { return new CFWSView; };
          break;
        case DocKind::Sonic:
          makeDoc = [] { return new CSonicDoc; };
          makeView = [] { return new CSonicView; };
          break;
        case DocKind::None:
          makeDoc = [] { return nullptr; };
          break;
      }
      app.AddDocTemplate(std::make_unique<qv::DocTemplate>(
          kTemplateResourceId, std::move(makeDoc), [] { return new CPemmaroFrame; }, std::move(makeView)));
    }
  }

  bool InitialiseIdle(qv::Document* document) override {
    auto* doc = dynamic_cast<CLogDoc*>(document);
    if (!doc) return false;
    g_pActiveDoc = doc;
    qv::LogSetup& s = doc->Setup();
    s.depthStep = g_nDepthUnits ? g_nDepthStepImperial : g_nDepthStepMetric;
    s.imperial = g_nDepthUnits != 0;
    s.sampleInterval = g_nSampleInterval;
    s.sondeAbbreviation = g_strCurrentSonde;
    s.sondeSerialNo = g_strSondeSerialNo;
    const int comStd = qv::GetSondeComStd(g_strCurrentSonde);
    s.loggingMode.comStd = static_cast<uint8_t>(comStd == 0 ? 1 : comStd);
    s.loggingMode.toolType = static_cast<uint8_t>(qv::GetToolType(g_strCurrentSonde, false));
    doc->InitialiseLog(1, 0, kIdlePollMs, std::string());
    doc->m_bIdleDocument = true;
    return true;
  }

  void OnFileNew(CPemmaroApp& app) override {
    CLogDoc* active = ActiveLog();
    if (active && !active->IsIdleDocument()) {
      qv::ShowMessageBox(qv::LoadString(kStrAlreadyLogging));
      return;
    }
    if (g_bUtilityActive) return;  // a sonde test or a flowmeter run holds the unit
    if (active && qv::GetToolType(g_strCurrentSonde, false) == 6) {
      active->ShowHeatPulseDialog();
      return;
    }
    app.m_bIdleFrame = app.m_bReplayFrame = false;
    qv::LogWizardResult wizard;
    const bool confirmed = OpenerDialogs().wizard ? OpenerDialogs().wizard(app.GetMainFrame(), wizard)
                                                  : RunLogWizard(app.GetMainFrame(), wizard);
    if (!confirmed) return;
    const int toolType = NormalisedToolType(wizard.toolType);
    const int index = TemplateOfToolType(toolType);
    if (index < 0) {
      qv::ShowMessageBox(qv::LoadString(kStrSondeNotSupported));
      return;
    }
    if (active) app.CloseDocument(active);
    g_pActiveDoc = nullptr;
    if (toolType == kSonicToolType) CSonicDoc::SetNextComStd(qv::GetSondeComStd(wizard.sondeAbbreviation));
    auto* doc = dynamic_cast<CLogDoc*>(app.Template(static_cast<size_t>(index))->OpenDocumentFile(nullptr));
    if (!doc) {
      app.OpenIdleDocument();
      return;
    }

    const bool imperial = g_nDepthUnits != 0;
    qv::LogSetup& s = doc->Setup();
    doc->m_Channels = wizard.channels;
    const std::string dataStem = wizard.dataFolder + wizard.fileName + ".";
    s.pathStem = dataStem;
    s.sondeAbbreviation = wizard.sondeAbbreviation;
    s.sondeSerialNo = g_strSondeSerialNo;
    doc->m_nToolType = toolType;
    doc->m_nDepthUnits = g_nDepthUnits;
    s.imperial = imperial;
    s.logMode = wizard.logMode;
    s.sampleInterval = g_nSampleInterval;
    s.depthStep = imperial ? g_nDepthStepImperial : g_nDepthStepMetric;
    if (toolType == kTeleviewerToolType) s.depthStep = TeleviewerDepthStep(imperial);
    s.depthScale = DepthScaleOf(wizard.depthScaleIndex, imperial);
    s.calibrationFile = wizard.calibrationFile;
    s.userLibrary = wizard.userFunctionPath;
    s.calibration = wizard.calibrationOn != 0;
    s.calibrationFromHeader = false;
    s.userFunction = wizard.userFunctionOn != 0;
    s.realtimePrint = wizard.printerOutput != 0;
    s.replayStartDepth = s.replayEndDepth = 0;
    for (size_t i = 0; i < wizard.filters.size() && i < s.channelFilters.size(); ++i)
      s.channelFilters[i] = wizard.filters[i];
    if (!wizard.sondePowerLoaded) {
      app.CloseDocument(doc);
      app.OpenIdleDocument();
      return;
    }
    doc->m_SondePower = wizard.sondePower;

    g_bLogDocumentOpen = 1;
    g_pActiveDoc = doc;
    if (CurveToolType(toolType)) SetUpCurveView(doc, std::move(wizard.tracks), std::move(wizard.curves));
    if (toolType == kTeleviewerToolType) SetUpTeleviewerView(doc, std::move(wizard.tracks), std::move(wizard.curves));
    CCBLView* waveform = nullptr;
    if (WaveformToolType(toolType))
      waveform = SetUpWaveformView(doc, std::move(wizard.tracks), std::move(wizard.curves));
    else if (toolType == kSonicToolType)
      SetUpSonicView(doc, std::move(wizard.tracks), std::move(wizard.curves));

    LoggingModeBlock& mode = s.loggingMode;
    mode.mode = static_cast<uint8_t>(wizard.logMode);
    mode.comStd = static_cast<uint8_t>(toolType == 5 ? 3 : qv::GetSondeComStd(s.sondeAbbreviation));
    mode.toolType = static_cast<uint8_t>(toolType == 5 ? 4 : wizard.toolType);
    mode.value = static_cast<int16_t>(imperial ? g_nDepthStepImperial / 50 : g_nDepthStepMetric / 10);
    int poll = kNewLogPollMs;
    if (wizard.logMode == qv::kLogModeTime) {
      mode.value = static_cast<int16_t>(g_nTimeStep.load());
      poll = g_nTimeStep / 2;
    }

    const std::string templ = HeaderTemplatePath();
    ReadHeaderInfo(templ, &doc->Header());
    doc->Header().Date = TodayText();
    if (!doc->InitialiseLog(1, toolType, poll, dataStem)) {
      // The unit did not take the log's set-up (already reported): the log
      // is not left open as if it were ready.
      qv::ShowMessageBox(qv::LoadString(kStrInitialiseFailed));
      app.CloseDocument(doc);
      app.OpenIdleDocument();
      return;
    }
    doc->Trailer() = TrailerText{};

    CHeaderEditor editor(app.GetMainFrame());
    editor.m_pHeaderInfo = &doc->Header();
    editor.m_pTrailerText = &doc->Trailer();
    editor.m_strHeaderFile = dataStem + "HED";
    if (OpenerDialogs().headerEditor)
      qv::RunAsModal([&] {
        OpenerDialogs().headerEditor(editor);
        return 0;
      });
    else
      editor.DoModal();
    WriteHeaderInfo(templ, &doc->Header(), nullptr);
    if (CCurveView* view = doc->CurveView()) {
      view->ResetScroll();
      if (s.realtimePrint) view->StartRecorder();
    }
    if (auto* televiewer = doc->Views().empty() ? nullptr : dynamic_cast<CBHTVView*>(doc->Views().front()))
      if (s.realtimePrint) televiewer->StartChartRecorder();
    if (waveform) {
      waveform->ResetScroll();
      if (s.realtimePrint) waveform->StartChartRecorder();
    }
  }

  void OnFileOpen(CPemmaroApp& app) override {
    CLogDoc* active = ActiveLog();
    if (active && !active->IsIdleDocument()) {
      qv::ShowMessageBox(qv::LoadString(kStrAlreadyLogging));
      return;
    }
    qv::FileDialogRequest r;
    r.open = true;
    r.title = qv::LoadString(kStrOpenLogTitle);
    r.defaultExt = "LOG";
    r.filter = qv::LoadString(kStrLogFilter);
    r.mustExist = true;
    r.initialFolder =
        g_strDefaultDataFolder.empty() ? qv::JoinPath(qv::ProgramFolder(), "DATA") + "/" : g_strDefaultDataFolder;
    r.parent = app.GetMainFrame();
    const std::string path = qv::ShowFileDialog(r);
    if (path.empty()) return;
    const size_t slash = path.find_last_of('/');
    g_strDefaultDataFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const size_t dot = title.find_last_of('.'); dot != std::string::npos) title.erase(dot);
    app.OpenLogForReplay(title, path);
  }

  void OpenLogForReplay(CPemmaroApp& app, const std::string& first, const std::string& second) override {
    ReplaySettings settings;
    {
      CReplayDlg dialog(first, second, nullptr);
      const int answer = OpenerDialogs().replaySettings
                             ? qv::RunAsModal([&] { return OpenerDialogs().replaySettings(dialog); })
                             : dialog.DoModal();
      if (answer != qv::IDOK) return;
      settings = dialog.TakeSettings();
    }
    const int toolType = NormalisedToolType(settings.toolType);
    const int index = TemplateOfToolType(toolType);
    if (index < 0) {
      qv::ShowMessageBox(qv::LoadString(kStrSondeNotSupported));
      return;
    }
    if (CLogDoc* active = ActiveLog()) app.CloseDocument(active);
    g_pActiveDoc = nullptr;
    app.m_bReplayFrame = true;
    app.m_bIdleFrame = false;
    if (toolType == kSonicToolType) CSonicDoc::SetNextComStd(ReplayComStd(settings.dataPath));
    auto* doc = dynamic_cast<CLogDoc*>(app.Template(static_cast<size_t>(index))->OpenDocumentFile(nullptr));
    if (!doc) {
      app.OpenIdleDocument();
      return;
    }
    const bool imperial = settings.depthUnits != 0;
    qv::LogSetup& s = doc->Setup();
    doc->m_Channels = settings.channels;
    s.replayStartDepth = settings.startDepth;
    s.replayEndDepth = settings.endDepth;
    std::string stem = settings.dataPath;
    if (const size_t dot = stem.find_last_of('.'); dot != std::string::npos) stem.erase(dot + 1);
    s.pathStem = stem;
    doc->m_nToolType = toolType;
    s.logMode = settings.logMode;
    s.depthStep = settings.depthStep;
    // A televiewer log recorded before its step was one count may hold a
    // coarser step in its header; its sweeps counted counts all the same.
    if (toolType == kTeleviewerToolType) s.depthStep = TeleviewerDepthStep(imperial);
    s.sampleInterval = g_nSampleInterval;
    doc->m_nDepthUnits = settings.depthUnits;
    s.imperial = imperial;
    s.depthScale = DepthScaleOf(settings.depthScaleIndex, imperial);
    s.calibrationFile = settings.calibrationFile;
    s.calibrationFromHeader = settings.calibrationFromDataFile;
    s.userLibrary = settings.userLibrary;
    s.calibration = settings.calibration;
    s.userFunction = settings.userFunction;
    s.realtimePrint = settings.printer;
    s.channelFilters = settings.filters;
    doc->m_bFollowChain = settings.followChain;
    doc->Trailer() = settings.trailer;
    g_pActiveDoc = doc;

    CBHTVView* televiewer = nullptr;
    CCBLView* waveform = nullptr;
    CSonicView* sonic = nullptr;
    if (toolType == kTeleviewerToolType)
      televiewer = SetUpTeleviewerView(doc, std::move(settings.tracks), std::move(settings.curves));
    else if (WaveformToolType(toolType))
      waveform = SetUpWaveformView(doc, std::move(settings.tracks), std::move(settings.curves));
    else if (toolType == kSonicToolType)
      sonic = SetUpSonicView(doc, std::move(settings.tracks), std::move(settings.curves));
    else if (!CurveToolType(toolType))
      return;
    else
      SetUpCurveView(doc, std::move(settings.tracks), std::move(settings.curves));
    doc->SetTitle(settings.fileName);
    if (!doc->InitialiseLog(0, toolType, 0, settings.fileName)) {
      qv::ShowMessageBox(qv::LoadString(kStrInitialiseFailed));
      app.CloseDocument(doc);
      app.OpenIdleDocument();
      return;
    }
    if (CCurveView* view = doc->CurveView()) {
      view->ResetScroll();
      if (s.realtimePrint) view->StartRecorder();
      view->SetDisplayDepth(s.replayStartDepth, true);
    }
    if (televiewer) {
      if (s.realtimePrint) televiewer->StartChartRecorder();
      televiewer->SetDepth(s.replayStartDepth, false);
    }
    if (waveform) {
      waveform->ResetScroll();
      if (s.realtimePrint) waveform->StartChartRecorder();
      waveform->SetDepth(s.replayStartDepth, true);
    }
    if (sonic) sonic->SetDepth(s.replayStartDepth);
    if (CReplayControl* bar = g_pReplayControl) {
      bar->SetPositionText(settings.dataPath);
      bar->EnablePrintDirect(s.realtimePrint);
    }
  }
};

LogOpener g_opener;

}  // namespace

int TemplateOfToolType(int toolType) {
  toolType = NormalisedToolType(toolType);
  if (toolType < 0 || toolType > 10) return -1;
  const int index = kTemplateOfToolType[toolType] - 1;
  return kTemplates[index] == DocKind::None ? -1 : index;
}

LogOpenerDialogs& OpenerDialogs() {
  static LogOpenerDialogs dialogs;
  return dialogs;
}

void InstallLogDocuments() {
  SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return d; });
  SetLogDocuments(&g_opener);
}
