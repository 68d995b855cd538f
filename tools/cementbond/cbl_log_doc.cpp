#include "tools/cementbond/cbl_log_doc.h"

#include <algorithm>
#include <utility>

#include "app/core/device_services.h"

namespace {
qv::PipeSizeService* g_pipeSize = nullptr;
}

qv::PipeSizeService* SetCementBondPipeSizeService(qv::PipeSizeService* service) {
  return std::exchange(g_pipeSize, service);
}

CWaveformLogDoc::CWaveformLogDoc(std::unique_ptr<qv::WaveformLogDocument> log) : CLogDoc(std::move(log)) {}

CWaveformLogDoc::~CWaveformLogDoc() {
  // The engine's threads end with the base; nothing reaches the view
  // meanwhile, and a view that outlives the document forgets it.
  Waveform().SetView(nullptr);
  if (CCBLView* v = view_.exchange(nullptr)) v->Detach();
}

bool CWaveformLogDoc::InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) {
  CCBLView* view = nullptr;
  for (qv::View* v : Views())
    if ((view = dynamic_cast<CCBLView*>(v))) break;
  if (!view) {
    ReportMessage(DeviceErrorText(kSystemError, kErrNoMemory), kErrorBox);
    return false;
  }
  Waveform().SetView(view);
  view->SetFollowChain([this] { return m_bFollowChain; });
  view_ = view;
  connect(view, &QObject::destroyed, this, [this] { view_ = nullptr; });
  const std::string suffix = Waveform().Kind().waveformExt;
  return CLogDoc::InitialiseLog(mode, toolKind, pollPeriodMs, mode == 1 ? title + suffix : title);
}

bool CWaveformLogDoc::LatestValues(double* raw, double* calibrated, double* user) const {
  auto& log = const_cast<CWaveformLogDoc*>(this)->Waveform();
  std::copy(log.Scaled().begin(), log.Scaled().end(), raw);
  std::copy(log.Calibrated().begin(), log.Calibrated().end(), calibrated);
  if (user) std::fill(user, user + 12, 0.0);
  return true;
}

int CWaveformLogDoc::SondeLength() const {
  return const_cast<CWaveformLogDoc*>(this)->Waveform().SondeLength();
}

void CWaveformLogDoc::FlushRecorder() {
  if (CCBLView* v = view_) v->FlushRecorder();
}

CCementBondDoc::CCementBondDoc() : CWaveformLogDoc(std::make_unique<qv::CCBLDocument>()) {
  CementBond().SetPipeSizeService(g_pipeSize ? g_pipeSize : &pipeSizeDialog_);
}
