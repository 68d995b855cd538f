/* TBdevice: the Lumbracoder's library. Plain C exports; every block and
 * record is owned by the caller and only filled or read during the call.
 * Every export that reports a status returns the 16-bit status word in the
 * low 16 bits of its result: low byte the first status byte, high byte the
 * second (see the TB_STATUS_ values).
 *
 * The structs give the caller's memory layout of each block (little-endian,
 * byte-packed). The C++ section adds explicit little-endian conversions to and
 * from bytes, which is how the library and its callers put blocks on the wire
 * and records into files. */
#ifndef QUORVANTA_TBDEVICE_H
#define QUORVANTA_TBDEVICE_H

#include <stdint.h>

#if defined(__GNUC__)
#define TBDEVICE_API __attribute__((visibility("default")))
#else
#define TBDEVICE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Low-byte codes of the status word produced by the library itself. Other
 * values of either byte come from the unit unchanged. */
enum {
  TB_STATUS_DONE = 0x00,             /* request delivered, or nothing to transfer */
  TB_STATUS_NO_DATA = 0x05,          /* no data, logging off, or the read failed */
  TB_STATUS_DATA = 0x06,             /* a data record was read */
  TB_STATUS_FIRMWARE_MISSING = 0x10, /* a firmware image is neither a file nor built in */
  TB_STATUS_LINK_OPEN = 0x80,        /* InitialisePCMLink: the link is open */
  TB_STATUS_NOT_ATTACHED = 0x81,     /* the unit is not attached */
  TB_STATUS_LINK_NOT_OPEN = 0x82,    /* InitialisePCMLink: the link was not opened */
  /* Codes of the library's own, clear of the unit's codes (0x83, 0x84, 0x85 are the unit's). */
  TB_STATUS_REQUEST_FAILED = 0x86, /* the unit stayed attached but every try of the request failed */
  TB_STATUS_BAD_PARAMETER = 0x87   /* a block is missing or a value does not fit its field on the wire */
};

#pragma pack(push, 1)

/* InitialiseLumbracoder. depthUnitCode: 50 imperial, 10 metric; the library
 * rewrites it in place (x 16 / 10), so callers refill it before every call. */
typedef struct UnitConfigBlock {
  uint8_t encoderId;
  uint8_t reverseWheelDirection;
  uint8_t depthUnitCode;
  uint8_t winchId;
} UnitConfigBlock;

/* SetCableIface / GetCableIface. bitRate 0-11 selects a rate of the bit-rate
 * table, any other value is bit/s (24 bits on the wire). threshold, cableType
 * and pulseWidth go to the unit as one byte each. */
typedef struct CableInterfaceBlock {
  int32_t bitRate;
  uint16_t threshold;
  uint16_t cableType;
  uint16_t pulseWidth;
  uint8_t drive;
  uint8_t gain;
} CableInterfaceBlock;

/* IdentifyLumbracoder: a zero word and four identity words. */
typedef struct UnitIdentityBlock {
  uint16_t zero;
  uint16_t word1; /* reply bytes 4-5 */
  uint16_t word2; /* reply bytes 0-1 */
  uint16_t word3; /* reply bytes 6-7 */
  uint16_t word4; /* reply bytes 2-3 */
} UnitIdentityBlock;

/* SetLoggingMode. comStd and toolType both non-zero switch logging on, either
 * zero switches it off. mode: 10 time/test, 11 up, 12 down or scope, 13
 * televiewer test, 14 monitor. */
typedef struct LoggingModeBlock {
  uint8_t comStd;
  uint8_t toolType;
  int16_t value;
  uint8_t mode;
  uint8_t spare;
} LoggingModeBlock;

/* SetSondePower: all zero switches the sonde off. polarity 165 negative, 90 positive. */
typedef struct SondePowerBlock {
  int16_t voltage;
  int16_t currentLimit;
  int16_t polarity;
} SondePowerBlock;

typedef struct SondeCommandBlock {
  int16_t code;
  int16_t value;
  int16_t third;
} SondeCommandBlock;

/* SetWinch: a speed of 0 becomes 1 in the caller's block. */
typedef struct WinchControlBlock {
  uint8_t setting;
  uint8_t speed;
} WinchControlBlock;

/* SendConfig: sample interval 4, 8 or 16 us, three receiver gains, three thresholds. */
typedef struct SonicConfigBlock {
  uint8_t sampleInterval;
  uint8_t gain[3];
  int8_t threshold[3];
} SonicConfigBlock;

typedef struct AnalogStatusBlock {
  uint8_t status1;
  uint8_t status2;
  uint8_t status3;
  uint8_t zero;
  int16_t tension;
} AnalogStatusBlock;

/* GetSonde6ChannelPacket (and the companion of the waveform reads). Bytes
 * 8-21 are the 14-byte .LOG record. */
typedef struct SixChannelPacket {
  int32_t depth;
  int32_t time;
  uint8_t flags;
  uint8_t rate;
  uint16_t channel[6];
  uint8_t checksum;
  uint8_t spare;
} SixChannelPacket;

/* GetTwelve. Bytes 16-79 are the 64-byte .LGX record. mask: bit n = channel
 * n+1 came from the unit; bit 14 = first record of a new minute. */
typedef struct TwelveChannelRecord {
  int32_t analog1;
  int32_t analog2;
  int32_t analog3;
  int32_t tension;
  int32_t depth;
  int32_t time;
  uint32_t mask;
  int32_t interval;
  float value[12];
} TwelveChannelRecord;

/* GetBHTVTBSweep. Bytes 8-275 are the 268-byte .BTV record; words 1-128 are
 * the sweep samples. */
typedef struct TeleviewerSweep {
  int32_t depth;
  int32_t time;
  uint16_t word[132];
  uint16_t depthStep;
  uint16_t trailer; /* 131 */
} TeleviewerSweep;

/* GetCBLArrival / GetSonicArrival. Bytes 8-57 are the 50-byte .CBL/.VDL
 * record. flags: low nibble segment 0-9, 0x20 new minute, 0x40 second status
 * byte non-zero, 0x80 far receiver. */
typedef struct CblWaveformSegment {
  int32_t depth;
  int32_t time;
  uint8_t flags;
  uint8_t receiver;
  int8_t sample[48];
  uint8_t closing;
  uint8_t spare;
} CblWaveformSegment;

/* GetScopeShot. */
typedef struct ScopeShot {
  uint32_t word0;
  uint32_t word1;
  uint8_t sample[12288];
  uint16_t trailer0; /* 0 */
  uint16_t trailer1; /* 1 */
} ScopeShot;

/* GetSonicPacket. Bytes 16-79 head the sonic file record. On the wire and in
 * files the sample reference is a 4-byte slot (84 bytes in all); in memory it
 * is a pointer of the platform's width. The samples stay in the library's
 * buffer until the next GetSonicPacket. */
typedef struct SonicPacket {
  int32_t analog1;
  int32_t analog2;
  int32_t analog3;
  int32_t tension;
  int32_t depth;
  int32_t time;
  int32_t mask;    /* 63 */
  int32_t divisor; /* 16-bit word of the unit's bytes 19-20 */
  float value[12];
  const int16_t* samples;
} SonicPacket;

/* The 4096-byte block shared with the external waveform program. */
typedef struct SharedSonicBlock {
  int32_t nearStart;       /* quarter samples */
  int32_t nearShortWindow; /* quarter samples */
  int32_t nearLongWindow;  /* quarter samples */
  float nearThreshold;
  int32_t nearPick; /* samples x 8 */
  int32_t farStart;
  int32_t farShortWindow;
  int32_t farLongWindow;
  float farThreshold;
  int32_t farPick;
  int32_t nearGain;
  int32_t farGain;
  float spacingFactor; /* 0 = no time difference */
  int32_t spawned;     /* 1 while the external program runs */
  int32_t dataReady;   /* 1 when a near and far pair is ready */
  int32_t terminate;   /* 1 asks the external program to end */
  int32_t readOffset;  /* 0 or 1024 */
  int32_t reserved68[3];
  int32_t word80; /* cleared by the first InitialiseLumbracoder */
  uint8_t reserved84[428];
  int8_t waves[3584]; /* near at 512 + offset, far at 1024 + offset (block offsets) */
} SharedSonicBlock;

/* set_sonic_param: the layout of the block's offsets 0-51. */
typedef struct SonicParamRecord {
  int32_t nearStart;
  int32_t nearShortWindow;
  int32_t nearLongWindow;
  float nearThreshold;
  int32_t nearPick;
  int32_t farStart;
  int32_t farShortWindow;
  int32_t farLongWindow;
  float farThreshold;
  int32_t farPick;
  int32_t nearGain;
  int32_t farGain;
  float spacingFactor;
} SonicParamRecord;

/* get_near_wave_data / get_far_wave_data. */
typedef struct SonicWaveRecord {
  int32_t gain;
  int32_t pick;
  int8_t sample[480];
} SonicWaveRecord;

#pragma pack(pop)

/* Link and watchdog. */
TBDEVICE_API uint32_t InitialisePCMLink(void);
TBDEVICE_API uint32_t Status_watchdog(void);
TBDEVICE_API void Diagnostic_on(void);
TBDEVICE_API void Diagnostic_off(void);

/* Configuration and commands. */
TBDEVICE_API uint32_t InitialiseLumbracoder(UnitConfigBlock* block);
TBDEVICE_API uint32_t SetCableIface(CableInterfaceBlock* block);
TBDEVICE_API uint32_t GetCableIface(CableInterfaceBlock* block);
TBDEVICE_API uint32_t IdentifyLumbracoder(UnitIdentityBlock* block);
TBDEVICE_API uint32_t SetLoggingMode(LoggingModeBlock* block);
TBDEVICE_API uint32_t SetSampleInterval(int interval);
TBDEVICE_API uint32_t SetSondePower(SondePowerBlock* block);
/* In the full-wave mode command 106 starts the waveform program instead of
 * reaching the unit; a start that failed returns TB_STATUS_REQUEST_FAILED. */
TBDEVICE_API uint32_t SendSondeCommand(SondeCommandBlock* block);
TBDEVICE_API uint32_t SetWinch(WinchControlBlock* block);
TBDEVICE_API uint32_t Send_Winch(int value);
TBDEVICE_API uint32_t Set_Depth(int32_t depth);
TBDEVICE_API uint32_t GetAbsDepth(int* depth);
TBDEVICE_API uint32_t GetAnalogStatus(AnalogStatusBlock* block);
TBDEVICE_API uint32_t SendConfig(SonicConfigBlock* block);

/* Data reads. The trailing int is accepted and not used. */
TBDEVICE_API uint32_t GetSonde6ChannelPacket(SixChannelPacket* packet, AnalogStatusBlock* status, int unused);
TBDEVICE_API uint32_t GetTwelve(TwelveChannelRecord* record);
TBDEVICE_API uint32_t GetBHTVTBSweep(TeleviewerSweep* sweep, AnalogStatusBlock* status, int unused);
TBDEVICE_API uint32_t GetCBLArrival(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                                    int unused);
TBDEVICE_API uint32_t GetSonicArrival(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                                      int unused);
TBDEVICE_API uint32_t GetScopeShot(ScopeShot* shot);
TBDEVICE_API uint32_t GetSonicPacket(SonicPacket* packet);
TBDEVICE_API uint32_t GetDepthReport(int* depth, int* time, AnalogStatusBlock* status, int unused);

/* For the external waveform program (not locked). */
TBDEVICE_API int check_terminate_spawn(void);
TBDEVICE_API void* spawn_complete(void);
TBDEVICE_API void* clear_spawn_status(void);
TBDEVICE_API uint32_t set_sonic_param(SonicParamRecord* params);
TBDEVICE_API int get_near_wave_data(SonicWaveRecord* wave);
TBDEVICE_API int get_far_wave_data(SonicWaveRecord* wave);

#ifdef __cplusplus
} /* extern "C" */

#include <array>
#include <cstddef>
#include <cstring>

static_assert(sizeof(UnitConfigBlock) == 4);
static_assert(sizeof(CableInterfaceBlock) == 12);
static_assert(sizeof(UnitIdentityBlock) == 10);
static_assert(sizeof(LoggingModeBlock) == 6);
static_assert(sizeof(SondePowerBlock) == 6);
static_assert(sizeof(SondeCommandBlock) == 6);
static_assert(sizeof(WinchControlBlock) == 2);
static_assert(sizeof(SonicConfigBlock) == 7);
static_assert(sizeof(AnalogStatusBlock) == 6);
static_assert(sizeof(SixChannelPacket) == 24);
static_assert(sizeof(TwelveChannelRecord) == 80);
static_assert(sizeof(TeleviewerSweep) == 276);
static_assert(sizeof(CblWaveformSegment) == 60);
static_assert(sizeof(ScopeShot) == 12300);
static_assert(offsetof(SonicPacket, samples) == 80);
static_assert(sizeof(SonicPacket) == 80 + sizeof(void*));
static_assert(sizeof(SharedSonicBlock) == 4096);
static_assert(offsetof(SharedSonicBlock, readOffset) == 64);
static_assert(offsetof(SharedSonicBlock, word80) == 80);
static_assert(offsetof(SharedSonicBlock, waves) == 512);
static_assert(sizeof(SonicParamRecord) == 52);
static_assert(sizeof(SonicWaveRecord) == 488);
static_assert(sizeof(float) == 4);

namespace tb {

// Sizes of the records as they travel and as the data files hold them.
constexpr std::size_t kSonicPacketWireSize = 84;
constexpr std::size_t kLogRecordSize = 14;   // SixChannelPacket bytes 8-21
constexpr std::size_t kLgxRecordSize = 64;   // TwelveChannelRecord bytes 16-79
constexpr std::size_t kBtvRecordSize = 268;  // TeleviewerSweep bytes 8-275
constexpr std::size_t kWaveRecordSize = 50;  // CblWaveformSegment bytes 8-57

// Little-endian reading and writing of fixed-width fields.
class LeWriter {
 public:
  explicit LeWriter(uint8_t* out) : p_(out) {}
  LeWriter& u8(uint8_t v) {
    *p_++ = v;
    return *this;
  }
  LeWriter& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
  LeWriter& u32(uint32_t v) { return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16)); }
  LeWriter& i8(int8_t v) { return u8(static_cast<uint8_t>(v)); }
  LeWriter& i16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
  LeWriter& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  LeWriter& f32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return u32(u);
  }
  LeWriter& bytes(const void* src, std::size_t n) {
    std::memcpy(p_, src, n);
    p_ += n;
    return *this;
  }
  uint8_t* pos() const { return p_; }

 private:
  uint8_t* p_;
};

class LeReader {
 public:
  explicit LeReader(const uint8_t* in) : p_(in) {}
  uint8_t u8() { return *p_++; }
  uint16_t u16() {
    const uint16_t lo = u8();
    return static_cast<uint16_t>(lo | (u8() << 8));
  }
  uint32_t u32() {
    const uint32_t lo = u16();
    return lo | (static_cast<uint32_t>(u16()) << 16);
  }
  int8_t i8() { return static_cast<int8_t>(u8()); }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  float f32() {
    const uint32_t u = u32();
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  void bytes(void* dst, std::size_t n) {
    std::memcpy(dst, p_, n);
    p_ += n;
  }
  const uint8_t* pos() const { return p_; }

 private:
  const uint8_t* p_;
};

template <class T>
using Bytes = std::array<uint8_t, sizeof(T)>;

inline Bytes<UnitConfigBlock> ToBytes(const UnitConfigBlock& b) {
  Bytes<UnitConfigBlock> o{};
  LeWriter(o.data()).u8(b.encoderId).u8(b.reverseWheelDirection).u8(b.depthUnitCode).u8(b.winchId);
  return o;
}
inline UnitConfigBlock UnitConfigFromBytes(const uint8_t* in) {
  LeReader r(in);
  UnitConfigBlock b{};
  b.encoderId = r.u8();
  b.reverseWheelDirection = r.u8();
  b.depthUnitCode = r.u8();
  b.winchId = r.u8();
  return b;
}

inline Bytes<CableInterfaceBlock> ToBytes(const CableInterfaceBlock& b) {
  Bytes<CableInterfaceBlock> o{};
  LeWriter(o.data()).i32(b.bitRate).u16(b.threshold).u16(b.cableType).u16(b.pulseWidth).u8(b.drive).u8(b.gain);
  return o;
}
inline CableInterfaceBlock CableInterfaceFromBytes(const uint8_t* in) {
  LeReader r(in);
  CableInterfaceBlock b{};
  b.bitRate = r.i32();
  b.threshold = r.u16();
  b.cableType = r.u16();
  b.pulseWidth = r.u16();
  b.drive = r.u8();
  b.gain = r.u8();
  return b;
}

inline Bytes<UnitIdentityBlock> ToBytes(const UnitIdentityBlock& b) {
  Bytes<UnitIdentityBlock> o{};
  LeWriter(o.data()).u16(b.zero).u16(b.word1).u16(b.word2).u16(b.word3).u16(b.word4);
  return o;
}

inline Bytes<LoggingModeBlock> ToBytes(const LoggingModeBlock& b) {
  Bytes<LoggingModeBlock> o{};
  LeWriter(o.data()).u8(b.comStd).u8(b.toolType).i16(b.value).u8(b.mode).u8(b.spare);
  return o;
}
inline LoggingModeBlock LoggingModeFromBytes(const uint8_t* in) {
  LeReader r(in);
  LoggingModeBlock b{};
  b.comStd = r.u8();
  b.toolType = r.u8();
  b.value = r.i16();
  b.mode = r.u8();
  b.spare = r.u8();
  return b;
}

inline Bytes<SondePowerBlock> ToBytes(const SondePowerBlock& b) {
  Bytes<SondePowerBlock> o{};
  LeWriter(o.data()).i16(b.voltage).i16(b.currentLimit).i16(b.polarity);
  return o;
}

inline Bytes<SondeCommandBlock> ToBytes(const SondeCommandBlock& b) {
  Bytes<SondeCommandBlock> o{};
  LeWriter(o.data()).i16(b.code).i16(b.value).i16(b.third);
  return o;
}

inline Bytes<AnalogStatusBlock> ToBytes(const AnalogStatusBlock& b) {
  Bytes<AnalogStatusBlock> o{};
  LeWriter(o.data()).u8(b.status1).u8(b.status2).u8(b.status3).u8(b.zero).i16(b.tension);
  return o;
}

inline Bytes<SixChannelPacket> ToBytes(const SixChannelPacket& p) {
  Bytes<SixChannelPacket> o{};
  LeWriter w(o.data());
  w.i32(p.depth).i32(p.time).u8(p.flags).u8(p.rate);
  for (uint16_t c : p.channel) w.u16(c);
  w.u8(p.checksum).u8(p.spare);
  return o;
}
inline SixChannelPacket SixChannelFromBytes(const uint8_t* in) {
  LeReader r(in);
  SixChannelPacket p{};
  p.depth = r.i32();
  p.time = r.i32();
  p.flags = r.u8();
  p.rate = r.u8();
  for (uint16_t& c : p.channel) c = r.u16();
  p.checksum = r.u8();
  p.spare = r.u8();
  return p;
}
// (flags + rate + the six counts) modulo 256: the check the .LOG readers make.
inline uint8_t SixChannelChecksum(const SixChannelPacket& p) {
  unsigned sum = p.flags + p.rate;
  for (uint16_t c : p.channel) sum += c;
  return static_cast<uint8_t>(sum & 0xFF);
}

inline Bytes<TwelveChannelRecord> ToBytes(const TwelveChannelRecord& t) {
  Bytes<TwelveChannelRecord> o{};
  LeWriter w(o.data());
  w.i32(t.analog1).i32(t.analog2).i32(t.analog3).i32(t.tension).i32(t.depth).i32(t.time).u32(t.mask).i32(t.interval);
  for (float v : t.value) w.f32(v);
  return o;
}
inline TwelveChannelRecord TwelveChannelFromBytes(const uint8_t* in) {
  LeReader r(in);
  TwelveChannelRecord t{};
  t.analog1 = r.i32();
  t.analog2 = r.i32();
  t.analog3 = r.i32();
  t.tension = r.i32();
  t.depth = r.i32();
  t.time = r.i32();
  t.mask = r.u32();
  t.interval = r.i32();
  for (float& v : t.value) v = r.f32();
  return t;
}

inline Bytes<TeleviewerSweep> ToBytes(const TeleviewerSweep& s) {
  Bytes<TeleviewerSweep> o{};
  LeWriter w(o.data());
  w.i32(s.depth).i32(s.time);
  for (uint16_t v : s.word) w.u16(v);
  w.u16(s.depthStep).u16(s.trailer);
  return o;
}
inline TeleviewerSweep TeleviewerFromBytes(const uint8_t* in) {
  LeReader r(in);
  TeleviewerSweep s{};
  s.depth = r.i32();
  s.time = r.i32();
  for (uint16_t& v : s.word) v = r.u16();
  s.depthStep = r.u16();
  s.trailer = r.u16();
  return s;
}

inline Bytes<CblWaveformSegment> ToBytes(const CblWaveformSegment& s) {
  Bytes<CblWaveformSegment> o{};
  LeWriter(o.data()).i32(s.depth).i32(s.time).u8(s.flags).u8(s.receiver).bytes(s.sample, 48).u8(s.closing).u8(s.spare);
  return o;
}
inline CblWaveformSegment WaveformSegmentFromBytes(const uint8_t* in) {
  LeReader r(in);
  CblWaveformSegment s{};
  s.depth = r.i32();
  s.time = r.i32();
  s.flags = r.u8();
  s.receiver = r.u8();
  r.bytes(s.sample, 48);
  s.closing = r.u8();
  s.spare = r.u8();
  return s;
}

}  // namespace tb

#endif /* __cplusplus */

#endif /* QUORVANTA_TBDEVICE_H */
