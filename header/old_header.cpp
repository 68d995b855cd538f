#include "header/old_header.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "platform/files/regular_file.h"

namespace oldhdr {
namespace {

// In the order the conversion writes them. Keys without a place in the old
// header are written empty. The logger depth of run 1 has no field of its
// own: it is read from the only unused 10-byte stretch beside the other run-1
// depths (3228..3237).
const TextField kConversionFields[] = {
    {"Company", 2110, 20},
    {"Wellname", 2142, 20},
    {"Fieldname", 2206, 20},
    {"Location", 2238, 20},
    {"Latitude", 2494, 20},
    {"Longitude", 2526, 20},
    {"Country", 0, 0},
    {"ServiceCompany", 0, 0},
    {"Date", 0, 0},
    {"UWI", 0, 0},
    {"Project", 258, 20},
    {"LogName", 2398, 40},
    {"SondeAbbreviation", 254, 4},
    {"OtherServices1", 2558, 4},
    {"OtherServices2", 2562, 4},
    {"OtherServices3", 2566, 4},
    {"OtherServices4", 2570, 4},
    {"OtherServices5", 2574, 4},
    {"PermanentDatum", 2130, 10},
    {"Elevation", 3222, 6},
    {"LogDatum", 2590, 6},
    {"DrillDatum", 2596, 6},
    {"KellyBushing", 2280, 6},
    {"DrillFloor", 2286, 6},
    {"GroundLevel", 2292, 6},
    {"DateRun1", 2270, 10},
    {"DateRun2", 3308, 10},
    {"DateRun3", 3664, 10},
    {"RunNo1", 2054, 2},
    {"RunNo2", 3318, 2},
    {"RunNo3", 3674, 2},
    {"Engineer1", 2334, 12},
    {"Engineer2", 3424, 12},
    {"Engineer3", 3780, 12},
    {"Witness1", 2366, 12},
    {"Witness2", 3444, 12},
    {"Witness3", 3800, 12},
    {"DepthDriller1", 3298, 10},
    {"DepthDriller2", 3324, 10},
    {"DepthDriller3", 3680, 10},
    {"DepthLogger1", 3228, 10},
    {"DepthLogger2", 3334, 10},
    {"DepthLogger3", 3690, 10},
    {"Deepest1", 3238, 10},
    {"Deepest2", 3344, 10},
    {"Deepest3", 3700, 10},
    {"Shallow1", 3248, 10},
    {"Shallow2", 3354, 10},
    {"Shallow3", 3710, 10},
    {"LogType1", 2302, 12},
    {"LogType2", 3320, 4},
    {"LogType3", 3676, 4},
    {"Fluid1", 2620, 10},
    {"Fluid2", 3364, 10},
    {"Fluid3", 3720, 10},
    {"Salinity1", 3258, 10},
    {"Salinity2", 3374, 10},
    {"Salinity3", 3730, 10},
    {"FluidDensity1", 2630, 10},
    {"FluidDensity2", 3384, 10},
    {"FluidDensity3", 3740, 10},
    {"FluidLevel1", 3268, 10},
    {"FluidLevel2", 3394, 10},
    {"FluidLevel3", 3750, 10},
    {"MaxTemperature1", 3278, 10},
    {"MaxTemperature2", 3404, 10},
    {"MaxTemperature3", 3760, 10},
    {"RigTime1", 3288, 10},
    {"RigTime2", 3414, 10},
    {"RigTime3", 3770, 10},
    {"BitRec1", 3104, 6},
    {"BitRec2", 3110, 6},
    {"BitRec3", 3116, 6},
    {"BitRecFrom1", 3122, 6},
    {"BitRecFrom2", 3128, 6},
    {"BitRecFrom3", 3134, 6},
    {"BitRecTo1", 3140, 6},
    {"BitRecTo2", 3146, 6},
    {"BitRecTo3", 3152, 6},
    {"CasRecSize1", 3158, 5},
    {"CasRecSize2", 3163, 5},
    {"CasRecSize3", 3168, 5},
    {"CasRecWeight1", 3173, 6},
    {"CasRecWeight2", 3179, 6},
    {"CasRecWeight3", 3185, 6},
    {"CasRecFrom1", 3191, 6},
    {"CasRecFrom2", 3197, 6},
    {"CasRecFrom3", 3203, 6},
    {"CasRecTo1", 3209, 6},
    {"CasRecTo2", 3215, 6},
    {"CasRecTo3", 2998, 6},
    {"Comment1", 3814, 68},
    {"Comment2", 3884, 68},
    {"Comment3", 3954, 68},
    {"Comment4", 4024, 34},
    {"Comment5", 0, 0},
    {"Comment6", 0, 0},
    {"Comment7", 0, 0},
    {"Comment8", 0, 0},
    {"Comment9", 0, 0},
    {"Comment10", 0, 0},
};

}  // namespace

const TextField* ConversionTextFields(std::size_t* count) {
  *count = std::size(kConversionFields);
  return kConversionFields;
}

const TextField* FindTextField(std::string_view key) {
  for (const TextField& field : kConversionFields)
    if (field.offset != 0 && key == field.key) return &field;
  return nullptr;
}

std::uint32_t ColourOfIndex(unsigned index) {
  static const std::uint32_t kColours[] = {0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFFFF00, 0xFF0000};
  return index < std::size(kColours) ? kColours[index] : 0;
}

}  // namespace oldhdr

bool OldHeaderImage::Load(const std::string& path) {
  bytes_.fill(0);
  const int fd = qv::OpenRegularFile(path);
  if (fd < 0) return false;
  // A shorter file leaves the rest zero.
  std::size_t got = 0;
  while (got < bytes_.size()) {
    const ssize_t n = ::read(fd, bytes_.data() + got, bytes_.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return true;
}

void OldHeaderImage::Assign(std::string_view bytes) {
  bytes_.fill(0);
  std::memcpy(bytes_.data(), bytes.data(), std::min(bytes.size(), bytes_.size()));
}

void OldHeaderImage::Put(std::size_t offset, const void* data, std::size_t width) {
  if (Fits(offset, width)) std::memcpy(bytes_.data() + offset, data, width);
}

void OldHeaderImage::Get(std::size_t offset, void* data, std::size_t width) const {
  if (Fits(offset, width))
    std::memcpy(data, bytes_.data() + offset, width);
  else
    std::memset(data, 0, width);
}

// The layout is little-endian; so is every machine this builds for.
static_assert(std::endian::native == std::endian::little);

std::uint8_t OldHeaderImage::Byte(std::size_t offset) const {
  std::uint8_t v;
  Get(offset, &v, sizeof v);
  return v;
}

std::uint16_t OldHeaderImage::Word(std::size_t offset) const {
  std::uint16_t v;
  Get(offset, &v, sizeof v);
  return v;
}

std::int32_t OldHeaderImage::Long(std::size_t offset) const {
  std::int32_t v;
  Get(offset, &v, sizeof v);
  return v;
}

float OldHeaderImage::Single(std::size_t offset) const {
  float v;
  Get(offset, &v, sizeof v);
  return v;
}

double OldHeaderImage::Double(std::size_t offset) const {
  double v;
  Get(offset, &v, sizeof v);
  return v;
}

std::string OldHeaderImage::Text(std::size_t offset, std::size_t width) const {
  if (!Fits(offset, width)) return {};
  const char* begin = reinterpret_cast<const char*>(bytes_.data()) + offset;
  return std::string(begin, ::strnlen(begin, width));
}

void OldHeaderImage::SetByte(std::size_t offset, std::uint8_t value) {
  Put(offset, &value, sizeof value);
}
void OldHeaderImage::SetWord(std::size_t offset, std::uint16_t value) {
  Put(offset, &value, sizeof value);
}
void OldHeaderImage::SetLong(std::size_t offset, std::int32_t value) {
  Put(offset, &value, sizeof value);
}
void OldHeaderImage::SetSingle(std::size_t offset, float value) {
  Put(offset, &value, sizeof value);
}
void OldHeaderImage::SetDouble(std::size_t offset, double value) {
  Put(offset, &value, sizeof value);
}

void OldHeaderImage::PutText(std::size_t offset, std::string_view text, std::size_t maxChars) {
  Put(offset, text.data(), std::min(text.size(), maxChars));
}
