#include "control_logic.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/text/cnum.h"

using qv::FormatC;

std::string FormatLogTime(int elapsedMs) {
  if (elapsedMs < 0) return "00:00:00";
  const long long seconds = (static_cast<long long>(elapsedMs) + 500) / 1000 % 86400;
  return FormatC("%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                 static_cast<int>(seconds % 60));
}

std::string FormatSupplyCurrent(int current) { return FormatC("%d", current); }
std::string FormatSupplyVoltage(int voltageCode) { return FormatC("%3.1f", voltageCode * 4.0); }

std::string FormatWinchSpeed(int speed) {
  double q = speed / 1000.0;
  if (q < -500 || q > 500) q = 0;
  return FormatC("%5.1f", q);
}

std::string FormatWinchDepth(int depth) { return FormatC("%5.2f", depth / 1000.0); }
std::string FormatWinchTension(int tension) { return FormatC("%d", static_cast<int>(static_cast<int16_t>(tension & 0xFFFF))); }

double WinchDacFactor(int dac1, int sp1) { return sp1 >= 1 ? static_cast<double>(dac1) / sp1 : 0.01; }

uint8_t WinchDacValue(int speed, double factor) {
  const double v = std::trunc(speed * factor);
  if (!(v > 0)) return 0;
  return v >= 255 ? 255 : static_cast<uint8_t>(v);
}

namespace {
// sscanf("%d") on text: 1 a number (into *value), 0 no number, -1 nothing
// but blanks.
int ScanInt(const std::string& text, long long* value) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i == text.size()) return -1;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
  long long v = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    if (v < LLONG_MAX / 10) v = v * 10 + (text[i] - '0');
    ++i;
  }
  *value = negative ? -v : v;
  return 1;
}
}  // namespace

bool CommandTakesValue(const std::string& status, int* maximum) {
  long long v = 0;
  switch (ScanInt(status, &v)) {
    case 1:
      if (maximum) *maximum = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
      return true;
    case -1:
      if (maximum) *maximum = kCommandValueLimit;
      return true;
    default: return false;
  }
}

bool AcceptCommandValue(const std::string& text, int maximum, int* value) {
  long long v = 0;
  if (ScanInt(text, &v) != 1 || v < 0 || v > maximum) return false;
  if (value) *value = static_cast<int>(v);
  return true;
}

bool SondeReplyText(int commandCode, int32_t value, std::string* text) {
  const uint32_t u = static_cast<uint32_t>(value);
  switch (commandCode) {
    case 5:
    case 68:
    case 80:
    case 136:
      if ((u & 0xFFFF) == 0xFFFF) return false;
      *text = FormatC("%d", static_cast<int>(u & 0xFFFF));
      return true;
    case 6:
    case 96:
      if ((u >> 16) == 0xFFFF) return false;
      *text = FormatC("%d", static_cast<int>(static_cast<int16_t>(u >> 16)));
      return true;
    default: return false;
  }
}

void SplitSondeItem(const std::string& item, std::string* sonde, std::string* serial) {
  *sonde = item.substr(0, item.find(' '));
  serial->clear();
  const size_t open = item.find('[');
  if (open == std::string::npos) return;
  *serial = item.substr(open + 1);
  const size_t close = serial->find(']');
  if (close != std::string::npos) serial->erase(close);
}

std::string SondeKey(const std::string& sonde, const std::string& serial) {
  return serial.empty() ? sonde : sonde + " [" + serial + "]";
}

int FindSondeItem(const std::vector<std::string>& items, const std::string& sonde, const std::string& serial) {
  auto same = [](const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  };
  for (size_t i = 0; i < items.size(); ++i) {
    std::string itemSonde, itemSerial;
    SplitSondeItem(items[i], &itemSonde, &itemSerial);
    if (same(itemSonde, sonde) && (serial.empty() || same(itemSerial, serial))) return static_cast<int>(i);
  }
  return -1;
}

std::string FormatDatePane(std::time_t when) {
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  std::tm tm{};
  localtime_r(&when, &tm);
  return FormatC("%s, %s %02d, %d ", kDays[tm.tm_wday % 7], kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_year + 1900);
}

int DepthToThousandths(double depth) { return static_cast<int>(std::trunc(depth * 1000.0)); }

int DepthCount(int units) { return units ? 50 : 10; }

bool ValidDepthStep(int step, int units) {
  const int n = DepthCount(units);
  return step >= n && step % n == 0;
}

double DepthFactor(int oldUnits, int newUnits) {
  if (oldUnits == newUnits) return DepthCount(newUnits);
  return newUnits ? 10 * kFeetPerMetre : 50 * kMetresPerFoot;
}

int ScaleDepth(int depth, double factor) { return static_cast<int>(std::floor(depth * factor + 0.5)); }
