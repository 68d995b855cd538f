// Throw-away stand-in for the data-file record codecs until they land in main.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace qv {

inline double ScaleCount(std::uint16_t count, std::uint8_t rate) { return count * 50.0 / (rate == 0 ? 50 : rate); }

struct SixChannelFileRecord {
  static constexpr std::size_t kSize = 14;
  std::uint8_t flags = 0;
  std::uint8_t rate = 0;
  std::uint16_t counts[6] = {};
  void Encode(std::span<std::uint8_t, kSize> out) const {
    out[0] = flags;
    out[1] = rate;
    for (int i = 0; i < 6; ++i) {
      out[2 + 2 * i] = counts[i] & 0xFF;
      out[3 + 2 * i] = counts[i] >> 8;
    }
  }
  static SixChannelFileRecord Decode(std::span<const std::uint8_t, kSize> in) {
    SixChannelFileRecord r;
    r.flags = in[0];
    r.rate = in[1];
    for (int i = 0; i < 6; ++i) r.counts[i] = static_cast<std::uint16_t>(in[2 + 2 * i] | in[3 + 2 * i] << 8);
    return r;
  }
  double Scaled(int i) const { return ScaleCount(counts[i], rate); }
};

struct TwelveChannelFileRecord {
  static constexpr std::size_t kSize = 64;
  std::int32_t depth = 0;
  std::int32_t time = 0;
  std::uint32_t mask = 0;
  std::uint32_t word = 0;
  float values[12] = {};
  void Encode(std::span<std::uint8_t, kSize> out) const { std::memcpy(out.data(), this, kSize); }
  static TwelveChannelFileRecord Decode(std::span<const std::uint8_t, kSize> in) {
    TwelveChannelFileRecord r;
    std::memcpy(&r, in.data(), kSize);
    return r;
  }
};

inline int GetSonicGeometry(int comStd, int* bytesPerWaveform, int* waveforms) {
  int b, w;
  switch (comStd) {
    case 26: b = 1024; w = 3; break;
    case 27: case 29: b = 1024; w = 2; break;
    case 28: b = 512; w = 4; break;
    default: return 0;
  }
  *bytesPerWaveform = b;
  *waveforms = w;
  return b * w + 64;
}

inline TwelveChannelFileRecord DecodeTwelveChannel(const unsigned char* p) {
  return TwelveChannelFileRecord::Decode(std::span<const std::uint8_t, 64>(p, 64));
}
inline SixChannelFileRecord DecodeSixChannel(const unsigned char* p) {
  return SixChannelFileRecord::Decode(std::span<const std::uint8_t, 14>(p, 14));
}
inline void EncodeTwelveChannel(const TwelveChannelFileRecord& r, unsigned char* p) {
  r.Encode(std::span<std::uint8_t, 64>(p, 64));
}
inline void EncodeSixChannel(const SixChannelFileRecord& r, unsigned char* p) {
  r.Encode(std::span<std::uint8_t, 14>(p, 14));
}

}  // namespace qv
