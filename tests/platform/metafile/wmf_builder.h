// Hand-made Windows metafiles for tests: records are written word by word,
// as the format lays them out, little-endian.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace wmftest {

class Builder {
 public:
  explicit Builder(uint16_t objects = 4) : objects_(objects) {}

  // A record of 16-bit parameter words.
  Builder& Rec(uint16_t fn, std::initializer_list<int> words) {
    std::vector<uint8_t> p;
    for (int w : words) Put16(p, static_cast<uint16_t>(w));
    return Raw(fn, p);
  }
  // A record with raw parameter bytes (padded to a whole word).
  Builder& Raw(uint16_t fn, std::vector<uint8_t> params) {
    if (params.size() % 2) params.push_back(0);
    const uint32_t words = static_cast<uint32_t>(3 + params.size() / 2);
    if (words > maxRecord_) maxRecord_ = words;
    Put32(recs_, words);
    Put16(recs_, fn);
    recs_.insert(recs_.end(), params.begin(), params.end());
    return *this;
  }
  Builder& Pen(int style, int width, uint32_t color) {
    return Rec(0x02FA, {style, width, 0, static_cast<int>(color & 0xFFFF), static_cast<int>(color >> 16)});
  }
  Builder& Brush(int style, uint32_t color, int hatch = 0) {
    return Rec(0x02FC, {style, static_cast<int>(color & 0xFFFF), static_cast<int>(color >> 16), hatch});
  }
  Builder& Select(int index) { return Rec(0x012D, {index}); }
  Builder& Rectangle(int l, int t, int r, int b) { return Rec(0x041B, {b, r, t, l}); }
  Builder& Ellipse(int l, int t, int r, int b) { return Rec(0x0418, {b, r, t, l}); }

  // A packed bitmap: header, colour table (0x00RRGGBB entries) and rows as
  // given (already padded to whole 32-bit words).
  static std::vector<uint8_t> Dib(int width, int height, int bits, const std::vector<uint32_t>& colours,
                                  const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> v;
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(width));
    Put32(v, static_cast<uint32_t>(height));
    Put16(v, 1);
    Put16(v, static_cast<uint16_t>(bits));
    for (uint32_t w : {0u, static_cast<uint32_t>(rows.size()), 0u, 0u, static_cast<uint32_t>(colours.size()), 0u})
      Put32(v, w);
    for (uint32_t c : colours) Put32(v, c);
    v.insert(v.end(), rows.begin(), rows.end());
    return v;
  }
  // A stretched bitmap record: source x, y, width, height; destination the same.
  Builder& StretchDib(std::vector<int> src, std::vector<int> dst, const std::vector<uint8_t>& dib) {
    std::vector<uint8_t> p;
    Put32(p, 0x00CC0020);
    for (int w : {0, src[3], src[2], src[1], src[0], dst[3], dst[2], dst[1], dst[0]}) Put16(p, static_cast<uint16_t>(w));
    p.insert(p.end(), dib.begin(), dib.end());
    return Raw(0x0F43, p);
  }

  // The plain metafile: header, records, end record.
  std::vector<uint8_t> Plain() const {
    std::vector<uint8_t> body = recs_;
    Put32(body, 3);
    Put16(body, 0);
    std::vector<uint8_t> out;
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x0300);
    Put32(out, static_cast<uint32_t>((18 + body.size()) / 2));
    Put16(out, objects_);
    Put32(out, maxRecord_);
    Put16(out, 0);
    out.insert(out.end(), body.begin(), body.end());
    return out;
  }
  // The same behind a placeable header with bounds and units per inch.
  std::vector<uint8_t> Placeable(int l, int t, int r, int b, int inch = 1440) const {
    std::vector<uint8_t> out;
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);
    for (int v : {l, t, r, b}) Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(inch));
    Put32(out, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < out.size(); i += 2) sum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    Put16(out, sum);
    const auto plain = Plain();
    out.insert(out.end(), plain.begin(), plain.end());
    return out;
  }

  static void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(x & 0xFF);
    v.push_back(x >> 8);
  }
  static void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
  }

 private:
  uint16_t objects_;
  uint32_t maxRecord_ = 3;
  std::vector<uint8_t> recs_;
};

// Hand-made enhanced metafiles: 32-bit records after an 88-byte header.
class EmfBuilder {
 public:
  EmfBuilder& Rec(uint32_t type, std::initializer_list<int32_t> values) {
    std::vector<uint8_t> p;
    for (int32_t v : values) Builder::Put32(p, static_cast<uint32_t>(v));
    return Raw(type, p);
  }
  EmfBuilder& Raw(uint32_t type, std::vector<uint8_t> params) {
    while (params.size() % 4) params.push_back(0);
    Builder::Put32(recs_, type);
    Builder::Put32(recs_, static_cast<uint32_t>(8 + params.size()));
    recs_.insert(recs_.end(), params.begin(), params.end());
    ++count_;
    return *this;
  }
  // Device bounds, inclusive.
  std::vector<uint8_t> Bytes(int l, int t, int r, int b, uint16_t handles = 4) const {
    std::vector<uint8_t> body = recs_;
    Builder::Put32(body, 14);  // end of file: no palette entries
    Builder::Put32(body, 20);
    for (int i = 0; i < 3; ++i) Builder::Put32(body, i == 2 ? 20 : 0);
    std::vector<uint8_t> out;
    Builder::Put32(out, 1);
    Builder::Put32(out, 88);
    for (int v : {l, t, r, b, 0, 0, (r - l) * 26, (b - t) * 26}) Builder::Put32(out, static_cast<uint32_t>(v));
    Builder::Put32(out, 0x464D4520);
    Builder::Put32(out, 0x10000);
    Builder::Put32(out, static_cast<uint32_t>(88 + body.size()));
    Builder::Put32(out, count_ + 2);
    Builder::Put16(out, handles);
    Builder::Put16(out, 0);
    for (int v : {0, 0, 0, 1024, 768, 270, 203}) Builder::Put32(out, static_cast<uint32_t>(v));
    out.insert(out.end(), body.begin(), body.end());
    return out;
  }

 private:
  std::vector<uint8_t> recs_;
  uint32_t count_ = 0;
};

}  // namespace wmftest
