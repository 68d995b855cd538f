// The full-wave sonic log document: the framework's waveform log document
// over the full-wave sonic log, shown in its full-wave view.
#pragma once

#include "tools/cementbond/cbl_log_doc.h"
#include "tools/fws/fws_document.h"
#include "tools/fws/fws_view.h"

class CFullWaveDoc : public CWaveformLogDoc {
  Q_OBJECT
 public:
  CFullWaveDoc() : CWaveformLogDoc(std::make_unique<qv::CFWSDocument>()) {}

  qv::CFWSDocument& FullWave() { return *static_cast<qv::CFWSDocument*>(Engine()); }
};
