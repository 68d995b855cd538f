// The acquisition set-up: the surface equipment in use (winch, depth
// encoder, cable type with its telemetry settings, tension gauge) and the
// current sonde's supply, loaded from and saved to the sonde database; and
// the small equipment lookups of the settings, bars and wizards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sondedb/sondedb.h"

namespace qv {

struct AcquisitionSetup {
  int WinchId = 0;
  std::string WinchName;
  int WinchActive = 0;
  std::string WinchSerialNumber;
  int WinchController = 0;
  int MaxSpeed = 0;
  int SP1 = 0;
  int DAC1 = 0;
  double SP2 = 0;
  double DAC2 = 0;
  int WinchType = 0;
  int ReverseWheelDirection = 0;
  int EncoderId = 0;
  std::string EncoderName;
  int EncoderActive = 0;
  std::string EncoderSerialNumber;
  int PulsesPerRevolution = 0;
  int EncoderSampleInterval = 0;
  int EncoderType = 0;
  int CableType = 0;
  std::string CableName;
  int CableActive = 0;
  int Drive = 0;
  int Gain = 0;
  int Threshold = 0;
  int BaudRate = 0;
  int PulseWidth = 0;
  int TensionGauge = 0;
  int SondeId = 0;
  int Voltage = 0;
  int CurrentLimit = 0;
  int Polarity = 0;
};

// The sonde supply as the unit's power block carries it: three signed 16-bit
// words, voltage (V), current limit (mA), polarity (165 negative, 90 positive).
struct SondePowerValues {
  int16_t Voltage = 0;
  int16_t CurrentLimit = 0;
  int16_t Polarity = 0;
};

// 1 when the queries ran (rows may be missing), 0 on a null set-up, no
// database or a database error.
int LoadAcquisitionSetup(AcquisitionSetup* setup, const std::string& abbreviation, const std::string& serial);
// cableFlag 0: winch, encoder and tension gauge (system settings); non-zero:
// the cable (cable dialog). 1 when saved and committed, 0 otherwise.
int SaveAcquisitionSetup(AcquisitionSetup* setup, int cableFlag);
// The winch constants and wheel direction of a winch; 1 when found.
int GetWinchSetPoint(int winchId, double* sp2, double* dac2, int* reverse);
// Pulses per revolution of an encoder; -1 when not found or on failure.
int GetEncoderPulsesPerRevolution(int encoderId);

// One list entry from a table: its NAME, and for the cable table its
// CABLETYPE as item data (0 otherwise).
struct ComboItem {
  std::string text;
  long data = 0;
};
// The entries of a table in the order the database returns them; false
// when there are none or on failure (the list holds what was read).
bool ReadComboItems(const std::string& table, std::vector<ComboItem>& items);

// The supply of the one sonde with that abbreviation (and serial number);
// 1 when exactly one matched. The database stays open for the caller.
int GetSondePower(SondePowerValues* out, SondeDatabase* db, const std::string& abbreviation,
                  const std::string& serial);
// The sonde's communication standard; 0 for an empty abbreviation, no match
// or no database.
int GetSondeComStd(const std::string& abbreviation);

}  // namespace qv
