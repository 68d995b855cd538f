// Configuration and command exports: unit configuration with the one-time
// start-up work, cable interface, identity, logging modes, sample interval,
// sonde power, sonde commands, winch, depth and the sonic probe set-up.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "devices/tbdevice/internal.h"
#include "platform/files/atomic_file.h"
#include "platform/process/process.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/trace/trace.h"

namespace tbdev {
namespace {

constexpr int32_t kBitRates[12] = {31250, 41667, 52083,  56818,  62500,  69444,
                                   78125, 89286, 104167, 125000, 156250, 208333};

// The unit's per-standard word, by communication standard.
constexpr int32_t kStandardWords[30] = {0,  15, 63, 63, 0, 264, 15, 0,  0,  15, 66, 0,    12288, 15,   0,
                                        15, 0,  0,  0,  0, 63,  63, 15, 15, 63, 15, 3095, 2071,  2071, 2071};

constexpr char kWaveProgram[] = "WAVPR001.EXE";
constexpr char kAdapterFile[] = "ADAPTER.TXT";

// Refusals are stored like any other status, so GetAnalogStatus tells them.
uint32_t Refuse() {
  StoreStatus(TB_STATUS_BAD_PARAMETER);
  return TB_STATUS_BAD_PARAMETER;
}

struct Adapter {
  long v[7] = {0, 64, 64, 64, 64, 0, 0};  // index 1-6
};

// ADAPTER.TXT: six integers. False when the file is missing or unreadable.
bool ReadAdapterFile(Adapter* a) {
  const std::string path = FindProgramFile(kAdapterFile);
  if (path.empty()) return false;
  std::ifstream in(path);
  Adapter r;
  for (int i = 1; i <= 6; ++i)
    if (!(in >> r.v[i])) return false;
  *a = r;
  return true;
}

bool WriteAdapterFile(const Adapter& a) {
  return WriteProgramFile(kAdapterFile,
                          qv::FormatC("%ld %ld %ld %ld %ld %ld", a.v[1], a.v[2], a.v[3], a.v[4], a.v[5], a.v[6]));
}

uint32_t SendCommandWords(int16_t code, int16_t value, int16_t third) {
  SondeCommandBlock b{code, value, third};
  const auto bytes = tb::ToBytes(b);
  return VendorRequestOut(kReqSondeCommand, bytes.data(), 6);
}

// After a mode with an adapter (standards 20-24) is switched on, the adapter
// gets its six settings from ADAPTER.TXT; a missing file is created with the
// defaults and nothing is sent.
void ApplyAdapterSettings() {
  Adapter a;
  if (!ReadAdapterFile(&a)) {
    if (FindProgramFile(kAdapterFile).empty() && !WriteAdapterFile(Adapter{}))
      qv::Trace("TBdevice: %s cannot be written", kAdapterFile);
    return;
  }
  for (int i = 1; i <= 6; ++i) {
    if (a.v[i] < 0 || a.v[i] > 255) {
      qv::Trace("TBdevice: adapter value %d (%ld) does not fit a byte; not sent", i, a.v[i]);
      continue;
    }
    SendCommandWords(static_cast<int16_t>(i), static_cast<int16_t>(a.v[i]), 0);
    if (i < 6) Pause(TimingTable().adapterPauseMs);
  }
}

void StartToolCommands() {
  LibraryState& s = State();
  s.tvFirstSweep = true;
  s.highestMinute = 0;
  if (s.modeWord == kModeFullWaveStart) {
    Pause(TimingTable().toolStartPauseMs);
    for (int i = 0; i < 3; ++i) {
      if (i) Pause(TimingTable().toolStartRepeatPauseMs);
      SendCommandWords(105, 255, 255);
    }
  }
}

void ResetReadState() {
  LibraryState& s = State();
  s.prevDepth = s.prevTime = 0;
  std::memset(s.timeRing, 0, sizeof s.timeRing);
  std::memset(s.depthRing, 0, sizeof s.depthRing);
  s.timeSum = s.depthSum = 0;
  s.ringPos = 0;
  s.speedHold = 20;
  s.highestMinute = 0;
}

void ResetSonicExchange() {
  LibraryState& s = State();
  s.writeOffset = 0;
  if (SharedSonicBlock* b = SharedBlock()) {
    b->readOffset = 1024;
    b->spawned = 0;
    if (s.modeWord == kModeFullWave) b->terminate = 0;
  }
}

void ReadTensionFile() {
  const std::string path = FindProgramFile("TENSION.TXT");
  if (path.empty()) return;
  std::string text;
  if (!qv::ReadWholeFile(path, text)) return;
  // Two numbers, offset then scale, read in the C locale whatever the user's.
  char* end = nullptr;
  const double offset = qv::StrtodC(text.c_str(), &end);
  if (end == text.c_str()) return;
  const char* rest = end;
  const double scale = qv::StrtodC(rest, &end);
  LibraryState& s = State();
  if (std::isfinite(offset)) s.tensionOffset = offset;
  if (end != rest && std::isfinite(scale)) s.tensionScale = scale;
}

void OpenThermoLogger() {
  BindThermoLogger();
  ThermoLogger* t = Thermo();
  t->open(2);
  if (t->open(1)) {
    t->setResolution(1, 13);
    for (int16_t ch = 1; ch <= 8; ++ch) t->setChannel(1, ch, 'K', 10, 0, 0);
    State().thermoPresent = true;
  }
  t->close(2);
}

void WriteDefaultPickingParameters(SharedSonicBlock* b) {
  b->nearStart = 0;
  b->nearLongWindow = 200;
  b->nearShortWindow = 25;
  b->nearThreshold = 2.0f;
  b->farStart = 0;
  b->farLongWindow = 400;
  b->farShortWindow = 10;
  b->farThreshold = 2.5f;
  b->nearPick = 0;
  b->farPick = 0;
  b->spacingFactor = 1.0f;
}

// The one-time work of the first configuration of a loaded library.
void FirstConfiguration() {
  LibraryState& s = State();
  s.firstConfiguration = false;
  if (SharedSonicBlock* b = SharedBlock()) b->word80 = 0;
  ReadTensionFile();
  s.debugTrace = FindProgramFile("DEBUG_LUMBRACODER").empty() ? 0 : 1;
  if (!FindProgramFile("NEVA_THRM").empty()) OpenThermoLogger();
  if (!FindProgramFile(kWaveProgram).empty()) {
    s.waveProgramPresent = true;
    if (SharedSonicBlock* b = SharedBlock()) WriteDefaultPickingParameters(b);
  }
}

// The locked IN requests: the caller's block is filled only from a reply that
// came; a failure is stored for GetAnalogStatus.
template <class Fill>
uint32_t LockedRequestIn(uint8_t code, const void* block, Fill fill) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return Refuse();
  uint8_t r[8];
  const uint32_t st = VendorRequestIn(code, r);
  if (st)
    StoreStatus(st);
  else
    fill(r);
  return st;
}

// The seven bytes of request 0x40; the per-standard word is that of wordOf.
uint32_t SendLoggingMode(uint8_t std, uint8_t tool, int16_t value, uint8_t mode, uint8_t wordOf) {
  const auto word = static_cast<uint16_t>(wordOf < 30 ? kStandardWords[wordOf] : 0);
  const auto v = static_cast<uint16_t>(value);
  const uint8_t data[7] = {std,
                           tool,
                           static_cast<uint8_t>(v),
                           static_cast<uint8_t>(v >> 8),
                           static_cast<uint8_t>(word),
                           static_cast<uint8_t>(word >> 8),
                           mode};
  return VendorRequestOut(kReqLoggingMode, data, 7);
}

// Starts the waveform program unless it runs. A start that failed leaves it
// marked not started, so the next command 106 tries again, and is reported.
uint32_t StartWaveProgram() {
  SharedSonicBlock* b = SharedBlock();
  if (!b) {
    qv::Trace("TBdevice: no shared block; %s not started", kWaveProgram);
    return TB_STATUS_REQUEST_FAILED;
  }
  if (b->spawned) return 0;
  b->terminate = 0;
  std::string path = FindProgramFile(kWaveProgram);
  if (path.empty()) path = ProgramFolder() + "/" + kWaveProgram;
  if (!qv::StartDetached(path, {"two"}, ProgramFolder())) {
    qv::Trace("TBdevice: %s did not start", path.c_str());
    return TB_STATUS_REQUEST_FAILED;
  }
  b->spawned = 1;
  return 0;
}

}  // namespace
}  // namespace tbdev

using namespace tbdev;

extern "C" uint32_t InitialiseLumbracoder(UnitConfigBlock* block) {
  if (!block) return TB_STATUS_BAD_PARAMETER;
  LibraryState& s = State();
  if (s.firstConfiguration) FirstConfiguration();
  if (!s.firmwareLoaded) {
    // Retried by every call until the unit has its firmware.
    if (!s.device || !s.attached) return TB_STATUS_NOT_ATTACHED;
    const uint32_t fw = DownloadAllFirmware();
    if (fw) return fw;
    s.firmwareLoaded = true;
  }
  const unsigned scaled = block->depthUnitCode * 16u / 10u;
  if (scaled > 255) return TB_STATUS_BAD_PARAMETER;
  s.depthUnitCode = block->depthUnitCode;
  block->depthUnitCode = static_cast<uint8_t>(scaled);
  const uint8_t data[5] = {block->encoderId, block->reverseWheelDirection, block->depthUnitCode, block->winchId, 4};
  const uint32_t st = VendorRequestOut(kReqConfigure, data, 5);
  if (st) return st;
  if (s.winchStart) {
    if (s.debugTrace) {
      Send_Winch(255);
      qv::ShowMessageBox("ENTERING DEBUG MODE", "");
    }
    s.winchStart = false;
    Send_Winch(48);
  }
  return st;
}

extern "C" uint32_t SetCableIface(CableInterfaceBlock* block) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return Refuse();
  int32_t rate = block->bitRate;
  if (rate >= 0 && rate <= 11) rate = kBitRates[rate];
  if (rate < 0 || rate > 0xFFFFFF || block->threshold > 255 || block->cableType > 255 || block->pulseWidth > 255)
    return Refuse();
  const uint8_t data[8] = {static_cast<uint8_t>(block->threshold),
                           static_cast<uint8_t>(block->cableType),
                           block->drive,
                           block->gain,
                           static_cast<uint8_t>(block->pulseWidth),
                           static_cast<uint8_t>(rate),
                           static_cast<uint8_t>(rate >> 8),
                           static_cast<uint8_t>(rate >> 16)};
  const uint32_t st = VendorRequestOut(kReqSetCable, data, 8);
  StoreStatus(st);
  return st;
}

extern "C" uint32_t GetCableIface(CableInterfaceBlock* block) {
  return LockedRequestIn(kReqGetCable, block, [block](const uint8_t* r) {
    block->bitRate = r[5] | (r[6] << 8) | (r[7] << 16);
    block->threshold = r[0];
    block->cableType = r[1];
    block->pulseWidth = r[4];
    block->drive = r[2];
    block->gain = r[3];
  });
}

extern "C" uint32_t IdentifyLumbracoder(UnitIdentityBlock* block) {
  return LockedRequestIn(kReqIdentify, block, [block](const uint8_t* r) {
    auto w = [r](int i) { return static_cast<uint16_t>(r[i] | (r[i + 1] << 8)); };
    block->zero = 0;
    block->word1 = w(4);
    block->word2 = w(0);
    block->word3 = w(6);
    block->word4 = w(2);
  });
}

extern "C" uint32_t SetLoggingMode(LoggingModeBlock* block) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return Refuse();
  LibraryState& s = State();
  StoreStatus(0);
  const bool on = block->comStd != 0 && block->toolType != 0;
  if (on == (s.logging != 0)) return 0;  // the caller switches off before it selects another mode
  const uint16_t modeWord = static_cast<uint16_t>(block->toolType << 8 | block->comStd);
  uint32_t st = 0;
  if (on) {
    uint8_t std = block->comStd, tool = block->toolType;
    if (modeWord == kModeTwelveSpeed) {
      // Only the wire bytes say standard 1, tool 9: the caller's block and the
      // library's mode word keep 0x81A, so the same block switches it on again.
      std = 1;
      tool = 9;
    }
    if (std >= 30) return Refuse();
    s.logging = 1;
    s.modeWord = modeWord;
    s.modeByte = block->mode;
    ResetReadState();
    ResetSonicExchange();
    st = SendLoggingMode(std, tool, block->value, block->mode, std);
    if (st) {
      s.logging = 0;  // the unit did not take it: a repeat sends it again
    } else {
      const int standard = modeWord & 0xFF;
      if (standard >= 20 && standard <= 24) ApplyAdapterSettings();
      StartToolCommands();
    }
  } else {
    s.logging = 0;
    s.modeWord = modeWord;
    s.modeByte = block->mode;
    // Off: standard and tool 0; the per-standard word still follows byte 0.
    if (s.attached) st = SendLoggingMode(0, 0, block->value, block->mode, block->comStd);
  }
  StoreStatus(st);
  return st;
}

extern "C" uint32_t SetSampleInterval(int interval) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (interval < 0 || interval > 0xFFFF) return Refuse();
  const uint8_t data[2] = {static_cast<uint8_t>(interval), static_cast<uint8_t>(interval >> 8)};
  const uint32_t st = VendorRequestOut(kReqSampleInterval, data, 2);
  StoreStatus(st);
  return st;
}

extern "C" uint32_t SetSondePower(SondePowerBlock* block) {
  if (!State().firmwareLoaded) return 0;  // the unit is not configured yet
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return Refuse();
  const auto bytes = tb::ToBytes(*block);
  const uint32_t st = VendorRequestOut(kReqSondePower, bytes.data(), 6);
  StoreStatus(st);
  return st;
}

extern "C" uint32_t SendSondeCommand(SondeCommandBlock* block) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return TB_STATUS_BAD_PARAMETER;
  LibraryState& s = State();
  const uint16_t mode = s.modeWord;
  if (mode == 0x80A || mode == 0x819 || mode == kModeFullWave) {
    if (--s.sondeCommandCounter > 0) return 0;  // only every third call goes out
    s.sondeCommandCounter = 3;
    if (mode == kModeFullWave && block->code == 106) return StartWaveProgram();
  }
  const auto bytes = tb::ToBytes(*block);
  const uint32_t st = VendorRequestOut(kReqSondeCommand, bytes.data(), 6);
  if (mode >= 0x414 && mode <= 0x418) {
    Adapter a;
    const int index = block->code & 7;
    if (index >= 1 && index <= 6 && ReadAdapterFile(&a)) {
      if (block->value < 0 || block->value > 255) {
        qv::Trace("TBdevice: adapter value %d does not fit a byte; not kept", block->value);
      } else {
        a.v[index] = block->value;
        if (!WriteAdapterFile(a)) qv::Trace("TBdevice: ADAPTER.TXT cannot be written");
      }
    }
  }
  return st;
}

extern "C" uint32_t SetWinch(WinchControlBlock* block) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!block) return Refuse();
  if (block->speed == 0) block->speed = 1;
  const uint8_t data[2] = {block->setting, block->speed};
  const uint32_t st = VendorRequestOut(kReqWinch, data, 2);
  StoreStatus(st);
  return st;
}

extern "C" uint32_t Send_Winch(int value) {
  if (value < 0 || value > 255) return TB_STATUS_BAD_PARAMETER;
  const uint8_t data[1] = {static_cast<uint8_t>(value)};
  return VendorRequestOut(kReqSendWinch, data, 1);
}

extern "C" uint32_t Set_Depth(int32_t depth) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  uint8_t data[4];
  tb::LeWriter(data).i32(depth);
  const uint32_t st = VendorRequestOut(kReqSetDepth, data, 4);
  StoreStatus(st);
  return st;
}

extern "C" uint32_t GetAbsDepth(int* depth) {
  return LockedRequestIn(kReqAbsDepth, depth, [depth](const uint8_t* r) { *depth = tb::LeReader(r + 4).i32(); });
}

extern "C" uint32_t GetAnalogStatus(AnalogStatusBlock* block) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  FillAnalogStatus(block);
  return Word(State().lastFirst, State().lastSecond);
}

extern "C" uint32_t SendConfig(SonicConfigBlock* block) {
  if (!block) return TB_STATUS_BAD_PARAMETER;
  const uint16_t mode = State().modeWord;
  uint8_t flags = 0;
  if (mode == 0xA1A) flags = 7;
  if (mode >= 0xA1B && mode <= 0xA1D) flags = 3;
  if (block->sampleInterval == 8) flags += 8;
  if (block->sampleInterval == 16) flags += 16;
  const uint8_t data[7] = {flags,
                           block->gain[0],
                           block->gain[1],
                           block->gain[2],
                           static_cast<uint8_t>(block->threshold[0]),
                           static_cast<uint8_t>(block->threshold[1]),
                           static_cast<uint8_t>(block->threshold[2])};
  return VendorRequestOut(kReqSonicConfig, data, 7);
}
