#include "tools/sonic/sonic_document.h"

#include "app/core/device_services.h"

namespace {
std::atomic<int> g_nextComStd{26};
}  // namespace

void CSonicDoc::SetNextComStd(int comStd) {
  g_nextComStd = comStd;
}

CSonicDoc::CSonicDoc()
    : CLogDoc(std::make_unique<qv::SonicLogEngine>(g_nextComStd.load())),
      printLog_(std::make_unique<qv::SonicPrintLog>(Sonic(), [this] { return m_bFollowChain; })) {}

CSonicDoc::~CSonicDoc() {
  // The log's threads end with the base; nothing reaches the view meanwhile.
  Sonic().SetSonicSink(nullptr);
  view_ = nullptr;
}

bool CSonicDoc::InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) {
  CSonicView* view = Views().empty() ? nullptr : dynamic_cast<CSonicView*>(Views().front());
  if (!view) {
    ReportMessage(DeviceErrorText(kSystemError, kErrNoMemory), kErrorBox);
    return false;
  }
  Sonic().SetSonicSink(view);
  view_ = view;
  const bool ok = CLogDoc::InitialiseLog(mode, toolKind, pollPeriodMs, title);
  view->ResetScroll();
  return ok;
}

int CSonicDoc::WaveformSamples() const {
  return static_cast<const qv::SonicLogEngine*>(Engine())->ImageWidth();
}
