#include "devices/simulator/unit/well.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/profile/profile.h"

namespace qv::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The logging tools see a bed boundary over about half a metre.
constexpr double kResolution = 0.5;
constexpr int kBlendSamples = 9;

struct RockProperties {
  double gamma, resistivity, spDeflection, density, porosity, slowness, shearSlowness, washout;
};

// Water-bearing sediments of a shallow hole.
RockProperties PropertiesOf(Rock r) {
  switch (r) {
    case Rock::Shale:
      return {125, 12, 0, 2.45, 34, 400, 900, 35};
    case Rock::Sand:
      return {45, 70, -55, 2.25, 22, 310, 560, 6};
    case Rock::TightSand:
      return {35, 320, -35, 2.50, 11, 250, 430, 0};
    case Rock::Limestone:
      return {20, 550, -25, 2.65, 6, 180, 330, 0};
    case Rock::Coal:
      return {15, 650, -10, 1.45, 52, 430, 800, 55};
  }
  return {};
}

// The same rock varies a little from bed to bed.
double BedFactor(size_t index, double spread) {
  return 1 + spread * std::sin(static_cast<double>(index) * 2.3 + 0.7);
}

double SmoothStep(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3 - 2 * x);
}

WellSpec DefaultSpec() {
  WellSpec s;
  struct Layer {
    double thickness;
    Rock rock;
  };
  static const Layer kSequence[] = {
      {7, Rock::Shale},     {6, Rock::Sand},       {10, Rock::Shale},     {7, Rock::Sand},       {7, Rock::Shale},
      {8, Rock::Limestone}, {6, Rock::Shale},      {1.5, Rock::Coal},     {6.5, Rock::Shale},    {11, Rock::Sand},
      {5, Rock::Shale},     {12, Rock::Limestone}, {7, Rock::Shale},      {4, Rock::Sand},       {9, Rock::Shale},
      {7, Rock::TightSand}, {9, Rock::Shale},      {16, Rock::Limestone}, {10, Rock::Shale},     {1.2, Rock::Coal},
      {6.8, Rock::Shale},   {17, Rock::Sand},      {10, Rock::Shale},     {15, Rock::Limestone},
  };
  double top = 0;
  for (int cycle = 0; top < 600; ++cycle)
    for (const Layer& l : kSequence) {
      s.beds.push_back({top, l.rock});
      top += l.thickness * (cycle % 2 ? 0.85 : 1.0);
    }
  s.fractures = {{62, 35, 120}, {83.5, 60, 300}, {111, 20, 45},  {133, 50, 200},
                 {167, 70, 90}, {226, 45, 10},   {263, 30, 250}, {312, 55, 150}};
  return s;
}

bool ParseNumber(const std::string& text, double* out) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end) return false;
  *out = v;
  return true;
}

std::vector<std::string> Items(const std::string& list) {
  std::vector<std::string> items;
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ','))
    if (item.find_first_not_of(" \t") != std::string::npos) items.push_back(item);
  return items;
}

bool RockOfName(std::string name, Rock* rock) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  static const std::pair<const char*, Rock> kNames[] = {{"shale", Rock::Shale},
                                                        {"sand", Rock::Sand},
                                                        {"tight", Rock::TightSand},
                                                        {"limestone", Rock::Limestone},
                                                        {"coal", Rock::Coal}};
  for (const auto& [n, r] : kNames)
    if (name == n) {
      *rock = r;
      return true;
    }
  return false;
}

}  // namespace

Well::Well() : Well(DefaultSpec()) {}

Well::Well(WellSpec spec) : spec_(std::move(spec)) {
  std::sort(spec_.beds.begin(), spec_.beds.end(), [](const Bed& a, const Bed& b) { return a.top < b.top; });
  if (spec_.beds.empty()) spec_.beds.push_back({0, Rock::Shale});
  for (size_t i = 0; i < spec_.beds.size(); ++i) {
    const Bed& b = spec_.beds[i];
    const double bottom = i + 1 < spec_.beds.size() ? spec_.beds[i + 1].top : b.top + 5;
    if (b.rock == Rock::Sand && b.top >= spec_.casingShoe && b.top < spec_.totalDepth)
      inflows_.push_back((b.top + bottom) / 2);
  }
  for (const Fracture& f : spec_.fractures)
    if (f.depth >= spec_.casingShoe && f.depth < spec_.totalDepth) inflows_.push_back(f.depth);
}

const Well& DefaultWell() {
  static const Well well;
  return well;
}

// A property averaged over the tools' vertical resolution, so that a log
// rounds the bed boundaries as real tools do.
double Well::Blend(double metres, double (*property)(Rock)) const {
  double sum = 0;
  for (int k = 0; k < kBlendSamples; ++k) {
    const double d = metres + kResolution * (k / double(kBlendSamples - 1) - 0.5);
    sum += property(spec_.beds[BedIndex(d)].rock);
  }
  return sum / kBlendSamples;
}

size_t Well::BedIndex(double metres) const {
  auto it =
      std::upper_bound(spec_.beds.begin(), spec_.beds.end(), metres, [](double v, const Bed& b) { return v < b.top; });
  return it == spec_.beds.begin() ? 0 : static_cast<size_t>(it - spec_.beds.begin() - 1);
}

double Well::Flow(double metres) const {
  if (metres >= spec_.totalDepth) return 0;
  double q = 0;
  for (double z : inflows_) q += 0.12 * SmoothStep((z - metres) / 1.0 + 0.5);
  return std::min(q, 4.5);
}

Formation Well::At(double metres) const {
  const double m = std::max(metres, 0.0);  // above the surface the sonde reads the top of the hole
  const size_t bed = BedIndex(m);          // the bed-to-bed variation follows the bed's index
  Formation f;
  f.gamma = Blend(m, [](Rock r) { return PropertiesOf(r).gamma; }) * BedFactor(bed, 0.08) + 5 * std::sin(m * 2.1) +
            3 * std::sin(m * 5.3 + 1);
  f.resistivity = Blend(m, [](Rock r) { return PropertiesOf(r).resistivity; }) * BedFactor(bed, 0.25) *
                  (1 + 0.08 * std::sin(m * 1.3));
  f.sp = -10 + 0.02 * m + Blend(m, [](Rock r) { return PropertiesOf(r).spDeflection; }) * BedFactor(bed, 0.15);
  f.density = Blend(m, [](Rock r) { return PropertiesOf(r).density; }) +
              0.03 * std::sin(static_cast<double>(bed) * 1.9) + 0.01 * std::sin(m * 3.3);
  f.porosity = Blend(m, [](Rock r) { return PropertiesOf(r).porosity; }) * BedFactor(bed, 0.1);
  f.slowness = Blend(m, [](Rock r) { return PropertiesOf(r).slowness; }) * BedFactor(bed, 0.05);
  f.shearSlowness = Blend(m, [](Rock r) { return PropertiesOf(r).shearSlowness; }) * BedFactor(bed, 0.05);
  f.temperature = spec_.surfaceTemperature + spec_.gradient * m;
  f.conductivity = 300 + 1.5 * m;
  for (double z : inflows_) {
    const double g = std::exp(-std::pow((m - z) / 1.0, 2));
    f.temperature -= 0.4 * g;
    f.conductivity += 60 * g;
  }
  f.flow = Flow(m);
  f.cased = m < spec_.casingShoe;
  if (f.cased) {
    f.caliper = spec_.casingInside;
    f.gamma *= 0.85;  // the pipe absorbs some of it
    f.resistivity = 0.3;
    f.sp = -5 + 0.5 * std::sin(m * 0.9);
    f.bond = SmoothStep((m - spec_.freePipeBottom) / 3.0);
    if (spec_.collarSpacing > 0) {
      const double offset = m - spec_.collarSpacing * std::round(m / spec_.collarSpacing);
      f.collar = -30 * std::exp(-std::pow(offset / 0.12, 2)) + 12 * std::exp(-std::pow((offset - 0.2) / 0.1, 2));
    }
  } else {
    f.caliper = spec_.bitSize + Blend(m, [](Rock r) { return PropertiesOf(r).washout; }) * BedFactor(bed, 0.3) +
                3 * std::sin(m * 3.7);
    double nearest = 1e9;
    for (const Fracture& fr : spec_.fractures) nearest = std::min(nearest, std::abs(m - fr.depth));
    f.caliper += 25 * std::exp(-std::pow(nearest / 0.3, 2));
  }
  return f;
}

double Well::FractureDistance(double metres, double azimuth) const {
  const double radius = (At(metres).cased ? spec_.casingInside : spec_.bitSize) / 2000.0;
  double nearest = 1e9;
  for (const Fracture& f : spec_.fractures) {
    const double trace = f.depth + radius * std::tan(std::clamp(f.dip, 0.0, 85.0) * kPi / 180) *
                                       std::cos((azimuth - f.azimuth) * kPi / 180);
    nearest = std::min(nearest, std::abs(metres - trace));
  }
  return nearest;
}

bool Well::FromScenario(const std::string& path, Well* well, std::string* error) {
  if (::access(path.c_str(), R_OK) != 0) {
    if (error) *error = "cannot read scenario file " + path;
    return false;
  }
  constexpr char kSection[] = "Well";
  auto fail = [&](const std::string& key, const std::string& value, const char* what) {
    if (error) *error = path + ": [Well] " + key + " = " + value + " " + what;
    return false;
  };
  WellSpec spec = DefaultSpec();
  const std::string beds = qv::GetProfileText(path, kSection, "Beds");
  if (!beds.empty()) {
    spec.beds.clear();
    for (const std::string& item : Items(beds)) {
      std::istringstream in(item);
      std::string top, rock;
      Bed b;
      if (!(in >> top >> rock) || !ParseNumber(top, &b.top) || !RockOfName(rock, &b.rock))
        return fail("Beds", beds, "needs \"top rock\" items (rock: shale, sand, tight, limestone or coal)");
      spec.beds.push_back(b);
    }
  }
  const std::string fractures = qv::GetProfileText(path, kSection, "Fractures");
  if (!fractures.empty()) {
    spec.fractures.clear();
    for (const std::string& item : Items(fractures)) {
      std::istringstream in(item);
      std::string d, dip, az, rest;
      Fracture f;
      if (!(in >> d >> dip >> az) || (in >> rest) || !ParseNumber(d, &f.depth) || !ParseNumber(dip, &f.dip) ||
          !ParseNumber(az, &f.azimuth) || f.dip < 0 || f.dip > 85)
        return fail("Fractures", fractures, "needs \"depth dip azimuth\" items (dip 0 to 85)");
      spec.fractures.push_back(f);
    }
  }
  struct NumberKey {
    const char* key;
    double* value;
    double lo, hi;
  };
  const NumberKey keys[] = {
      {"Casing", &spec.casingShoe, 0, 10000},     {"FreePipe", &spec.freePipeBottom, 0, 10000},
      {"TotalDepth", &spec.totalDepth, 0, 20000}, {"Bit", &spec.bitSize, 50, 600},
      {"Gradient", &spec.gradient, -1, 1},        {"SurfaceTemperature", &spec.surfaceTemperature, -20, 80}};
  for (const NumberKey& k : keys) {
    const std::string v = qv::GetProfileText(path, kSection, k.key);
    if (v.empty()) continue;
    double x = 0;
    if (!ParseNumber(v, &x) || x < k.lo || x > k.hi) return fail(k.key, v, "is not a number in range");
    *k.value = x;
  }
  *well = Well(std::move(spec));
  return true;
}

}  // namespace qv::sim
