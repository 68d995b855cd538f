// The full-wave sonic view is the cement-bond view with the full-wave table;
// its meta-object is built here.
#include "tools/fws/fws_view.h"
