// The commands a sonde understands, for the sonde-control bar, and the
// sonde's picture file for the database editor's sonde page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/metafile/wmf.h"
#include "sondedb/sondedb.h"

namespace qv {

struct SondeCommandRecord {
  std::string CommandName;
  // For a command that takes a value: its maximum as decimal text; else the
  // text the bar shows after sending.
  std::string CommandStatus;
  int16_t CommandCode = 0;
  int16_t ParameterLSB = 0;
  int16_t ParameterMSB = 0;
};

// Appends the commands of the sonde on which the recordset stands (it must
// hold exactly that one row), in the order the database returns them. 1 on
// success; 0 for a null or closed recordset, another row count, or a
// database error (commands read before it stay).
int LoadSondeCommands(std::vector<SondeCommandRecord>& commands, SondeRecordset* sonde);

// The path of a sonde's picture file (the PictureFile column, which may use
// backslashes) in the SondePictures folder.
std::string SondePicturePath(const std::string& pictureFile);
// Reads and decodes a picture file; null after a box when it cannot be read
// or is no metafile this program draws.
std::unique_ptr<wmf::Picture> LoadMetafile(const std::string& path);

}  // namespace qv
