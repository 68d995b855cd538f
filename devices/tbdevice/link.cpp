// The link to the unit: library load and unload, the USB link, the vendor
// request loops, the status request before every data read, the library
// mutex, the watchdog and the diagnostic switch.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "devices/simulator/unit/lumbracoder.h"
#include "devices/tbdevice/internal.h"
#include "devices/thrm32/thrm32.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/trace/trace.h"

namespace tbdev {
namespace {

// Heap objects, so that no static destructor of the process can free them
// before the library's own unload has run; ReleaseGlobals frees them.
LibraryState* g_state = nullptr;

struct Globals {
  Timing timing;
  std::unique_ptr<qv::RecursiveTimedMutex> libraryMutex;
  qv::SharedMemory shared;
  bool loaded = false;
  ToolkitFactory factory;
  std::vector<EmbeddedImage> embedded;
  std::shared_ptr<ThermoLogger> thermo;
};

Globals* g_globals = nullptr;

Globals& G() {
  if (!g_globals) g_globals = new Globals;
  return *g_globals;
}

std::shared_ptr<qv::usb::Toolkit> DefaultToolkit() {
  const char* sim = std::getenv("QUORVANTA_SIMULATOR");
  if (sim && *sim) {
    if (std::strcmp(sim, "1") == 0) return std::make_shared<qv::sim::Lumbracoder>();
    std::string error;
    std::shared_ptr<qv::sim::Lumbracoder> unit = qv::sim::Lumbracoder::FromScenario(sim, &error);
    if (unit) return unit;
    qv::Trace("TBdevice: %s; the simulated unit stays absent", error.c_str());
    auto absent = std::make_shared<qv::sim::Lumbracoder>();
    qv::sim::Faults f;
    f.absentAtOpen = true;
    absent->SetFaults(f);
    return absent;
  }
  return qv::usb::CreateLibusbToolkit();
}

std::string SharedBlockName() {
  // Tests running side by side give each run its own block.
  const char* name = std::getenv("QUORVANTA_SHARED_BLOCK");
  return name && *name ? name : "dllmemfilemap";
}

}  // namespace

Timing& TimingTable() {
  return G().timing;
}

void Pause(uint32_t ms) {
  if (ms) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

LibraryState& State() {
  if (!g_state) g_state = new LibraryState;
  return *g_state;
}

void ResetForTests() {
  CloseUsbLink();
  delete g_state;
  g_state = new LibraryState;
}

// ---------------------------------------------------------------------------
// Load and unload

bool LibraryLoad() {
  Globals& g = G();
  if (g.loaded) return true;
  g.libraryMutex = std::make_unique<qv::RecursiveTimedMutex>();
  if (!g.shared.Open(SharedBlockName(), sizeof(SharedSonicBlock))) {
    qv::Trace("TBdevice: the shared block %s cannot be mapped", SharedBlockName().c_str());
    g.libraryMutex.reset();
    return false;
  }
  g.loaded = true;
  return true;
}

void LibraryUnload() {
  Globals& g = G();
  if (!g.loaded) return;
  if (SharedSonicBlock* b = SharedBlock()) b->terminate = 1;  // the waveform program ends
  g.shared.Close();
  CloseUsbLink();
  g.libraryMutex.reset();
  g.loaded = false;
}

bool LibraryLoaded() {
  return G().loaded;
}

void ReleaseGlobals() {
  delete g_state;
  g_state = nullptr;
  delete g_globals;
  g_globals = nullptr;
}

SharedSonicBlock* SharedBlock() {
  return static_cast<SharedSonicBlock*>(G().shared.Data());
}

void SetToolkitFactory(ToolkitFactory factory) {
  G().factory = std::move(factory);
}

// ---------------------------------------------------------------------------
// Files in the program folder

std::string ProgramFolder() {
  return qv::ProgramFolder();
}

void SetProgramFolder(const std::string& folder) {
  qv::SetProgramFolder(folder);
}

std::string FindProgramFile(const std::string& name) {
  const std::string path = qv::FindFileNoCase(qv::JoinPath(ProgramFolder(), name));
  return ::access(path.c_str(), F_OK) == 0 ? path : std::string();
}

bool WriteProgramFile(const std::string& name, const std::string& text) {
  std::string path = FindProgramFile(name);
  if (path.empty()) path = qv::JoinPath(ProgramFolder(), name);
  return qv::WriteFileAtomically(path, text);
}

void SetEmbeddedImages(std::vector<EmbeddedImage> images) {
  G().embedded = std::move(images);
}

const EmbeddedImage* FindEmbeddedImage(int resourceId) {
  for (const EmbeddedImage& e : G().embedded)
    if (e.resourceId == resourceId) return &e;
  return nullptr;
}

// ---------------------------------------------------------------------------
// The library mutex

DeviceLock::DeviceLock() {
  if (!G().libraryMutex) {
    acquired_ = true;  // not loaded: nothing to serialise on
    return;
  }
  acquired_ = G().libraryMutex->Lock(TimingTable().libraryLockMs);
  if (!acquired_) qv::Trace("TBdevice: the library mutex was not free within %u ms", TimingTable().libraryLockMs);
}

DeviceLock::~DeviceLock() {
  if (acquired_ && G().libraryMutex) G().libraryMutex->Unlock();
}

void StoreStatus(uint32_t word) {
  State().lastFirst = static_cast<uint8_t>(word & 0xFF);
  State().lastSecond = static_cast<uint8_t>((word >> 8) & 0xFF);
}

void DebugTrace(const char* fmt, unsigned long value) {
  if (State().debugTrace) qv::usb::DebugPrint(fmt, value);
}

// ---------------------------------------------------------------------------
// The link

void CloseUsbLink() {
  LibraryState& s = State();
  if (s.toolkit && s.toolkitStarted) s.toolkit->Uninit();
  s.toolkitStarted = false;
  s.toolkit.reset();
  s.attachEvent.reset();
  s.attached = 0;
  s.device = nullptr;
}

namespace {

bool OnDeviceAttach(qv::usb::Device device, const qv::usb::DeviceInfo&) {
  LibraryState& s = State();
  s.device = device;
  if (device && s.toolkit) s.toolkit->SetInterface(device, 0, 0);
  s.attached = 1;
  if (s.attachEvent) s.attachEvent->Set();
  return true;
}

// The device handle stays: a unit that comes back gets a new one.
void OnDeviceDetach(qv::usb::Device) {
  State().attached = 0;
}

bool WaitForAttach(uint32_t ms) {
  LibraryState& s = State();
  return s.attachEvent && s.attachEvent->Wait(ms) == qv::WaitResult::Signaled;
}

qv::usb::SetupPacket VendorSetup(bool in, uint8_t code, uint16_t length) {
  qv::usb::SetupPacket p;
  p.requestType = in ? 0xC0 : 0x40;
  p.request = 0x0C;
  p.value = 0;
  p.index = code;
  p.length = length;
  return p;
}

// One try of a request; true when the transfer went through (a stall of an
// OUT request counts as delivered).
bool TryRequest(bool in, uint8_t code, uint8_t* data, uint16_t length, qv::usb::Status* why) {
  LibraryState& s = State();
  if (!s.toolkit) return false;
  uint32_t moved = 0;
  const qv::usb::Status st = s.toolkit->TransferDefaultPipe(
      s.device, in, data, length, &moved, VendorSetup(in, code, length), TimingTable().controlTimeoutMs);
  *why = st;
  if (st == qv::usb::kSuccess) return moved == length;  // a short reply is no reply
  return !in && st == qv::usb::kStall;
}

// The retry loop of both request kinds: three tries while the unit is
// attached; while it is not, each try waits for it to come back.
uint32_t RequestLoop(bool in, uint8_t code, uint8_t* data, uint16_t length) {
  LibraryState& s = State();
  uint32_t status = 0;
  int tries = 3;
  while (tries > 0) {
    if (s.attached) {
      qv::usb::Status why = 0;
      if (TryRequest(in, code, data, length, &why)) return 0;
      status = TB_STATUS_REQUEST_FAILED;
      DebugTrace(in ? "LB REQUEST IN: 0x%lx\n" : "LB REQUEST OUT: 0x%lx\n", why);
      if (!in && s.toolkit && s.attached) s.toolkit->ResetDevice(s.device);
      --tries;
    } else if (WaitForAttach(TimingTable().requestAttachWaitMs)) {
      continue;  // back again: the try does not count
    } else {
      status = TB_STATUS_NOT_ATTACHED;
      --tries;
    }
  }
  return status;
}

}  // namespace

uint32_t VendorRequestIn(uint8_t code, uint8_t reply[8]) {
  uint8_t buf[8] = {};
  const uint32_t st = RequestLoop(true, code, buf, 8);
  if (st == 0) std::memcpy(reply, buf, 8);  // a failed request leaves the caller's reply alone
  return st;
}

uint32_t VendorRequestOut(uint8_t code, const uint8_t* data, uint16_t length) {
  uint8_t buf[16] = {};
  if (length > sizeof buf) return TB_STATUS_BAD_PARAMETER;
  if (length) std::memcpy(buf, data, length);
  return RequestLoop(false, code, buf, length);
}

int16_t TensionFromRaw(int16_t raw) {
  const LibraryState& s = State();
  const double t = std::trunc((static_cast<double>(raw) - s.tensionOffset) * s.tensionScale);
  if (!(t >= -32768.0 && t <= 32767.0)) return t > 0 ? 32767 : -32768;  // a scale from the file may overshoot
  return static_cast<int16_t>(t);
}

void FillAnalogStatus(AnalogStatusBlock* status) {
  if (!status) return;
  const LibraryState& s = State();
  status->status1 = s.analog[0];
  status->status2 = s.analog[1];
  status->status3 = s.analog[2];
  status->zero = 0;
  status->tension = TensionFromRaw(s.rawTension);
}

uint32_t ReadStatusAndData(uint8_t* buffer, AnalogStatusBlock* status, uint32_t length) {
  LibraryState& s = State();
  if (!s.attached || !s.toolkit) return TB_STATUS_NOT_ATTACHED;
  uint8_t reply[8] = {};
  uint32_t moved = 0;
  const qv::usb::Status st = s.toolkit->TransferDefaultPipe(
      s.device, true, reply, 8, &moved, VendorSetup(true, kReqStatus, 8), TimingTable().controlTimeoutMs);
  if (st != qv::usb::kSuccess || moved != 8) {
    DebugTrace("LB STATUS REQ: 0x%lx\n", st);
    s.toolkit->ResetDevice(s.device);
    return TB_STATUS_NO_DATA;
  }
  s.lastFirst = reply[0];
  s.lastSecond = reply[1];
  s.rawTension = static_cast<int16_t>(reply[2] | (reply[3] << 8));
  s.analog[0] = reply[4];
  s.analog[1] = reply[5];
  s.analog[2] = reply[6];
  FillAnalogStatus(status);
  const uint32_t word = Word(reply[0], reply[1]);
  if (reply[0] != TB_STATUS_DATA) return word;
  if (!s.attached) return TB_STATUS_NOT_ATTACHED;
  if (!buffer) return word;
  if (length > 0x7FFF) return TB_STATUS_BAD_PARAMETER;
  const qv::usb::Status bst =
      s.toolkit->TransferBulk(s.device, kPipeBulkIn, true, buffer, length, &moved, TimingTable().bulkTimeoutMs);
  if (bst != qv::usb::kSuccess || moved != length) {
    DebugTrace("BULK READ: 0x%lx\n", bst == qv::usb::kSuccess ? qv::usb::kShort : bst);
    return TB_STATUS_NO_DATA;  // a short record is no record
  }
  return Word(TB_STATUS_DATA, reply[1]);
}

// ---------------------------------------------------------------------------
// The thermocouple logger

void SetThermoLogger(std::shared_ptr<ThermoLogger> logger) {
  G().thermo = std::move(logger);
}

ThermoLogger* Thermo() {
  return G().thermo.get();
}

// libthrm32 is linked at load time; only the marker NEVA_THRM makes the
// library use it.
bool BindThermoLogger() {
  Globals& g = G();
  if (g.thermo) return true;
  auto t = std::make_shared<ThermoLogger>();
  t->open = thrm_open_unit;
  t->close = thrm_close_unit;
  t->setResolution = thrm_set_resolution;
  t->setChannel = thrm_set_channel;
  t->getTemp = thrm_get_temp;
  g.thermo = t;
  return true;
}

}  // namespace tbdev

// ---------------------------------------------------------------------------
// Exports

using namespace tbdev;

extern "C" uint32_t InitialisePCMLink(void) {
  LibraryState& s = State();
  CloseUsbLink();  // a second call starts afresh
  s.attachEvent = std::make_unique<qv::Event>(false);
  ToolkitFactory factory = G().factory ? G().factory : ToolkitFactory(DefaultToolkit);
  s.toolkit = factory();
  if (!s.toolkit) {
    CloseUsbLink();
    return TB_STATUS_LINK_NOT_OPEN;
  }
  const qv::usb::MatchEntry match[1] = {{kVendorId, kProductId, 0, 0, 0, 0, 0}};
  qv::usb::Callbacks cb;
  cb.attach = OnDeviceAttach;
  cb.detach = OnDeviceDetach;
  if (s.toolkit->Init(match, cb) != qv::usb::kSuccess) {
    CloseUsbLink();
    return TB_STATUS_LINK_NOT_OPEN;
  }
  s.toolkitStarted = true;
  if (!WaitForAttach(TimingTable().linkAttachWaitMs)) {
    qv::Trace("TBdevice: no unit on the bus");
    CloseUsbLink();
    return TB_STATUS_LINK_NOT_OPEN;
  }
  s.toolkit->ResetPipe(s.device, kPipeBulkOut);
  s.toolkit->ResetPipe(s.device, kPipeBulkIn);
  s.toolkit->ResetDevice(s.device);
  VendorRequestOut(kReqLinkStart, nullptr, 0);
  Pause(TimingTable().linkStartPauseMs);
  return TB_STATUS_LINK_OPEN;
}

extern "C" uint32_t Status_watchdog(void) {
  DeviceLock lock;
  LibraryState& s = State();
  if (lock.Acquired() && !s.logging && s.attached) VendorRequestOut(kReqWatchdog, nullptr, 0);
  return 0;
}

extern "C" void Diagnostic_on(void) {
  State().diagnostic = 1;
}
extern "C" void Diagnostic_off(void) {
  State().diagnostic = 0;
}
