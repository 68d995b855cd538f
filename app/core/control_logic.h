// The texts and numbers of the control bars, without widgets: what the value
// displays show, what the winch and sonde commands carry, and how a sonde
// list item names its sonde.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Log time "hh:mm:ss" of elapsed milliseconds, rounded to the nearest second
// (halves upward) and wrapping at a day; "00:00:00" for a negative time.
std::string FormatLogTime(int elapsedMs);
// Supply current "%d" (mA) and voltage "%3.1f" (the code times 4, V).
std::string FormatSupplyCurrent(int current);
std::string FormatSupplyVoltage(int voltageCode);
// Speed in thousandths per minute as "%5.1f"; 0 outside -500 to 500 units.
std::string FormatWinchSpeed(int speed);
// Depth in thousandths as "%5.2f".
std::string FormatWinchDepth(int depth);
// Tension: the low 16 bits as a signed "%d".
std::string FormatWinchTension(int tension);

// The winch's DAC value per speed unit: DAC1 / SP1, 0.01 when SP1 is below 1.
double WinchDacFactor(int dac1, int sp1);
// The speed byte of the winch block: speed x factor truncated toward zero,
// held to 0..255 (a faster set point drives the winch at full speed rather
// than wrapping round to a slow one).
uint8_t WinchDacValue(int speed, double factor);

// A sonde command takes a value when its status text reads as a decimal
// number (leading blanks and a sign allowed); the number is the value's
// maximum. An empty status also means a value command; its maximum is then
// the largest value the command's two parameter bytes carry (65535).
bool CommandTakesValue(const std::string& status, int* maximum);
constexpr int kCommandValueLimit = 65535;
// A typed command value: a number from 0 to maximum.
bool AcceptCommandValue(const std::string& text, int maximum, int* value);

// The sonde's reply as the value field shows it for the current command, or
// false when that command's reply leaves the field alone: commands 5, 68, 80
// and 136 show the low 16 bits, 6 and 96 the high 16 bits as a signed number,
// unless those bits are 0xFFFF.
bool SondeReplyText(int commandCode, int32_t value, std::string* text);

// A sonde list item "ABBR [serial] - name": the abbreviation is the text up
// to the first blank, the serial number what stands between the first "["
// and the following "]" (empty without brackets).
void SplitSondeItem(const std::string& item, std::string* sonde, std::string* serial);
// "ABBR", or "ABBR [serial]" with a serial number.
std::string SondeKey(const std::string& sonde, const std::string& serial);
// The first list item that names the sonde: its whole abbreviation equals
// sonde and, when serial is not empty, its serial number equals serial (both
// without regard to case); -1 when no item does.
int FindSondeItem(const std::vector<std::string>& items, const std::string& sonde, const std::string& serial);

// The status bar's date pane: "%A, %B %d, %Y " in English (trailing blank).
std::string FormatDatePane(std::time_t when);
// A depth in the depth unit as thousandths, truncated toward zero.
int DepthToThousandths(double depth);

// System settings. A depth step is a multiple of the unit's depth count (50
// for feet, 10 for metres) and at least one count.
int DepthCount(int units);
bool ValidDepthStep(int step, int units);
// What depths in depth counts are multiplied by when the units change (the
// plain count when they do not).
double DepthFactor(int oldUnits, int newUnits);
// depth x factor to the nearest integer, halves upward.
int ScaleDepth(int depth, double factor);
constexpr double kFeetPerMetre = 3.280839895;
constexpr double kMetresPerFoot = 0.3048;
