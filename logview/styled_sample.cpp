#include "logview/styled_sample.h"

#include <QPainter>

#include "app/core/styled_line.h"
#include "app/ui/painter_line_device.h"

void DrawStyledSample(QPainter& painter, QPoint from, QPoint to, int printStyle, std::uint32_t colour) {
  PainterLineDevice device(painter);
  CStyledLine line;
  const PrintLineStyle style = PrintLineStyleOf(printStyle);
  line.SetStyle(&device, style.dashStyle, style.width, colour);
  line.BeginPath();
  line.MoveTo(from.x(), from.y());
  line.LineTo(to.x(), to.y());
  line.StrokePath();
}
