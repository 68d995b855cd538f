// The 4096-byte binary header of the older logging program ("V106"), kept
// beside a data file as <stem>.hdr. One image in memory serves both
// directions: the conversion into a header file reads it, the export fills it
// and writes it whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kOldHeaderSize = 4096;

// Offsets of the control and channel fields (six channel slots, i = 0..5).
namespace oldhdr {
inline constexpr std::size_t kLogDirection = 2;
inline constexpr std::size_t kStep = 4;
inline constexpr std::size_t kFormatMarker = 8;
inline constexpr std::size_t kDepthUnit = 10;
inline constexpr std::size_t kCalibrated = 12;
inline constexpr std::size_t kReserved13 = 13;
inline constexpr std::size_t kSondeAbbreviation = 254;  // 4 characters
inline constexpr std::size_t kProject = 258;            // 20 characters
inline constexpr std::size_t kSondeLength = 1060;
inline constexpr std::size_t kGridByte = 1062;
inline constexpr std::size_t kStartDepth = 1084;
inline constexpr std::size_t kEndDepth = 1088;
inline constexpr int kSlots = 6;

constexpr std::size_t ShortTitle(int slot) {
  return 614 + 4 * static_cast<std::size_t>(slot);
}
constexpr std::size_t Unit(int slot) {
  return 638 + 4 * static_cast<std::size_t>(slot);
}
constexpr std::size_t Coefficient(int slot, int k) {
  return 662 + 32 * static_cast<std::size_t>(slot) + 8 * static_cast<std::size_t>(k);
}
// The 18-byte display record of a slot and its fields.
constexpr std::size_t Display(int slot) {
  return 1092 + 18 * static_cast<std::size_t>(slot);
}
inline constexpr std::size_t kTrackCode = 0;
inline constexpr std::size_t kSpanWord = 2;
inline constexpr std::size_t kColourIndex = 4;
inline constexpr std::size_t kRangeLeft = 6;
inline constexpr std::size_t kRangeRight = 10;
inline constexpr std::size_t kFilterWidth = 14;
inline constexpr std::size_t kOffset = 16;

// A well information text field: its header file key, offset and width.
struct TextField {
  const char* key;
  std::uint16_t offset;  // 0: the field has no place in the old header
  std::uint8_t width;
};
// Every WellInfo text key the conversion writes, in the order it writes them.
const TextField* ConversionTextFields(std::size_t* count);
// The field the conversion reads a key from; null when it has none.
const TextField* FindTextField(std::string_view key);

// The Windows colour reference (0x00BBGGRR) a colour index stands for.
std::uint32_t ColourOfIndex(unsigned index);
}  // namespace oldhdr

class OldHeaderImage {
 public:
  OldHeaderImage() { bytes_.fill(0); }

  // Reads the file's first 4096 bytes into a zero-filled image: a shorter
  // file reads as if the rest were zero. False when it cannot be opened.
  bool Load(const std::string& path);
  // The same from bytes in memory.
  void Assign(std::string_view bytes);
  std::string_view Bytes() const { return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}; }

  // Little-endian reads; a field reaching past the image reads as zero.
  std::uint8_t Byte(std::size_t offset) const;
  std::uint16_t Word(std::size_t offset) const;
  std::int32_t Long(std::size_t offset) const;
  float Single(std::size_t offset) const;
  double Double(std::size_t offset) const;
  // At most width characters, up to the first zero byte.
  std::string Text(std::size_t offset, std::size_t width) const;

  // Writes; a field reaching past the image is not written.
  void SetByte(std::size_t offset, std::uint8_t value);
  void SetWord(std::size_t offset, std::uint16_t value);
  void SetLong(std::size_t offset, std::int32_t value);
  void SetSingle(std::size_t offset, float value);
  void SetDouble(std::size_t offset, double value);
  // The first min(size, maxChars) characters of text from offset on; the rest
  // of the field is left as it is.
  void PutText(std::size_t offset, std::string_view text, std::size_t maxChars);

 private:
  bool Fits(std::size_t offset, std::size_t width) const {
    return offset <= kOldHeaderSize && width <= kOldHeaderSize - offset;
  }
  void Put(std::size_t offset, const void* data, std::size_t width);
  void Get(std::size_t offset, void* data, std::size_t width) const;
  std::array<std::uint8_t, kOldHeaderSize> bytes_;
};
