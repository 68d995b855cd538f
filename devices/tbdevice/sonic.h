#pragma once

#include <cstdint>

namespace tbdev {

// The first arrival in 480 samples by the ratio of a short to a long energy
// window; start and windows in quarter samples. 0 when there is none.
int PickArrival(const int8_t* samples, int start, int shortWindow, int longWindow, float threshold);

}  // namespace tbdev
