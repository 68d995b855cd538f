#include "tools/fws/fws_document.h"

namespace qv {
namespace {

// The rings of a depth log reach 52 rows beyond the largest offset.
const WaveformLogKind kFullWaveSonic{kToolFullWave, "VDL", GetSonicArrival, 52, "full-wave sonic"};

}  // namespace

CFWSDocument::CFWSDocument() : WaveformLogDocument(kFullWaveSonic) {}

CFWSDocument::~CFWSDocument() {
  Shutdown();
}

}  // namespace qv
