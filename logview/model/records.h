// The display records the curve model works on.
#pragma once

#include "sondedb/records/records.h"
