// Sonde definition files: an INI text describing one sonde, its channels and
// its commands, turned into the sonde's rows in the sonde database; and the
// removal of a sonde with all its rows. Both run as one unit: a failure part
// way leaves the database as it was.
#pragma once

#include <string>

#include "platform/profile/profile.h"
#include "sondedb/sondedb.h"

namespace qv {

// The most channels one sonde can have (the display layout keeps one
// assignment per channel).
constexpr int kMaxSondeChannels = 16;

// Imports the file at PATH through RS (a recordset on the open sonde
// database; it is closed first when open). 1 when the whole file was
// imported; 0 after the reason was shown (an existing sonde, an offset beyond
// the sonde's length, no [Sonde] section, too many channels, a database
// error), or without a message when the database cannot be written.
int ImportSondeFile(SondeRecordset* rs, const std::string& path);
// The same for a definition already read.
int ImportSondeDefinition(SondeRecordset* rs, const ProfileFile& file);

// Deletes a sonde: for each of its channels the display assignments and the
// channel, then its tracks, its command links and the sonde row. The shared
// commands, gauge and sonic settings stay. 1 when done; 0 (nothing deleted,
// the error shown) on a database failure.
int RemoveSondeRows(SondeDatabase* db, const std::string& sondeKey);

}  // namespace qv
