// The full-wave sonic log document is the waveform log document over the
// full-wave sonic log; its meta-object is built here.
#include "tools/fws/fws_log_doc.h"
