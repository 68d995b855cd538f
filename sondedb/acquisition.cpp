#include "sondedb/acquisition.h"

#include <strings.h>

#include "app/core/device_services.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "sondedb/fields.h"

namespace qv {

namespace {

constexpr int kDefaultCableSetting = 64;
constexpr int kDefaultPulseWidth = 25;
constexpr int kDefaultBaudRate = 31520;

const char* TrueFalse(int flag) { return flag ? "TRUE" : "FALSE"; }

std::string CableSection(int cableType) { return FormatC("Cable%d", cableType); }

void DefaultCable(AcquisitionSetup* s) {
  s->CableType = 0;
  s->CableName.clear();
  s->CableActive = 0;
  s->Drive = s->Gain = s->Threshold = kDefaultCableSetting;
  s->PulseWidth = kDefaultPulseWidth;
  s->BaudRate = kDefaultBaudRate;
}

// The one active row of an equipment table loses its flag when another key
// is to become active. A table without an active row has nothing to give up:
// the chosen row becomes the active one, so the settings can repair such a
// database. False when several rows are active (which one the set-up meant
// is not known).
bool MoveActiveFlag(SondeRecordset& rs, const char* table, const char* keyColumn, int newKey) {
  rs.Open(std::string("SELECT * FROM ") + table + " WHERE ACTIVE <> 0");
  const int active = CountRecords(&rs);
  if (active == 0) return true;
  if (active != 1) return false;
  if (FieldInt(&rs, keyColumn) != newKey) {
    rs.Edit();
    SetFieldString(&rs, "ACTIVE", "FALSE");
    rs.Update();
  }
  return true;
}

// Edits the query's one row, or appends a new one when it has none. An
// appended equipment row takes the key that was chosen (keyColumn), so that
// the set-up and the database name the same row afterwards.
void EditOrAppend(SondeRecordset& rs, const std::string& sql, const char* keyColumn = nullptr, int key = 0) {
  rs.Open(sql);
  if (CountRecords(&rs) == 1) {
    rs.Edit();
    return;
  }
  rs.AddNew();
  if (keyColumn) SetFieldString(&rs, keyColumn, FormatC("%d", key).c_str());
}

// Winch constants that are unset (not above 0) take the defaults of the
// smaller (type or id 3 and up) or the standard winch.
void DefaultWinchConstants(bool small, double& sp2, double& dac2) {
  if (sp2 <= 0 && small) sp2 = 400.0;
  if (sp2 <= 0) sp2 = 1000.0;
  if (dac2 <= 0 && small) dac2 = 1312.0;
  if (dac2 <= 0) dac2 = 3281.0;
}

}  // namespace

int LoadAcquisitionSetup(AcquisitionSetup* s, const std::string& abbreviation, const std::string& serial) {
  if (!s) return 0;
  auto db = OpenSondeDatabase();
  if (!db) return 0;
  try {
    SondeRecordset rs(db.get());
    rs.Open(SondeQuery(abbreviation, serial), true);
    if (CountRecords(&rs) == 1) {
      s->SondeId = FieldInt(&rs, "Sonde");
      s->Voltage = FieldInt(&rs, "Voltage");
      s->CurrentLimit = FieldInt(&rs, "CurrentLimit");
      s->Polarity = FieldInt(&rs, "Polarity");
    } else {
      s->SondeId = s->Voltage = s->CurrentLimit = s->Polarity = 0;
    }

    rs.Open("SELECT * FROM WINCH WHERE ACTIVE <> 0", true);
    if (CountRecords(&rs) == 1) {
      s->WinchId = FieldInt(&rs, "Winch");
      s->WinchName = GetFieldString(&rs, "Name");
      s->WinchActive = FieldFlag(&rs, "ACTIVE");
      s->WinchSerialNumber = GetFieldString(&rs, "SerialNumber");
      s->WinchController = FieldFlag(&rs, "WinchControler");
      s->WinchType = FieldInt(&rs, "Type");
      s->MaxSpeed = FieldInt(&rs, "MaxSpeed");
      s->SP1 = FieldInt(&rs, "SP1");
      s->DAC1 = FieldInt(&rs, "DAC1");
      s->SP2 = FieldDouble(&rs, "SP2");
      s->DAC2 = FieldDouble(&rs, "DAC2");
      DefaultWinchConstants(s->WinchType == 3, s->SP2, s->DAC2);
      s->ReverseWheelDirection = FieldFlag(&rs, "ReverseWheelDirection");
    } else {
      s->WinchId = s->WinchActive = s->WinchController = s->WinchType = 0;
      s->MaxSpeed = s->SP1 = s->DAC1 = s->ReverseWheelDirection = 0;
      s->WinchName.clear();
      s->WinchSerialNumber.clear();
      s->SP2 = s->DAC2 = 0.0;
    }

    rs.Open("SELECT * FROM ENCODER WHERE ACTIVE <> 0", true);
    if (CountRecords(&rs) == 1) {
      s->EncoderId = FieldInt(&rs, "Encoder");
      s->EncoderName = GetFieldString(&rs, "NAME");
      s->EncoderActive = FieldFlag(&rs, "ACTIVE");
      s->EncoderSerialNumber = GetFieldString(&rs, "SERIALNUMBER");
      s->PulsesPerRevolution = FieldInt(&rs, "PulsesPerRevolution");
      s->EncoderSampleInterval = FieldInt(&rs, "SampleInterval");
      s->EncoderType = FieldInt(&rs, "TYPE");
    } else {
      s->EncoderId = s->EncoderActive = s->PulsesPerRevolution = s->EncoderSampleInterval = s->EncoderType = 0;
      s->EncoderName.clear();
      s->EncoderSerialNumber.clear();
    }

    rs.Open("SELECT * FROM CABLE WHERE ACTIVE <> 0", true);
    if (CountRecords(&rs) == 1) {
      s->CableType = FieldInt(&rs, "CABLETYPE");
      s->CableName = GetFieldString(&rs, "NAME");
      s->CableActive = FieldFlag(&rs, "ACTIVE");
      s->Drive = FieldInt(&rs, "Drive");
      s->Gain = FieldInt(&rs, "Gain");
      try {
        // Older database files have no telemetry columns; the threshold of
        // such a cable lives in the program's profile.
        s->PulseWidth = AtoiC(VariantToString(rs.GetFieldValue("PULSEWIDTH")).c_str());
        s->BaudRate = FieldInt(&rs, "BAUD");
        s->Threshold = FieldInt(&rs, "THRESHOLD");
      } catch (const dao::Error& e) {
        if (e.code() != dao::Error::kItemNotFound) throw;
        s->PulseWidth = kDefaultPulseWidth;
        s->BaudRate = kDefaultBaudRate;
        s->Threshold = GetPrivateProfileInt(CableSection(s->CableType).c_str(), "Threshold",
                                                 kDefaultCableSetting, ProgramProfileFile());
      }
    } else {
      DefaultCable(s);
    }

    rs.Open(FormatC("SELECT * FROM GAUGE WHERE WINCH=%u AND ENCODER=%u AND SONDE=%u",
                         static_cast<unsigned>(s->WinchId), static_cast<unsigned>(s->EncoderId),
                         static_cast<unsigned>(s->SondeId)),
            true);
    s->TensionGauge = CountRecords(&rs) == 1 ? FieldInt(&rs, "TENSIONGAUGE") : 0;
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int SaveAcquisitionSetup(AcquisitionSetup* s, int cableFlag) {
  if (!s) return 0;
  auto db = OpenSondeDatabase();
  if (!db) return 0;
  bool inTransaction = false;
  auto rollback = [&] {
    if (!inTransaction) return;
    try {
      db->Rollback();
    } catch (const dao::Error&) {
    }
  };
  try {
    if (db->CanTransact() && db->CanUpdate()) {
      db->BeginTrans();
      inTransaction = true;
    }
    SondeRecordset rs(db.get());
    if (!cableFlag) {
      if (!MoveActiveFlag(rs, "WINCH", "Winch", s->WinchId)) {
        rollback();
        return 0;
      }
      EditOrAppend(rs, FormatC("SELECT * FROM WINCH WHERE WINCH = %d", s->WinchId), "WINCH", s->WinchId);
      SetFieldString(&rs, "ACTIVE", TrueFalse(s->WinchActive));
      SetFieldString(&rs, "SP2", FormatC("%.7g", s->SP2).c_str());
      SetFieldString(&rs, "DAC2", FormatC("%.7g", s->DAC2).c_str());
      SetFieldString(&rs, "ReverseWheelDirection", TrueFalse(s->ReverseWheelDirection));
      rs.Update();

      if (!MoveActiveFlag(rs, "ENCODER", "Encoder", s->EncoderId)) {
        rollback();
        return 0;
      }
      EditOrAppend(rs, FormatC("SELECT * FROM ENCODER WHERE ENCODER = %d", s->EncoderId), "ENCODER",
                   s->EncoderId);
      SetFieldString(&rs, "ACTIVE", TrueFalse(s->EncoderActive));
      SetFieldString(&rs, "PulsesPerRevolution",
                     FormatC("%u", static_cast<unsigned>(s->PulsesPerRevolution)).c_str());
      rs.Update();

      EditOrAppend(rs, FormatC("SELECT * FROM GAUGE WHERE WINCH=%u AND ENCODER=%u AND SONDE=%u",
                                    static_cast<unsigned>(s->WinchId), static_cast<unsigned>(s->EncoderId),
                                    static_cast<unsigned>(s->SondeId)));
      SetFieldString(&rs, "WINCH", FormatC("%u", static_cast<unsigned>(s->WinchId)).c_str());
      SetFieldString(&rs, "ENCODER", FormatC("%u", static_cast<unsigned>(s->EncoderId)).c_str());
      SetFieldString(&rs, "SONDE", FormatC("%u", static_cast<unsigned>(s->SondeId)).c_str());
      SetFieldString(&rs, "TENSIONGAUGE", FormatC("%u", static_cast<unsigned>(s->TensionGauge)).c_str());
      rs.Update();
    } else {
      if (!MoveActiveFlag(rs, "CABLE", "CABLETYPE", s->CableType)) {
        rollback();
        return 0;
      }
      EditOrAppend(rs, FormatC("SELECT * FROM CABLE WHERE CABLETYPE= %u", static_cast<unsigned>(s->CableType)),
                   "CABLETYPE", s->CableType);
      SetFieldString(&rs, "Drive", FormatC("%i", s->Drive).c_str());
      SetFieldString(&rs, "Gain", FormatC("%i", s->Gain).c_str());
      SetFieldString(&rs, "ACTIVE", TrueFalse(s->CableActive));
      try {
        rs.GetFieldValue("PULSEWIDTH");
        SetFieldString(&rs, "BAUD", FormatC("%i", s->BaudRate).c_str());
        SetFieldString(&rs, "PULSEWIDTH", FormatC("%i", s->PulseWidth).c_str());
        SetFieldString(&rs, "THRESHOLD", FormatC("%i", s->Threshold).c_str());
      } catch (const dao::Error& e) {
        if (e.code() != dao::Error::kItemNotFound) throw;
        // A threshold that cannot be kept must not pass for saved.
        if (!WritePrivateProfileString(CableSection(s->CableType).c_str(), "Threshold",
                                            FormatC("%i", s->Threshold).c_str(), ProgramProfileFile())) {
          rollback();
          return 0;
        }
      }
      rs.Update();
    }
    rs.Close();
    if (inTransaction) db->CommitTrans();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    rollback();
    return 0;
  }
  return 1;
}

int GetWinchSetPoint(int winchId, double* sp2, double* dac2, int* reverse) {
  auto db = OpenSondeDatabase();
  if (!db) return 0;
  try {
    SondeRecordset rs(db.get());
    rs.Open(FormatC("SELECT * FROM WINCH WHERE WINCH = %d", winchId), true);
    if (CountRecords(&rs) < 1) return 0;
    double a = FieldDouble(&rs, "SP2"), b = FieldDouble(&rs, "DAC2");
    DefaultWinchConstants(winchId > 2, a, b);
    if (sp2) *sp2 = a;
    if (dac2) *dac2 = b;
    if (reverse) *reverse = FieldFlag(&rs, "REVERSEWHEELDIRECTION");
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int GetEncoderPulsesPerRevolution(int encoderId) {
  auto db = OpenSondeDatabase();
  if (!db) return -1;
  try {
    SondeRecordset rs(db.get());
    rs.Open(FormatC("SELECT * FROM ENCODER WHERE ENCODER = %d", encoderId), true);
    if (CountRecords(&rs) < 1) return -1;
    return FieldInt(&rs, "PULSESPERREVOLUTION");
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return -1;
  }
}

bool ReadComboItems(const std::string& table, std::vector<ComboItem>& items) {
  auto db = OpenSondeDatabase();
  if (!db) return false;
  const bool cable = strcasecmp(table.c_str(), "Cable") == 0;
  bool added = false;
  try {
    SondeRecordset rs(db.get());
    rs.Open("SELECT * FROM " + dao::QuoteName(table), true);
    const int n = CountRecords(&rs);
    for (int i = 0; i < n; ++i) {
      ComboItem item;
      item.text = GetFieldString(&rs, "NAME");
      if (cable) item.data = FieldLong(&rs, "CABLETYPE");
      items.push_back(std::move(item));
      added = true;
      rs.MoveNext();
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
  }
  return added;
}

int GetSondePower(SondePowerValues* out, SondeDatabase* db, const std::string& abbreviation,
                  const std::string& serial) {
  if (!out || !db || !db->IsOpen()) return 0;
  try {
    SondeRecordset rs(db);
    rs.Open(SondeQuery(abbreviation, serial), true);
    const int n = CountRecords(&rs);
    if (n > 1) {
      ShowMessageBox(LoadString(32313), "", MB_OK);
      return 0;
    }
    if (n != 1) return 0;
    out->Voltage = static_cast<int16_t>(FieldInt(&rs, "Voltage"));
    out->CurrentLimit = static_cast<int16_t>(FieldInt(&rs, "CurrentLimit"));
    out->Polarity = static_cast<int16_t>(FieldInt(&rs, "Polarity"));
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int GetSondeComStd(const std::string& abbreviation) {
  if (abbreviation.empty()) return 0;
  auto db = OpenSondeDatabase();
  if (!db) return 0;
  try {
    SondeRecordset rs(db.get());
    rs.Open(SondeQuery(abbreviation, ""), true);
    if (CountRecords(&rs) < 1) return 0;
    return FieldInt(&rs, "ComStd");
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
}

}  // namespace qv
