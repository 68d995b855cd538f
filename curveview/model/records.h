// The display records the curve model works on.
#pragma once

#include "curveview/model/records_standin.h"
