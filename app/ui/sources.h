// Where the bars and the tool bar get their sonde-database facts: the sonde
// list, the current sonde's commands and its acquisition set-up. The program
// reads the sonde database; tests put in their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sondedb/acquisition.h"
#include "sondedb/commands.h"

struct ShellSources {
  // One item per sonde: "ABBR [serial] - name".
  std::function<std::vector<std::string>()> sondeList;
  std::function<std::vector<qv::SondeCommandRecord>(const std::string& sonde, const std::string& serial)>
      sondeCommands;
  // False when the set-up could not be loaded.
  std::function<bool(qv::AcquisitionSetup* setup, const std::string& sonde, const std::string& serial)>
      acquisitionSetup;
};

// The sources in use (the sonde database unless replaced).
ShellSources& Sources();
// Puts the sonde-database sources back.
void UseDatabaseSources();
