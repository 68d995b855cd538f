#include "monitor_trace.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv {
namespace {

uint16_t Word(const void* data, int i) {
  uint16_t w;
  std::memcpy(&w, static_cast<const uint8_t*>(data) + 2 * static_cast<size_t>(i), 2);
  return w;
}
uint8_t Byte(const void* data, int i) { return static_cast<const uint8_t*>(data)[i]; }

// The value of a raw sample as the curve types read it.
double CurveOf(int type, uint16_t word, uint8_t byte) {
  switch (type) {
    case 2:
      return static_cast<int8_t>(byte) / 256.0;
    case 3:
      return (byte - 128) / 256.0;
    case 4:
      return static_cast<int16_t>(word) / 65536.0;
    case 5:
      return (word - 0x8000) / 65536.0;
    default:
      return 0.0;
  }
}

}  // namespace

void MonitorTrace::Create(int width, int height, bool imageMode, int samples) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  samples_ = std::max(0, samples);
  imageMode_ = imageMode;
  marker_ = kNoMarker;
  thresholdY_ = -1;
  zoom_ = gain_ = 1;
  points_.clear();
  image_.clear();
  if (imageMode_) {
    image_.assign(static_cast<size_t>(samples_) * static_cast<size_t>(height_), kBlankLevel);
    pointsDrawn_ = 0;
  } else {
    points_.assign(static_cast<size_t>(samples_), TracePoint{width_, height_ / 2});
    pointsDrawn_ = samples_;
  }
  ++version_;
}

int MonitorTrace::ImageLevel(const void* data, int type, int i) {
  switch (type) {
    case 0:
      return (Word(data, i) >> 8) & 0x3F;
    case 1: {
      const int v = (Word(data, i) >> 1) & 0x7F;
      return v == 0 ? 127 : v;
    }
    case 2:
      return std::max(0, Byte(data, i) - 128);
    case 3:
      return Byte(data, i);
    case 4:
      return std::max(0, (Word(data, i) >> 8) - 128);
    case 5:
      return Word(data, i) >> 8;
    default:
      return 128;
  }
}

double MonitorTrace::CurveValue(const void* data, int type, int i) {
  const bool words = type == 4 || type == 5;
  return CurveOf(type, words ? Word(data, i) : 0, words ? 0 : Byte(data, i));
}

int MonitorTrace::Y(double value) const {
  return height_ / 2 - static_cast<int>(std::trunc(static_cast<double>(height_) * gain_ * value));
}

void MonitorTrace::ShowData(const void* data, int type, int marker, int threshold) {
  ++version_;
  if (!data || samples_ <= 0) return;
  if (imageMode_) {
    if (height_ <= 0) return;
    const size_t line = static_cast<size_t>(samples_);
    std::memmove(image_.data() + line, image_.data(), line * static_cast<size_t>(height_ - 1));
    for (int i = 0; i < samples_; ++i) image_[static_cast<size_t>(i)] = static_cast<uint8_t>(ImageLevel(data, type, i));
    return;
  }
  int made = 0;
  for (int i = 0; i < samples_ && width_ > 0; ++i) {
    const auto x = static_cast<int>(static_cast<int64_t>(i) * zoom_ * width_ / samples_);
    if (x >= width_) break;
    points_[static_cast<size_t>(i)] = {x, Y(CurveValue(data, type, i))};
    ++made;
  }
  pointsDrawn_ = made;
  marker_ = marker;
  thresholdY_ = -1;
  if (threshold != 0 && threshold != kNoMarker && type >= 2 && type <= 5)
    thresholdY_ = Y(CurveOf(type, static_cast<uint16_t>(threshold), static_cast<uint8_t>(threshold)));
}

void MonitorTrace::SetZoom(int horizontal, int vertical) {
  zoom_ = std::max(1, horizontal);
  gain_ = std::max(1, vertical);
}

int MonitorTrace::MarkerPoint() const {
  if (imageMode_ || marker_ == kNoMarker || marker_ < 1 || marker_ > pointsDrawn_) return -1;
  return marker_ - 1;
}

}  // namespace qv
