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

CCementBondDoc::CCementBondDoc() : CLogDoc(std::make_unique<qv::CCBLDocument>()) {
  CementBond().SetPipeSizeService(g_pipeSize ? g_pipeSize : &pipeSizeDialog_);
}

CCementBondDoc::~CCementBondDoc() {
  // The engine's threads end with the base; nothing reaches the view meanwhile.
  CementBond().SetView(nullptr);
  view_ = nullptr;
}

bool CCementBondDoc::InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) {
  CCBLView* view = nullptr;
  for (qv::View* v : Views())
    if ((view = dynamic_cast<CCBLView*>(v))) break;
  if (!view) {
    ReportMessage(DeviceErrorText(kSystemError, kErrNoMemory), kErrorBox);
    return false;
  }
  CementBond().SetView(view);
  view_ = view;
  return CLogDoc::InitialiseLog(mode, toolKind, pollPeriodMs, mode == 1 ? title + "CBL" : title);
}

bool CCementBondDoc::LatestValues(double* raw, double* calibrated, double* user) const {
  auto& log = const_cast<CCementBondDoc*>(this)->CementBond();
  std::copy(log.Scaled().begin(), log.Scaled().end(), raw);
  std::copy(log.Calibrated().begin(), log.Calibrated().end(), calibrated);
  if (user) std::fill(user, user + 12, 0.0);
  return true;
}

int CCementBondDoc::SondeLength() const {
  return const_cast<CCementBondDoc*>(this)->CementBond().SondeLength();
}

void CCementBondDoc::FlushViewRecorder() {
  if (CCBLView* v = view_) v->FlushRecorder();
}
