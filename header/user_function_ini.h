// The INI file that describes one user function: [General] with its
// identity and one [Channel%u] section per output channel with the output's
// display settings and its output filter. Every operation takes the path of
// any file of the user function (library, source or INI); the INI is the
// sibling with the extension ".ini", its previous version the one with ".bak".
#pragma once

#include <cstdint>
#include <string>

#include "sondedb/records/records.h"

struct UserFunctionRecord;

// The output filter of one user-function output; tables of
// kFilterTableSize entries indexed by output number minus one.
struct UserFunctionFilter {
  std::uint8_t FilterType = 0;   // 0 none, 1..4
  std::int32_t FilterWidth = 0;  // rows, odd after reading

  bool operator==(const UserFunctionFilter&) const = default;
};
inline constexpr int kUserFunctionFilterTableSize = 16;

// Reads the INI's output channels (curves) and its [General] keys (record);
// either may be null. 0 when the file is missing or not of this system.
int LoadUserFunctionIni(const std::string& path, CurveArray* curves, UserFunctionRecord* record);
// Rewrites the INI from the curves and the record; what is not given is
// copied from the previous file, which is kept as the ".bak" sibling.
int SaveUserFunctionIni(const std::string& path, const CurveArray* curves, const UserFunctionRecord* record);

// Fills a 16-entry table from the INI (a zero table when it is missing).
void ReadUserFunctionFilters(const std::string& path, UserFunctionFilter* table);
// Writes a table into the INI's existing channel sections; an entry with a
// type above 4 is reset to none first.
void WriteUserFunctionFilters(const std::string& path, UserFunctionFilter* table);
