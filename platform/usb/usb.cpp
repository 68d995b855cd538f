#include "platform/usb/usb.h"

#include <cstdio>

#include "platform/trace/trace.h"

namespace qv::usb {

void EncodeSetup(const SetupPacket& s, uint8_t out[8]) {
  out[0] = s.requestType;
  out[1] = s.request;
  out[2] = static_cast<uint8_t>(s.value & 0xFF);
  out[3] = static_cast<uint8_t>(s.value >> 8);
  out[4] = static_cast<uint8_t>(s.index & 0xFF);
  out[5] = static_cast<uint8_t>(s.index >> 8);
  out[6] = static_cast<uint8_t>(s.length & 0xFF);
  out[7] = static_cast<uint8_t>(s.length >> 8);
}

SetupPacket DecodeSetup(const uint8_t in[8]) {
  SetupPacket s;
  s.requestType = in[0];
  s.request = in[1];
  s.value = static_cast<uint16_t>(in[2] | (in[3] << 8));
  s.index = static_cast<uint16_t>(in[4] | (in[5] << 8));
  s.length = static_cast<uint16_t>(in[6] | (in[7] << 8));
  return s;
}

std::string StatusText(Status status) {
  switch (status) {
    case kSuccess:
      return "success";
    case kFailed:
      return "transfer failed";
    case kNoDevice:
      return "no device";
    case kInvalid:
      return "invalid parameter";
    case kStall:
      return "stalled";
    case kTimeout:
      return "timed out";
    case kShort:
      return "short transfer";
    case kNotInitialised:
      return "not initialised";
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "status 0x%lx", static_cast<unsigned long>(status));
  return buf;
}

void DebugPrint(const char* fmt, unsigned long value) {
  char line[256];
  std::snprintf(line, sizeof line, fmt, value);
  Trace("usb: %s", line);
}

}  // namespace qv::usb
