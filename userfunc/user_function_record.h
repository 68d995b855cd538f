// The record that describes one user function: its sonde, its numbers of
// inputs and outputs, its display name and source file. The user-function
// INI file stores every field but the identifier.
#pragma once

#include <cstdint>
#include <string>

struct UserFunctionRecord {
  std::uint32_t UFID = 0;     // kept in memory and in the source only
  std::uint32_t SondeID = 0;  // the sonde's database key; -1 until found
  std::uint32_t Inputs = 0;   // the sonde's data channels; -1 until counted
  std::uint32_t Outputs = 0;  // output channels, 1 to 12
  std::string SondeSN;
  std::string Abbrev;    // four characters, or "*" for every sonde
  std::string SymName;   // display name (UPName)
  std::string FileName;  // full path of the source file (UserDLL)
  std::string Comment;

  bool operator==(const UserFunctionRecord&) const = default;
};
