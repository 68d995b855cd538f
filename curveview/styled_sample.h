// Draws a line in one of the eight print line styles (solid, dotted, dashed,
// dash-dot, each thin and thick).
#pragma once

#include <QColor>
#include <QPoint>

class QPainter;

void DrawStyledSample(QPainter& painter, QPoint from, QPoint to, int printStyle, const QColor& colour);
