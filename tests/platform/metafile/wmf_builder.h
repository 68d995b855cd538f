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
    Put32(recs_, static_cast<uint32_t>(3 + params.size() / 2));
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
    Put32(out, 16);
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
  std::vector<uint8_t> recs_;
};

}  // namespace wmftest
