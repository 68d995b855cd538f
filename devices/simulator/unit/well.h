// The borehole the simulated unit logs: one formation model that every sonde
// kind reads from. Beds of a few rock kinds give gamma, resistivity, SP,
// density, neutron porosity and formation slowness; the hole has a
// temperature gradient, washouts in the soft beds, a cased section (free pipe
// over bonded pipe, collars at even spacing) and dipping fractures. Every
// value is a plain function of depth (and azimuth for the borehole wall), so
// logs of the same well agree with each other and tests can predict them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qv::sim {

enum class Rock { Shale, Sand, TightSand, Limestone, Coal };

struct Bed {
  double top = 0;  // metres; the bed reaches the next bed's top
  Rock rock = Rock::Shale;
};

// A plane cutting the hole: its depth on the hole's axis, its dip and the
// azimuth it dips towards (degrees).
struct Fracture {
  double depth = 0;
  double dip = 0;
  double azimuth = 0;
};

struct WellSpec {
  std::vector<Bed> beds;  // by depth; the beds below the first cased metres repeat down to any depth
  std::vector<Fracture> fractures;
  double totalDepth = 400;         // m; nothing flows in below it
  double casingShoe = 24;          // m; the casing reaches from the surface to here
  double freePipeBottom = 10;      // m; the pipe above is free, below it bonded to the shoe
  double collarSpacing = 6;        // m between casing collars
  double bitSize = 152;            // mm, the open hole's nominal diameter
  double casingInside = 161;       // mm
  double surfaceTemperature = 12;  // degC
  double gradient = 0.05;          // degC per metre
};

// What the sondes see at one depth, in engineering units.
struct Formation {
  double gamma = 0;          // API
  double resistivity = 0;    // true resistivity, ohm-m
  double sp = 0;             // mV
  double density = 0;        // g/cc
  double porosity = 0;       // neutron porosity, %
  double slowness = 0;       // compressional, us/m
  double shearSlowness = 0;  // us/m
  double temperature = 0;    // degC
  double conductivity = 0;   // fluid conductivity, uS/cm
  double caliper = 0;        // mm
  double flow = 0;           // upward fluid velocity, m/min
  bool cased = false;
  double bond = 0;    // cement bond of the pipe: 0 free, 1 fully bonded (0 in open hole)
  double collar = 0;  // the collar locator's signal, mV
};

class Well {
 public:
  Well();  // the default well
  explicit Well(WellSpec spec);

  Formation At(double metres) const;
  // How far (m, along the hole) the depth lies from the nearest fracture's
  // trace on the borehole wall at this azimuth (degrees).
  double FractureDistance(double metres, double azimuth) const;
  const WellSpec& Spec() const { return spec_; }

  // A well from the [Well] section of a scenario file; without the section
  // the default well. Keys (each optional): Beds = "top rock, top rock, ..."
  // with rock one of shale, sand, tight, limestone, coal; Fractures = "depth
  // dip azimuth, ..."; Casing, FreePipe, TotalDepth, Bit, Gradient,
  // SurfaceTemperature. False with a message in error when a value is bad.
  static bool FromScenario(const std::string& path, Well* well, std::string* error);

 private:
  double Blend(double metres, double (*property)(Rock)) const;
  size_t BedIndex(double metres) const;
  double Flow(double metres) const;

  WellSpec spec_;
  std::vector<double> inflows_;  // depths of the zones that give water to the hole
};

// The well every unit logs unless its scenario names another.
const Well& DefaultWell();

}  // namespace qv::sim
