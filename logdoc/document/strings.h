// String ids of the texts the log engine shows.
#pragma once

namespace qv {

enum LogEngineString : unsigned {
  kStrSondeLengthUnitFeet = 32078,   // "ft"
  kStrSondeLengthUnitMetre = 32079,  // "m"
  kStrCalibrationNotLoaded = 32165,
  kStrCannotReadHeader = 32180,
  kStrTrailerFirstLine = 32413,
  kStrCriticalHeader = 35200,
  kStrBadWinchDirection = 35201,
  kStrSondeCommandInProgress = 35202,
  kStrDepthError = 35203,
  kStrUserProcessNotLoaded = 35204,
  kStrOverwriteCalibration = 35205,
  kStrNoReplayStep = 35206,  // "... a step of %d: the log can not be replayed!"
  kStrBadDepthStep = 32372,  // "Depth step can not be smaller then %d and must be a multiple of %d! "
};

}  // namespace qv
