#include "devices/simulator/unit/lumbracoder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "devices/simulator/unit/sonde_data.h"
#include "platform/profile/profile.h"

namespace qv::sim {
namespace {

using qv::usb::kFailed;
using qv::usb::kInvalid;
using qv::usb::kNoDevice;
using qv::usb::kShort;
using qv::usb::kStall;
using qv::usb::kSuccess;
using qv::usb::Status;

constexpr uint8_t kVendorRequest = 0x0C;
constexpr uint8_t kBulkIn = 0x82;
constexpr uint8_t kBulkOut = 0x02;
constexpr uint32_t kFirmwarePacket = 64;

struct CommandSpec {
  uint8_t code;
  bool in;
  uint16_t length;
};

// Every vendor request the unit knows, with its direction and data length.
constexpr CommandSpec kCommands[] = {
    {kCmdLoggingMode, false, 7}, {kCmdSampleInterval, false, 2}, {kCmdConfigure, false, 5},
    {kCmdSondePower, false, 6},  {kCmdSetCable, false, 8},       {kCmdGetCable, true, 8},
    {kCmdIdentify, true, 8},     {kCmdSondeCommand, false, 6},   {kCmdWinch, false, 2},
    {kCmdStatus, true, 8},       {kCmdSetDepth, false, 4},       {kCmdWatchdog, false, 0},
    {kCmdSendWinch, false, 1},   {kCmdAbsDepth, true, 8},        {kCmdLinkStart, false, 0},
    {kCmdSonicConfig, false, 7},
};

const CommandSpec* FindCommand(uint16_t code) {
  for (const CommandSpec& c : kCommands)
    if (c.code == code) return &c;
  return nullptr;
}

// Image codes in download order, with the words each 64-byte packet carries.
struct ImageSpec {
  uint8_t code;
  uint16_t wordsPerPacket;
};
constexpr ImageSpec kImages[] = {{0xAC, 30}, {0xAA, 20}, {0xAB, 60}};

void PutLe32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t GetLe32(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

// The sonde on the cable: a load of about one kilohm, so it draws one
// milliampere per volt of supply up to the unit's current limit. The analog
// status reports the supply current in mA (byte 1) and the supply voltage in
// units of 4 V (byte 2); both bytes saturate at 255.
constexpr int kSondeLoadOhms = 1000;

std::array<uint8_t, 3> AnalogOfPower(const uint8_t* block) {
  const int volts = std::abs(static_cast<int16_t>(block[0] | (block[1] << 8)));
  const int limit = std::abs(static_cast<int16_t>(block[2] | (block[3] << 8)));
  const int milliamps = std::min(volts * 1000 / kSondeLoadOhms, limit);
  return {static_cast<uint8_t>(std::min(milliamps, 255)), static_cast<uint8_t>(std::min((volts + 2) / 4, 255)), 0};
}

// The journal and the error list keep the latest entries only, so that a
// unit that runs for days does not grow without end.
template <class T>
void KeepLatest(std::vector<T>& v) {
  constexpr size_t kMost = 100000;
  if (v.size() > kMost) v.erase(v.begin(), v.begin() + kMost / 2);
}

bool Spoil(int& counter) {
  if (counter <= 0) return false;
  --counter;
  return true;
}

}  // namespace

Lumbracoder::Lumbracoder(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {
  lastModelMs_ = clock_->NowMs();
}

Lumbracoder::~Lumbracoder() = default;

std::unique_ptr<Lumbracoder> Lumbracoder::FromScenario(const std::string& path, std::string* error) {
  if (::access(path.c_str(), R_OK) != 0) {
    if (error) *error = "cannot read scenario file " + path;
    return nullptr;
  }
  constexpr char kSection[] = "Lumbracoder";
  auto text = [&](const char* key) { return qv::GetProfileText(path, kSection, key); };
  auto number = [&](const char* key, long lo, long hi, long def, long* out) {
    const std::string v = text(key);
    if (v.empty()) {
      *out = def;
      return true;
    }
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (*end || n < lo || n > hi) {
      if (error)
        *error = path + ": [Lumbracoder] " + key + " = " + v + " is not a number from " + std::to_string(lo) + " to " +
                 std::to_string(hi);
      return false;
    }
    *out = n;
    return true;
  };
  Faults f;
  UnitState st;
  DataOptions d;
  long absent = 0, depth = 0, tension = 0, pattern = 0, queue = 256;
  if (!number("Absent", 0, 1, 0, &absent) || !number("Depth", -2000000000L, 2000000000L, 0, &depth) ||
      !number("Tension", -32768, 32767, 0, &tension) || !number("Pattern", 0, 1, 0, &pattern) ||
      !number("Queue", 1, 100000, 256, &queue))
    return nullptr;
  f.absentAtOpen = absent != 0;
  st.depth = st.absDepth = static_cast<int32_t>(depth);
  st.rawTension = static_cast<int16_t>(tension);
  d.pattern = pattern != 0;
  d.queueCapacity = static_cast<size_t>(queue);
  const std::string identity = text("Identity");
  if (!identity.empty()) {
    std::istringstream in(identity);
    for (auto& b : st.identity) {
      unsigned v = 0;
      if (!(in >> std::hex >> v) || v > 255) {
        if (error) *error = path + ": [Lumbracoder] Identity needs eight hex bytes";
        return nullptr;
      }
      b = static_cast<uint8_t>(v);
    }
  }
  Well well;
  if (!Well::FromScenario(path, &well, error)) return nullptr;
  FlowScript flow;
  if (!FlowFromScenario(path, &flow, error)) return nullptr;
  auto unit = std::make_unique<Lumbracoder>();
  unit->SetWell(well);
  unit->SetFlow(flow);
  unit->SetFaults(f);
  unit->SetState(st);
  unit->SetDataOptions(d);
  return unit;
}

// ---------------------------------------------------------------------------
// Toolkit side

Status Lumbracoder::Init(std::span<const qv::usb::MatchEntry> match, qv::usb::Callbacks callbacks) {
  bool matches = false;
  for (const auto& m : match)
    if (m.vendorId == kUnitVendorId && m.productId == kUnitProductId) matches = true;
  bool attach = false;
  {
    std::lock_guard<std::mutex> lock(m_);
    callbacks_ = std::move(callbacks);
    initialised_ = true;
    present_ = !faults_.absentAtOpen;
    attach = matches && present_;
  }
  if (!matches) ProtocolError("match table does not name the unit");
  if (attach) Attach();
  return kSuccess;
}

void Lumbracoder::Uninit() {
  std::lock_guard<std::mutex> lock(m_);
  initialised_ = false;
  attached_ = false;
  callbacks_ = {};
}

void Lumbracoder::Attach() {
  std::function<bool(qv::usb::Device, const qv::usb::DeviceInfo&)> cb;
  {
    std::lock_guard<std::mutex> lock(m_);
    present_ = true;
    if (!initialised_ || attached_) return;
    attached_ = true;
    cb = callbacks_.attach;
  }
  if (cb) cb(this, qv::usb::DeviceInfo{kUnitVendorId, kUnitProductId});
}

void Lumbracoder::Detach() {
  std::function<void(qv::usb::Device)> cb;
  {
    std::lock_guard<std::mutex> lock(m_);
    present_ = false;
    if (!attached_) return;
    attached_ = false;
    cb = callbacks_.detach;
  }
  if (cb) cb(this);
}

bool Lumbracoder::Attached() const {
  std::lock_guard<std::mutex> lock(m_);
  return attached_;
}

Status Lumbracoder::SetInterface(qv::usb::Device device, unsigned iface, unsigned alt) {
  std::lock_guard<std::mutex> lock(m_);
  if (device != this || !attached_) return kNoDevice;
  if (iface != 0 || alt != 0) {
    errors_.push_back("interface " + std::to_string(iface) + "/" + std::to_string(alt) + " does not exist");
    return kInvalid;
  }
  state_.interfaceSet = true;
  return kSuccess;
}

Status Lumbracoder::ResetPipe(qv::usb::Device device, uint8_t pipe) {
  std::lock_guard<std::mutex> lock(m_);
  if (device != this || !attached_) return kNoDevice;
  if (pipe != kBulkIn && pipe != kBulkOut) {
    errors_.push_back("reset of unknown pipe " + std::to_string(pipe));
    return kInvalid;
  }
  ++state_.pipeResets;
  return kSuccess;
}

Status Lumbracoder::ResetDevice(qv::usb::Device device) {
  std::lock_guard<std::mutex> lock(m_);
  if (device != this || !attached_) return kNoDevice;
  ++state_.deviceResets;
  return kSuccess;
}

Status Lumbracoder::TransferDefaultPipe(qv::usb::Device device, bool read, uint8_t* buffer, uint32_t length,
                                        uint32_t* transferred, const qv::usb::SetupPacket& setup, uint32_t) {
  if (transferred) *transferred = 0;
  std::lock_guard<std::mutex> lock(m_);
  KeepLatest(journal_);
  KeepLatest(errors_);
  if (device != this || !attached_) return kNoDevice;
  auto error = [&](const std::string& what) {
    char head[64];
    std::snprintf(head, sizeof head, "request 0x%02X: ", setup.index);
    errors_.push_back(head + what);
    return kStall;
  };
  if (setup.requestType != (read ? 0xC0 : 0x40)) return error("bad request type");
  if (setup.request != kVendorRequest) return error("bad request");
  if (setup.value != 0) return error("wValue not 0");
  const CommandSpec* spec = FindCommand(setup.index);
  if (!spec) return error("unknown command code");
  if (spec->in != read) return error("wrong direction");
  if (setup.length != spec->length || length != spec->length) return error("wrong length");
  if (length && !buffer) return error("no buffer");
  if (Spoil(faults_.failControl)) return kFailed;
  AdvanceModel();
  if (read) {
    if (spec->code == kCmdStatus && Spoil(faults_.failStatusRequest)) return kFailed;
    uint8_t reply[8] = {};
    HandleIn(spec->code, reply);
    std::memcpy(buffer, reply, 8);
    journal_.push_back({spec->code, true, std::vector<uint8_t>(reply, reply + 8)});
    if (transferred) *transferred = 8;
    return kSuccess;
  }
  journal_.push_back({spec->code, false, std::vector<uint8_t>(buffer, buffer + length)});
  HandleOut(spec->code, buffer, length);
  if (transferred) *transferred = length;
  if (Spoil(faults_.stallOut)) return kStall;
  return kSuccess;
}

Status Lumbracoder::TransferBulk(qv::usb::Device device, uint8_t pipe, bool read, uint8_t* buffer, uint32_t length,
                                 uint32_t* transferred, uint32_t) {
  if (transferred) *transferred = 0;
  std::lock_guard<std::mutex> lock(m_);
  KeepLatest(errors_);
  KeepLatest(delivered_);
  if (device != this || !attached_) return kNoDevice;
  if (read) {
    if (pipe != kBulkIn) {
      errors_.push_back("bulk read from pipe " + std::to_string(pipe));
      return kStall;
    }
    if (Spoil(faults_.failBulkRead)) return kFailed;
    if (records_.empty()) return qv::usb::kTimeout;
    std::vector<uint8_t> rec = std::move(records_.front());
    records_.pop_front();
    if (rec.size() > length) {
      errors_.push_back("bulk read of " + std::to_string(length) + " bytes for a record of " +
                        std::to_string(rec.size()));
      return kFailed;
    }
    uint32_t n = static_cast<uint32_t>(rec.size());
    if (Spoil(faults_.shortBulkRead)) n /= 2;
    if (n) std::memcpy(buffer, rec.data(), n);
    if (data_.keepDelivered) delivered_.push_back(rec);
    if (transferred) *transferred = n;
    return n < length ? kShort : kSuccess;
  }
  if (pipe != kBulkOut) {
    errors_.push_back("bulk write to pipe " + std::to_string(pipe));
    return kStall;
  }
  if (Spoil(faults_.failBulkWrite)) return kFailed;
  const Status st = ReceiveFirmware(buffer, length);
  if (st == kSuccess && transferred) *transferred = length;
  return st;
}

// ---------------------------------------------------------------------------
// The unit

void Lumbracoder::ProtocolError(std::string what) {
  std::lock_guard<std::mutex> lock(m_);
  errors_.push_back(std::move(what));
}

// The depth encoder's wheel turns the same for either unit; what a count is
// worth is the unit's set-up. The program tells the unit its depth unit in
// the configuration (byte 2: 80 for feet, 16 for metres, the library's
// rewrite of 50 and 10), and reads a count as 0.05 ft or 1 cm accordingly.
// The unit counts in that unit, so its sensors read the well at their true
// depth in either; before any configuration, and for any other code, it counts
// centimetres.
bool CountsFeet(const UnitState& state) {
  return state.configured && state.config[2] == kDepthUnitFeet;
}

// The winch moves the depth counter: direction 2 lowers the sonde (depth
// grows), 1 raises it, 0 stops it, and 3 (winch mode on) leaves it as it goes;
// the speed byte is tens of depth counts per second. Raising stops at the
// surface, depth 0, as a real winch stops with the sonde at the sheave: the
// winch stands there until it is told to move again. The model runs in whole
// milliseconds of the unit's clock, and while logging the unit makes its
// records as the time or depth steps of the mode are crossed.
void Lumbracoder::AdvanceModel() {
  const uint64_t now = clock_->NowMs();
  if (now <= lastModelMs_) return;
  const int dir = winchDirection_ == 2 ? 1 : (winchDirection_ == 1 ? -1 : 0);
  int64_t perMs = dir * static_cast<int64_t>(winchSpeed_) * 10;  // thousandths of a count
  if (!perMs && !state_.logging) {
    lastModelMs_ = now;
    return;
  }
  for (uint64_t t = lastModelMs_ + 1; t <= now; ++t) {
    if (perMs) {
      depthMilli_ += perMs;
      auto whole = static_cast<int32_t>(depthMilli_ / 1000);
      depthMilli_ -= static_cast<int64_t>(whole) * 1000;
      if (perMs < 0 && state_.depth + whole <= 0) {
        whole = state_.depth > 0 ? -state_.depth : 0;  // at the surface (or set above it)
        depthMilli_ = 0;
        perMs = 0;
        winchDirection_ = winchSpeed_ = 0;
      }
      state_.depth += whole;
      state_.absDepth += whole;
    }
    if (state_.logging) MakeRecord(t);
  }
  lastModelMs_ = now;
}

void Lumbracoder::StartLogging() {
  loggingStartMs_ = lastRecordMs_ = clock_->NowMs();
  lastModelMs_ = std::max(lastModelMs_, loggingStartMs_);
  lastRecordDepth_ = state_.depth;
  recordIndex_ = crossings_ = 0;
  segment_ = 0;
  overflow_ = false;
  records_.clear();
}

// Time modes make a record every period (the mode's value, in ms); the
// logging directions make one at each crossing of a depth step. The
// televiewer's asynchronous mode sends a sweep per turn of the probe's head,
// whatever the mode's value (a depth step) says.
void Lumbracoder::MakeRecord(uint64_t now) {
  const uint8_t std = state_.loggingMode[0], tool = state_.loggingMode[1], mode = state_.loggingMode[6];
  const auto value = static_cast<int16_t>(state_.loggingMode[2] | (state_.loggingMode[3] << 8));
  if (mode == 11 || mode == 12) {
    if (!(std == 12 && mode == 12)) {  // the cable scope runs on time
      const int32_t step = value > 0 ? value : 1;
      if (std::abs(state_.depth - lastRecordDepth_) < step) return;
      lastRecordDepth_ = state_.depth;
      if (data_.overSpeed && (++crossings_ % 2)) return;  // this step is lost
    } else if (now - lastRecordMs_ < static_cast<uint64_t>(value > 0 ? value : 1)) {
      return;
    }
  } else if (mode == kTeleviewerAsyncMode) {
    if (now - lastRecordMs_ < kTeleviewerTurnMs) return;
  } else if (now - lastRecordMs_ < static_cast<uint64_t>(value > 0 ? value : 1000)) {
    return;
  }
  lastRecordMs_ = now;
  SondeSample s;
  s.depth = state_.depth;
  s.timeMs = static_cast<int32_t>(now - loggingStartMs_);
  s.index = recordIndex_++;
  s.comStd = std;
  s.toolType = tool;
  s.pattern = data_.pattern;
  s.well = &well_;
  s.sonicConfig = state_.sonicConfig;
  s.feet = CountsFeet(state_);
  const RecordKind kind = KindOfMode(std, tool, mode);
  const bool waveform = kind == RecordKind::FullWave || kind == RecordKind::CementBond;
  if (waveform && (mode == 11 || mode == 12)) {
    // Logging in depth, a waveform sonde sends one segment of its firing
    // sequence (near, then far) at each depth step, as the logs count them:
    // a record is a depth step for the delay rings, the display and the page.
    if (records_.size() + 1 > data_.queueCapacity) {
      overflow_ = true;
      return;
    }
    std::vector<std::vector<uint8_t>> firing = MakeRecords(kind, s);
    records_.push_back(std::move(firing[segment_++ % firing.size()]));
    return;
  }
  const size_t count = kind == RecordKind::FullWave ? 20 : (kind == RecordKind::CementBond ? 10 : 1);
  if (records_.size() + count > data_.queueCapacity) {
    overflow_ = true;  // the unit has no room: these are lost
    return;
  }
  for (auto& r : MakeRecords(kind, s)) {
    if (kind == RecordKind::SixChannel && mode == 10 && flowmeter_.Active()) flowmeter_.Apply(r, now);
    records_.push_back(std::move(r));
  }
}

void Lumbracoder::HandleOut(uint8_t code, const uint8_t* d, uint32_t n) {
  switch (code) {
    case kCmdLoggingMode:
      std::memcpy(state_.loggingMode.data(), d, 7);
      state_.logging = d[0] != 0 && d[1] != 0;
      if (state_.logging)
        StartLogging();
      else
        records_.clear();
      break;
    case kCmdSampleInterval:
      state_.sampleInterval = static_cast<uint16_t>(d[0] | (d[1] << 8));
      break;
    case kCmdConfigure:
      std::memcpy(state_.config.data(), d, 5);
      state_.configured = true;
      break;
    case kCmdSondePower:
      std::memcpy(state_.power.data(), d, 6);
      state_.analog = AnalogOfPower(d);
      break;
    case kCmdSetCable:
      std::memcpy(state_.cable.data(), d, 8);
      break;
    case kCmdSondeCommand:  // kept in the journal
      flowmeter_.Command(static_cast<int16_t>(d[0] | (d[1] << 8)), clock_->NowMs());
      break;
    case kCmdWinch:
      std::memcpy(state_.winch.data(), d, 2);
      if (d[0] != 3) {
        winchDirection_ = d[0];
        winchSpeed_ = d[1];
      }
      break;
    case kCmdSetDepth:
      state_.depth = GetLe32(d);
      break;
    case kCmdWatchdog:
      ++state_.watchdogs;
      break;
    case kCmdSendWinch:
      state_.sendWinch.push_back(d[0]);
      break;
    case kCmdLinkStart:
      ++state_.linkStarts;
      break;
    case kCmdSonicConfig:
      std::memcpy(state_.sonicConfig.data(), d, 7);
      break;
    default:
      break;
  }
  (void)n;
}

void Lumbracoder::HandleIn(uint8_t code, uint8_t r[8]) {
  switch (code) {
    case kCmdGetCable:
      std::memcpy(r, state_.cable.data(), 8);
      break;
    case kCmdIdentify:
      std::memcpy(r, state_.identity.data(), 8);
      break;
    case kCmdAbsDepth:
      PutLe32(r, state_.depth);
      PutLe32(r + 4, state_.absDepth);
      break;
    case kCmdStatus: {
      uint8_t first = (state_.logging && !records_.empty()) ? 6 : 5;
      if (overflow_) {
        first = 12;  // buffer memory overflow, reported once
        overflow_ = false;
      }
      if (faults_.firstStatus >= 0 && faults_.firstStatus <= 255) first = static_cast<uint8_t>(faults_.firstStatus);
      r[0] = first;
      r[1] = faults_.secondStatus;
      r[2] = static_cast<uint8_t>(state_.rawTension);
      r[3] = static_cast<uint8_t>(static_cast<uint16_t>(state_.rawTension) >> 8);
      r[4] = state_.analog[0];
      r[5] = state_.analog[1];
      r[6] = state_.analog[2];
      break;
    }
    default:
      break;
  }
}

// The download: three images in order MDATA, MPROG, SLAVE; each a run of
// 64-byte packets whose remaining-word count starts at the image's size and
// falls by the image's words per packet, the last packet carrying less than
// one packet's worth; byte 63 is the sum of bytes 0-62.
Status Lumbracoder::ReceiveFirmware(const uint8_t* p, uint32_t length) {
  if (length != kFirmwarePacket || !p) {
    errors_.push_back("firmware packet of " + std::to_string(length) + " bytes");
    return kStall;
  }
  unsigned sum = 0;
  for (int i = 0; i < 63; ++i) sum += p[i];
  if ((sum & 0xFF) != p[63]) {
    errors_.push_back("firmware packet with a bad checksum");
    return kStall;
  }
  const uint8_t code = p[0];
  const uint16_t remaining = static_cast<uint16_t>(p[1] | (p[2] << 8));
  const ImageSpec* spec = nullptr;
  for (const ImageSpec& s : kImages)
    if (s.code == code) spec = &s;
  if (!spec) {
    errors_.push_back("firmware packet with unknown image code " + std::to_string(code));
    return kStall;
  }
  FirmwareImage* img = firmware_.empty() ? nullptr : &firmware_.back();
  if (!img || img->complete || img->code != code) {
    if (img && !img->complete) errors_.push_back("firmware image " + std::to_string(img->code) + " cut short");
    const size_t index = firmware_.size();
    if (index >= 3 || kImages[index].code != code)
      errors_.push_back("firmware image " + std::to_string(code) + " out of order");
    firmware_.push_back(FirmwareImage{code, remaining, {}, 0, false});
    img = &firmware_.back();
  } else {
    const int expected = static_cast<int>(img->words) - static_cast<int>(img->packets) * spec->wordsPerPacket;
    if (remaining != expected)
      errors_.push_back("firmware image " + std::to_string(code) + ": remaining " + std::to_string(remaining) +
                        ", expected " + std::to_string(expected));
  }
  img->data.insert(img->data.end(), p + 3, p + 63);
  ++img->packets;
  if (remaining < spec->wordsPerPacket) img->complete = true;
  return kSuccess;
}

// ---------------------------------------------------------------------------
// Test controls

void Lumbracoder::SetFaults(const Faults& f) {
  std::lock_guard<std::mutex> lock(m_);
  faults_ = f;
}

Faults Lumbracoder::GetFaults() const {
  std::lock_guard<std::mutex> lock(m_);
  return faults_;
}

UnitState Lumbracoder::State() const {
  std::lock_guard<std::mutex> lock(m_);
  return state_;
}

void Lumbracoder::SetState(const UnitState& s) {
  std::lock_guard<std::mutex> lock(m_);
  state_ = s;
}

std::vector<Request> Lumbracoder::Journal() const {
  std::lock_guard<std::mutex> lock(m_);
  return journal_;
}

void Lumbracoder::ClearJournal() {
  std::lock_guard<std::mutex> lock(m_);
  journal_.clear();
}

std::vector<std::string> Lumbracoder::ProtocolErrors() const {
  std::lock_guard<std::mutex> lock(m_);
  return errors_;
}

std::vector<FirmwareImage> Lumbracoder::Firmware() const {
  std::lock_guard<std::mutex> lock(m_);
  return firmware_;
}

bool Lumbracoder::FirmwareLoaded() const {
  std::lock_guard<std::mutex> lock(m_);
  if (firmware_.size() < 3) return false;
  const size_t first = firmware_.size() - 3;  // the latest full download counts
  for (size_t i = 0; i < 3; ++i) {
    const FirmwareImage& img = firmware_[first + i];
    if (img.code != kImages[i].code || !img.complete) return false;
  }
  return true;
}

void Lumbracoder::SetDataOptions(const DataOptions& o) {
  std::lock_guard<std::mutex> lock(m_);
  data_ = o;
}

void Lumbracoder::SetWell(const Well& well) {
  std::lock_guard<std::mutex> lock(m_);
  well_ = well;
}

void Lumbracoder::SetFlow(const FlowScript& flow) {
  std::lock_guard<std::mutex> lock(m_);
  flowmeter_.SetScript(flow);
}

void Lumbracoder::ReverseWinch() {
  std::lock_guard<std::mutex> lock(m_);
  AdvanceModel();
  if (winchDirection_ == 1 || winchDirection_ == 2) winchDirection_ = static_cast<uint8_t>(3 - winchDirection_);
}

std::vector<std::vector<uint8_t>> Lumbracoder::Delivered() const {
  std::lock_guard<std::mutex> lock(m_);
  return delivered_;
}

void Lumbracoder::QueueRecord(std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(m_);
  records_.push_back(std::move(bytes));
}

size_t Lumbracoder::QueuedRecords() const {
  std::lock_guard<std::mutex> lock(m_);
  return records_.size();
}

}  // namespace qv::sim
