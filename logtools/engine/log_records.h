// Record codecs on raw buffers, for the tools that read and write data files
// record by record.
#pragma once

#include <cstdint>
#include <span>

#include "logdoc/records/records.h"

namespace qv {

inline TwelveChannelFileRecord DecodeTwelveChannel(const std::uint8_t* p) {
  return TwelveChannelFileRecord::Decode(std::span<const std::uint8_t, TwelveChannelFileRecord::kSize>(p, 64));
}
inline SixChannelFileRecord DecodeSixChannel(const std::uint8_t* p) {
  return SixChannelFileRecord::Decode(std::span<const std::uint8_t, SixChannelFileRecord::kSize>(p, 14));
}
inline void EncodeTwelveChannel(const TwelveChannelFileRecord& r, std::uint8_t* p) {
  r.Encode(std::span<std::uint8_t, TwelveChannelFileRecord::kSize>(p, 64));
}
inline void EncodeSixChannel(const SixChannelFileRecord& r, std::uint8_t* p) {
  r.Encode(std::span<std::uint8_t, SixChannelFileRecord::kSize>(p, 14));
}

}  // namespace qv
