// The tool type of a recorded data file, from its extension and the files
// beside it. The new-log wizard derives a sonde's tool type from the sonde
// database; GetToolType (app/newlog) answers for both and hands data files
// here.
#pragma once

#include <string>

namespace qv {

// Tool types of recorded logs.
enum ToolType : int {
  kToolNone = -1,
  kToolSixChannel = 1,
  kToolTeleviewer = 2,
  kToolFullWaveSonic = 4,
  kToolCementBond = 5,
  kToolTwelveChannel = 8,
  kToolSonic = 10,
};

// The communication standard of a data file's log: ComStd of section
// WellInfo in the header beside it (0 when absent).
int GetFileComStd(const std::string& dataPath);
// By extension, without regard to letter case: .LOG is 4 with a .VDL beside
// it, else 5 with a .CBL beside it, else 1; .LGX is 10 when the header's
// communication standard is 26 to 29, else 8; .BTV 2, .CBL 5, .VDL 4; any
// other extension -1. A name without '.' is compared whole.
int GetFileToolType(const std::string& dataPath);

// The header file of a data file: the existing file whatever its letter
// case, else the new name with ".hed".
std::string HeaderPathOf(const std::string& dataPath);

}  // namespace qv
