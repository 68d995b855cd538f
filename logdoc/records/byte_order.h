// Little-endian field access for the data-file records. Every multi-byte
// field of a data file is little-endian whatever the host; these helpers read
// and write one field at a byte offset without alignment assumptions.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace qv::le {

inline std::uint16_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t GetI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(GetU32(p));
}
inline float GetF32(const std::uint8_t* p) {
  return std::bit_cast<float>(GetU32(p));
}

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutI32(std::uint8_t* p, std::int32_t v) {
  PutU32(p, static_cast<std::uint32_t>(v));
}
inline void PutF32(std::uint8_t* p, float v) {
  PutU32(p, std::bit_cast<std::uint32_t>(v));
}

}  // namespace qv::le
