// What one panel of the sonde test draws: a trace of points (waveforms) or a
// scrolling grey image (televiewer sweeps). The worker fills it, the panel
// paints a copy; SharedTrace is the lock between them.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace qv {

struct TracePoint {
  int x = 0;
  int y = 0;
};

class MonitorTrace {
public:
  static constexpr int kNoMarker = 0x7FFFFFFF;
  // The grey of an image line not yet drawn (the button face).
  static constexpr uint8_t kBlankLevel = 240;

  // width and height of the panel in pixels; samples per trace or per image line.
  void Create(int width, int height, bool imageMode, int samples);
  // data: the samples as 16-bit words (types 0, 1, 4, 5) or bytes (types 2
  // and 3); at least `samples` of them. marker: sample index of the arrival
  // pick or kNoMarker; threshold: 0 or kNoMarker for none.
  void ShowData(const void* data, int type, int marker, int threshold);
  // Takes effect with the next ShowData.
  void SetZoom(int horizontal, int vertical);

  // The grey level (0-255) of sample i in image mode, and its value (about
  // -0.5 to 0.5) in curve mode.
  static int ImageLevel(const void* data, int type, int i);
  static double CurveValue(const void* data, int type, int i);

  // The marker's point when it lies among the drawn points (1 to points
  // drawn: the line goes through point marker - 1), else -1.
  int MarkerPoint() const;
  // y of the threshold line inside the panel, else -1.
  int ThresholdLine() const { return thresholdY_ >= 0 && thresholdY_ < height_ ? thresholdY_ : -1; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Samples() const { return samples_; }
  bool ImageMode() const { return imageMode_; }
  int Marker() const { return marker_; }
  int Zoom() const { return zoom_; }
  int Gain() const { return gain_; }
  int PointsDrawn() const { return pointsDrawn_; }
  const std::vector<TracePoint>& Points() const { return points_; }
  // samples x height grey levels, line 0 (the newest) first.
  const std::vector<uint8_t>& Image() const { return image_; }
  // Counts the ShowData calls (a painter can tell whether anything changed).
  uint64_t Version() const { return version_; }

private:
  int Y(double value) const;

  int width_ = 0;
  int height_ = 0;
  int samples_ = 0;
  bool imageMode_ = false;
  int marker_ = kNoMarker;
  int thresholdY_ = -1;
  int zoom_ = 1;
  int gain_ = 1;
  int pointsDrawn_ = 0;
  std::vector<TracePoint> points_;
  std::vector<uint8_t> image_;
  uint64_t version_ = 0;
};

// A trace written by one thread and painted by another.
class SharedTrace {
public:
  void Create(int width, int height, bool imageMode, int samples) {
    std::lock_guard lock(m_);
    trace_.Create(width, height, imageMode, samples);
  }
  // Called after every ShowData, outside the lock (set it before the writer starts).
  void SetOnChange(std::function<void()> fn) { onChange_ = std::move(fn); }
  void ShowData(const void* data, int type, int marker, int threshold) {
    {
      std::lock_guard lock(m_);
      trace_.ShowData(data, type, marker, threshold);
    }
    if (onChange_) onChange_();
  }
  void SetZoom(int horizontal, int vertical) {
    std::lock_guard lock(m_);
    trace_.SetZoom(horizontal, vertical);
  }
  MonitorTrace Snapshot() const {
    std::lock_guard lock(m_);
    return trace_;
  }

private:
  mutable std::mutex m_;
  MonitorTrace trace_;
  std::function<void()> onChange_;
};

}  // namespace qv
