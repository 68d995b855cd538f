// A paint device that records what is drawn on it: texts with their base-line
// origin and font, lines, polygons, rectangles, paths and images, each with
// the pen it was drawn with. Its resolution and size are those of a page.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <string>
#include <vector>

#include "print/page/print_loop.h"

namespace qvtest {

struct DrawnText {
  QString text;
  QPointF origin;  // left end of the base line
  int pixelSize;
  bool bold;
  QPen pen;
};
struct DrawnLine {
  QLineF line;
  QPen pen;
};
struct DrawnShape {
  QPolygonF points;
  QPen pen;
  QBrush brush;
  bool closed;
};

class RecordingEngine : public QPaintEngine {
 public:
  RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState& s) override {
    if (s.state() & DirtyPen) pen_ = s.pen();
    if (s.state() & DirtyBrush) brush_ = s.brush();
    if (s.state() & DirtyFont) font_ = s.font();
  }
  Type type() const override { return QPaintEngine::User; }
  void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { images.push_back(r); }
  void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    images.push_back(r);
  }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    texts.push_back({item.text(), p, item.font().pixelSize(), item.font().bold(), pen_});
  }
  void drawLines(const QLineF* lines, int n) override {
    for (int i = 0; i < n; ++i) this->lines.push_back({lines[i], pen_});
  }
  void drawLines(const QLine* lines, int n) override {
    for (int i = 0; i < n; ++i) this->lines.push_back({QLineF(lines[i]), pen_});
  }
  void drawRects(const QRectF* r, int n) override {
    for (int i = 0; i < n; ++i) shapes.push_back({QPolygonF(r[i]), pen_, brush_, true});
  }
  void drawRects(const QRect* r, int n) override {
    for (int i = 0; i < n; ++i) shapes.push_back({QPolygonF(QRectF(r[i])), pen_, brush_, true});
  }
  void drawPolygon(const QPointF* p, int n, PolygonDrawMode mode) override {
    QPolygonF poly;
    for (int i = 0; i < n; ++i) poly << p[i];
    shapes.push_back({poly, pen_, brush_, mode != PolylineMode});
  }
  void drawPolygon(const QPoint* p, int n, PolygonDrawMode mode) override {
    QPolygonF poly;
    for (int i = 0; i < n; ++i) poly << QPointF(p[i]);
    shapes.push_back({poly, pen_, brush_, mode != PolylineMode});
  }
  void drawPath(const QPainterPath& path) override { paths.push_back({path, pen_}); }

  std::vector<DrawnText> texts;
  std::vector<DrawnLine> lines;
  std::vector<DrawnShape> shapes;
  std::vector<std::pair<QPainterPath, QPen>> paths;
  std::vector<QRectF> images;

  // The texts equal to TEXT, in drawing order.
  std::vector<DrawnText> Texts(const QString& text) const {
    std::vector<DrawnText> out;
    std::copy_if(texts.begin(), texts.end(), std::back_inserter(out),
                 [&](const DrawnText& t) { return t.text == text; });
    return out;
  }

 private:
  QPen pen_;
  QBrush brush_;
  QFont font_;
};

class RecordingDevice : public QPaintDevice {
 public:
  RecordingDevice(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi) {}
  ~RecordingDevice() override = default;
  QPaintEngine* paintEngine() const override { return &engine_; }
  RecordingEngine& Engine() { return engine_; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return width_;
      case PdmHeight:
        return height_;
      case PdmWidthMM:
        return int(width_ * 25.4 / dpi_);
      case PdmHeightMM:
        return int(height_ * 25.4 / dpi_);
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return dpi_;
      case PdmNumColors:
        return 0x7FFFFFFF;
      case PdmDepth:
        return 32;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
      default:
        return 0;
    }
  }

 private:
  mutable RecordingEngine engine_;
  int width_, height_, dpi_;
};

// A page printer's device that draws onto a recording canvas of its page
// size; PageStarted tells a test of each page and its orientation.
class RecordingPrintDevice : public qv::print::PrintDevice {
 public:
  RecordingPrintDevice(int dpi, int width, int height)
      : dpi_(dpi), width_(width), height_(height), canvas_(width, height, dpi), painter_(&canvas_) {}
  bool StartDoc(const std::string&, const std::string&) override { return true; }
  int StartPage() override {
    PageStarted(orientation_);
    return 1;
  }
  int EndPage() override { return 1; }
  void EndDoc() override {}
  void AbortDoc() override {}
  void Passthrough(const std::string&) override {}
  QPainter* Painter() override { return &painter_; }
  qv::print::PrinterCaps Caps() const override {
    qv::print::PrinterCaps c;
    c.logPixelsX = c.logPixelsY = dpi_;
    c.horzRes = c.physicalWidth = width_;
    c.vertRes = c.physicalHeight = height_;
    return c;
  }
  int Orientation() const override { return orientation_; }
  bool SetOrientation(int o) override {
    orientation_ = o;
    return true;
  }
  std::string DeviceName() const override { return "pages"; }
  std::string PortName() const override { return ""; }
  RecordingEngine& Drawn() { return canvas_.Engine(); }

 protected:
  // ORIENTATION: 2 landscape, else portrait.
  virtual void PageStarted(int orientation) { (void)orientation; }

 private:
  int dpi_, width_, height_;
  int orientation_ = 1;
  RecordingDevice canvas_;
  QPainter painter_;
};

}  // namespace qvtest
