// Lookups of one sonde: its recordset, the sonde list for selectors, its
// length, type and communication standard, the raw-data filters and depth
// offsets of its channels, and the sonic probe configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "header/section_access.h"
#include "sondedb/acquisition.h"
#include "sondedb/sondedb.h"

namespace qv {

// A recordset that keeps the database it was opened on.
class OwnedSondeRecordset : public SondeRecordset {
 public:
  explicit OwnedSondeRecordset(std::unique_ptr<SondeDatabase> db) : SondeRecordset(db.get()), db_(std::move(db)) {}
  ~OwnedSondeRecordset() {
    Close();
    if (db_) db_->Close();
  }

 private:
  std::unique_ptr<SondeDatabase> db_;
};

// Opens the database and a recordset on the sonde's row(s) (by abbreviation,
// and by serial number when one is given); the caller tests the row count.
// Null after the error box when the database cannot be used.
std::unique_ptr<OwnedSondeRecordset> OpenSondeRecordset(const std::string& abbreviation, const std::string& serial);
// Closes the recordset and its database; null does nothing.
void CloseSondeRecordset(std::unique_ptr<OwnedSondeRecordset>& rs);

// The sondes for a selector: "abbreviation [serial] - name" with the sonde key
// as data, one per sonde with an abbreviation; all sondes when types[0] is
// -1, else those of the six types. Nothing is shown on failure (the list
// holds what was read).
void ReadSondeList(const int types[6], std::vector<ComboItem>& items);
// The sonde's Length (cm); -1 unless exactly one sonde matches; 0 for a null
// database or an empty abbreviation. The database stays open.
int GetSondeLength(SondeDatabase* db, const std::string& abbreviation, const std::string& serial);
// The Type of the recordset's first row; 1 when read.
int GetSondeType(SondeRecordset* rs, int* type);
// 1 when the sonde's communication standard is 3, 0 for any other, -1 when
// the sonde cannot be looked up.
int IsSondeComStd3(const std::string& abbreviation, const std::string& serial);
// Fills a 16-entry table (index: physical channel - 1) from the sonde's
// channels; channels outside 1..16 are skipped. 1 when read.
int LoadChannelFilterSettings(SondeDatabase* db, const std::string& abbreviation, const std::string& serial,
                              ChannelFilter* table);

// The sonic probe configuration block: sample interval (µs), three receiver
// gains, three signed receiver thresholds.
constexpr int kSonicConfigSize = 7;
// The sonde's configuration, or the defaults 4, 1, 1, 1, 1, 1, 1. A serial
// number that matches nothing falls back to the first sonde with the
// abbreviation.
void LoadSonicParams(uint8_t* block, const std::string& abbreviation, const std::string& serial);
// Stores the block as the sonde's configuration (appending its row when it
// has none); nothing is written when the sonde is not found.
void SaveSonicParams(const uint8_t* block, const std::string& abbreviation, const std::string& serial);
// The same for the current sonde (g_strCurrentSonde, g_strSondeSerialNo).
void LoadSonicParams(uint8_t* block);
void SaveSonicParams(const uint8_t* block);

}  // namespace qv
