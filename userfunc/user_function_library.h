// A user-function library loaded by path, with its three C entry points
// looked up by name. Which entry points a caller requires is the caller's
// rule; the library only reports what it found.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dynlib/dynlib.h"

// in: 14 values (channels 1..12, TIME in ms, DEPTH in thousandths of the
// depth unit); out: room for 12 values.
using UserFunctionEntry = void (*)(double* in, double* out);
using UserInitEntry = void (*)();
using UserInitWaveformsEntry = void (*)(std::int16_t* w1, std::int16_t* w2, std::int16_t* w3, std::int16_t* w4,
                                        int points);

inline constexpr int kUserFunctionInputs = 14;
inline constexpr int kUserFunctionOutputs = 12;
inline constexpr int kUserInputTime = 12;
inline constexpr int kUserInputDepth = 13;

class UserFunctionLibrary {
 public:
  // Loads the library and looks up "UserFunction", "Init" and
  // "InitWaveforms"; false when the library itself does not load.
  bool Load(const std::string& path);
  void Unload();
  bool Loaded() const { return lib_.Loaded(); }
  const std::string& Error() const { return lib_.Error(); }

  UserFunctionEntry userFunction = nullptr;
  UserInitEntry init = nullptr;
  UserInitWaveformsEntry initWaveforms = nullptr;

 private:
  qv::DynLib lib_;
};
