#include "sondedb/lookups.h"

#include <cstring>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/text/cnum.h"
#include "sondedb/fields.h"

namespace qv {

namespace {
const char* const kSonicColumns[kSonicConfigSize] = {"SampleRate",   "GainRx1",      "GainRx2",     "GainRx3",
                                                     "ThresholdRx1", "ThresholdRx2", "ThresholdRx3"};
const uint8_t kSonicDefaults[kSonicConfigSize] = {4, 1, 1, 1, 1, 1, 1};

// Opens the sonde's SonicParams rows: the sonde is looked up with its serial
// number first and by its abbreviation alone when that finds nothing; false
// when neither does.
bool OpenSonicRow(SondeRecordset& rs, const std::string& abbreviation, const std::string& serial, bool readOnly,
                  int& id) {
  rs.Open("SELECT * FROM SONDE WHERE ABBREVIATION=" + dao::Quote(abbreviation) +
          " AND SERIALNUMBER=" + dao::Quote(serial));
  if (CountRecords(&rs) == 0) {
    rs.Open(SondeQuery(abbreviation, ""));
    if (CountRecords(&rs) == 0) return false;
  }
  id = FieldInt(&rs, "Sonde");
  rs.Open(FormatC("SELECT * FROM SonicParams WHERE SONDE = %u", static_cast<unsigned>(id)), readOnly);
  return true;
}
}  // namespace

std::unique_ptr<OwnedSondeRecordset> OpenSondeRecordset(const std::string& abbreviation, const std::string& serial) {
  auto db = OpenSondeDatabase();
  if (!db) {
    ShowDatabaseError(nullptr);
    return nullptr;
  }
  auto rs = std::make_unique<OwnedSondeRecordset>(std::move(db));
  try {
    rs->Open(SondeQuery(abbreviation, serial));
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return nullptr;
  }
  return rs;
}

void CloseSondeRecordset(std::unique_ptr<OwnedSondeRecordset>& rs) { rs.reset(); }

void ReadSondeList(const int types[6], std::vector<ComboItem>& items) {
  auto db = OpenSondeDatabase();
  if (!db) return;
  try {
    SondeRecordset rs(db.get());
    std::string sql = "SELECT * FROM SONDE";
    if (types[0] != -1)
      sql = FormatC("SELECT * FROM SONDE WHERE TYPE= %d OR TYPE= %d OR TYPE= %d OR TYPE= %d OR TYPE= %d OR TYPE= %d",
                    types[0], types[1], types[2], types[3], types[4], types[5]);
    rs.Open(sql, true);
    const long n = rs.GetRecordCount();
    for (long i = 0; i < n; ++i, rs.MoveNext()) {
      const std::string abbreviation = VariantToString(rs.GetFieldValue("Abbreviation"));
      if (abbreviation.empty()) continue;
      ComboItem item;
      item.text = abbreviation + " [" + VariantToString(rs.GetFieldValue("SerialNumber")) + "] - " +
                  VariantToString(rs.GetFieldValue("Name"));
      item.data = AtolC(VariantToString(rs.GetFieldValue("Sonde")).c_str());
      items.push_back(std::move(item));
    }
  } catch (const dao::Error&) {
    // The list shows what could be read; a selector raises no box.
  }
}

int GetSondeLength(SondeDatabase* db, const std::string& abbreviation, const std::string& serial) {
  if (!db || abbreviation.empty()) return 0;
  try {
    SondeRecordset rs(db);
    rs.Open(SondeQuery(abbreviation, serial), true);
    return CountRecords(&rs) == 1 ? FieldInt(&rs, "Length") : -1;
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return -1;
  }
}

int GetSondeType(SondeRecordset* rs, int* type) {
  if (!rs || !rs->IsOpen() || !rs->GetDatabase()) return 0;
  try {
    if (CountRecords(rs) == 0) return 0;
    const int t = AtoiC(VariantToString(rs->GetFieldValue("Type")).c_str());
    if (type) *type = t;
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int IsSondeComStd3(const std::string& abbreviation, const std::string& serial) {
  auto db = OpenSondeDatabase();
  if (!db) return -1;
  try {
    SondeRecordset rs(db.get());
    rs.Open(SondeQuery(abbreviation, serial));
    if (CountRecords(&rs) == 0) return -1;
    rs.MoveFirst();
    return AtoiC(VariantToString(rs.GetFieldValue("COMSTD")).c_str()) == 3 ? 1 : 0;
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return -1;
  }
}

int LoadChannelFilterSettings(SondeDatabase* db, const std::string& abbreviation, const std::string& serial,
                              ChannelFilter* table) {
  if (!db || abbreviation.empty() || !table) return 0;
  for (int i = 0; i < kFilterTableSize; ++i) table[i] = ChannelFilter{};
  try {
    SondeRecordset rs(db);
    rs.Open(SondeQuery(abbreviation, serial), true);
    const int sondeId = AtoiC(VariantToString(rs.GetFieldValue("Sonde")).c_str());
    rs.Open(FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u ORDER BY CHANNELPHYSIC ASC ",
                    static_cast<unsigned>(sondeId)),
            true);
    const int n = CountRecords(&rs);
    for (int k = 0; k < n; ++k, rs.MoveNext()) {
      const int i = FieldInt(&rs, "CHANNELPHYSIC") - 1;
      if (i < 0 || i >= kFilterTableSize) continue;
      ChannelFilter& f = table[i];
      f.Present = 1;
      f.Offset = f.OffsetCopy = FieldInt(&rs, "Offset");
      f.FilterType = static_cast<uint8_t>(FieldInt(&rs, "FilterType"));
      f.FilterWidth = FieldInt(&rs, "FilterParameter");
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

void LoadSonicParams(uint8_t* block, const std::string& abbreviation, const std::string& serial) {
  if (!block) return;
  memcpy(block, kSonicDefaults, kSonicConfigSize);
  auto db = OpenSondeDatabase();
  if (!db) return;
  try {
    SondeRecordset rs(db.get());
    int id = 0;
    if (!OpenSonicRow(rs, abbreviation, serial, true, id) || CountRecords(&rs) == 0) return;
    rs.MoveFirst();
    for (int i = 0; i < kSonicConfigSize; ++i) block[i] = static_cast<uint8_t>(FieldInt(&rs, kSonicColumns[i]));
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
  }
}

void SaveSonicParams(const uint8_t* block, const std::string& abbreviation, const std::string& serial) {
  if (!block) return;
  auto db = OpenSondeDatabase();
  if (!db) return;
  try {
    SondeRecordset rs(db.get());
    int id = 0;
    if (!OpenSonicRow(rs, abbreviation, serial, false, id)) return;
    if (CountRecords(&rs) > 0) {
      rs.Edit();
    } else {
      rs.AddNew();
      SetFieldString(&rs, "Sonde", FormatC("%d", id).c_str());
    }
    for (int i = 0; i < kSonicConfigSize; ++i)
      SetFieldString(&rs, kSonicColumns[i], FormatC("%d", static_cast<int8_t>(block[i])).c_str());
    rs.Update();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
  }
}

void LoadSonicParams(uint8_t* block) { LoadSonicParams(block, g_strCurrentSonde, g_strSondeSerialNo); }

void SaveSonicParams(const uint8_t* block) { SaveSonicParams(block, g_strCurrentSonde, g_strSondeSerialNo); }

}  // namespace qv
