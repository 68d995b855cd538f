#include "tables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>

namespace thrm {
namespace {

// The ITS-90 reference functions: E(t) in mV as a polynomial in t (degC),
// coefficients from the constant term up, one polynomial per sub-range.
struct Range {
  double from, to;
  std::vector<double> c;
};
struct Reference {
  char letter;
  std::vector<Range> ranges;
};

// The tables below live as long as the process (never destroyed): the
// poller and the simulated logger may still read them while the library is
// being unloaded.
const std::vector<Reference>& References() {
  static const std::vector<Reference>& refs = *new std::vector<Reference>{
      {'B',
       {{0.0,
         630.615,
         {0.0, -0.246508183460e-03, 0.590404211710e-05, -0.132579316360e-08, 0.156682919010e-11, -0.169445292400e-14,
          0.629903470940e-18}},
        {630.615,
         1820.0,
         {-0.389381686210e+01, 0.285717474700e-01, -0.848851047850e-04, 0.157852801640e-06, -0.168353448640e-09,
          0.111097940130e-12, -0.445154310330e-16, 0.989756408210e-20, -0.937913302890e-24}}}},
      {'E',
       {{-270.0,
         0.0,
         {0.0, 0.586655087080e-01, 0.454109771240e-04, -0.779980486860e-06, -0.258001608430e-07, -0.594525830570e-09,
          -0.932140586670e-11, -0.102876055340e-12, -0.803701236210e-15, -0.439794973910e-17, -0.164147763550e-19,
          -0.396736195160e-22, -0.558273287210e-25, -0.346578420130e-28}},
        {0.0,
         1000.0,
         {0.0, 0.586655087100e-01, 0.450322755820e-04, 0.289084072120e-07, -0.330568966520e-09, 0.650244032700e-12,
          -0.191974955040e-15, -0.125366004970e-17, 0.214892175690e-20, -0.143880417820e-23, 0.359608994810e-27}}}},
      {'J',
       {{-210.0,
         760.0,
         {0.0, 0.503811878150e-01, 0.304758369300e-04, -0.856810657200e-07, 0.132281952950e-09, -0.170529583370e-12,
          0.209480906970e-15, -0.125383953360e-18, 0.156317256970e-22}},
        {760.0,
         1200.0,
         {0.296456256810e+03, -0.149761277860e+01, 0.317871039240e-02, -0.318476867010e-05, 0.157208190040e-08,
          -0.306913690560e-12}}}},
      {'K',
       {{-270.0,
         0.0,
         {0.0, 0.394501280250e-01, 0.236223735980e-04, -0.328589067840e-06, -0.499048287770e-08, -0.675090591730e-10,
          -0.574103274280e-12, -0.310888728940e-14, -0.104516093650e-16, -0.198892668780e-19, -0.163226974860e-22}},
        {0.0,
         1372.0,
         {-0.176004136860e-01, 0.389212049750e-01, 0.185587700320e-04, -0.994575928740e-07, 0.318409457190e-09,
          -0.560728448890e-12, 0.560750590590e-15, -0.320207200030e-18, 0.971511471520e-22, -0.121047212750e-25}}}},
      {'N',
       {{-270.0,
         0.0,
         {0.0, 0.261591059620e-01, 0.109574842280e-04, -0.938411115540e-07, -0.464120397590e-10, -0.263033577160e-11,
          -0.226534380030e-13, -0.760893007910e-16, -0.934196678350e-19}},
        {0.0,
         1300.0,
         {0.0, 0.259293946010e-01, 0.157101418800e-04, 0.438256272370e-07, -0.252611697940e-09, 0.643118193390e-12,
          -0.100634715190e-14, 0.997453389920e-18, -0.608632456070e-21, 0.208492293390e-24, -0.306821961510e-28}}}},
      {'R',
       {{-50.0,
         1064.18,
         {0.0, 0.528961729765e-02, 0.139166589782e-04, -0.238855693017e-07, 0.356916001063e-10, -0.462347666298e-13,
          0.500777441034e-16, -0.373105886191e-19, 0.157716482367e-22, -0.281038625251e-26}},
        {1064.18,
         1664.5,
         {0.295157925316e+01, -0.252061251332e-02, 0.159564501865e-04, -0.764085947576e-08, 0.205305291024e-11,
          -0.293359668173e-15}},
        {1664.5,
         1768.1,
         {0.152232118209e+03, -0.268819888545e+00, 0.171280280471e-03, -0.345895706453e-07, -0.934633971046e-14}}}},
      {'S',
       {{-50.0,
         1064.18,
         {0.0, 0.540313308631e-02, 0.125934289740e-04, -0.232477968689e-07, 0.322028823036e-10, -0.331465196389e-13,
          0.255744251786e-16, -0.125068871393e-19, 0.271443176145e-23}},
        {1064.18,
         1664.5,
         {0.132900444085e+01, 0.334509311344e-02, 0.654805192818e-05, -0.164856259209e-08, 0.129989605174e-13}},
        {1664.5,
         1768.1,
         {0.146628232636e+03, -0.258430516752e+00, 0.163693574641e-03, -0.330439046987e-07, -0.943223690612e-14}}}},
      {'T',
       {{-270.0,
         0.0,
         {0.0, 0.387481063640e-01, 0.441944343470e-04, 0.118443231050e-06, 0.200329735540e-07, 0.901380195590e-09,
          0.226511565930e-10, 0.360711542050e-12, 0.384939398830e-14, 0.282135219250e-16, 0.142515947790e-18,
          0.487686622860e-21, 0.107955392700e-23, 0.139450270620e-26, 0.797951539270e-30}},
        {0.0,
         400.0,
         {0.0, 0.387481063640e-01, 0.332922278800e-04, 0.206182434040e-06, -0.218822568460e-08, 0.109968809280e-10,
          -0.308157587720e-13, 0.454791352900e-16, -0.275129016730e-19}}}},
  };
  return refs;
}

// Where each type's table starts and how many 10 degC points it has.
struct Layout {
  char letter;
  int32_t base;
  int count;
};
constexpr Layout kLayouts[] = {{'K', -27000, 165}, {'B', 0, 183},      {'E', -27000, 107},
                               {'J', -21000, 124}, {'R', -5000, 182},  {'S', -5000, 182},
                               {'T', -27000, 68},  {'N', -26000, 157}, {'X', 0, 0}};

std::vector<TypeTable> BuildTypes() {
  std::vector<TypeTable> types;
  for (const Layout& l : kLayouts) {
    TypeTable t{l.letter, true, l.base, l.base + (l.count - 1) * 1000, 1000, {}};
    if (l.count == 0) t.base = t.upper = 0;
    for (int i = 0; i < l.count; ++i) {
      double uv = 0;
      ReferenceMicrovolts(l.letter, (l.base + i * 1000) / 100.0, &uv);
      t.values.push_back(MicrovoltsToCounts(uv));
    }
    types.push_back(std::move(t));
  }
  return types;
}

// The cold-junction sensor: 1/T = sum a_k (ln r)^k, fitted through the
// sensor's points at -40, -38, 25 and 95 degC.
constexpr double kSensor[] = {3.3540164346805303e-03, 2.3899386556250005e-04, 2.968298881284778e-06,
                              2.3924064007883956e-07};

}  // namespace

bool ReferenceMicrovolts(char type, double celsius, double* microvolts) {
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
  for (const Reference& r : References()) {
    if (r.letter != letter) continue;
    if (celsius < r.ranges.front().from || celsius > r.ranges.back().to) return false;
    for (const Range& range : r.ranges) {
      if (celsius > range.to) continue;
      double e = 0;
      for (size_t k = range.c.size(); k-- > 0;) e = e * celsius + range.c[k];
      if (letter == 'K' && range.from >= 0.0)  // type K's extra term above 0 degC
        e += 0.118597600000e+00 * std::exp(-0.118343200000e-03 * std::pow(celsius - 0.126968600000e+03, 2));
      *microvolts = e * 1000.0;
      return true;
    }
  }
  return false;
}

double ColdJunctionRatio(double celsius) {
  const double invT = 1.0 / (celsius + 273.15);
  double x = 0.0;  // ln r, by Newton's method
  for (int i = 0; i < 60; ++i) {
    const double f = kSensor[0] + x * (kSensor[1] + x * (kSensor[2] + x * kSensor[3])) - invT;
    const double d = kSensor[1] + x * (2 * kSensor[2] + x * 3 * kSensor[3]);
    x -= f / d;
  }
  return std::exp(x);
}

int32_t MicrovoltsToCounts(double microvolts) {
  return static_cast<int32_t>(std::llround(microvolts * 65536.0 / 59524.0));
}

const TypeTable* FindType(char letter) {
  static const std::vector<TypeTable>& types = *new std::vector<TypeTable>(BuildTypes());
  const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const TypeTable& t : types)
    if (t.letter == up) return &t;
  return nullptr;
}

const TypeTable& ColdJunctionTable() {
  static const TypeTable& table = *[] {
    TypeTable t{'C', false, -4000, 9500, 100, {}};
    for (int i = 0; i < 136; ++i)
      t.values.push_back(static_cast<int32_t>(std::llround(ColdJunctionRatio(-40.0 + i) * 65536.0)));
    // The sensor's own points, as its maker gives them.
    t.values[0] = 2631598;
    t.values[1] = 2459661;
    t.values[2] = 2298958;
    t.values[135] = 4227;
    return new TypeTable(std::move(t));
  }();
  return table;
}

int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  const __int128 p = static_cast<__int128>(a) * b;
  const bool negative = (p < 0) != (c < 0);
  const __int128 ap = p < 0 ? -p : p;
  const __int128 ac = c < 0 ? -static_cast<__int128>(c) : c;
  const __int128 q = (ap + ac / 2) / ac;
  return static_cast<int64_t>(negative ? -q : q);
}

int32_t MedianOfThree(const int32_t* values, int n) {
  if (n <= 0) return 0;
  n = std::min(n, 3);
  int32_t v[3];
  for (int i = 0; i < n; ++i) {  // insertion sort of at most three
    int j = i;
    for (; j > 0 && v[j - 1] > values[i]; --j) v[j] = v[j - 1];
    v[j] = values[i];
  }
  return v[n / 2];
}

bool LinearizeThermocouple(const TypeTable& table, int64_t a, int32_t c, int32_t* out) {
  const auto& v = table.values;
  if (v.size() < 2 || c == 0) return false;
  const int64_t x = a / c;
  const int64_t lo = std::min(v.front(), v.back()), hi = std::max(v.front(), v.back());
  if (x < lo || x > hi) return false;
  size_t i = 0;
  while (i + 2 < v.size() && !(table.rising ? v[i + 1] >= x : v[i + 1] <= x)) ++i;
  const int64_t span = static_cast<int64_t>(c) * (v[i + 1] - v[i]);
  int64_t t = table.base + static_cast<int64_t>(i) * table.step;
  if (span != 0) t += (a - static_cast<int64_t>(c) * v[i]) * table.step / span;  // two equal points: the first
  *out = static_cast<int32_t>(t);
  return true;
}

bool ValueAtTemperature(const TypeTable& table, int32_t temperature, int32_t* out) {
  const auto& v = table.values;
  if (v.empty() || temperature < table.base || temperature > table.upper) return false;
  const int64_t offset = static_cast<int64_t>(temperature) - table.base;
  const size_t i = static_cast<size_t>(offset / table.step);
  if (i + 1 >= v.size()) {
    *out = v.back();
    return true;
  }
  const int64_t rest = offset - static_cast<int64_t>(i) * table.step;
  *out = static_cast<int32_t>(v[i] + rest * (v[i + 1] - v[i]) / table.step);
  return true;
}

int ResolutionCode(int bits) {
  if (bits < 9 || bits > 16) return -1;
  return (16 - bits) * 4;
}

uint8_t CommandByte(int index, uint8_t resolutionCode) {
  static const uint8_t base[] = {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0x01, 0x22, 0x42};
  if (index < 0 || index > 10) return 0x01;
  if (index == 8) return base[8];
  return static_cast<uint8_t>(base[index] | resolutionCode);
}

}  // namespace thrm
