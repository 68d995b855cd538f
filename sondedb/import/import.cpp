#include "sondedb/import/import.h"

#include <cstdint>
#include <cstdlib>

#include "app/core/device_services.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

// Values are read into buffers of this size, so longer texts are cut.
constexpr unsigned kValueSize = 1024;
constexpr int kMaxCommands = 100;

std::string U(long v) {
  return FormatC("%u", static_cast<unsigned>(v));
}

class Importer {
 public:
  Importer(SondeRecordset* rs, const ProfileFile& file) : rs_(rs), file_(file) {}

  int Run();

 private:
  std::string Text(const std::string& section, const char* key, const char* def = "") const {
    return file_.Get(section, key, def, kValueSize);
  }
  int Int(const std::string& section, const char* key, const char* def = "") const {
    return AtoiC(Text(section, key, def).c_str());
  }
  double Real(const std::string& section, const char* key) const {
    return strtod(Text(section, key, "0").c_str(), nullptr);
  }
  void Set(const char* column, const std::string& text) { SetFieldString(rs_, column, text.c_str()); }
  // Opens the recordset on SQL; false when it cannot be written.
  bool OpenForWriting(const std::string& sql) {
    rs_->Open(sql);
    return rs_->CanUpdate();
  }
  bool ImportSondeRow();
  bool ImportTracks();
  bool ImportChannels();
  bool ImportAssignments();
  void ImportCommands();

  SondeRecordset* rs_;
  const ProfileFile& file_;
  std::string sonde_;  // the new sonde's key
  int channels_ = 0;
  int tracks_ = 3;
  int type_ = 0;
  std::string trackKey_[3];
  struct Assignment {
    std::string channel, track;
  };
  Assignment list_[kMaxSondeChannels];
};

bool Importer::ImportSondeRow() {
  const char* s = "Sonde";
  rs_->AddNew();
  sonde_ = GetFieldString(rs_, "Sonde");
  Set("Name", Text(s, "Name", "NoName"));
  Set("Abbreviation", Text(s, "Abbreviation"));
  Set("Manufacturer", Text(s, "Manufacturer"));
  Set("SerialNumber", Text(s, "SerialNumber"));
  Set("COLUMNS", "4");
  Set("ComStd", U(Int(s, "ComStd")));
  Set("NumberOfChannels", U(channels_));
  const int length = Int(s, "Length");
  for (int i = 1; i <= channels_; ++i) {
    if (Int(FormatC("Channel%u", static_cast<unsigned>(i)), "Offset", "0") > length) {
      ShowMessageBox(LoadString(32141), {}, MB_OK);
      rs_->CancelUpdate();
      rs_->Close();
      return false;
    }
  }
  Set("Length", U(length));
  Set("PictureFile", Text(s, "PictureFile"));
  Set("Datum", Text(s, "Date"));
  const int type = Int(s, "Type");
  type_ = type;
  tracks_ = type == 2 ? 2 : 3;
  Set("Type", U(type));
  Set("Voltage", U(Int(s, "Voltage")));
  Set("CurrentLimit", U(Int(s, "CurrentLimit")));
  Set("Polarity", U(Int(s, "Polarity")));
  Set("BaudRateUpHole", U(Int(s, "BaudRateUpHole")));
  Set("BaudRateDownHole", U(Int(s, "BaudRateDownHole")));
  rs_->Update();
  rs_->Close();
  return true;
}

bool Importer::ImportTracks() {
  if (!OpenForWriting("SELECT * FROM Columns")) return false;
  const bool noGrid2 = type_ == 2 || type_ == 4 || type_ == 5 || type_ == 10;
  const bool noGrid3 = type_ == 4 || type_ == 5 || type_ == 10;
  struct Row {
    const char* order;
    const char* type;
    const char* raster;
    int track;  // 0 for the depth track
  };
  const Row rows[] = {{"0", "2", "TRUE", 1},
                      {"1", "1", "FALSE", 0},
                      {"2", "2", noGrid2 ? "FALSE" : "TRUE", 2},
                      {"3", "2", noGrid3 ? "FALSE" : "TRUE", 3}};
  for (const Row& r : rows) {
    if (r.track > tracks_) break;
    rs_->AddNew();
    const std::string key = GetFieldString(rs_, "COLUMN");
    Set("SONDE", sonde_);
    Set("COLUMNORDER", r.order);
    Set("MINIMAL", "100");
    Set("IDEAL", "250");
    Set("PROPERTIES", "0");
    Set("TYPE", r.type);
    Set("RASTER", r.raster);
    Set("RASTERPROPERTIES", r.track ? "268435461" : "0");
    Set("RASTERCOLOUR", r.track ? "12632256" : "0");
    rs_->Update();
    if (r.track) trackKey_[r.track - 1] = key;
  }
  rs_->Close();
  return true;
}

bool Importer::ImportChannels() {
  if (!OpenForWriting("SELECT * FROM Channel")) return false;
  for (int i = 0; i < channels_; ++i) {
    const std::string c = FormatC("Channel%u", static_cast<unsigned>(i + 1));
    rs_->AddNew();
    const std::string key = GetFieldString(rs_, "CHANNEL");
    const int physical = Int(c, "Channel", "0");
    Set("CHANNELPHYSIC", U(physical));
    int track = Int(c, "Track", "0");
    if (track <= 0 || track > tracks_) track = i % tracks_ + 1;
    if (type_ == 4 || type_ == 5) {
      if (physical < 7)
        track = 1;
      else if (physical == 7)
        track = 2;
      else if (physical == 8)
        track = 3;
    } else if (type_ == 10) {
      if (physical < 13)
        track = 1;
      else if (physical == 13 || physical == 15)
        track = 2;
      else if (physical == 14 || physical == 16)
        track = 3;
    }
    list_[i] = {key, trackKey_[track == 1 ? 0 : track == 2 ? 1 : 2]};
    Set("SONDE", sonde_);
    Set("USERFUNCTION", "0");
    Set("CHANNELLOGIC", "0");
    Set("Window", U(Int(c, "Window", "0")));
    Set("HeaderDescription", Text(c, "HeaderDescription"));
    Set("HeaderShort", Text(c, "HeaderShort"));
    Set("REGIME", U(Int(c, "CalibrationRegime", "0")));
    Set("CalibrationPoints", U(Int(c, "CalibrationPoints", "0")));
    Set("Unit", Text(c, "Unit"));
    SetFieldDouble(rs_, "Minimum", Real(c, "Minimum"));
    SetFieldDouble(rs_, "Maximum", Real(c, "Maximum"));
    SetFieldDouble(rs_, "ZERO", Real(c, "NullValue"));
    Set("Offset", U(Int(c, "Offset", "0")));
    Set("FilterType", U(Int(c, "FilterType", "0")));
    Set("FilterParameter", U(Int(c, "FilterParameter", "0")));
    Set("FORMULA", U(Int(c, "CalibrationType", "0")));
    Set("NEXTUPDATE", FormatC("%d", Int(c, "ValidDuration", "-1")));
    rs_->Update();
  }
  rs_->Close();
  return true;
}

bool Importer::ImportAssignments() {
  if (!OpenForWriting("SELECT * FROM Channelcolumn")) return false;
  for (int i = 0; i < channels_; ++i) {
    rs_->AddNew();
    Set("CHANNEL", list_[i].channel);
    Set("COLUMNSTART", list_[i].track);
    Set("COLUMNEND", list_[i].track);
    rs_->Update();
  }
  rs_->Close();
  return true;
}

void Importer::ImportCommands() {
  for (int n = 1; n <= kMaxCommands; ++n) {
    const std::string s = FormatC("SondeCommand%u", static_cast<unsigned>(n));
    const std::string name = Text(s, "Name");
    if (name.empty()) return;
    const auto code = static_cast<int16_t>(Int(s, "AccessCode", "0"));
    const auto lsb = static_cast<int16_t>(Int(s, "ParameterLSB", "0"));
    const auto msb = static_cast<int16_t>(Int(s, "ParameterMSB", "0"));
    const std::string status = Text(s, "Status");
    rs_->Open(FormatC(
        "SELECT * FROM SondeCommand WHERE COMMANDNAME = %s AND COMMANDCODE = %u AND LSB = %u AND MSB = %u",
        dao::Quote(name).c_str(), static_cast<unsigned>(code), static_cast<unsigned>(lsb), static_cast<unsigned>(msb)));
    const int found = CountRecords(rs_);
    if (found > 1) {
      rs_->Close();
      ShowMessageBox(LoadString(32117), {}, MB_OK);
      continue;
    }
    if (!rs_->CanUpdate()) {
      rs_->Close();
      continue;
    }
    if (found == 0) {
      rs_->AddNew();
      Set("COMMANDNAME", name);
      Set("COMMANDCODE", U(code));
      Set("LSB", U(lsb));
      Set("MSB", U(msb));
    } else {
      rs_->Edit();
    }
    const std::string command = GetFieldString(rs_, "SONDECOMMAND");
    Set("COMMANDSTATUS", status);
    rs_->Update();
    rs_->Close();
    rs_->Open(FormatC("SELECT * FROM CommandsofSondes WHERE SONDE = %s AND SONDECOMMAND = %s", sonde_.c_str(),
                      command.c_str()));
    const int links = CountRecords(rs_);
    if (links > 1) {
      rs_->Close();
      ShowMessageBox(LoadString(32117), {}, MB_OK);
      continue;
    }
    if (links == 0 && rs_->CanUpdate()) {
      rs_->AddNew();
      Set("SONDE", sonde_);
      Set("SONDECOMMAND", command);
      rs_->Update();
    }
    rs_->Close();
  }
}

int Importer::Run() {
  // A definition without its sonde or with more channels than a sonde's
  // display layout can hold is refused before anything is looked up.
  if (!file_.HasSection("Sonde")) {
    ShowMessageBox(LoadString(32620), {}, MB_OK);
    return 0;
  }
  channels_ = static_cast<int16_t>(AtoiC(Text("Sonde", "NumberOfChannels").c_str()));
  if (channels_ < 0 || channels_ > kMaxSondeChannels) {
    ShowMessageBox(FormatC(LoadString(32621).c_str(), channels_, kMaxSondeChannels), {}, MB_OK);
    return 0;
  }
  // A sonde is listed, chosen and removed by its abbreviation: a row without
  // one could never be reached again.
  const std::string abbreviation = Text("Sonde", "Abbreviation");
  if (abbreviation.find_first_not_of(" \t") == std::string::npos) {
    ShowMessageBox(LoadString(32622), {}, MB_OK);
    return 0;
  }
  const std::string serial = Text("Sonde", "SerialNumber");
  rs_->Open("SELECT * FROM Sonde WHERE Abbreviation = " + dao::Quote(abbreviation) +
            " AND SerialNumber = " + dao::Quote(serial));
  const int existing = CountRecords(rs_);
  if (existing >= 1) {
    ShowMessageBox(LoadString(existing == 1 ? 32143 : 32116), {}, MB_OK);
    rs_->Close();
    return 0;
  }
  if (!rs_->CanUpdate()) return 0;
  // One import as a unit: a failure part way leaves no rows behind.
  dao::Savepoint unit(rs_->GetDatabase(), "sonde_rows");
  if (!ImportSondeRow() || !ImportTracks() || !ImportChannels() || !ImportAssignments()) return 0;
  ImportCommands();
  unit.Release();
  return 1;
}

}  // namespace

int ImportSondeDefinition(SondeRecordset* rs, const ProfileFile& file) {
  if (!rs || !rs->GetDatabase() || !rs->GetDatabase()->IsOpen()) return 0;
  if (rs->IsOpen()) rs->Close();
  Importer importer(rs, file);
  try {
    return importer.Run();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    try {
      rs->Close();
    } catch (const dao::Error&) {
    }
    return 0;
  }
}

int ImportSondeFile(SondeRecordset* rs, const std::string& path) {
  ProfileFile file;
  if (!file.Load(path)) return 0;
  return ImportSondeDefinition(rs, file);
}

int RemoveSondeRows(SondeDatabase* db, const std::string& sondeKey) {
  if (!db || !db->IsOpen()) return 0;
  try {
    dao::Savepoint unit(db, "sonde_rows");
    const std::string key = dao::Quote(sondeKey);
    db->Execute("DELETE FROM CHANNELCOLUMN WHERE CHANNEL IN (SELECT CHANNEL FROM CHANNEL WHERE SONDE = " + key + ")");
    db->Execute("DELETE FROM CHANNEL WHERE SONDE = " + key);
    db->Execute("DELETE FROM COLUMNS WHERE SONDE = " + key);
    db->Execute("DELETE FROM COMMANDSOFSONDES WHERE SONDE = " + key);
    db->Execute("DELETE FROM SONDE WHERE Sonde = " + key);
    unit.Release();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

}  // namespace qv
