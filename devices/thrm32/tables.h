// Thermocouple linearisation: per-type tables of thermoelectric voltage in
// logger counts (2^16 counts per 59524 uV) at 10.00 degC steps, the cold
// junction's reference-ratio table, and the integer arithmetic the logger's
// values go through. Temperatures are in hundredths of a degree Celsius.
#pragma once

#include <cstdint>
#include <vector>

namespace thrm {

struct TypeTable {
  char letter;
  bool rising;     // values rise with temperature
  int32_t base;    // temperature of the first value
  int32_t upper;   // temperature of the last value
  int32_t step;
  std::vector<int32_t> values;  // empty for type X (no linearisation)
};

// The table of a type letter (either case), null for an unknown letter.
const TypeTable* FindType(char letter);
// The cold junction: reference ratio x 2^16 (1.0 at 25.00 degC), falling.
const TypeTable& ColdJunctionTable();

// Reference functions the tables are built from (and the simulated logger
// answers with): thermoelectric voltage in microvolts at CELSIUS for a type,
// false outside the type's range; the cold-junction reference ratio.
bool ReferenceMicrovolts(char type, double celsius, double* microvolts);
double ColdJunctionRatio(double celsius);
// Microvolts to logger counts, rounded.
int32_t MicrovoltsToCounts(double microvolts);

// a * b / c rounded half away from zero; 0 when c is 0.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c);
// The middle of up to three readings (the element at n / 2 after sorting).
int32_t MedianOfThree(const int32_t* values, int n);
// Temperature for the value A scaled by C (A / C in table units); false when
// the value lies outside the table.
bool LinearizeThermocouple(const TypeTable& table, int64_t a, int32_t c, int32_t* out);
// The table's value at a temperature, linear between points (truncating);
// false outside the table.
bool ValueAtTemperature(const TypeTable& table, int32_t temperature, int32_t* out);

// Resolution bits 9-16 to the code ORed into command bytes; -1 when refused.
int ResolutionCode(int bits);
// The command byte of a channel index (0-7 thermocouples, 8 version, 9 and
// 10 the cold-junction references).
uint8_t CommandByte(int index, uint8_t resolutionCode);

}  // namespace thrm
